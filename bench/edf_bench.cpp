// Reading a recording against reading the same data as comma-separated text: 16 signals x
// 1,000,000 samples written once as a 24-bit BDF+ file by EDFlib's writer (2000 samples per
// one-second record) and once as a CSV file of the physical values EDFlib reads back from it
// (ten significant digits, the precision of the program's own export). Each benchmark reads the
// whole file into a fresh document with the row cap lifted, as `tavrel-cli --max-rows 0` does.
#include <benchmark/benchmark.h>
#include <edflib.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <numbers>
#include <string>
#include <vector>

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
    std::string bdf;
    std::string csv;
    bool ok = false;

    Files() {
        dir = std::filesystem::temp_directory_path() /
              ("tavrel-edf-bench-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir);
        bdf = (dir / "recording.bdf").string();
        csv = (dir / "recording.csv").string();
        ok = WriteBdf() && WriteCsv();
    }
    ~Files() {
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }

    bool WriteBdf() const {
        const int handle = edfopen_file_writeonly(bdf.c_str(), EDFLIB_FILETYPE_BDFPLUS, kSignals);
        if (handle < 0) return false;
        for (int s = 0; s < kSignals; ++s) {
            edf_set_samplefrequency(handle, s, kPerRecord);
            edf_set_physical_maximum(handle, s, 5000.0);
            edf_set_physical_minimum(handle, s, -5000.0);
            edf_set_digital_maximum(handle, s, 8388607);
            edf_set_digital_minimum(handle, s, -8388608);
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

    bool WriteCsv() const {
        edf_hdr_struct header;
        if (edfopen_file_readonly(bdf.c_str(), &header, EDFLIB_DO_NOT_READ_ANNOTATIONS) != 0)
            return false;
        std::vector<std::vector<double>> values(kSignals, std::vector<double>(kSamples));
        for (int s = 0; s < kSignals; ++s)
            edfread_physical_samples(header.handle, s, static_cast<int>(kSamples),
                                     values[static_cast<std::size_t>(s)].data());
        edfclose_file(header.handle);
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

void Read(benchmark::State& state, const std::string& path) {
    if (!TheFiles().ok) {
        state.SkipWithError("the recording could not be written");
        return;
    }
    for (auto _ : state) {
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
void BM_ReadCsv(benchmark::State& state) {
    Read(state, TheFiles().csv);
}

}  // namespace

BENCHMARK(BM_ReadBdf)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->MinTime(2.0);
BENCHMARK(BM_ReadCsv)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->MinTime(2.0);

BENCHMARK_MAIN();
