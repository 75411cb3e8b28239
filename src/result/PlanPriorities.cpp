#include "result/PlanPriorities.h"

#include "host/ParamSet.h"

void CPlanPriorities::ForgetOtherPlans() const {
  if (plan_ == ParamDatabase::Generation()) return;
  priorities_.clear();
  plan_ = ParamDatabase::Generation();
}

bool CPlanPriorities::Find(int code, int& priority) const {
  ForgetOtherPlans();
  auto it = priorities_.find(code);
  if (it == priorities_.end()) return false;
  priority = it->second;
  return true;
}

void CPlanPriorities::Write(int code, int priority) {
  ForgetOtherPlans();
  priorities_[code] = priority;
}
