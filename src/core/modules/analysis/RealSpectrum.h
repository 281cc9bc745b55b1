// The squared magnitudes of the DFTs of real, mean-removed, Hann-windowed segments of a
// power-of-two length L, added up over the segments - the heart of the Welch estimate.
//
// A segment of L real samples is transformed as one complex transform of L / 2 points (the even
// samples as the real parts, the odd ones as the imaginary parts) and split into the L / 2 + 1
// bins of the real transform. The complex transform runs in natural order by radix-4 passes
// (decimation in frequency, four neighbouring butterflies side by side), the first pass reading
// the samples, removing the mean and windowing as it goes; its bit-reversed output is read
// through an index table by the split, which adds |2 X_k|^2 straight into the sums. The tables
// (window, twiddle factors, indices) are built once per length and thread. The results agree
// with the defined spectrum to rounding (the order of the operations differs from the radix-2
// transform of the FFT view, whose bits this transform does not reproduce).
#pragma once

#include <memory>
#include <vector>

#include "platform/InstructionSet.h"

namespace tavrel::spectral {

class RealPowerSums {
  public:
    // Whether a segment length is handled: a power of two of at least 16.
    static bool Supports(int length);

    // length: Supports(length). May throw std::bad_alloc.
    explicit RealPowerSums(int length);
    ~RealPowerSums();
    RealPowerSums(const RealPowerSums&) = delete;
    RealPowerSums& operator=(const RealPowerSums&) = delete;

    // Adds |2 X_k|^2, k = 0 .. L / 2, of segment x (L samples, mean removed and windowed here).
    // `set` is narrowed to what the processor runs (AVX-512: eight lanes where the transform
    // ends in blocks of 8, AVX2 with FMA: four, else two).
    void Add(const double* x, InstructionSet set = BestInstructionSet());
    // The sums of the segments added so far, L / 2 + 1 values.
    const std::vector<double>& Sums() const { return m_sums; }
    // The sum of the squared window values.
    double WindowPower() const;

    struct Tables;

  private:
    std::shared_ptr<const Tables> m_tables;
    std::vector<double> m_re, m_im;
    std::vector<double> m_sums;
};

}  // namespace tavrel::spectral
