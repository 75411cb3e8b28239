#pragma once
// The excess of a level spectrum over the band its learned statistics allow.
//
// For bin i with level c[i] (dB), learned average a[i] and learned mean of squares q[i]:
//   σ_i    = numeric::stddev(a[i], q[i], 1)           (the learned spread, dB)
//   band_i = sigmaFactor × σ_i + offset               (dB)
//   the band's edges and the bin are compared as amplitudes, A(x) = 10^(x × 0.05):
//     above the band:  excess_i = 20·log10(A(c[i]) / A(a[i] + band_i))
//                      when A(c[i]) > A(a[i] + band_i);
//     below the band:  excess_i = 20·log10(A(a[i] − band_i) / A(c[i]))
//                      when A(c[i]) < A(a[i] − band_i);
//     inside the band: excess_i = 0.
// The statistic is the largest excess_i in dB (≥ 0), with the x of its bin (the first bin
// wins a tie); 0 at position 0 when the spectrum stays inside the band everywhere or has no
// bins. A band that comes out negative (edges crossed) makes every bin an excess.

#include <cstddef>

#include "eval/SpectrumStatistic.h"

namespace LearnedBandExcess {

// The statistic above over c, a, q (n bins each, bin i at x = i × w).
SpectrumStatistic LargestExcess(const float* c, const float* a, const float* q, size_t n, float w,
                                float sigmaFactor, float offset);

}  // namespace LearnedBandExcess
