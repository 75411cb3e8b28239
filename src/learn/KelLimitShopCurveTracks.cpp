// The limits of curve tracks (spectrograms): per trigger position a learned limit curve widened
// sideways, or the quantity's constant area limit while not enough is learned there.

#include <climits>
#include <iterator>
#include <string>

#include "host/Numeric.h"
#include "host/Output.h"
#include "learn/KelLearnStore.h"
#include "learn/KelLimitShop.h"
#include "learn/LearnedCurveShape.h"
#include "learn/LimitShopOutput.h"
#include "learn/TrackLimitSteps.h"
#include "store/KelValueStore.h"

using LimitShopOutput::kKeyMessageStyle;
using LimitShopOutput::kSummaryStyle;
using LimitShopOutput::WithBaseMode;

namespace {

// The number of base learns a key without learn procedure is measured against: never reached.
constexpr long long kNeverLearned = INT_MAX;

}  // namespace

bool CKelLimitShop::GenerateCurveTrackLimits() {
  auto& learned = learnStore_.LearnedCurveTrack();
  const bool ok = TrackLimitSteps::LimitPendingTracks(
      valueStore_.TrackCurveStore(), [&](const QClavis& key, int trackKey, track_curves_t& curves) {
        return GenerateCurveTrackLimitOfDovetar(learned, params_.IpParamAndStore(),
                                                params_.LimArea(), params_.InstrumentParam(), key,
                                                trackKey, curves);
      });
  if (!ok)
    PrWin::Output(PrWin::catWarning, kSummaryStyle,
                  "CKelLimitShop::GenerateCurveTrackLimits(): Some limits couldn't be generated. "
                  "Please find details in the output window.\n");
  return ok;
}

bool CKelLimitShop::GenerateCurveTrackLimitOfDovetar(
    learned_curve_tracks_t& learned, const ips_table_t& widthTerms, const lim_area_table_t& areas,
    const CDtParamInstance::InstrumentParamTable& ip, const QClavis& key, int trackKey,
    track_curves_t& curves) const {
  const QClavis base = WithBaseMode(params_, key);
  const auto area = areas.find(base);
  if (area == areas.end()) return true;
  const std::string text = params_.FormatClavisText(base);
  const QVInstrumentParam* instrumentParam = nullptr;
  const QVIpParamAndStore* ips = nullptr;
  if (!TrackLimitSteps::FindRecords(ip, widthTerms, base,
                                    "CKelLimitShop::GenerateCurveTrackLimitOfDovetar()", text,
                                    instrumentParam, ips))
    return false;
  CTriggerStore::CInterval interval;
  if (valueStore_.TrackCurveStore().GetTrackInterval(base, interval) < 0) {
    const std::string trigger = params_.TriggerName(params_.TriggerId(base.parameter()));
    PrWin::Output(
        "CKelLimitShop::GenerateCurveTrackLimitOfDovetar(): No parameters found for "
        "trigger '" +
            trigger + "' and quantity with '" + text + "'\n",
        PrWin::catWarning, kKeyMessageStyle);
    return false;
  }
  const bool hasProcedure = learnStore_.NrOfBaseLearn(base).second;
  if (!hasProcedure)
    PrWin::Output(PrWin::catWarning, kKeyMessageStyle,
                  "CKelLimitShop::GenerateCurveTrackLimitOfDovetar(): No learn procedure found "
                  "for clavis '%s'\n",
                  text.c_str());
  CurveTrackLimits(learned, *ips, instrumentParam->evalMode, base, trackKey, curves, area->second);
  return hasProcedure;
}

void CKelLimitShop::CurveTrackLimits(learned_curve_tracks_t& learned, const QVIpParamAndStore& ips,
                                     int direction, const QClavis& key, int trackKey,
                                     track_curves_t& curves, const QVLimArea& area) const {
  const auto [baseLearns, found] = learnStore_.NrOfBaseLearn(key);
  const long long minLearned = found ? static_cast<long long>(baseLearns) : kNeverLearned;
  if (direction != QVInstrumentParam::eval_lower && direction != QVInstrumentParam::eval_upper) {
    PrWin::Output(PrWin::catWarning, kKeyMessageStyle,
                  "CKelLimitShop::CurveTrackLimits(): invalid limit type for %s\n",
                  params_.FormatClavisText(key).c_str());
    return;
  }
  const bool upper = direction == QVInstrumentParam::eval_upper;
  const float constant = upper ? area.upper : area.lower;
  const chimney_width_t widths = learnStore_.ChimneyWidth(key);
  auto& track = learned[QIdx1(trackKey)];
  auto from = track.cbegin();
  for (auto& [position, curve] : curves) {
    const auto item = track.find_or_emplace(from, position);
    KelLearnCurve& learnedCurve = item->second;
    curve.LimitState(direction);
    const long long count = LearnedCount(learnedCurve, curve);
    if (count == 0 || count < minLearned) {
      DVL::SetConstant(curve.LimitDataForOverwrite(), constant, curve.size());
      if (learnedCurve.Average().size() == 0) ShapeLearnedLike(learnedCurve, curve);
    } else {
      SigCurveLearnedLimit(key, curve, learnedCurve, ips, direction, widths);
    }
    from = std::next(item);
  }
}
