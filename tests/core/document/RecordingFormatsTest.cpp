// The recordings read besides CSV and EDF: GDF and CFWB through BioSig (written by BioSig's own
// converter from a known EDF+ recording), GDF through the program's decoder against BioSig,
// BrainVision files written from the format's definition, MATLAB files written by matio in
// versions 5 and 7.3; the events they carry; and the refusals.
#include <edflib.h>
#include <gtest/gtest.h>
#include <matio.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "document/BiosigReader.h"
#include "document/BrainVisionReader.h"
#include "document/GdfReader.h"
#include "document/Recording.h"
#include "platform/Host.h"
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

// GDF files read without BioSig must read exactly as through BioSig.
template <typename T>
void Put(std::string& bytes, T value) {
    bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
}

struct GdfSignal {
    std::uint32_t type;  // GDF's sample type
    double digMin, digMax;
    std::uint32_t spr = 3;
};

// A GDF file (version 2.51 unless given) of `records` records of 3.1 ms (2.2 ms before 2.21; a
// rate of no whole hertz): signal k has the sample type and digital range given and raw values
// that sweep past both ends of the range; the extra header describes the user events 1 and 2;
// `events` is the event table (empty: none).
std::string GdfFile(const std::vector<GdfSignal>& signals, long long records,
                    const std::string& events, const std::string& version = "2.51") {
    const auto ns = static_cast<std::uint16_t>(signals.size());
    const std::string descriptions = std::string("\0T\xC3\xBCr auf\0stim x\0\0", 18);
    std::string extra(1, '\1');
    Put(extra, static_cast<std::uint16_t>(descriptions.size()));
    extra += '\0' + descriptions;
    extra.resize(256, '\0');
    std::string bytes = "GDF " + version;
    bytes.resize(184, '\0');
    Put(bytes, static_cast<std::uint16_t>(ns + 2));
    bytes.resize(236, '\0');
    Put(bytes, static_cast<std::int64_t>(records));
    if (version < "2.21") {  // the duration as a fraction of two whole numbers
        Put(bytes, std::uint32_t{22});
        Put(bytes, std::uint32_t{10000});
    } else {
        Put(bytes, 0.0031);
    }
    Put(bytes, ns);
    Put(bytes, std::uint16_t{0});
    std::string table(256 * ns, '\0');
    for (std::size_t k = 0; k < ns; ++k) {
        const GdfSignal& s = signals[k];
        std::memcpy(table.data() + 16 * k, ("ch " + std::to_string(k)).c_str(), 5);
        auto at = [&](int field, std::size_t width) {
            return table.data() + field * ns + width * k;
        };
        const std::uint16_t unit = k % 2 ? 4275 : 4274;  // uV, mV
        const double physMin = -100.0 - k, physMax = 250.5 + 3 * k;
        std::memcpy(at(102, 2), &unit, 2);
        std::memcpy(at(104, 8), &physMin, 8);
        std::memcpy(at(112, 8), &physMax, 8);
        std::memcpy(at(120, 8), &s.digMin, 8);
        std::memcpy(at(128, 8), &s.digMax, 8);
        std::memcpy(at(216, 4), &s.spr, 4);
        std::memcpy(at(220, 4), &s.type, 4);
    }
    bytes += table + extra;
    for (long long r = 0, i = 0; r < records; ++r)
        for (const GdfSignal& s : signals)
            for (std::uint32_t j = 0; j < s.spr; ++j, ++i) {
                const double span = s.digMax - s.digMin;
                const double raw = s.digMin - 2 + std::fmod(i * 0.618034, 1.0) * (span + 4);
                // Integers: the low bytes of the 64-bit value (little-endian).
                const auto v = static_cast<std::int64_t>(raw);
                const std::size_t size = s.type <= 2   ? 1
                                         : s.type <= 4 ? 2
                                         : s.type <= 6 ? 4
                                         : s.type <= 8 ? 8
                                                       : 3;
                if (s.type == 16)
                    Put(bytes, static_cast<float>(raw));
                else if (s.type == 17)
                    Put(bytes, raw);
                else
                    bytes.append(reinterpret_cast<const char*>(&v), size);
            }
    return bytes + events;
}

// An event table of mode 3 at 512 Hz: positions (from 1), types, channels, durations.
std::string GdfEvents(const std::vector<std::uint16_t>& types) {
    std::string table(1, '\3');
    Put(table, static_cast<std::uint16_t>(types.size()));
    table += '\0';
    Put(table, 512.0f);
    for (std::size_t e = 0; e < types.size(); ++e)
        Put(table, static_cast<std::uint32_t>(1 + 7 * e));
    for (std::uint16_t type : types)
        Put(table, type);
    for (std::size_t e = 0; e < types.size(); ++e)
        Put(table, std::uint16_t{0});
    for (std::size_t e = 0; e < types.size(); ++e)
        Put(table, static_cast<std::uint32_t>(3 * e));
    return table;
}

// The reading of `path` without BioSig (which must take the file) against the reading through it.
void ExpectReadAsBiosigReads(const std::string& path, int skip, int maxRows) {
    SCOPED_TRACE(path + " skip " + std::to_string(skip) + " cap " + std::to_string(maxRows));
    const ReadOptions options{0, skip, maxRows};
    std::FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_TRUE(file);
    auto native = ReadGdfRecording(file, options, nullptr);
    std::rewind(file);
    auto biosig = ReadBiosigRecording(file, path, options, nullptr);
    std::fclose(file);
    ASSERT_TRUE(native.has_value());
    ASSERT_TRUE(biosig.has_value());
    ASSERT_EQ(bool(*native), bool(*biosig));
    if (!*biosig) return;
    const Recording &a = **native, &b = **biosig;
    EXPECT_EQ(a.rowCount, b.rowCount);
    for (int k = 0; k < Recording::kColumns; ++k) {
        ASSERT_EQ(a.columns[k].size(), b.columns[k].size()) << k;
        const std::size_t bytes = a.columns[k].size() * sizeof(double);
        EXPECT_TRUE(bytes == 0 || std::memcmp(a.columns[k].data(), b.columns[k].data(), bytes) == 0)
            << "column " << k;
    }
    EXPECT_EQ(a.labels, b.labels);
    EXPECT_EQ(a.signalLabels, b.signalLabels);
    ASSERT_EQ(a.notes.values.has_value(), b.notes.values.has_value());
    if (a.notes.values) {
        EXPECT_EQ(a.notes.values->rate, b.notes.values->rate);
        EXPECT_EQ(a.notes.values->unit, b.notes.values->unit);
    }
    EXPECT_EQ(a.notes.otherRate, b.notes.otherRate);
    EXPECT_EQ(a.notes.rowsLeftOut, b.notes.rowsLeftOut);
    EXPECT_EQ(a.notes.unroundedRate, b.notes.unroundedRate);
    EXPECT_EQ(a.notes.nothingReadable, b.notes.nothingReadable);
    ASSERT_EQ(a.events.size(), b.events.size());
    for (std::size_t e = 0; e < a.events.size(); ++e) {
        EXPECT_EQ(a.events[e].onsetMs, b.events[e].onsetMs) << e;
        EXPECT_EQ(a.events[e].durationMs, b.events[e].durationMs) << e;
        EXPECT_EQ(a.events[e].text, b.events[e].text) << e;
    }
}

TEST(GdfReading, ReadsExactlyAsBiosigDoes) {
    test::TempDir dir;
    // BioSig's conversions of EDF+ (16 bits) and BDF+ (24 bits) files with annotations.
    const std::string fromEdf = Convert(dir, "GDF", "edf.gdf");
    test::EdfSpec bdf = test::ThreeSines(EDFLIB_FILETYPE_BDFPLUS);
    bdf.channels[2].samplesPerRecord = 1000;  // another rate
    test::WriteEdf(dir.File("known.bdf"), bdf);
    const std::string fromBdf = dir.File("bdf.gdf");
    ASSERT_EQ(std::system(("save2gdf -f=GDF '" + dir.File("known.bdf") + "' '" + fromBdf +
                           "' >/dev/null 2>&1")
                              .c_str()),
              0);
    // Every sample type decoded here, values past the digital range, user and standard events.
    const double big = 1e12;
    const std::vector<GdfSignal> typed = {
        {3, -32768, 32767}, {1, -100, 100},     {2, 5, 250},      {4, 10, 65000},    {5, -2e9, 2e9},
        {6, 0, 4e9},        {7, -big, big},     {8, 0, big},      {16, -1000, 1000}, {17, -1, 1},
        {279, -9e6, 9e6},   {535, 0, 16777215}, {3, -500, 500, 1}};
    const std::string events = GdfEvents({1, 2, 0x0300, 5, 0x0114});
    const std::string all = dir.Write("typed.gdf", GdfFile(typed, 40, events));
    const std::string older = dir.Write("2.20.gdf", GdfFile(typed, 40, events, "2.20"));
    for (const std::string& path : {fromEdf, fromBdf, all, older})
        for (const auto& [skip, cap] : {std::pair{0, 0}, {1, 0}, {0, 7}, {1, 100}, {20, 0}})
            ExpectReadAsBiosigReads(path, skip, cap);
    // A first read signal below the common rate is BioSig's to read (it repeats the samples).
    std::FILE* file = std::fopen(fromBdf.c_str(), "rb");
    EXPECT_FALSE(ReadGdfRecording(file, {0, 2, 0}, nullptr));
    std::fclose(file);
    RecordingResult slow = Read(fromBdf, 2, 0);
    ASSERT_TRUE(slow);
    EXPECT_EQ(slow->rowCount, 6000);
}

TEST(GdfReading, ProgressCoversTheSamplesAndACancelKeepsWhatWasRead) {
    test::TempDir dir;
    // 12 MB of records without events: three blocks of reading, through ReadRecording.
    const std::string path =
        dir.Write("long.gdf", GdfFile({{3, -32768, 32767}, {17, -1, 1}}, 400000, ""));
    struct Counting : Progress {
        explicit Counting(int at) : cancelAt(at) {}
        void SetRange(int, int high) override { range = high; }
        void Step(int n) override { steps += n; }
        int PumpMessages() override { return pumps++ == cancelAt; }
        int cancelAt, range = 0, steps = 0, pumps = 0;
    } whole(-1), cancelled(0);
    RecordingResult all = ReadRecording(path, {0, 0, 0}, &whole);
    RecordingResult part = ReadRecording(path, {0, 0, 0}, &cancelled);
    ASSERT_TRUE(all && part);
    EXPECT_EQ(whole.range, 2 * 1200000);
    EXPECT_EQ(whole.steps, whole.range);
    EXPECT_FALSE(all->notes.cancelled);
    EXPECT_TRUE(part->notes.cancelled);
    EXPECT_GT(part->rowCount, 0);
    EXPECT_LT(part->rowCount, all->rowCount);
    ASSERT_EQ(part->columns[1].size(), static_cast<std::size_t>(part->rowCount));
    EXPECT_EQ(std::memcmp(part->columns[1].data(), all->columns[1].data(),
                          part->columns[1].size() * sizeof(double)),
              0);
}

TEST(GdfReading, HostileHeadersAreLeftToBiosigOrRefused) {
    test::TempDir dir;
    const std::string good = GdfFile({{3, -32768, 32767}, {5, -10, 10}}, 10, GdfEvents({1}));
    auto patched = [&](std::size_t at, const std::string& bytes) {
        std::string file = good;
        file.replace(at, bytes.size(), bytes);
        return dir.Write("p.gdf", file);
    };
    auto leftToBiosig = [&](const std::string& path) {
        std::FILE* file = std::fopen(path.c_str(), "rb");
        const bool left = !ReadGdfRecording(file, {}, nullptr).has_value();
        std::fclose(file);
        RecordingResult read = Read(path);  // refused with a reason or read, never a crash
        if (!read) {
            EXPECT_FALSE(read.Error().reason.empty());
        }
        return left;
    };
    std::string records;
    Put(records, std::int64_t{1} << 40);
    EXPECT_TRUE(leftToBiosig(patched(236, records)));     // more records than the file holds
    EXPECT_TRUE(leftToBiosig(patched(184, "\xFF\xFF")));  // a header past the file's end
    EXPECT_TRUE(leftToBiosig(patched(256 + 216 * 2, std::string("\xFF\xFF\xFF\xFF", 4))));
    EXPECT_TRUE(leftToBiosig(patched(256 + 220 * 2, std::string("\x12\0\0\0", 4))));  // float128
    EXPECT_TRUE(leftToBiosig(patched(good.size() - 12, std::string(4, '\0'))));       // event at 0
    EXPECT_TRUE(leftToBiosig(dir.Write("cut.gdf", good.substr(0, good.size() - 21))));
    EXPECT_FALSE(leftToBiosig(dir.Write("good.gdf", good)));

    // Channels of no samples per record make records of no bytes, which hold nothing however
    // many the header promises: refused before storage is reserved for them.
    std::string empty = GdfFile({{3, -32768, 32767}, {5, -10, 10}}, 10, "");
    empty.replace(236, records.size(), records);
    empty.replace(256 + 216 * 2, 8, std::string(8, '\0'));
    std::uint16_t blocks = 0;
    std::memcpy(&blocks, empty.data() + 184, 2);
    empty.resize(256u * blocks);  // the header alone
    RecordingResult read = Read(dir.Write("empty.gdf", empty));
    ASSERT_FALSE(read);
    EXPECT_NE(read.Error().reason.find("shorter than its header says"), std::string::npos)
        << read.Error().reason;
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
    // Dimensions that promise more than the stored data skip the variable, before any storage
    // is reserved for them (two billion rows in a file of 2 kB).
    for (std::int32_t rows : {101, 0x7FFFFFF0}) {
        std::string grown = bytes;
        ASSERT_EQ(grown.compare(160, 4, std::string("d\0\0\0", 4)), 0);  // the first dimension
        std::memcpy(grown.data() + 160, &rows, 4);
        RecordingResult read = Read(dir.Write("grown.mat", grown));
        ASSERT_FALSE(read) << rows;
        EXPECT_NE(read.Error().reason.find("x (its data not all in the file)"), std::string::npos)
            << read.Error().reason;
    }
    // A name whose tag promises 4 GB, and a cell array of two billion cells, are refused before
    // matio reserves storage for them.
    std::string named = bytes;
    ASSERT_EQ(named.compare(168, 5, std::string("\1\0\1\0x", 5)), 0);  // the name, small
    named.replace(168, 8, std::string("\1\0\0\0\1\0\0\xff", 8));
    EXPECT_FALSE(Read(dir.Write("named.mat", named)));
    std::string cells = bytes;
    cells[144] = 1;  // the class: a cell array
    const std::int32_t many = 0x7FFFFFF0;
    std::memcpy(cells.data() + 160, &many, 4);
    EXPECT_FALSE(Read(dir.Write("cells.mat", cells)));

    // A compressed variable whose stream ends before its data do (the element cut with it).
    std::vector<double> varied(5000);
    for (std::size_t i = 0; i < varied.size(); ++i)
        varied[i] = std::sin(static_cast<double>(i));
    mat_t* mat = Mat_CreateVer(dir.File("z.mat").c_str(), nullptr, MAT_FT_MAT5);
    std::size_t dims[2] = {varied.size(), 1};
    matvar_t* var = Mat_VarCreate("x", MAT_C_DOUBLE, MAT_T_DOUBLE, 2, dims, varied.data(), 0);
    Mat_VarWrite(mat, var, MAT_COMPRESSION_ZLIB);
    Mat_VarFree(var);
    Mat_Close(mat);
    std::string cut = test::ReadFileBytes(dir.File("z.mat"));
    ASSERT_TRUE(Read(dir.File("z.mat")));
    std::uint32_t element = 0;
    std::memcpy(&element, cut.data() + 132, 4);
    ASSERT_EQ(cut[128], 15);  // compressed
    element /= 2;
    std::memcpy(cut.data() + 132, &element, 4);
    cut.resize(136 + element);
    EXPECT_FALSE(Read(dir.Write("cut-stream.mat", cut)));

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
