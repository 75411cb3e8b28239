#include "host/ParamSet.h"

namespace ParamDatabase {
namespace {

struct State {
  std::shared_ptr<const CParamSet> current = std::make_shared<CParamSet>();
  bool initialized = false;
  uint64_t generation = 0;
};

State& Database() {
  static State state;
  return state;
}

}  // namespace

const CParamSet& Current() {
  return *Database().current;
}

void Install(std::shared_ptr<const CParamSet> set) {
  if (!set) return;
  Database().current = std::move(set);
  Database().initialized = true;
  ++Database().generation;
}

void Reset() {
  Database().current = std::make_shared<CParamSet>();
  Database().initialized = false;
  ++Database().generation;
}

uint64_t Generation() {
  return Database().generation;
}

bool IsInitialized() {
  return Database().initialized;
}

}  // namespace ParamDatabase
