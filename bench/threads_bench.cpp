// The work spread over threads beside the same work on one thread, on the long recording of the
// program's table (16 channels x 1,000,000 rows, every chain a band-pass, a rectifier and a
// moving average of N = 100): reading the CSV file, the absolute display's measuring pass, the
// chains computed before a first paint, and `tavrel-cli export` of the recording through those
// chains and through head-only chains. The second argument of each benchmark is the thread count.
// Wall time (the figure threads shorten); the machine's other work counts in it, and the processor
// time shown is the calling thread's only (the command-line runs: none, they are other processes).
//
//   threads_bench [--benchmark_filter=...]      tavrel-cli is looked for beside the program or
//                                               named by TAVREL_CLI; the files are made in a new
//                                               folder in /tmp or in TAVREL_BENCH_DIR.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "document/KaisekiDoc.h"
#include "document/ParallelChannels.h"
#include "modules/filters/SmothFilter.h"
#include "pipeline/ModuleRegistry.h"
#include "platform/WorkerPool.h"

using namespace tavrel;

namespace {

constexpr int kRows = 1000000;

std::filesystem::path WorkDir() {
    static const std::filesystem::path dir = [] {
        // TAVREL_BENCH_DIR names a folder to use instead (bench/export_against_build.sh).
        if (const char* named = std::getenv("TAVREL_BENCH_DIR")) return std::filesystem::path(named);
        auto path = std::filesystem::temp_directory_path() /
                    ("tavrel_threads_bench_" + std::to_string(::getpid()));
        std::filesystem::create_directories(path);
        return path;
    }();
    return dir;
}

// The data file: 16 columns of 1,000,000 rows, values with six to eight significant digits.
const std::string& DataFile() {
    static const std::string path = [] {
        const std::string file = (WorkDir() / "long.csv").string();
        std::FILE* out = std::fopen(file.c_str(), "wb");
        char line[512];
        for (int r = 0; r < kRows; ++r) {
            int at = 0;
            for (int c = 0; c < 16; ++c)
                at += std::snprintf(line + at, sizeof line - static_cast<std::size_t>(at),
                                    c ? ",%.6g" : "%.6g",
                                    std::sin(r * 0.001 * (c + 1)) * 1000.0 + (r % 97) * 0.01);
            line[at++] = '\r';
            line[at++] = '\n';
            std::fwrite(line, 1, static_cast<std::size_t>(at), out);
        }
        std::fclose(out);
        return file;
    }();
    return path;
}

void SetUpChains(CKaisekiDoc& doc, bool filtered) {
    doc.OnNewDocument();
    doc.m_dataFilePath = DataFile();
    doc.m_rowLimit = 0;
    for (int k = 0; k < CKaisekiDoc::kChannels; ++k) {
        doc.m_channelEnabled[static_cast<std::size_t>(k)] = 1;
        if (!filtered) continue;
        CModBase::AppendModule(doc.Head(k), CreateModule("CBPFilter").release());
        CModBase::AppendModule(doc.Head(k), CreateModule("CDiodeFilter").release());
        auto average = CreateModule("CSmothFilter");
        static_cast<CSmothFilter*>(average.get())->m_points = 100;
        CModBase::AppendModule(doc.Head(k), average.release());
    }
}

// A document with the recording read and the chains set up.
CKaisekiDoc& LoadedDocument() {
    static CKaisekiDoc doc;
    static const bool loaded = [] {
        SetUpChains(doc, true);
        return static_cast<bool>(doc.LoadDataFile(0, nullptr));
    }();
    if (!loaded) std::abort();
    return doc;
}

void ForgetOutputs(CKaisekiDoc& doc) {
    for (int k = 0; k < CKaisekiDoc::kChannels; ++k)
        doc.Head(k)->ClearBuffers();
}

void BM_ReadCsv(benchmark::State& state) {
    SetThreadSetting(static_cast<int>(state.range(0)));
    CKaisekiDoc doc;
    SetUpChains(doc, false);
    // One reading before the timed ones, so that every thread count starts with the storage the
    // program keeps from one reading to the next.
    if (!doc.LoadDataFile(0, nullptr)) state.SkipWithError("reading failed");
    for (auto _ : state) {
        if (!doc.LoadDataFile(0, nullptr)) state.SkipWithError("reading failed");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(std::filesystem::file_size(DataFile())));
}

void BM_MeasuringPass(benchmark::State& state) {
    SetThreadSetting(static_cast<int>(state.range(0)));
    CKaisekiDoc& doc = LoadedDocument();
    doc.m_display.m_absoluteScale = 1;
    // One pass before the timed ones, so that every thread count starts with the storage the
    // program keeps from one computing to the next.
    ForgetOutputs(doc);
    doc.MeasureCommonMax();
    for (auto _ : state) {
        state.PauseTiming();
        ForgetOutputs(doc);
        state.ResumeTiming();
        doc.MeasureCommonMax();
    }
    doc.m_display.m_absoluteScale = 0;
}

// What the first paint computes before it draws: the chains of the visible bands (all sixteen
// here; the window shows about five).
void BM_FirstPaintChains(benchmark::State& state) {
    SetThreadSetting(static_cast<int>(state.range(0)));
    CKaisekiDoc& doc = LoadedDocument();
    ForgetOutputs(doc);
    for (int k = 0; k < CKaisekiDoc::kChannels; ++k)  // untimed, as in BM_MeasuringPass
        doc.Head(k)->ChainComputeOutput();
    for (auto _ : state) {
        state.PauseTiming();
        ForgetOutputs(doc);
        state.ResumeTiming();
        // On one thread each band's drawing computes its chain; the same work, one by one.
        if (ThreadCount() < 2) {
            for (int k = 0; k < CKaisekiDoc::kChannels; ++k)
                doc.Head(k)->ChainComputeOutput();
        } else {
            ComputeAllChannelOutputs(doc);
        }
    }
}

// The export's lines of the loaded recording's chain outputs, formatted and handed to a sink
// that only counts them (the writing into the file left out).
void BM_FormatExport(benchmark::State& state) {
    SetThreadSetting(static_cast<int>(state.range(0)));
    CKaisekiDoc& doc = LoadedDocument();
    // The chains' outputs used where they are: nothing computes them again during the loop.
    const std::array<ChannelExport, CKaisekiDoc::kChannels> channels = GatherChannelData(doc, Gathering::View);
    std::size_t bytes = 0;
    for (auto _ : state) {
        WriteExport(channels, ExportSettings{}, [&bytes](std::string_view piece) {
            bytes += piece.size();
            return true;
        });
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}

std::string Cli() {
    if (const char* named = std::getenv("TAVREL_CLI")) return named;
    return (std::filesystem::canonical("/proc/self/exe").parent_path() / "tavrel-cli").string();
}

// tavrel-cli export of the recording, as one process per pass.
void CliExport(benchmark::State& state, bool filtered) {
    CKaisekiDoc doc;
    SetUpChains(doc, filtered);
    const std::string document = (WorkDir() / (filtered ? "chains.kcd" : "heads.kcd")).string();
    if (!doc.SaveDocumentFile(document)) {
        state.SkipWithError("document not written");
        return;
    }
    const std::filesystem::path out = WorkDir() / "out.csv";
    const std::string command = Cli() + " export " + document + " -o " + out.string() +
                                " --max-rows 0 --jobs " + std::to_string(state.range(0));
    // One run before the timed ones: the data file in the system's cache for every thread count.
    if (std::system(command.c_str()) != 0) state.SkipWithError("tavrel-cli failed");
    for (auto _ : state) {
        // Each pass writes a new file: replacing the last pass's would add the file system's
        // removal of the old file (bench/export_threads.sh times both).
        state.PauseTiming();
        std::filesystem::remove(out);
        state.ResumeTiming();
        if (std::system(command.c_str()) != 0) state.SkipWithError("tavrel-cli failed");
    }
}

void BM_CliExportChains(benchmark::State& state) {
    CliExport(state, true);
}
void BM_CliExportHeadOnly(benchmark::State& state) {
    CliExport(state, false);
}

}  // namespace

BENCHMARK(BM_ReadCsv)->Arg(1)->Arg(2)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MeasuringPass)
    ->Arg(1)
    ->Arg(2)
    ->Iterations(3)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstPaintChains)
    ->Arg(1)
    ->Arg(2)
    ->Iterations(3)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FormatExport)
    ->Arg(1)
    ->Arg(2)
    ->Iterations(3)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CliExportChains)
    ->Arg(1)
    ->Arg(2)
    ->Iterations(3)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CliExportHeadOnly)
    ->Arg(1)
    ->Arg(2)
    ->Iterations(3)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
