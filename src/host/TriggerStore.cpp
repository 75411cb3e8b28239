#include "host/TriggerStore.h"

#include <cmath>

#include "host/Params.h"

int CTriggerStore::Dimension(int mode, int trigger) const {
  const auto& table = params_.TriggerParam();
  int dimensions = 0;
  int tracked = 0;
  int index = kNoDefiniteDimension;
  for (auto it = table.lower_bound(QIdx3(mode, trigger, INT32_MIN));
       it != table.end() && it->first.mode() == mode && it->first.trigger() == trigger; ++it) {
    if (it->first.dimension() < 1) continue;
    ++dimensions;
    if (!it->second.tracked) continue;
    ++tracked;
    index = it->first.dimension() - 1;
  }
  if (dimensions == 0) return kNoTriggerParameters;
  return tracked == 1 ? index : kNoDefiniteDimension;
}

bool CTriggerStore::field(int mode, int trigger, unsigned dimension, CInterval& interval) const {
  const auto& table = params_.TriggerParam();
  auto it = table.find(QIdx3(mode, trigger, static_cast<int32_t>(dimension) + 1));
  if (it == table.end() || it->second.count == 0 || it->second.step == 0.0) return false;
  interval = CInterval(it->second.start, it->second.step, it->second.count, dimension);
  return true;
}

uint32_t CTriggerStore::TrackedCells(int mode, int trigger) const {
  const int dimension = Dimension(mode, trigger);
  CInterval interval;
  if (dimension < 0 || !field(mode, trigger, static_cast<unsigned>(dimension), interval)) return 0;
  return interval.count();
}

bool CTriggerStore::position(const CInterval& interval, int64_t cell, unsigned dimension,
                             float& x) {
  if (interval.empty() || interval.dimension() != dimension) return false;
  x = interval.CellPosition(cell);
  return true;
}

bool CTriggerStore::cell(const CInterval& interval, unsigned dimension, float x, int64_t& cell,
                         bool round) {
  if (interval.empty() || interval.dimension() != dimension || !std::isfinite(x)) return false;
  const double exact = (static_cast<double>(x) - interval.start()) / interval.step();
  if (std::fabs(exact) > 9.0e18) return false;
  cell = static_cast<int64_t>(round ? std::llround(exact) : std::floor(exact));
  return true;
}
