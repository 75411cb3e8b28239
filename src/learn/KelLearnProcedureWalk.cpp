#include "learn/KelLearnProcedureWalk.h"

namespace {

// Steps of the walk before it searches instead: a search costs about as much as a few steps.
constexpr int kStepsBeforeSearch = 4;

}  // namespace

CKelLearnProcedureWalk::CKelLearnProcedureWalk(const CDtParamInstance& params, int defaultProcedure)
    : parameters_(params.IpLearnParameter()), procedures_(params.LearnProcedures()) {
  if (defaultProcedure != -1) default_ = Procedure(defaultProcedure);
}

const QVLearnProcedures* CKelLearnProcedureWalk::Find(const QClavis& key) {
  if (default_ != nullptr) return default_;
  auto parameter = Advance(key);
  if (parameter == parameters_.end() || key < parameter->first) return nullptr;
  return Procedure(parameter->second.procedure);
}

CKelLearnProcedureWalk::parameters_t::const_iterator CKelLearnProcedureWalk::Advance(
    const QClavis& key) {
  if (walking_ && !(key < last_)) {
    for (int step = 0; step < kStepsBeforeSearch; ++step) {
      if (cursor_ == parameters_.end() || !(cursor_->first < key)) {
        last_ = key;
        return cursor_;
      }
      ++cursor_;
    }
  }
  cursor_ = parameters_.lower_bound(key);
  walking_ = true;
  last_ = key;
  return cursor_;
}

const QVLearnProcedures* CKelLearnProcedureWalk::Procedure(int id) {
  if (haveLast_ && id == lastId_) return lastProcedure_;
  auto procedure = procedures_.find(QIdx1(id));
  lastId_ = id;
  lastProcedure_ = procedure == procedures_.end() ? nullptr : &procedure->second;
  haveLast_ = true;
  return lastProcedure_;
}
