#pragma once
// What the bench prints: one line (or one JSON object) per part, and a summary at the end.

#include <cstdio>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "Checkpoints.h"
#include "PartDriver.h"
#include "RecordedComparison.h"
#include "host/Params.h"

// The learn phase is complete when every quantity with a learn procedure has learned at least
// its base learns (there is at least one).
bool LearnPhaseComplete(const std::vector<KelvaModeLearning>& learning);

class CSummary {
 public:
  // colours: the operator lines may use ANSI colours (a terminal).
  CSummary(bool json, bool colours) : json_(json), colours_(colours) {}

  // afterLearnPhase: the part came when every quantity had its base learns.
  void Part(const PartOutcome& outcome, const std::string& type, const CDtParamInstance& params,
            bool afterLearnPhase);
  // The totals, how far each mode has learned, the history and learn files and every file that
  // could not be saved.
  void Print(double seconds, const CCheckpoints& files,
             const std::vector<KelvaModeLearning>& learning, const CDtParamInstance& params) const;
  // Time spent making or reading the parts (not the library's), and where they came from.
  void AddSourceTime(double milliseconds) { sourceMilliseconds_ += milliseconds; }
  void SetReplay(bool replay) { replay_ = replay; }
  int Parts() const { return parts_; }
  int Ok() const { return ok_; }
  int Nok() const { return nok_; }

 private:
  bool json_;
  bool colours_;
  int parts_ = 0;
  int ok_ = 0, nok_ = 0, none_ = 0, syserror_ = 0, other_ = 0;
  int defective_ = 0, defectiveCaught_ = 0;
  int missing_ = 0, missingCaught_ = 0;
  int goodRejected_ = 0;
  // Per defect kind (DefectKind as index), over the whole run and after the learn phase.
  struct KindCount {
    int injected = 0;
    int caught = 0;
  };
  KindCount kinds_[kDefectKinds];
  KindCount kindsLearned_[kDefectKinds];
  std::string firstLearnedPart_;  // the serial of the first part after the learn phase
  int goodLearned_ = 0, goodLearnedRejected_ = 0;

  void PrintAfterLearnPhase() const;
  static nlohmann::json KindsJson(const KindCount (&counts)[kDefectKinds]);
  long long nonFinite_ = 0;
  double partMilliseconds_ = 0.0;
  double sourceMilliseconds_ = 0.0;
  bool replay_ = false;
  CRecordedComparison comparison_;
  int marginalParts_ = 0, marginalValues_ = 0;
};
