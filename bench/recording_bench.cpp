// Reading recordings against reading the same data as comma-separated text, from one run: 16
// signals x 1,000,000 samples written as a 24-bit BDF+ file and a 16-bit EDF+ file by EDFlib's
// writer (2000 samples per one-second record), the EDF+ converted to GDF by BioSig's `save2gdf`
// (read by the program's GDF decoder, and through BioSig for comparison),
// the BDF's physical values written as a 1,000,000 x 16 double matrix to MATLAB files of version
// 5 and 7.3 by matio's writer, and as a CSV file (ten significant digits, the precision of the
// program's own export). Each benchmark reads the whole file into a fresh document with the row
// cap lifted, as `tavrel-cli --max-rows 0` does; a benchmark whose file could not be written (no
// `save2gdf`) is skipped.
#include <benchmark/benchmark.h>
#include <edflib.h>
#include <matio.h>
#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <numbers>
#include <string>
#include <vector>

#include "document/BiosigReader.h"
#include "document/DataFileReader.h"
#include "document/KaisekiDoc.h"
#include "platform/NumberFormat.h"

using namespace tavrel;

namespace {

constexpr int kSignals = 16;
constexpr int kPerRecord = 2000;
constexpr int kRecords = 500;
constexpr long long kSamples = static_cast<long long>(kPerRecord) * kRecords;

struct Files {
    std::filesystem::path dir;
    std::string bdf, edf, gdf, mat5, mat73, csv;
    bool ok = false, gdfOk = false, mat5Ok = false, mat73Ok = false;

    Files() {
        dir = std::filesystem::temp_directory_path() /
              ("tavrel-recording-bench-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir);
        bdf = (dir / "recording.bdf").string();
        edf = (dir / "recording.edf").string();
        gdf = (dir / "recording.gdf").string();
        mat5 = (dir / "recording5.mat").string();
        mat73 = (dir / "recording73.mat").string();
        csv = (dir / "recording.csv").string();
        ok = WriteEdf(bdf, true) && WriteEdf(edf, false) && WriteCsvAndMat();
        const std::string convert =
            "save2gdf -f=GDF '" + edf + "' '" + gdf + "' >/dev/null 2>&1";
        gdfOk = std::system(convert.c_str()) == 0 && std::filesystem::exists(gdf);
    }
    ~Files() {
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }

    static bool WriteEdf(const std::string& path, bool bdf) {
        const int handle = edfopen_file_writeonly(
            path.c_str(), bdf ? EDFLIB_FILETYPE_BDFPLUS : EDFLIB_FILETYPE_EDFPLUS, kSignals);
        if (handle < 0) return false;
        for (int s = 0; s < kSignals; ++s) {
            edf_set_samplefrequency(handle, s, kPerRecord);
            edf_set_physical_maximum(handle, s, 5000.0);
            edf_set_physical_minimum(handle, s, -5000.0);
            edf_set_digital_maximum(handle, s, bdf ? 8388607 : 32767);
            edf_set_digital_minimum(handle, s, bdf ? -8388608 : -32768);
            edf_set_label(handle, s, ("EMG" + std::to_string(s + 1)).c_str());
            edf_set_physical_dimension(handle, s, "uV");
        }
        std::vector<double> record(kPerRecord);
        bool ok = true;
        for (int r = 0; r < kRecords && ok; ++r) {
            for (int s = 0; s < kSignals && ok; ++s) {
                for (int i = 0; i < kPerRecord; ++i) {
                    const double t = (r * kPerRecord + i) / 2000.0;
                    record[static_cast<std::size_t>(i)] =
                        (400.0 + 50 * s) * std::sin(2 * std::numbers::pi * (30 + 7 * s) * t) *
                            (0.6 + 0.4 * std::sin(2 * std::numbers::pi * 0.5 * t)) +
                        20.0 * std::sin(2 * std::numbers::pi * 1.3 * t);
                }
                ok = edfwrite_physical_samples(handle, record.data()) == 0;
            }
        }
        return edfclose_file(handle) == 0 && ok;
    }

    // A 1,000,000 x 16 double matrix "emg" and the rate "fs".
    static bool WriteMat(const std::string& path, mat_ft version,
                         const std::vector<std::vector<double>>& values) {
        mat_t* mat = Mat_CreateVer(path.c_str(), nullptr, version);
        if (!mat) return false;
        std::vector<double> matrix;
        matrix.reserve(static_cast<std::size_t>(kSignals * kSamples));
        for (const std::vector<double>& column : values)
            matrix.insert(matrix.end(), column.begin(), column.end());
        std::size_t dims[2] = {static_cast<std::size_t>(kSamples), kSignals};
        bool ok = false;
        if (matvar_t* var = Mat_VarCreate("emg", MAT_C_DOUBLE, MAT_T_DOUBLE, 2, dims,
                                          matrix.data(), MAT_F_DONT_COPY_DATA)) {
            ok = Mat_VarWrite(mat, var, MAT_COMPRESSION_NONE) == 0;
            Mat_VarFree(var);
        }
        double rate = kPerRecord;
        std::size_t one[2] = {1, 1};
        if (matvar_t* var =
                Mat_VarCreate("fs", MAT_C_DOUBLE, MAT_T_DOUBLE, 2, one, &rate, MAT_F_DONT_COPY_DATA)) {
            ok = Mat_VarWrite(mat, var, MAT_COMPRESSION_NONE) == 0 && ok;
            Mat_VarFree(var);
        }
        return Mat_Close(mat) == 0 && ok;
    }

    bool WriteCsvAndMat() {
        edf_hdr_struct header;
        if (edfopen_file_readonly(bdf.c_str(), &header, EDFLIB_DO_NOT_READ_ANNOTATIONS) != 0)
            return false;
        std::vector<std::vector<double>> values(kSignals, std::vector<double>(kSamples));
        for (int s = 0; s < kSignals; ++s)
            edfread_physical_samples(header.handle, s, static_cast<int>(kSamples),
                                     values[static_cast<std::size_t>(s)].data());
        edfclose_file(header.handle);
        mat5Ok = WriteMat(mat5, MAT_FT_MAT5, values);
        mat73Ok = WriteMat(mat73, MAT_FT_MAT73, values);
        std::FILE* file = std::fopen(csv.c_str(), "wb");
        if (!file) return false;
        std::string line;
        for (long long i = 0; i < kSamples; ++i) {
            line.clear();
            for (int s = 0; s < kSignals; ++s) {
                if (s) line += ',';
                AppendG(line, values[static_cast<std::size_t>(s)][static_cast<std::size_t>(i)], 10);
            }
            line += "\r\n";
            std::fwrite(line.data(), 1, line.size(), file);
        }
        return std::fclose(file) == 0;
    }
};

const Files& TheFiles() {
    static Files files;
    return files;
}

// With `cold`, every reading gets storage that no earlier reading touched (as the first reading
// of a program does): the storage kept from the previous document is taken out of the way and
// given back to the system, outside the measured time.
void Read(benchmark::State& state, const std::string& path, bool written = true,
          bool cold = false) {
    if (!TheFiles().ok || !written) {
        state.SkipWithError("the recording could not be written");
        return;
    }
    for (auto _ : state) {
        if (cold) {
            state.PauseTiming();
            std::vector<std::vector<double>> kept(kSignals);
            for (std::vector<double>& column : kept)
                ReserveColumn(column, static_cast<std::size_t>(kSamples));
            kept.clear();
            malloc_trim(0);  // freed memory goes back to the system, not to the next reading
            state.ResumeTiming();
        }
        CKaisekiDoc doc;
        doc.OnNewDocument();
        doc.m_dataFilePath = path;
        (void)doc.LoadDataFile(0, nullptr);
        if (doc.m_rowCount != kSamples || doc.m_columns[15].size() != kSamples)
            state.SkipWithError("not every sample arrived");
        benchmark::DoNotOptimize(doc.m_columns[15].data());
    }
    state.SetBytesProcessed(state.iterations() *
                            static_cast<std::int64_t>(std::filesystem::file_size(path)));
    state.counters["samples/s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * kSignals * kSamples, benchmark::Counter::kIsRate);
}

void BM_ReadBdf(benchmark::State& state) {
    Read(state, TheFiles().bdf);
}
void BM_ReadEdf(benchmark::State& state) {
    Read(state, TheFiles().edf);
}
// The GDF file through the program's own GDF decoder.
void BM_ReadGdf(benchmark::State& state) {
    Read(state, TheFiles().gdf, TheFiles().gdfOk);
}
// The same file through BioSig, for comparison. BioSig 2.5.0 reads past the end of its own buffer
// on GDF files of four or more signals written by save2gdf (one sample per record) and may crash:
// the file is first read once in a child process, and the benchmark is skipped when that child
// does not come back whole.
void BM_ReadGdfBiosig(benchmark::State& state) {
    auto readThroughBiosig = [](CKaisekiDoc& doc) {
        std::FILE* file = std::fopen(TheFiles().gdf.c_str(), "rb");
        if (!file) return false;
        ReadOptions options;
        options.maxRows = 0;
        auto read = ReadBiosigRecording(file, TheFiles().gdf, options, nullptr);
        std::fclose(file);
        if (!read || !*read) return false;
        doc.SetRecording(std::move(read->Value()));
        return doc.m_rowCount == kSamples && doc.m_columns[15].size() == kSamples;
    };
    static const int status = [&] {
        if (!TheFiles().gdfOk) return -1;
        const pid_t child = fork();
        if (child < 0) return -1;
        if (child == 0) {
            CKaisekiDoc doc;
            doc.OnNewDocument();
            _exit(readThroughBiosig(doc) ? 0 : 1);
        }
        int result = 0;
        waitpid(child, &result, 0);
        return result;
    }();
    if (status != 0) {
        state.SkipWithError(WIFSIGNALED(status)
                                ? ("BioSig crashed reading the GDF file (signal " +
                                   std::to_string(WTERMSIG(status)) + ")")
                                      .c_str()
                                : "the GDF file was not written or not read whole");
        return;
    }
    for (auto _ : state) {
        CKaisekiDoc doc;
        doc.OnNewDocument();
        if (!readThroughBiosig(doc)) state.SkipWithError("not every sample arrived");
        benchmark::DoNotOptimize(doc.m_columns[15].data());
    }
    state.SetBytesProcessed(state.iterations() *
                            static_cast<std::int64_t>(std::filesystem::file_size(TheFiles().gdf)));
    state.counters["samples/s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * kSignals * kSamples, benchmark::Counter::kIsRate);
}
void BM_ReadMat5(benchmark::State& state) {
    Read(state, TheFiles().mat5, TheFiles().mat5Ok);
}
void BM_ReadMat73(benchmark::State& state) {
    Read(state, TheFiles().mat73, TheFiles().mat73Ok);
}
void BM_ReadCsv(benchmark::State& state) {
    Read(state, TheFiles().csv);
}
void BM_ReadBdfCold(benchmark::State& state) {
    Read(state, TheFiles().bdf, true, true);
}
void BM_ReadCsvCold(benchmark::State& state) {
    Read(state, TheFiles().csv, true, true);
}

}  // namespace

BENCHMARK(BM_ReadBdf)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->MinTime(2.0);
BENCHMARK(BM_ReadEdf)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->MinTime(2.0);
BENCHMARK(BM_ReadGdf)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->MinTime(2.0);
BENCHMARK(BM_ReadMat5)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->MinTime(2.0);
BENCHMARK(BM_ReadMat73)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->MinTime(2.0);
BENCHMARK(BM_ReadCsv)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->MinTime(2.0);
BENCHMARK(BM_ReadBdfCold)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->MinTime(2.0);
BENCHMARK(BM_ReadCsvCold)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->MinTime(2.0);
// Last: a crash of BioSig in the child costs no other row.
BENCHMARK(BM_ReadGdfBiosig)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->MinTime(2.0);

BENCHMARK_MAIN();
