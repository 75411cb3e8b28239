#pragma once
// CPlanPriorities: the priorities that UnifyAndRePriorize writes into error-code records. A
// written priority belongs to the plan whose record it changed: it lasts from part to part
// while that plan stays installed, and a newly installed plan (ParamDatabase::Generation) starts
// with the priorities of its own error-code table, even when it is the same plan again.

#include <cstdint>
#include <map>

class CPlanPriorities {
 public:
  // The priority written for the code under the installed plan; false when none was.
  bool Find(int code, int& priority) const;
  // Writes the code's priority for the installed plan.
  void Write(int code, int priority);

 private:
  // Forgets every written priority when the installed plan is not the one they were written for.
  void ForgetOtherPlans() const;

  mutable uint64_t plan_ = 0;              // the generation the priorities were written under
  mutable std::map<int, int> priorities_;  // code -> priority
};
