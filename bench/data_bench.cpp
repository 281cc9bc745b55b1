// Throughput of the data file's reading and of the processed-data export, in MB/s and rows or
// values per second:
//   - reading a 16-column file of 8192 rows (the program's cap) and of 1,000,000 rows (cap
//     lifted) with LoadDataFile, a fresh document each time, as when a document is opened;
//   - beside it the raw bandwidth of the same file (read in 1 MiB chunks, lines counted with
//     memchr), the physical limit of any reader;
//   - writing the export of 16 x 1,000,000 values ("%0.10G", CR LF) into a file, and the same
//     bytes written with snprintf as the C-runtime reference;
//   - as baselines, timed by the system Python in the same run: pandas.read_csv on the same files
//     and numpy.savetxt(fmt="%.10G") of the same values.
// All times are processor time of the process (Python: time.process_time, best of its passes), so
// that other work on a shared machine does not tilt the comparison.
//
// The baselines need /usr/bin/python3 with pandas and numpy (Debian: python3-pandas); without them
// those benchmarks report an error and the others run as usual.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "PythonTiming.h"
#include "document/ExportWriter.h"
#include "document/KaisekiDoc.h"

namespace {

using namespace tavrel;

constexpr int kChannels = 16;
constexpr std::size_t kExportValues = 1000000;

// A private folder for the files of this run, removed when the program ends.
struct BenchDir {
    std::filesystem::path path = std::filesystem::temp_directory_path() /
                                 ("tavrel-data-bench-" + std::to_string(::getpid()));
    BenchDir() { std::filesystem::create_directories(path); }
    ~BenchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

BenchDir& Dir() {
    static BenchDir dir;
    return dir;
}

// Sixteen channels of n values like recorded voltages (a few volts, ten significant digits), the
// same on every call.
const std::vector<ChannelExport>& Values(std::size_t n) {
    static std::map<std::size_t, std::vector<ChannelExport>> cache;
    auto& channels = cache[n];
    if (channels.empty()) {
        channels.resize(kChannels);
        std::mt19937_64 random(42);
        std::normal_distribution<double> noise(0.0, 2.5);
        for (auto& c : channels) {
            c.label = "[mV]";
            c.values.resize(n);
            c.times.resize(n);
            for (std::size_t i = 0; i < n; ++i) {
                c.values[i] = noise(random);
                c.times[i] = 0.5 * static_cast<double>(i);
            }
        }
    }
    return channels;
}

// The data file of n rows: the export of n values per channel without header (about 13 bytes a
// value), written once.
const std::string& DataFile(std::size_t rows) {
    static std::map<std::size_t, std::string> files;
    std::string& path = files[rows];
    if (path.empty()) {
        path = (Dir().path / ("rows" + std::to_string(rows) + ".csv")).string();
        ExportSettings settings;
        settings.m_header = 0;
        std::ofstream out(path, std::ios::binary);
        WriteExport(Values(rows), settings, [&out](std::string_view bytes) {
            out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            return static_cast<bool>(out);
        });
    }
    return path;
}

std::int64_t FileSize(const std::string& path) {
    return static_cast<std::int64_t>(std::filesystem::file_size(path));
}

void ReportRead(benchmark::State& state, std::int64_t bytes, std::int64_t rows) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * bytes);
    state.counters["rows/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * static_cast<double>(rows),
                           benchmark::Counter::kIsRate);
}

void ReportWrite(benchmark::State& state, std::int64_t bytes) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * bytes);
    state.counters["values/s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * kChannels * static_cast<double>(kExportValues),
        benchmark::Counter::kIsRate);
}

// How many passes the pandas reading is timed over (its figure is the best of them).
int PandasPasses(std::int64_t rows) {
    return rows > 100000 ? 2 : 10;
}

void BM_RawRead(benchmark::State& state) {
    const std::string& path = DataFile(static_cast<std::size_t>(state.range(0)));
    std::unique_ptr<char[]> chunk(new char[1 << 20]);
    for (auto _ : state) {
        std::FILE* file = std::fopen(path.c_str(), "rb");
        std::size_t lines = 0;
        std::size_t got;
        while ((got = std::fread(chunk.get(), 1, 1 << 20, file)) > 0) {
            const char* p = chunk.get();
            const char* end = p + got;
            while ((p = static_cast<const char*>(std::memchr(p, '\n', end - p)))) {
                ++lines;
                ++p;
            }
        }
        std::fclose(file);
        benchmark::DoNotOptimize(lines);
    }
    ReportRead(state, FileSize(path), state.range(0));
}

// Opens the data file of `rows` rows into a fresh document, as when a document is opened: the
// program's own reading (its cap of 8192 rows) for the file within the cap, the cap lifted (as
// the command-line tool offers) for the long file. False if the rows did not all arrive.
bool LoadOnce(const std::string& path, std::int64_t rows) {
    const int cap = rows <= CKaisekiDoc::kMaxRows ? CKaisekiDoc::kMaxRows : 0;
    CKaisekiDoc doc;
    doc.OnNewDocument();
    doc.m_dataFilePath = path;
    (void)doc.LoadDataFile(cap, nullptr);
    benchmark::DoNotOptimize(doc.m_columns[15].data());
    return doc.m_rowCount == rows;
}

void BM_LoadDataFile(benchmark::State& state) {
    const std::string& path = DataFile(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        if (!LoadOnce(path, state.range(0))) state.SkipWithError("wrong row count");
    }
    ReportRead(state, FileSize(path), state.range(0));
}

double ProcessSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

// The same reading timed exactly as the pandas figure beside it: the best of as many passes
// (processor time of each), so that both sides of the ratio are the same statistic.
void BM_LoadDataFileBestPass(benchmark::State& state) {
    const std::string& path = DataFile(static_cast<std::size_t>(state.range(0)));
    const int passes = PandasPasses(state.range(0));
    for (auto _ : state) {
        double best = 1e9;
        for (int pass = 0; pass < passes; ++pass) {
            const double start = ProcessSeconds();
            if (!LoadOnce(path, state.range(0))) state.SkipWithError("wrong row count");
            best = std::min(best, ProcessSeconds() - start);
        }
        state.SetIterationTime(best);
    }
    ReportRead(state, FileSize(path), state.range(0));
}

void BM_WriteExport(benchmark::State& state) {
    const auto& channels = Values(kExportValues);
    const std::string path = (Dir().path / "export.csv").string();
    ExportSettings settings;  // header line, no number column
    for (auto _ : state) {
        std::FILE* file = std::fopen(path.c_str(), "wb");
        WriteExport(channels, settings, [file](std::string_view bytes) {
            return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
        });
        std::fclose(file);
    }
    ReportWrite(state, FileSize(path));
}

// The same bytes through snprintf("%.10G") with the exponent widened, as a C-runtime reference.
void BM_WriteSnprintf(benchmark::State& state) {
    const auto& channels = Values(kExportValues);
    const std::string path = (Dir().path / "export-snprintf.csv").string();
    for (auto _ : state) {
        std::FILE* file = std::fopen(path.c_str(), "wb");
        std::string out;
        char text[40];
        for (std::size_t i = 0; i < kExportValues; ++i) {
            for (int d = 0; d < kChannels; ++d) {
                if (d > 0) out += ',';
                int n = std::snprintf(text, sizeof text, "%.10G", channels[d].values[i]);
                const char* e = static_cast<const char*>(std::memchr(text, 'E', n));
                if (e && text + n - e == 4) {
                    out.append(text, e + 2 - text);
                    out += '0';
                    out.append(e + 2, text + n - (e + 2));
                } else {
                    out.append(text, n);
                }
            }
            out += "\r\n";
            if (out.size() > (1 << 20)) {
                std::fwrite(out.data(), 1, out.size(), file);
                out.clear();
            }
        }
        std::fwrite(out.data(), 1, out.size(), file);
        std::fclose(file);
    }
    ReportWrite(state, FileSize(path));
}

// Runs a Python snippet with the folder as its argument; the number it prints (seconds), or 0.
double RunPython(const std::string& script) {
    const std::filesystem::path file = Dir().path / "run.py";
    {
        std::ofstream py(file);
        py << script;
    }
    return bench::RunPythonTiming(file, Dir().path.string());
}

void ReportPython(benchmark::State& state, double seconds, const char* what) {
    if (seconds <= 0.0) {
        state.SkipWithError(what);
        for (auto _ : state) {
        }
        return;
    }
    for (auto _ : state)
        state.SetIterationTime(seconds);
}

void BM_PandasReadCsv(benchmark::State& state) {
    const std::string& path = DataFile(static_cast<std::size_t>(state.range(0)));
    const int passes = PandasPasses(state.range(0));
    const double seconds = RunPython(
        "import sys, time, pandas as pd\n"
        "best = 1e9\n"
        "for _ in range(" +
        std::to_string(passes) +
        "):\n"
        "    t = time.process_time()\n"
        "    frame = pd.read_csv('" +
        path +
        "', header=None)\n"
        "    best = min(best, time.process_time() - t)\n"
        "assert frame.shape == (" +
        std::to_string(state.range(0)) +
        ", 16)\n"
        "print(repr(best))\n");
    ReportPython(state, seconds, "python3 with pandas not available");
    ReportRead(state, FileSize(path), state.range(0));
}

void BM_NumpySavetxt(benchmark::State& state) {
    // The same values, handed to numpy as binary so that only the writing is timed.
    const auto& channels = Values(kExportValues);
    const std::filesystem::path raw = Dir().path / "values.f64";
    {
        std::ofstream out(raw, std::ios::binary);
        for (const auto& c : channels)
            out.write(reinterpret_cast<const char*>(c.values.data()),
                      static_cast<std::streamsize>(c.values.size() * sizeof(double)));
    }
    const std::string path = (Dir().path / "export-numpy.csv").string();
    const double seconds = RunPython(
        "import sys, time, numpy as np\n"
        "x = np.fromfile('" +
        raw.string() +
        "').reshape(16, -1).T.copy()\n"
        "t = time.process_time()\n"
        "np.savetxt('" +
        path +
        "', x, fmt='%.10G', delimiter=',', newline='\\r\\n')\n"
        "print(repr(time.process_time() - t))\n");
    ReportPython(state, seconds, "python3 with numpy not available");
    if (seconds > 0.0) ReportWrite(state, FileSize(path));
}

}  // namespace

BENCHMARK(BM_RawRead)
    ->Arg(8192)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();
BENCHMARK(BM_LoadDataFile)
    ->Arg(8192)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();
BENCHMARK(BM_LoadDataFileBestPass)
    ->Arg(8192)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1);
BENCHMARK(BM_PandasReadCsv)
    ->Arg(8192)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1);
BENCHMARK(BM_WriteExport)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_WriteSnprintf)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_NumpySavetxt)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

BENCHMARK_MAIN();
