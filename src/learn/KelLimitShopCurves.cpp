// The limit curves of the final curves (spectra): generation over the to-validate list, the
// limit of one curve by its learned state, and the limit of one key on demand.

#include <climits>

#include "host/Numeric.h"
#include "host/Output.h"
#include "learn/KelLearnStore.h"
#include "learn/KelLimitShop.h"
#include "learn/LearnedCurveShape.h"
#include "learn/LimitRule.h"
#include "learn/LimitShopOutput.h"
#include "store/KelValueStore.h"

using LimitShopOutput::kKeyMessageStyle;
using LimitShopOutput::kSummaryStyle;
using LimitShopOutput::WithBaseMode;

namespace {

// The number of base learns a key without learn procedure is measured against: never reached.
constexpr long long kNeverLearned = INT_MAX;

float XStep(const KelSigLimitCurve& curve) {
  return curve.description().Delta(0);
}

}  // namespace

bool CKelLimitShop::GenerateSigCurveLimits() {
  auto& learnedCurves = learnStore_.LearnedSigCurveMap();
  const auto& limits = params_.LimCValue();
  bool ok = true;
  for (auto& [key, pending] : valueStore_.FinalCurveStore().ToValidateMap()) {
    KelLearnCurve& learned = learnedCurves.try_emplace(key).first->second;
    const auto lim = limits.find(WithBaseMode(params_, key));
    if (lim == limits.end()) continue;
    if (!GenerateSigCurveLimit(key, pending.value->second, learned, lim->second)) ok = false;
  }
  if (!ok)
    PrWin::Output(PrWin::catWarning, kSummaryStyle,
                  "CKelLimitShop::GenerateSigCurveLimits(): Some limits couldn't be generated. "
                  "Please find details in the output window.\n");
  return ok;
}

bool CKelLimitShop::GenerateSigCurveLimit(const QClavis& key, KelSigLimitCurve& curve,
                                          KelLearnCurve& learned, const QVLimCValue& lim) const {
  const QClavis base = WithBaseMode(params_, key);
  // The quantity's name is made only for a message: most curves need none.
  const auto ips = params_.IpParamAndStore().find(base);
  if (ips == params_.IpParamAndStore().end()) {
    PrWin::Output(PrWin::catWarning, kKeyMessageStyle,
                  "CKelLimitShop::GenerateSigCurveLimits(): not parametrized for %s\n",
                  params_.FormatClavisText(base).c_str());
    return false;
  }
  const auto ip = params_.InstrumentParam().find(QIdx1(base.parameter()));
  if (ip == params_.InstrumentParam().end()) {
    PrWin::Output(PrWin::catWarning, kKeyMessageStyle,
                  "CKelLimitShop::GenerateSigCurveLimits(): illegal instrument parameter in %s\n",
                  params_.FormatClavisText(base).c_str());
    return false;
  }
  const auto mode = static_cast<QVInstrumentParam::eval_mode_t>(ip->second.evalMode);
  if (!SigCurveLimit(key, curve, learned, lim, ips->second, mode, learnStore_.ChimneyWidth(key))) {
    PrWin::Output(PrWin::catWarning, kKeyMessageStyle,
                  "CKelLimitShop::GenerateSigCurveLimits(): error calculating limits for %s\n",
                  params_.FormatClavisText(base).c_str());
    return false;
  }
  return true;
}

long long CKelLimitShop::LearnedCount(const KelLearnCurve& learned, const KelSigLimitCurve& curve) {
  const KelSigCurve& average = learned.Average();
  // An item that has a count but no points (only a learn file can bring one) has nothing to
  // make a limit from: it counts as not learned, and takes the curve's shape to start anew.
  if (average.size() == 0) return 0;
  const bool fits = average.size() == curve.size() && learned.SqAverage().size() == curve.size() &&
                    average.delta(0) == XStep(curve);
  return fits ? static_cast<long long>(learned.count) : -1;
}

bool CKelLimitShop::SigCurveLimit(const QClavis& key, KelSigLimitCurve& curve,
                                  KelLearnCurve& learned, const QVLimCValue& lim,
                                  const QVIpParamAndStore& ips, QVInstrumentParam::eval_mode_t mode,
                                  chimney_width_t widths) const {
  curve.LimitState(mode);
  const long long count = LearnedCount(learned, curve);
  const int baseLearns = MinLearned(key);
  const bool hasProcedure = baseLearns != -1;
  const long long minLearned = hasProcedure ? baseLearns : kNeverLearned;
  if (mode != QVInstrumentParam::eval_lower && mode != QVInstrumentParam::eval_upper) {
    PrWin::Output(PrWin::catWarning, kKeyMessageStyle,
                  "CKelLimitShop::SigCurveLimit(): invalid limit type for %s\n",
                  params_.FormatClavisText(key).c_str());
    return false;
  }
  const bool upper = mode == QVInstrumentParam::eval_upper;
  if (count == 0 || count < minLearned) {
    SigPolygonLimit(key, curve, upper ? lim.upperPolygon : lim.lowerPolygon,
                    DVL::SetVectorToPolygon);
    SigFixedCurveLimit(key, curve);
    if (learned.Average().size() == 0) ShapeLearnedLike(learned, curve);
  } else {
    SigCurveLearnedLimit(key, curve, learned, ips, mode, widths);
    SigPolygonLimit(key, curve, lim.upperPolygon, DVL::MinimizeVectorAndPolygon);
    SigPolygonLimit(key, curve, lim.lowerPolygon, DVL::MaximizeVectorAndPolygon);
    SigFixedCurveLimit(key, curve);
  }
  return hasProcedure;
}

void CKelLimitShop::SigCurveLearnedLimit(const QClavis& key, KelSigLimitCurve& curve,
                                         const KelLearnCurve& learned, const QVIpParamAndStore& ips,
                                         int mode, chimney_width_t widths) const {
  const bool upper = mode == QVInstrumentParam::eval_upper;
  if (!upper && mode != QVInstrumentParam::eval_lower) {
    PrWin::Output(PrWin::catWarning, kKeyMessageStyle,
                  "CKelLimitShop::SigCurveLearnedLimit(): invalid limit type for %s\n",
                  params_.FormatClavisText(key).c_str());
    return;
  }
  const float correction = GetCorrFactor(learned.count, key);
  const float* average = learned.Average().data();
  const float* sqAverage = learned.SqAverage().data();
  float* limit = curve.LimitDataForOverwrite();
  const uint32_t n = curve.size();
  const ChimneyPoints chimney = ChimneyOf(curve, widths);
  if (!chimney.Widens()) {
    LimitRule::CurveLimits(average, sqAverage, correction, ips, upper, limit, n);
    return;
  }
  // The unwidened limit goes to the scratch buffer, the widening reads it from there.
  float* unwidened = Scratch(n);
  LimitRule::CurveLimits(average, sqAverage, correction, ips, upper, unwidened, n);
  (upper ? DVL::MaximizeOverWindow : DVL::MinimizeOverWindow)(limit, unwidened, n, chimney.left,
                                                              chimney.right);
}

bool CKelLimitShop::RetrieveCurveLimit(const QClavis& key, CVisDataVector& out,
                                       bool preferStored) const {
  if (preferStored) {
    const auto& stored = valueStore_.SigCurveLimitMap();
    const auto curve = stored.find(key);
    if (curve != stored.end()) return curve->second.CopyLimitToCurve(&out);
  }
  const auto& learnedCurves = learnStore_.LearnedSigCurveMap();
  const auto found = learnedCurves.find(key);
  if (found == learnedCurves.end()) return false;
  const QClavis base = WithBaseMode(params_, key);
  const auto lim = params_.LimCValue().find(base);
  if (lim == params_.LimCValue().end()) return false;
  const auto ip = params_.InstrumentParam().find(QIdx1(base.parameter()));
  if (ip == params_.InstrumentParam().end()) return false;
  const auto ips = params_.IpParamAndStore().find(base);
  if (ips == params_.IpParamAndStore().end()) return false;
  // A copy (sharing the samples) so that the learned item is never reshaped from here.
  KelLearnCurve learned = found->second;
  const auto mode = static_cast<QVInstrumentParam::eval_mode_t>(ip->second.evalMode);
  KelSigLimitCurve fresh(learned.Average());
  fresh.LimitState(mode);
  SigCurveLimit(key, fresh, learned, lim->second, ips->second, mode, learnStore_.ChimneyWidth(key));
  return fresh.CopyLimitToCurve(&out);
}
