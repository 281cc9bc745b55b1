#include "pipeline/GraphGeometry.h"

#include <algorithm>
#include <cmath>

#include "platform/NumberFormat.h"
#include "platform/Rounding.h"

namespace tavrel {

int AddCoord(long long a, long long b) {
    return SaturateToInt(a + b);
}

GraphFrame MakeGraphFrame(const Rect& plot, int sx, int sy) {
    GraphFrame g;
    g.sx = sx;
    g.sy = sy;
    const long long l = plot.left;
    const long long r = plot.right;
    const long long top1 = plot.top + 20LL * sy;
    const long long bottom1 = plot.bottom - 20LL * sy;
    g.top1 = SaturateToInt(top1);
    g.bottom1 = SaturateToInt(bottom1);
    g.x0 = SaturateToInt(l + 40LL * sx);
    g.xEnd = SaturateToInt(r - 40LL * sx);
    g.width = SaturateToInt(r - l - 80LL * sx);
    // Integer division truncating toward zero, of the saturated ends as the drawing uses them.
    g.ym = SaturateToInt((static_cast<long long>(g.top1) + g.bottom1) / 2);
    return g;
}

long long TimeSpanMs(int rate, long long n) {
    if (rate <= 0) return 0;
    const double ms = 1000.0 / rate * static_cast<double>(n);
    // At most 1000 * 2^31 for any int count and rate >= 1: exact in a 64-bit integer.
    return static_cast<long long>(ms + 0.5);
}

long long TimeTickStep(long long spanMs, int refinements) {
    long long step = 1;
    if (spanMs > 0) {
        const double g = std::log10(static_cast<double>(spanMs));
        const int e = static_cast<int>(g);              // 0 .. 18
        const int f = static_cast<int>((g - e) * 3.0);  // 0, 1 or 2
        step = static_cast<long long>(std::pow(10.0, e));
        if (f == 0) step /= 4;
        if (f == 1) step /= 2;
    } else {
        // log10(0) has no integer part; the span of 0 ms gets the single tick at the start.
        step = 0;
    }
    for (int i = 0; i < refinements; ++i)
        step /= 10;
    return step <= 0 ? 1 : step;
}

TimeTicks ChooseTimeTicks(long long spanMs, int refinements) {
    TimeTicks ticks;
    ticks.step = TimeTickStep(std::max(spanMs, 0LL), std::clamp(refinements, 0, 2));
    ticks.count = std::max(spanMs, 0LL) / ticks.step;
    return ticks;
}

int ZoomRefinements(int zoomX) {
    if (zoomX >= 100) return 2;
    if (zoomX >= 10) return 1;
    return 0;
}

AmplitudeTicks ChooseAmplitudeTicks(double maximum) {
    AmplitudeTicks ticks;
    if (!(maximum > 0.0) || !std::isfinite(maximum)) return ticks;
    const double g = std::log10(maximum);
    const double e = std::floor(g);
    const int f = TruncToInt((g - e) * 3.0);
    const double decade = std::pow(10.0, e);
    double spacing = decade;
    if (f == 0) spacing = 0.5 * decade;
    if (f == 2) spacing = 2.5 * decade;
    // Below about 1e-323 the power of ten underflows to 0; near the largest double 2.5 * 10^e
    // could overflow. Neither leaves a usable spacing.
    if (!(spacing > 0.0) || !std::isfinite(spacing)) return ticks;
    ticks.spacing = spacing;
    // M / P is below 5 by construction; the bound only guards rounding at the extremes.
    ticks.count = std::clamp(TruncToInt(maximum / spacing), 0, 5);
    return ticks;
}

std::string ScaleLabel(int unitFactor, double spacing, const std::string& unit, int timeExponent,
                       const std::string& timeUnit) {
    std::string label = "x";
    AppendG(label, unitFactor * spacing, 2);
    label += "[";
    label += unit;
    label += "]";
    if (timeExponent != 0) {
        label += timeExponent > 0 ? "*" : "/";
        label += "[";
        label += timeUnit;
        label += "]";
        const long long magnitude = std::llabs(static_cast<long long>(timeExponent));
        if (magnitude > 1) label += "^" + std::to_string(magnitude);
    }
    return label;
}

}  // namespace tavrel
