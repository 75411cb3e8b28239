#pragma once
// The limits the limit shop gives each limited quantity, made from the learned items alone
// (stored values are not consulted), with how far each quantity has learned. What
// LimitsDescriber shows.
//
// Sources:
//   - "fixed": not enough learned: a scalar's allowed bound (the largest allowed value for an
//     upper limit, the smallest for a lower one), a curve track's constant area limit;
//   - "polygon": not enough learned: a final curve's bound polygon, or the polygon that bounds
//     the positions of a scalar track that have not learned enough;
//   - "learned": the learned limit (kept between the bounds); a scalar track without polygon
//     of its direction takes the learned rule at every position;
//   - "none": the shop makes no limit (nothing learned, a parameter record or track key map
//     entry missing).
// A track has learned enough when every learned position has; its count is the smallest count
// of its positions.

#include <optional>
#include <vector>

#include "learn/KelLearnStore.h"
#include "learn/KelLimitShop.h"
#include "store/Keys.h"

struct QuantityLimit {
  QClavis key;
  int direction = QVInstrumentParam::eval_none;  // of the key's parameter
  unsigned long long count = 0;                  // learned parts; 0 without learned item
  std::optional<unsigned> baseLearns;            // none without learn procedure
  const char* source = "none";
  // A scalar's limit (low only); the smallest and largest point of a curve's or a track's
  // limits. None with source "none".
  std::optional<float> low;
  std::optional<float> high;
};

namespace QuantityLimits {

// In the order of the plan's limit records: final scalars (LimSValue), final curves and scalar
// tracks (LimCValue of a parameter without, resp. with, a trigger), curve tracks (LimArea).
std::vector<QuantityLimit> Scalars(const CKelLimitShop& shop, const CKelLearnStore& store,
                                   const CDtParamInstance& params);
std::vector<QuantityLimit> Curves(const CKelLimitShop& shop, const CKelLearnStore& store,
                                  const CDtParamInstance& params);
std::vector<QuantityLimit> ScalarTracks(const CKelLimitShop& shop, const CKelValueStore& values,
                                        const CKelLearnStore& store,
                                        const CDtParamInstance& params);
std::vector<QuantityLimit> CurveTracks(const CKelLimitShop& shop, const CKelValueStore& values,
                                       const CKelLearnStore& store, const CDtParamInstance& params);

}  // namespace QuantityLimits
