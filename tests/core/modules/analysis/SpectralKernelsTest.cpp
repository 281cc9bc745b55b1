// The spectral figures, the trend, the slope and the bursts against the figures that scipy and
// numpy give for the same signals (spectral_reference.py writes spectral_reference.txt).
#include "modules/analysis/SpectralKernels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

namespace tavrel::spectral {
namespace {

constexpr double kTolerance = 1e-9;

const std::map<std::string, std::vector<double>>& Reference() {
    static const auto table = [] {
        std::map<std::string, std::vector<double>> cases;
        std::ifstream in(std::string(TAVREL_SOURCE_DIR) +
                         "/tests/core/modules/analysis/spectral_reference.txt");
        std::string line;
        while (std::getline(in, line)) {
            // "name: numbers"
            const std::size_t colon = line.find(':');
            if (colon == std::string::npos) continue;
            const std::string name = line.substr(0, colon);
            std::istringstream numbers(line.substr(colon + 1));
            std::vector<double> values;
            for (std::string word; numbers >> word;)
                values.push_back(std::stod(word));
            cases[name] = values;
        }
        return cases;
    }();
    return table;
}

const std::vector<double>& Expected(const std::string& name) {
    const auto it = Reference().find(name);
    EXPECT_NE(it, Reference().end()) << name;
    static const std::vector<double> none;
    return it == Reference().end() ? none : it->second;
}

// The formulas of spectral_reference.py.
std::vector<double> Signal(const std::string& kind, int n, double fs) {
    std::vector<double> y(static_cast<std::size_t>(n));
    const double pi = std::numbers::pi;
    for (int i = 0; i < n; ++i) {
        const double t = i / fs;
        double& v = y[static_cast<std::size_t>(i)];
        if (kind == "tones")
            v = std::sin(2 * pi * 50 * t) + 0.5 * std::sin(2 * pi * 120 * t) + 0.25;
        else if (kind == "chirp")
            v = (1 + 0.1 * t) * std::sin(2 * pi * (200 * t - 15 * t * t));
        else if (kind == "ramp")
            v = 3 + 2 * t + std::sin(2 * pi * 7 * t);
        else if (kind == "constant")
            v = 1.5;
        else if (kind == "bursts")
            v = 0.1 * std::sin(1.3 * i);
    }
    if (kind == "bursts") {
        const int runs[][2] = {{0, 100},     {600, 700},   {720, 800},  {1000, 1030},
                               {1500, 1600}, {1700, 1800}, {2900, 3000}};
        for (const auto& r : runs)
            for (int i = r[0]; i < r[1]; ++i)
                y[static_cast<std::size_t>(i)] = 2 + 0.3 * std::sin(0.7 * i);
    }
    return y;
}

// Each value within kTolerance of the reference, relative to `scale` (or to itself when 0).
void ExpectClose(const std::vector<double>& got, const std::vector<double>& want,
                 const std::string& what, double scale = 0.0) {
    ASSERT_EQ(got.size(), want.size()) << what;
    for (std::size_t k = 0; k < got.size(); ++k) {
        const double s = scale > 0.0 ? scale : std::max(std::fabs(want[k]), 1e-300);
        EXPECT_LE(std::fabs(got[k] - want[k]), kTolerance * s) << what << " [" << k << "]";
    }
}

TEST(SpectralKernels, WelchAndFiguresMatchScipy) {
    struct Case {
        const char* kind;
        int n;
    };
    for (const Case c : {Case{"tones", 3000}, Case{"tones", 700}, Case{"tones", 8},
                         Case{"chirp", 4000}, Case{"constant", 100}}) {
        const std::string key = std::string(c.kind) + " " + std::to_string(c.n) + " 1000";
        const std::vector<double> y = Signal(c.kind, c.n, 1000);
        const int length = std::min(c.n, kTableSegment);
        const std::vector<double> p = WelchDensity(y, 1000, length);
        const std::vector<double>& want = Expected("welch " + key);
        // Bins that hold only rounding noise are compared against the spectrum's peak.
        double peak = 0.0;
        for (double v : want)
            peak = std::max(peak, v);
        ExpectClose(p, want, "welch " + key, peak > 0.0 ? peak : 1.0);
        const auto figures = SignalFigures(y, 1000);
        ASSERT_TRUE(figures.has_value()) << key;
        ExpectClose({figures->meanHz, figures->medianHz}, Expected("figures " + key),
                    "figures " + key, key.starts_with("constant") ? 1.0 : 0.0);
    }
    EXPECT_FALSE(SignalFigures(Signal("tones", 7, 1000), 1000).has_value());
}

TEST(SpectralKernels, SlopeMatchesLeastSquares) {
    ExpectClose({*SlopePerSecond(Signal("ramp", 2500, 500), 500)}, Expected("slope ramp 2500 500"),
                "ramp");
    ExpectClose({*SlopePerSecond(Signal("tones", 2, 1000), 1000)}, Expected("slope tones 2 1000"),
                "two samples");
    EXPECT_FALSE(SlopePerSecond(Signal("tones", 1, 1000), 1000).has_value());
    EXPECT_EQ(*SlopePerSecond(Signal("constant", 100, 1000), 1000), 0.0);
}

TEST(SpectralKernels, TrendOfFallingChirpMatchesPeriodograms) {
    const int cases[][3] = {{500, 250, 1000}, {256, 100, 1000}, {300, 125, 2000}};
    for (const auto& c : cases) {
        const std::vector<double> y = Signal("chirp", 4 * c[2], c[2]);
        for (int mean = 0; mean <= 1; ++mean) {
            const std::string key = "trend " + std::to_string(c[0]) + " " + std::to_string(c[1]) +
                                    " " + std::to_string(c[2]) + " " + std::to_string(mean);
            ExpectClose(FrequencyTrend(y, c[2], c[0], c[1], static_cast<TrendMeasure>(mean)),
                        Expected(key), key);
        }
    }
    // A window below 8 samples, or longer than the data, gives no values.
    EXPECT_TRUE(
        FrequencyTrend(Signal("chirp", 4000, 1000), 1000, 7, 1, TrendMeasure::Mean).empty());
    EXPECT_TRUE(
        FrequencyTrend(Signal("chirp", 400, 1000), 1000, 500, 1, TrendMeasure::Mean).empty());
}

std::vector<double> Flatten(const std::vector<Burst>& bursts) {
    std::vector<double> out;
    for (const Burst& b : bursts)
        out.insert(out.end(),
                   {b.onsetMs, b.offsetMs, b.durationMs, b.peak, b.mean, b.rms, b.integral});
    return out;
}

TEST(SpectralKernels, BurstsMatchNumpy) {
    const std::vector<double> y = Signal("bursts", 3000, 1000);
    // Merged gaps and a dropped short run, then with a shorter gap allowed; a baseline without
    // samples; a threshold equal to the baseline's only sample.
    const double cases[][5] = {
        {200, 500, 3, 50, 50}, {300, 500, 3, 50, 10}, {5000, 6000, 3, 50, 50}, {0, 0, 0, 0, 0}};
    for (const auto& c : cases) {
        const BurstSettings s{c[0], c[1], c[2], c[3], c[4]};
        std::string key = "bursts";
        for (double v : c)
            key += " " + std::to_string(static_cast<int>(v));
        ExpectClose(Flatten(FindBursts(y, 1000, s)), Expected(key), key);
    }
    const std::vector<Burst> bursts = FindBursts(y, 1000, {200, 500, 3, 50, 50});
    ASSERT_FALSE(bursts.empty());
    EXPECT_EQ(bursts.front().first, 0);   // touches the start
    EXPECT_EQ(bursts.back().last, 2999);  // touches the end
    EXPECT_TRUE(FindBursts(Signal("constant", 100, 1000), 1000, {}).empty());
    EXPECT_TRUE(Expected("bursts constant").empty());
}

}  // namespace
}  // namespace tavrel::spectral
