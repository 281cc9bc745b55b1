// Painting throughput of the common module graph through the QPainter surface into an image on
// the offscreen platform: a 1,000,000-sample output in a plot 770 pixels wide, once whole and
// once through a 100-pixel clipping box (the painter clipped as a paint event clips it). The
// strip must cost about 100/770 of the whole.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <cstdlib>

#include "gui/platform/QPainterSurface.h"
#include "pipeline/ModBase.h"

namespace {

using tavrel::CModBase;
using tavrel::qt::QPainterSurface;

constexpr int kSamples = 1000000;
constexpr tavrel::Rect kPlot{0, 0, 850, 160};  // data width 770

void Fill(CModBase& m, int n) {
    m.m_output = tavrel::AllocSamples(n);
    m.m_outputCount = n;
    for (int i = 0; i < n; ++i) {
        m.m_output[i] = 2.0 * std::sin(2.0 * M_PI * 50.0 * i / 2000.0) +
                        0.3 * std::sin(2.0 * M_PI * 731.0 * i / 2000.0);
    }
}

void Paint(benchmark::State& state, const QRect& clip, int visited) {
    CModBase m;
    Fill(m, kSamples);
    QImage image(850, 160, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        if (!clip.isEmpty()) painter.setClipRect(clip);
        QPainterSurface surface(painter);
        m.DrawGraph(&surface, kPlot, DisplayOf(m), nullptr);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<long long>(visited));
}

void BM_PaintWhole(benchmark::State& state) {
    Paint(state, {}, kSamples);
}
BENCHMARK(BM_PaintWhole)->Unit(benchmark::kMicrosecond);

void BM_PaintStrip100(benchmark::State& state) {
    Paint(state, QRect(400, 0, 100, 160), static_cast<int>(kSamples * 110.0 / 770.0));
}
BENCHMARK(BM_PaintStrip100)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
