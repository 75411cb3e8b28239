#pragma once
// What the limit shop's generators share: the base-mode key under which limit parameters are
// looked up, and the styles of their output-window lines (all category 8, warnings).

#include "host/Params.h"
#include "store/Keys.h"

namespace LimitShopOutput {

// Per-key messages of the limit generation: warnings in the plain style.
inline constexpr int kKeyMessageStyle = 1;
// The summary line of a generator: a warning in the highlighted operator style.
inline constexpr int kSummaryStyle = 3;

// The key with its mode replaced by its base mode: limit parameters are kept there.
inline QClavis WithBaseMode(const CDtParamInstance& params, const QClavis& key) {
  QClavis base = key;
  base.set_mode(params.VirtMode2BaseMode(key.mode()));
  return base;
}

}  // namespace LimitShopOutput
