#include "eval/KelEvalShop.h"

#include "eval/KelEvalSpec.h"

#include <cmath>

#include "eval/EvalShopOutput.h"
#include "learn/LimitShopOutput.h"
#include "store/KelValueStore.h"
#include "store/SortedCursor.h"

namespace {

constexpr const char* kSingleValues = "CKelEvalShop::EvaluateSingleValues()";

// The margin of a single value to its limit, negative when violated: limit − value for an
// upper limit (mode 2), value − limit for any other mode.
float SingleValueMargin(const KelStoreSValue& value) {
  const float margin = value.limit - value.value;
  return value.evalMode == QVInstrumentParam::eval_upper ? margin : -margin;
}

}  // namespace

CKelEvalShop::CKelEvalShop(CDtParamInstance& params, CKelValueStore& valueStore,
                           CResultShop& resultShop, CKelLearnStore& learnStore)
    : params_(params),
      valueStore_(valueStore),
      resultShop_(resultShop),
      learnStore_(learnStore),
      spectral_(std::make_unique<CKelEvalSpec>(params, valueStore, resultShop, learnStore)) {}

CKelEvalShop::~CKelEvalShop() = default;

unsigned CKelEvalShop::Evaluate() {
  unsigned errors = EvaluateSingleValues();
  errors += EvaluateScalarTrackLimits();
  errors += spectral_->EvaluateSpectra();
  errors += EvaluateCurveTrackLimits();
  return errors;
}

void CKelEvalShop::ResetSpectralErrorVectors() {
  spectral_->ResetSpectralErrorVectors();
}

unsigned CKelEvalShop::EvaluateSingleValues() {
  unsigned errors = 0;
  // The work list and both tables are ordered by key: each value's records lie a step or two on
  // from the previous value's.
  SortedCursor limits(params_.LimSValue());
  SortedCursor codes(params_.IpParamAndStore());
  for (const auto& [key, pending] : valueStore_.FinalScalarStore().ToValidateMap()) {
    const KelStoreSValue& value = pending.value->second;
    if (value.evalMode == QVInstrumentParam::eval_none) continue;
    const QClavis base = LimitShopOutput::WithBaseMode(params_, key);
    if (!BeginQuantity(limits.Find(base), params_.LimSValue().end(), key)) continue;
    const std::optional<int> code = ErrorCodeOf(kSingleValues, key, codes.Find(base));
    if (!code) continue;
    const bool finite = std::isfinite(value.value);
    // A non-finite value violates whatever its limit: a comparison with NaN would let it pass.
    if (finite && !(SingleValueMargin(value) < 0.0f)) continue;
    if (!finite) EvalShopOutput::NonFiniteValue(params_, key, value.value, value.position);
    resultShop_.AddErrorEntry(key, *code, value.value, value.limit, value.mean, value.position);
    ++errors;
  }
  return errors;
}

std::optional<int> CKelEvalShop::ErrorCodeOf(const char* operation, const QClavis& key) const {
  return ErrorCodeOf(operation, key,
                     params_.IpParamAndStore().find(LimitShopOutput::WithBaseMode(params_, key)));
}

CKelEvalShop::TrackAxis CKelEvalShop::TrackAxisOf(const CKelTrackStoreBase& store,
                                                  const char* operation, const QClavis& key) const {
  TrackAxis axis;
  const int dimension = store.GetTrackInterval(key, axis.interval);
  if (dimension >= 0) {
    axis.dimension = static_cast<unsigned>(dimension);
  } else {
    EvalShopOutput::NoTriggerParameters(params_, operation, key);
    axis.interval.clear();
  }
  return axis;
}

float CKelEvalShop::TrackAxis::PositionOf(int64_t cell) const {
  float position = 0.0f;
  CTriggerStore::position(interval, cell, dimension, position);
  return position;
}
