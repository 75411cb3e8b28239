#pragma once
// What the bench prints: one line (or one JSON object) per part, and a summary at the end.

#include <cstdio>
#include <string>
#include <vector>

#include "Bench.h"
#include "Checkpoints.h"

class CSummary {
 public:
  explicit CSummary(bool json) : json_(json) {}

  void Part(const PartOutcome& outcome, const std::string& type, const CDtParamInstance& params);
  // The totals, how far each mode has learned, the history and learn files and every file that
  // could not be saved.
  void Print(double seconds, const CCheckpoints& files,
             const std::vector<KelvaModeLearning>& learning, const CDtParamInstance& params) const;
  int Parts() const { return parts_; }

 private:
  bool json_;
  int parts_ = 0;
  int ok_ = 0, nok_ = 0, none_ = 0, syserror_ = 0, other_ = 0;
  int defective_ = 0, defectiveCaught_ = 0;
  int missing_ = 0, missingCaught_ = 0;
  int goodRejected_ = 0;
  long long nonFinite_ = 0;
  double partMilliseconds_ = 0.0;
};
