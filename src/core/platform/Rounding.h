// Conversions of real values to whole numbers, safe for any double.
//
// Wherever the program turns a real value into a pixel, a sample index, milliseconds or hertz it
// adds 0.5 and truncates toward zero. A plain cast is undefined for NaN, infinities and values
// outside the int range; these helpers saturate instead, so values that come from an untrusted
// document or data file can never trigger undefined behaviour.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace tavrel {

// Truncates toward zero, saturating to the int range; NaN gives 0.
inline int TruncToInt(double v) {
    if (std::isnan(v)) return 0;
    if (v >= 2147483647.0) return std::numeric_limits<int>::max();
    if (v <= -2147483648.0) return std::numeric_limits<int>::min();
    return static_cast<int>(v);
}

// "Add 0.5 and truncate toward zero", saturating; NaN gives 0.
inline int RoundToInt(double v) {
    return TruncToInt(v + 0.5);
}

// Clamps a 64-bit value into the int range.
inline int SaturateToInt(std::int64_t v) {
    if (v > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
    if (v < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
    return static_cast<int>(v);
}

// Sample index of a time in milliseconds at rate R: (int)(R * 0.001 * ms + 0.5).
inline int MsToSample(int rate, double ms) {
    return RoundToInt(rate * 0.001 * ms);
}

// Milliseconds of a sample index at rate R: (int)(1000.0 / R * index + 0.5); 0 for a rate <= 0.
inline int SampleToMs(int rate, double index) {
    if (rate <= 0) return 0;
    return RoundToInt(1000.0 / rate * index);
}

}  // namespace tavrel
