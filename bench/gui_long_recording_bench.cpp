// A long recording in the program: sixteen channels read whole (no row limit), every chain a
// band-pass, a rectifier and a moving average over 100 points, at 8192 and at 1,000,000 rows.
// Times the reading of the file, the first paint of the window (the chains of the visible bands
// computed), the measuring pass of absolute display (all sixteen chains computed), the strip a
// line scroll uncovers, a magnifier paint and a module dialog's Apply (its chain computed again
// and drawn); the last three are what a user waits for while working, so they must fit in a
// frame at 60 Hz (16.7 ms). The peak resident memory is reported against the loaded samples.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

#include "document/KaisekiDoc.h"
#include "gui/display/KaisekiView.h"
#include "gui/display/MagView.h"
#include "gui/document/ProgressDlg.h"
#include "gui/platform/QPainterSurface.h"
#include "modules/filters/SmothFilter.h"
#include "pipeline/HeadFilter.h"
#include "pipeline/ModuleRegistry.h"

namespace {

using tavrel::CKaisekiDoc;
using tavrel::qt::CKaisekiView;

constexpr int kWidth = 770;
constexpr int kHeight = 600;

// The recording as a data file: a time column and sixteen EMG-like channels.
std::string DataFile(int rows) {
    static std::map<int, std::string> written;
    auto found = written.find(rows);
    if (found != written.end()) return found->second;
    const std::string path =
        QDir::tempPath().toStdString() + "/tavrel-long-" + std::to_string(rows) + ".csv";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    for (int i = 0; i < rows; ++i) {
        std::fprintf(file, "%d", i);
        for (int k = 0; k < CKaisekiDoc::kChannels; ++k) {
            const double burst = (i / 2000) % 3 == 0 ? 1.0 : 0.1;
            std::fprintf(file, ",%.4f",
                         burst * (k + 1) * std::sin(0.157 * i + k) + 0.05 * std::sin(0.003 * i));
        }
        std::fputs("\r\n", file);
    }
    std::fclose(file);
    written[rows] = path;
    return path;
}

// A document with the file read whole and the chains set up.
std::unique_ptr<CKaisekiDoc> LoadRecording(int rows) {
    auto doc = std::make_unique<CKaisekiDoc>();
    doc->OnNewDocument();
    doc->m_rowLimit = 0;
    doc->m_skipColumns = 1;
    doc->m_dataFilePath = DataFile(rows);
    // Read as the program reads it: the progress window stepped line by line.
    const std::unique_ptr<tavrel::Progress> progress = tavrel::qt::CreateProgressWindow(nullptr);
    (void)doc->LoadDataFile(doc->m_rowLimit, progress.get());
    for (int k = 0; k < CKaisekiDoc::kChannels; ++k) {
        doc->m_channelEnabled[static_cast<std::size_t>(k)] = 1;
        tavrel::CModBase* head = doc->Head(k);
        for (const char* name : {"CBPFilter", "CDiodeFilter", "CSmothFilter"}) {
            std::unique_ptr<tavrel::CModBase> module = tavrel::CreateModule(name);
            if (auto* average = dynamic_cast<tavrel::CSmothFilter*>(module.get()))
                average->m_points = 100;
            tavrel::CModBase::AppendModule(head, module.release());
        }
    }
    return doc;
}

void ClearChains(CKaisekiDoc& doc) {
    for (int k = 0; k < CKaisekiDoc::kChannels; ++k)
        doc.Head(k)->ClearBuffers();
}

// Paints the part `strip` of the window with the view scrolled to `scroll`.
void Paint(CKaisekiView& view, QImage& image, QRect strip, QPoint scroll) {
    QPainter painter(&image);
    painter.setClipRect(strip);
    painter.translate(-scroll);
    const QRect area = strip.translated(scroll);
    tavrel::qt::QPainterSurface surface(painter, area);
    view.OnDraw(surface,
                {area.left(), area.top(), area.left() + area.width(), area.top() + area.height()});
}

struct Window {
    std::unique_ptr<CKaisekiDoc> doc;
    std::unique_ptr<CKaisekiView> view;
    QImage image{kWidth, kHeight, QImage::Format_ARGB32_Premultiplied};

    Window(int rows, bool absolute) : doc(LoadRecording(rows)) {
        doc->m_display.m_absoluteScale = absolute ? 1 : 0;
        view = std::make_unique<CKaisekiView>(doc.get());
        view->resize(kWidth + 20, kHeight + 20);
        view->SetZoom(1, 1);
    }
};

void BM_ReadWholeFile(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    DataFile(rows);
    for (auto _ : state)
        benchmark::DoNotOptimize(LoadRecording(rows));
    state.SetItemsProcessed(state.iterations() * rows * CKaisekiDoc::kChannels);
}

// The window painted with every chain still to compute (after reading or a change of chains).
void BM_FirstPaint(benchmark::State& state) {
    Window w(static_cast<int>(state.range(0)), false);
    for (auto _ : state) {
        ClearChains(*w.doc);
        Paint(*w.view, w.image, QRect(0, 0, kWidth, kHeight), QPoint(0, 0));
    }
}

// Absolute display: the first paint measures all sixteen chains for the common maximum.
void BM_AbsoluteMeasuringPass(benchmark::State& state) {
    Window w(static_cast<int>(state.range(0)), true);
    for (auto _ : state) {
        ClearChains(*w.doc);
        Paint(*w.view, w.image, QRect(0, 0, kWidth, kHeight), QPoint(0, 0));
    }
}

// A line scroll: the 25-pixel strip it uncovers, the chains computed already.
void BM_ScrollStrip(benchmark::State& state) {
    Window w(static_cast<int>(state.range(0)), true);
    Paint(*w.view, w.image, QRect(0, 0, kWidth, kHeight), QPoint(0, 0));
    for (auto _ : state)
        Paint(*w.view, w.image, QRect(0, kHeight - 25, kWidth, 25), QPoint(0, 0));
}

// The magnifier over a dragged range of a tenth of the recording, painted once per drag step.
void BM_MagnifierPaint(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    Window w(rows, false);
    tavrel::qt::CMagView magnifier(w.doc.get());
    magnifier.resize(600, 250);
    QImage image(600, 250, QImage::Format_ARGB32_Premultiplied);
    int step = 0;
    for (auto _ : state) {
        step = (step + 1) % 100;
        magnifier.m_firstSample = rows / 100 * step / 2;
        magnifier.m_lastSample = magnifier.m_firstSample + rows / 10;
        QPainter painter(&image);
        tavrel::qt::QPainterSurface surface(painter, QRect(0, 0, 600, 250));
        magnifier.OnDraw(surface);
    }
}

// A module dialog's Apply: the moving average of channel 1 changed, its chain computed again and
// its band drawn.
void BM_ModuleDialogApply(benchmark::State& state) {
    Window w(static_cast<int>(state.range(0)), false);
    Paint(*w.view, w.image, QRect(0, 0, kWidth, kHeight), QPoint(0, 0));
    tavrel::CModBase* last = w.doc->Head(0);
    while (last->m_next)
        last = last->m_next;
    auto* average = dynamic_cast<tavrel::CSmothFilter*>(last);
    int points = 100;
    for (auto _ : state) {
        points = points == 100 ? 101 : 100;
        average->m_points = points;
        w.doc->Head(0)->ClearBuffers();
        Paint(*w.view, w.image, QRect(0, 0, kWidth, 120), QPoint(0, 0));
    }
}

// Peak resident memory after reading and computing every chain, against the loaded samples.
double ResidentMiB() {
    long pages = 0, resident = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(statm);
    }
    return resident * 4096.0 / (1 << 20);
}

void BM_PeakMemory(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    DataFile(rows);
    state.counters["before_MiB"] = ResidentMiB();
    for (auto _ : state) {
        Window w(rows, true);
        state.counters["loaded_MiB"] = ResidentMiB();
        Paint(*w.view, w.image, QRect(0, 0, kWidth, kHeight), QPoint(0, 0));
        state.counters["painted_MiB"] = ResidentMiB();
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double loaded = 8.0 * rows * CKaisekiDoc::kChannels;
    state.counters["peak_MiB"] = usage.ru_maxrss / 1024.0;
    state.counters["peak_per_loaded"] = usage.ru_maxrss * 1024.0 / loaded;
}

#define TAVREL_LONG(bm, iterations) \
    BENCHMARK(bm)->Arg(8192)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(iterations)

// The peak comes first, while nothing else has been held in this process yet.
BENCHMARK(BM_PeakMemory)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(1);
TAVREL_LONG(BM_ReadWholeFile, 3);
TAVREL_LONG(BM_FirstPaint, 3);
TAVREL_LONG(BM_AbsoluteMeasuringPass, 3);
TAVREL_LONG(BM_ScrollStrip, 50);
TAVREL_LONG(BM_MagnifierPaint, 50);
TAVREL_LONG(BM_ModuleDialogApply, 5);

}  // namespace
