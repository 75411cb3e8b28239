#pragma once
// The host's numeric routines. The DVL:: vector routines are the hot loops of the program:
// plain loops over float pointers that the compiler vectorises (no aliasing between the
// destination and a source unless the routine says so). On x86-64 each routine is built for
// AVX-512, AVX2 and the baseline, and the first call picks what the processor has; every
// version gives the same bits (element-wise operations, no reordered sums, no fused
// multiply-add).

#include <cstddef>

#include "host/AlignedMem.h"

namespace DVL {

// The instruction set the vector routines run with on this processor: "AVX-512", "AVX2" or
// "baseline" (SSE2 on x86-64; whatever the compiler targets elsewhere).
const char* InstructionSet();

// A 32-byte aligned float array of n zeros; release it with DeleteAlignedFloat.
float* NewAlignedFloat(size_t n);
void DeleteAlignedFloat(float* p);

// dst[i] = src[i]
void Copy(const float* __restrict src, float* __restrict dst, size_t n);
// dst[i] = value
void SetConstant(float* dst, float value, size_t n);
// dst[i] += src[i]
void VectorAdd(float* __restrict dst, const float* __restrict src, size_t n);
// dst[i] *= factor
void VectorScale(float* dst, float factor, size_t n);
// dst[i] /= divisor (a true division: dst[i] * (1 / divisor) may differ in the last bit)
void VectorDivide(float* dst, float divisor, size_t n);
// dst[i] = w * dst[i] + (1 - w) * src[i]
void VectorWeightedSum(float* __restrict dst, const float* __restrict src, float w, size_t n);
// dst[i] = w * dst[i] + (1 - w) * src[i]²
void VectorWeightedSqrSum(float* __restrict dst, const float* __restrict src, float w, size_t n);
// The two together, reading src once: sqr[i] = w * sqr[i] + (1 - w) * src[i]², then
// sum[i] = w * sum[i] + (1 - w) * src[i]; bit for bit what the two routines above give.
void VectorWeightedSumAndSqrSum(float* __restrict sum, float* __restrict sqr,
                                const float* __restrict src, float w, size_t n);
// dst[i] = max(dst[i], src[i])
void VectorMaximum(float* __restrict dst, const float* __restrict src, size_t n);

}  // namespace DVL

namespace numeric {

// The standard deviation from an exponentially averaged mean and mean of squares:
// sqrt(max(0, meanSquare − mean²) · k), in float arithmetic. k scales the variance (1 to show
// the learned spread, a correction factor where a limit is made). A negative difference (from
// rounding) counts as 0; a NaN input gives NaN, and so does a negative k.
float stddev(float mean, float meanSquare, float k);
// The same point by point: out[i] = stddev(mean[i], meanSquare[i], k), bit for bit. out may be
// one of the inputs.
void stddev(const float* mean, const float* meanSquare, float k, float* out, size_t n);

}  // namespace numeric
