#pragma once
// CPlanPriorities: the priorities that UnifyAndRePriorize writes into error-code records. A
// written priority belongs to the plan whose record it changed: it lasts from part to part
// while that plan stays installed, and a newly installed plan starts with the priorities of
// its own error-code table.
//
// The plan is recognised by the parameter set in use (its place in memory) together with its
// error-code table: a new set, or one that took the old one's place with other error codes,
// is a new plan. A set that takes the old one's place with the very same error-code table
// keeps the written priorities; they then fit its codes exactly as they fitted the old ones.

#include <map>

#include "host/ParamRecords.h"
#include "host/ParamSet.h"
#include "store/Keys.h"

class CPlanPriorities {
 public:
  // The priority written for the code under the installed plan; false when none was.
  bool Find(int code, int& priority) const;
  // Writes the code's priority for the installed plan.
  void Write(int code, int priority);

 private:
  using error_code_table_t = std::map<QIdx1, QVErrorCode>;
  // Forgets every written priority when the installed plan is not the one they were written for.
  void ForgetOtherPlans() const;
  static bool SameTable(const error_code_table_t& saved, const CParamSet& set);

  mutable const CParamSet* plan_ = nullptr;
  // The plan's error-code table as it was when the first priority was written.
  mutable error_code_table_t table_;
  mutable std::map<int, int> priorities_;  // code -> priority
};
