#pragma once
// CExpAverFacGenerator: the weights of the exponential averages that learning keeps.
//
// A learned statistic s is updated with a new value x as s := f·s + (1 − f)·x, where f is
// GetFactor(count, tc), count the number of values learned so far including x, and tc the
// time constant of the average. Up to tc values this is the plain arithmetic mean of all values
// learned; from then on the new value weighs 1/tc. docs/learning.md derives both factors.

class CExpAverFacGenerator {
 public:
  // Weight of the old average: n = min(count, max(tc, 1)); factor = (n − 1) / n.
  // The first value (count 1) gives 0, so the average becomes that value. A count of 0 or less
  // (no value learned) also gives 0.
  static float GetFactor(long count, long tc);

  // Correction that turns the averaged squared deviation into an unbiased variance estimate:
  // n_eff = min(count, 2·tc − 1); factor = n_eff / (n_eff − 1) for n_eff > 1, else 0 (one value
  // has no spread to correct, and a time constant below 1 gives no average at all).
  static float GetCorrFactor(long count, long tc);
};
