// Helpers for module tests: hand a module an input array as upstream would, and read its output.
#pragma once

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "pipeline/ModBase.h"

namespace tavrel::test {

// Gives the module an input as the pull step does (the array and the inherited count and rate),
// dropping any output it held.
inline void Feed(CModBase& module, const std::vector<double>& x, int rate) {
    module.m_input = AllocSamples(static_cast<long long>(x.size()));
    std::copy(x.begin(), x.end(), module.m_input.get());
    module.m_inputCount = static_cast<int>(x.size());
    module.m_samplingRate = rate;
    module.m_output.reset();
}

inline std::vector<double> Output(const CModBase& module) {
    if (!module.m_output) return {};
    return {module.m_output.get(), module.m_output.get() + module.m_outputCount};
}

// n samples of a sine of the given frequency and amplitude, starting at phase 0.
inline std::vector<double> Sine(int n, double hz, int rate, double amplitude = 1.0) {
    std::vector<double> x(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        x[i] = amplitude * std::sin(2.0 * std::numbers::pi * hz * i / rate);
    return x;
}

// 1, 2, 3, ... n.
inline std::vector<double> Ramp(int n) {
    std::vector<double> x(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        x[i] = i + 1.0;
    return x;
}

}  // namespace tavrel::test
