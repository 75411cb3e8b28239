#include "result/PlanPriorities.h"

bool CPlanPriorities::SameTable(const error_code_table_t& saved, const CParamSet& set) {
  const auto& table = set.errorCode;
  if (saved.size() != table.size()) return false;
  auto other = table.begin();
  for (const auto& [code, record] : saved) {
    const QVErrorCode& now = other->second;
    if (!(code == other->first) || record.externalCode != now.externalCode ||
        record.text != now.text || record.priority != now.priority ||
        record.severity != now.severity || record.group != now.group)
      return false;
    ++other;
  }
  return true;
}

void CPlanPriorities::ForgetOtherPlans() const {
  if (priorities_.empty()) return;
  const CParamSet& installed = ParamDatabase::Current();
  if (plan_ == &installed && SameTable(table_, installed)) return;
  priorities_.clear();
  table_.clear();
  plan_ = nullptr;
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
  if (priorities_.empty()) {
    const CParamSet& installed = ParamDatabase::Current();
    plan_ = &installed;
    table_ = error_code_table_t(installed.errorCode.begin(), installed.errorCode.end());
  }
  priorities_[code] = priority;
}
