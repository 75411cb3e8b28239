#pragma once
// What the limit generation of scalar tracks and of curve tracks shares: the walk over the
// tracks waiting for validation, and the two parameter records every limited track needs.

#include <string>

#include "host/Output.h"
#include "host/Params.h"
#include "learn/LimitShopOutput.h"
#include "store/Keys.h"

namespace TrackLimitSteps {

// Calls limitTrack(quantity, track key, points) for every track on the store's to-validate list
// whose validation tag is not 0, in track-key order; true when every call returned true.
template <typename Store, typename LimitTrack>
bool LimitPendingTracks(Store& store, LimitTrack limitTrack) {
  bool ok = true;
  for (const auto& [trackKey, pending] : store.ToValidateMap()) {
    if (pending.validate == 0) continue;
    const bool limited =
        limitTrack(store.DovetarOfKey(trackKey), trackKey.id(), pending.value->second.points);
    ok = ok && limited;
  }
  return ok;
}

// The instrument parameter and the width terms of a limited track (base-mode key `base`). The
// parameter database gives every limited track both; a set without them is reported as
// "<operation>: illegal instrument parameter in <key>" or "<operation>: not parametrized for
// <key>" (warnings, style 1) and false is returned, so that the track is left as it is rather
// than limited by guesswork.
template <typename InstrumentParams, typename WidthTerms>
bool FindRecords(const InstrumentParams& instrumentParams, const WidthTerms& widthTerms,
                 const QClavis& base, const std::string& operation, const std::string& keyText,
                 const QVInstrumentParam*& ip, const QVIpParamAndStore*& ips) {
  const auto foundIp = instrumentParams.find(QIdx1(base.parameter()));
  if (foundIp == instrumentParams.end()) {
    PrWin::Output(operation + ": illegal instrument parameter in " + keyText + "\n",
                  PrWin::catWarning, LimitShopOutput::kKeyMessageStyle);
    return false;
  }
  const auto foundIps = widthTerms.find(base);
  if (foundIps == widthTerms.end()) {
    PrWin::Output(operation + ": not parametrized for " + keyText + "\n", PrWin::catWarning,
                  LimitShopOutput::kKeyMessageStyle);
    return false;
  }
  ip = &foundIp->second;
  ips = &foundIps->second;
  return true;
}

}  // namespace TrackLimitSteps
