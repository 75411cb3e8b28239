#pragma once
// CKelLearnProcedureWalk: the learn procedures of keys asked for in ascending order, found by
// walking along the learn parameters instead of searching them once per key. Every answer is
// the one CKelLearnStore::find_learn_proc gives: the default procedure when one is given and
// exists, else the procedure the key's learn parameter names, else null.
//
// A key below the last one asked for, or far beyond the walk's position, starts a new search,
// so any order of keys gives the right answers; ascending order (the order of the stores' work
// lists) gives the speed. The walk refers to the parameter database's current tables and must
// not outlive a change of them.

#include <type_traits>
#include <utility>

#include "host/Params.h"
#include "store/Keys.h"

class CKelLearnProcedureWalk {
 public:
  CKelLearnProcedureWalk(const CDtParamInstance& params, int defaultProcedure);

  // The key's learn procedure, or null.
  const QVLearnProcedures* Find(const QClavis& key);

 private:
  using parameters_t = std::decay_t<decltype(std::declval<CDtParamInstance>().IpLearnParameter())>;
  using procedures_t = std::decay_t<decltype(std::declval<CDtParamInstance>().LearnProcedures())>;

  // The first learn parameter at or after the key.
  parameters_t::const_iterator Advance(const QClavis& key);
  const QVLearnProcedures* Procedure(int id);

  const parameters_t& parameters_;
  const procedures_t& procedures_;
  const QVLearnProcedures* default_ = nullptr;
  parameters_t::const_iterator cursor_;
  bool walking_ = false;
  QClavis last_;
  // The procedure found last, by id: most keys share a few procedures.
  int lastId_ = 0;
  const QVLearnProcedures* lastProcedure_ = nullptr;
  bool haveLast_ = false;
};
