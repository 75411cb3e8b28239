#!/usr/bin/env python3
# The spectral path of one part (spectral_path_bench.cpp) in straightforward numpy: the same
# arithmetic over the reference part's 200 spectra of 4,096 float bins, held as one float32
# array of 200 × 4,096 and worked on whole:
#   - limits: the learned upper limit point by point (LimitRule::CurveLimits), widened by
#     kChimneyPoints points to either side (DVL::MaximizeOverWindow), held under the upper and
#     over the lower polygon (DVL::MinimizeVectorAndPolygon, then MaximizeVectorAndPolygon);
#   - evaluation: the largest value − limit of every spectrum and its first bin
#     (DVL::MaxDifference), and the check for non-finite bins (DVL::FirstNonFinite);
#   - learning: the exponential averages of the values and of their squares
#     (DVL::VectorWeightedSumAndSqrSum).
# Every part's values are made in new arrays outside the timing; only the arithmetic is timed.
# A calibration figure: what numpy takes per part on the machine the C++ benchmark runs on.
#
# Run: python3 bench/numpy_spectral_path.py   (needs python3-numpy)
import os
import platform
import statistics
import time

import numpy as np

SPECTRA = 200
BINS = 4096
STEP = 0.05  # the x step of the spectra (ReferencePlan::kSpectrumStep)
CHIMNEY_POINTS = 3  # ReferencePlan::kChimneyPoints
# The width terms of every spectrum (ReferencePlan::AddLimits): offset, sigma factor, percent.
OFFSET, SIGMA_FACTOR, PERCENT = np.float32(1.0), np.float32(2.0), np.float32(10.0)
TIME_CONSTANT = 10  # the learn procedure's time constant; the limits apply from 2 base learns
LEARNED_PARTS = 3  # the benchmark's warm-up parts, learned before the first timed part
WARM_UP_PARTS = 5  # timed but not counted: numpy's own warm-up
TIMED_PARTS = 200


def polygon(points):
    """A polygon of (x, y) points as one value per bin, ends held (SigPolygonLimit)."""
    bins = [min(int(x / STEP + 0.5), BINS - 1) for x, _ in points]
    return np.interp(np.arange(BINS), bins, [y for _, y in points]).astype(np.float32)


LOWER = polygon([(0.0, 20.0), (100.0, 30.0), (205.0, 20.0)])
UPPER = polygon([(0.0, 120.0), (100.0, 110.0), (205.0, 120.0)])


def spectra(serial):
    """The part's spectra (ReferencePart::Spectra): level + (bin % 53) · 0.1, new arrays."""
    level = (60 + np.arange(SPECTRA) % 7 + serial % 3).astype(np.float32)
    return level[:, None] + (np.arange(BINS) % 53).astype(np.float32) * np.float32(0.1)


def learn_factor(count):
    """Weight of the old average for the count-th value (CExpAverFacGenerator::GetFactor)."""
    n = min(count, TIME_CONSTANT)
    return np.float32((n - 1) / n)


def correction(count):
    """The variance correction of count learned values (CExpAverFacGenerator::GetCorrFactor)."""
    n = min(count, 2 * TIME_CONSTANT - 1)
    return np.float32(n / (n - 1)) if n > 1 else np.float32(0.0)


def limits(mean, mean_square, corr):
    """The upper limit of every bin: learned width, chimney, then the two polygons."""
    sigma = np.sqrt(np.maximum(mean_square - mean * mean, 0) * corr)  # a NaN stays NaN
    unwidened = mean + (mean * np.float32(0.01) * PERCENT + sigma * SIGMA_FACTOR + OFFSET)
    limit = unwidened.copy()
    for k in range(1, CHIMNEY_POINTS + 1):  # the points k to the right, then k to the left
        np.maximum(limit[:, :-k], unwidened[:, k:], out=limit[:, :-k])
        np.maximum(limit[:, k:], unwidened[:, :-k], out=limit[:, k:])
    np.minimum(limit, UPPER, out=limit)
    np.maximum(limit, LOWER, out=limit)
    return limit


def evaluate(values, limit):
    """Per spectrum: the largest value − limit, its first bin, and whether it is over."""
    difference = values - limit
    worst = difference.argmax(axis=1)  # the first NaN wins, as in DVL::MaxDifference
    largest = np.take_along_axis(difference, worst[:, None], axis=1)[:, 0]
    over = ~(largest <= 0) | ~np.isfinite(values).all(axis=1)
    return largest, worst, over


def learn(mean, mean_square, values, w):
    """The averages with the part learned: w · old + (1 − w) · new."""
    v = np.float32(1.0) - w
    return w * mean + v * values, w * mean_square + v * (values * values)


def main():
    mean = np.zeros((SPECTRA, BINS), np.float32)
    mean_square = np.zeros((SPECTRA, BINS), np.float32)
    for serial in range(LEARNED_PARTS):  # below 2 base learns the limits are the polygons
        mean, mean_square = learn(mean, mean_square, spectra(serial), learn_factor(serial + 1))
    times = []
    for serial in range(LEARNED_PARTS, LEARNED_PARTS + WARM_UP_PARTS + TIMED_PARTS):
        values = spectra(serial)  # the learned count of every spectrum is the serial
        start = time.perf_counter()
        limit = limits(mean, mean_square, correction(serial))
        largest, worst, over = evaluate(values, limit)
        mean, mean_square = learn(mean, mean_square, values, learn_factor(serial + 1))
        times.append(time.perf_counter() - start)
        if over.any():
            raise SystemExit(f"part {serial}: {int(over.sum())} spectra over their limits")
    times = [t * 1e3 for t in times[WARM_UP_PARTS:]]
    cpu = next((line.split(":", 1)[1].strip() for line in open("/proc/cpuinfo")
                if line.startswith("model name")), platform.processor())
    print(f"numpy {np.__version__}, Python {platform.python_version()}, {cpu}, "
          f"{os.cpu_count()} cores, load {os.getloadavg()[0]:.2f}")
    print(f"spectral path, {SPECTRA} x {BINS} bins, {TIMED_PARTS} parts: "
          f"median {statistics.median(times):.2f} ms, min {min(times):.2f} ms per part")


if __name__ == "__main__":
    main()
