// The recordings read besides CSV and EDF: GDF and CFWB through BioSig (written by BioSig's own
// converter from a known EDF+ recording), BrainVision files written from the format's definition,
// MATLAB files written by matio in versions 5 and 7.3; the events they carry; and the refusals.
#include <edflib.h>
#include <gtest/gtest.h>
#include <matio.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "document/BrainVisionReader.h"
#include "document/Recording.h"
#include "support/EdfWriter.h"
#include "support/TempDir.h"

namespace tavrel {
namespace {

RecordingResult Read(const std::string& path, int skip = 0, int maxRows = 0) {
    ReadOptions options;
    options.skipColumns = skip;
    options.maxRows = maxRows;
    return ReadRecording(path, options, nullptr);
}

// The known EDF+ recording (three sines at 2000 Hz in uV, an annotation "burst" at 0.5 s) and
// BioSig's conversion of it to `format`.
std::string Convert(const test::TempDir& dir, const std::string& format, const std::string& name) {
    const std::string edf = dir.File("known.edf");
    test::WriteEdf(edf, test::ThreeSines(EDFLIB_FILETYPE_EDFPLUS));
    const std::string out = dir.File(name);
    const std::string command =
        "save2gdf -f=" + format + " '" + edf + "' '" + out + "' >/dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return out;
}

TEST(BiosigReading, GdfAndCfwbWrittenByBiosigReadAsTheirEdfSource) {
    test::TempDir dir;
    for (const auto& [format, name] : {std::pair{"GDF", "x.gdf"}, std::pair{"CFWB", "x.cfwb"}}) {
        SCOPED_TRACE(format);
        const std::string path = Convert(dir, format, name);
        const auto expected = test::ReadEdfPhysical(dir.File("known.edf"));
        RecordingResult read = Read(path, 1);
        ASSERT_TRUE(read) << read.Error().reason;
        ASSERT_TRUE(read->notes.values);
        EXPECT_EQ(read->notes.values->rate, 2000);
        EXPECT_EQ(read->notes.values->unit, "uV");
        EXPECT_EQ(read->rowCount, 6000);
        // 16-bit samples of a 6000 uV range: one step is 0.0916 uV.
        for (int k = 0; k < 2; ++k) {
            ASSERT_EQ(read->columns[k].size(), 6000u);
            for (std::size_t i = 0; i < 6000; i += 7)
                ASSERT_NEAR(read->columns[k][i], expected[k + 1][i], 0.1) << k << " " << i;
        }
        EXPECT_TRUE(read->columns[2].empty());
        if (std::string(format) == "GDF") {
            ASSERT_EQ(read->events.size(), 1u);
            EXPECT_EQ(read->events[0].text, "burst");
            EXPECT_NEAR(read->events[0].onsetMs, 500.0, 1.0);
        }
        RecordingResult capped = Read(path, 0, 100);
        ASSERT_TRUE(capped);
        EXPECT_EQ(capped->rowCount, 100);
        EXPECT_TRUE(capped->notes.rowsLeftOut);
        EXPECT_EQ(ReadRecordingValues(path, 0)->rate, 2000);
    }
}

TEST(BiosigReading, DamagedFilesAreRefusedWithAReasonAndUnknownBinaryStaysText) {
    test::TempDir dir;
    const std::string gdf = Convert(dir, "GDF", "x.gdf");
    std::string bytes = test::ReadFileBytes(gdf);
    // Cut in the data: the header promises more records than the file holds.
    RecordingResult cut = Read(dir.Write("cut.gdf", bytes.substr(0, bytes.size() / 2)));
    ASSERT_FALSE(cut);
    EXPECT_EQ(cut.Error().kind, ReadError::Kind::Refused);
    EXPECT_NE(cut.Error().reason.find("BioSig"), std::string::npos) << cut.Error().reason;
    // Cut in the header.
    EXPECT_FALSE(Read(dir.Write("head.gdf", bytes.substr(0, 300))));
    // EDF and EDF+ still go to EDFlib, which now also gives the annotations.
    RecordingResult edf = Read(dir.File("known.edf"));
    ASSERT_TRUE(edf);
    ASSERT_EQ(edf->events.size(), 1u);
    EXPECT_EQ(edf->events[0].text, "burst");
    EXPECT_DOUBLE_EQ(edf->events[0].onsetMs, 500.0);
}

TEST(BiosigReading, ReadersOnSeveralThreadsGetTheSameValues) {
    test::TempDir dir;
    const std::string gdf = Convert(dir, "GDF", "x.gdf");
    const RecordingResult once = Read(gdf);
    ASSERT_TRUE(once);
    std::vector<std::thread> threads;
    std::vector<int> same(4, 0);
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 5; ++i) {
                RecordingResult read = Read(gdf);
                same[t] += read && read->columns == once->columns;
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(same, std::vector<int>(4, 5));
}

// A BrainVision recording of two channels (the second at half the resolution) and its markers.
std::string WriteBrainVision(const test::TempDir& dir, const std::string& orientation,
                             const std::string& markerFile = "r.vmrk") {
    dir.Write("r.vhdr",
              "Brain Vision Data Exchange Header File Version 1.0\r\n; written by the test\r\n"
              "[Common Infos]\r\nDataFile=r.eeg\r\nMarkerFile=" +
                  markerFile + "\r\nDataFormat=BINARY\r\nDataOrientation=" + orientation +
                  "\r\nNumberOfChannels=2\r\nSamplingInterval=2000\r\n\r\n[Binary Infos]\r\n"
                  "BinaryFormat=INT_16\r\n\r\n[Channel Infos]\r\nCh1=Fp1,,0.1,\xC2\xB5V\r\n"
                  "Ch2=EMG\\1left,,0.5,mV\r\n");
    std::string samples;
    auto put = [&](int value) {
        samples += static_cast<char>(value & 0xFF);
        samples += static_cast<char>((value >> 8) & 0xFF);
    };
    for (int i = 0; i < 10; ++i) {
        if (orientation == "MULTIPLEXED") {
            put(i * 10 - 50);
            put(-i);
        }
    }
    if (orientation == "VECTORIZED") {
        for (int i = 0; i < 10; ++i)
            put(i * 10 - 50);
        for (int i = 0; i < 10; ++i)
            put(-i);
    }
    dir.Write("r.eeg", samples);
    dir.Write("r.vmrk",
              "Brain Vision Data Exchange Marker File, Version 1.0\r\n[Marker Infos]\r\n"
              "Mk2=Stimulus,S  1,3,1,0\r\nMk1=New Segment,,1,1,0,20260101000000000000\r\n"
              "Mk3=Comment,trial\\1 left,5,4,0\r\n");
    return dir.File("r.vhdr");
}

TEST(BrainVisionReading, SamplesResolutionUnitRateAndMarkers) {
    for (const std::string orientation : {"MULTIPLEXED", "VECTORIZED"}) {
        SCOPED_TRACE(orientation);
        test::TempDir dir;
        RecordingResult read = Read(WriteBrainVision(dir, orientation));
        ASSERT_TRUE(read) << read.Error().reason;
        EXPECT_EQ(read->notes.values->rate, 500);
        EXPECT_EQ(read->notes.values->unit, "\xC2\xB5V");
        ASSERT_EQ(read->rowCount, 10);
        EXPECT_DOUBLE_EQ(read->columns[0][9], 4.0);
        EXPECT_DOUBLE_EQ(read->columns[1][9], -4.5);
        ASSERT_EQ(read->events.size(), 3u);
        EXPECT_EQ(read->events[0].text, "New Segment");
        EXPECT_EQ(read->events[1].text, "S  1");
        EXPECT_DOUBLE_EQ(read->events[1].onsetMs, 4.0);
        EXPECT_EQ(read->events[2].text, "trial, left");
        EXPECT_DOUBLE_EQ(read->events[2].durationMs, 8.0);
        RecordingResult skipped = Read(dir.File("r.vhdr"), 1, 4);
        ASSERT_TRUE(skipped);
        EXPECT_EQ(skipped->columns[0], (std::vector<double>{0.0, -0.5, -1.0, -1.5}));
        EXPECT_EQ(skipped->notes.values->unit, "mV");
    }
}

TEST(BrainVisionReading, DamagedHeadersAndMissingDataAreRefused) {
    test::TempDir dir;
    const std::string header = WriteBrainVision(dir, "MULTIPLEXED", "/dev/zero");
    ASSERT_TRUE(Read(header));  // a marker file that is no file is passed over
    const std::string text = test::ReadFileBytes(header);
    auto refused = [&](std::string from, std::string to, const char* why) {
        std::string changed = text;
        changed.replace(changed.find(from), from.size(), to);
        dir.Write("r.vhdr", changed);
        RecordingResult read = Read(header);
        ASSERT_FALSE(read) << why;
        EXPECT_NE(read.Error().reason.find(why), std::string::npos) << read.Error().reason;
    };
    refused("NumberOfChannels=2", "NumberOfChannels=3", "whole number");
    refused("NumberOfChannels=2", "NumberOfChannels=x", "number of channels");
    refused("SamplingInterval=2000", "SamplingInterval=0", "sampling interval");
    refused("INT_16", "INT_12", "binary format");
    refused("DataFile=r.eeg", "DataFile=missing.eeg", "cannot be opened");
    refused("DataFormat=BINARY", "DataFormat=ASCII", "binary data");
}

// A MATLAB file written by matio of `version`: `variables` are (name, rows, cols, values).
struct MatVariable {
    std::string name;
    std::size_t rows, cols;
    std::vector<double> values;
};
void WriteMat(const std::string& path, mat_ft version, const std::vector<MatVariable>& variables,
              bool withStruct) {
    mat_t* mat = Mat_CreateVer(path.c_str(), nullptr, version);
    ASSERT_NE(mat, nullptr);
    for (const MatVariable& v : variables) {
        size_t dims[2] = {v.rows, v.cols};
        std::vector<double> data = v.values;
        matvar_t* var =
            Mat_VarCreate(v.name.c_str(), MAT_C_DOUBLE, MAT_T_DOUBLE, 2, dims, data.data(), 0);
        Mat_VarWrite(mat, var, MAT_COMPRESSION_NONE);
        Mat_VarFree(var);
    }
    if (withStruct) {
        size_t dims[2] = {1, 1};
        const char* fields[] = {"a"};
        matvar_t* var = Mat_VarCreateStruct("meta", 2, dims, fields, 1);
        Mat_VarWrite(mat, var, MAT_COMPRESSION_NONE);
        Mat_VarFree(var);
    }
    Mat_Close(mat);
}

TEST(MatReading, MatrixVectorsRateAndSkippedVariablesInBothVersions) {
    for (mat_ft version : {MAT_FT_MAT5, MAT_FT_MAT73}) {
        SCOPED_TRACE(version);
        test::TempDir dir;
        // 3 channels x 50 samples stored channel by channel as rows (fewer rows than columns).
        std::vector<double> wide(150);
        for (std::size_t i = 0; i < 150; ++i)
            wide[i] = static_cast<double>(i);
        WriteMat(dir.File("m.mat"), version, {{"emg", 3, 50, wide}, {"fs", 1, 1, {1000}}}, true);
        RecordingResult read = Read(dir.File("m.mat"));
        ASSERT_TRUE(read) << read.Error().reason;
        ASSERT_EQ(read->rowCount, 50);
        // Column-major: element (channel c, sample i) is at c + 3 i.
        EXPECT_DOUBLE_EQ(read->columns[1][10], 31.0);
        EXPECT_DOUBLE_EQ(read->columns[2][49], 149.0);
        EXPECT_TRUE(read->columns[3].empty());
        EXPECT_EQ(read->notes.values->rate, 1000);
        EXPECT_EQ(read->notes.skipped, std::vector<std::string>{"meta (a struct)"});

        // Vectors of equal length, one of another length, no rate.
        WriteMat(dir.File("v.mat"), version,
                 {{"a", 4, 1, {1, 2, 3, 4}}, {"b", 1, 4, {5, 6, 7, 8}}, {"c", 1, 2, {9, 9}}},
                 false);
        RecordingResult vectors = Read(dir.File("v.mat"), 0, 3);
        ASSERT_TRUE(vectors) << vectors.Error().reason;
        EXPECT_FALSE(vectors->notes.values);
        EXPECT_EQ(vectors->columns[1], (std::vector<double>{5, 6, 7}));
        EXPECT_TRUE(vectors->notes.rowsLeftOut);
        EXPECT_EQ(vectors->notes.skipped,
                  std::vector<std::string>{"c (a vector of another length)"});

        WriteMat(dir.File("s.mat"), version, {}, true);
        RecordingResult nothing = Read(dir.File("s.mat"));
        ASSERT_FALSE(nothing);
        EXPECT_NE(nothing.Error().reason.find("meta (a struct)"), std::string::npos);
    }
}

// A matrix whose columns are the channels is read column by column straight into the columns;
// other classes are converted, a compressed version 5 matrix is read whole: the same values each
// way, the row cap included.
TEST(MatReading, ColumnsOfEveryClassAndCompressionReadAlike) {
    constexpr std::size_t kRows = 20, kCols = 3;
    std::vector<std::int16_t> ints(kRows * kCols);
    for (std::size_t i = 0; i < ints.size(); ++i)
        ints[i] = static_cast<std::int16_t>(i * 37 % 101) - 50;
    const std::vector<float> floats(ints.begin(), ints.end());
    const std::vector<double> doubles(ints.begin(), ints.end());
    struct Case {
        mat_ft version;
        matio_classes type;
        matio_types data;
        const void* values;
        matio_compression compression;
    };
    for (const Case& c : {Case{MAT_FT_MAT5, MAT_C_INT16, MAT_T_INT16, ints.data(), MAT_COMPRESSION_NONE},
                          Case{MAT_FT_MAT73, MAT_C_SINGLE, MAT_T_SINGLE, floats.data(), MAT_COMPRESSION_NONE},
                          Case{MAT_FT_MAT5, MAT_C_DOUBLE, MAT_T_DOUBLE, doubles.data(), MAT_COMPRESSION_ZLIB},
                          Case{MAT_FT_MAT73, MAT_C_DOUBLE, MAT_T_DOUBLE, doubles.data(), MAT_COMPRESSION_NONE}}) {
        SCOPED_TRACE(std::to_string(c.version) + " " + std::to_string(c.type));
        test::TempDir dir;
        mat_t* mat = Mat_CreateVer(dir.File("c.mat").c_str(), nullptr, c.version);
        ASSERT_NE(mat, nullptr);
        size_t dims[2] = {kRows, kCols};
        matvar_t* var = Mat_VarCreate("emg", c.type, c.data, 2, dims, const_cast<void*>(c.values),
                                      MAT_F_DONT_COPY_DATA);
        ASSERT_EQ(Mat_VarWrite(mat, var, c.compression), 0);
        Mat_VarFree(var);
        Mat_Close(mat);
        RecordingResult read = Read(dir.File("c.mat"), 1, 7);
        ASSERT_TRUE(read) << read.Error().reason;
        EXPECT_EQ(read->rowCount, 7);
        for (std::size_t k = 0; k < 2; ++k)
            EXPECT_EQ(read->columns[k],
                      std::vector<double>(doubles.begin() + (k + 1) * kRows,
                                          doubles.begin() + (k + 1) * kRows + 7));
        EXPECT_TRUE(read->columns[2].empty());
    }
}

TEST(MatReading, DamagedFilesAreRefused) {
    test::TempDir dir;
    WriteMat(dir.File("m.mat"), MAT_FT_MAT5, {{"x", 100, 2, std::vector<double>(200, 1.5)}}, false);
    const std::string bytes = test::ReadFileBytes(dir.File("m.mat"));
    for (std::size_t cut : {std::size_t{130}, bytes.size() / 2}) {
        RecordingResult read = Read(dir.Write("cut.mat", bytes.substr(0, cut)));
        ASSERT_FALSE(read) << cut;
        EXPECT_EQ(read.Error().kind, ReadError::Kind::Refused);
    }
    EXPECT_FALSE(Read(dir.Write("text.mat", "MATLAB 5.0 MAT-file, but nothing else")));

    // A rate the program cannot represent is refused with it; one that is not whole is noted.
    for (double rate : {0.5, 200000.0, 512.5}) {
        WriteMat(dir.File("r.mat"), MAT_FT_MAT5, {{"x", 10, 1, std::vector<double>(10, 1)},
                                                 {"fs", 1, 1, {rate}}}, false);
        RecordingResult read = Read(dir.File("r.mat"));
        if (rate == 512.5) {
            ASSERT_TRUE(read) << read.Error().reason;
            EXPECT_EQ(read->notes.unroundedRate, 512.5);
            continue;
        }
        ASSERT_FALSE(read) << rate;
        EXPECT_NE(read.Error().reason.find("100000 Hz"), std::string::npos)
            << read.Error().reason;
    }
}

}  // namespace
}  // namespace tavrel
