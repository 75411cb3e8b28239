#include "eval/CurveTrackExceedance.h"

#include <algorithm>
#include <cmath>

#include "host/InstrumentParam.h"
#include "host/Numeric.h"

namespace {

// How far a curve value lies beyond its limit on the side of the limit state; 0 for a value
// that is not a finite number and for a state that is neither lower nor upper.
float BinExceedance(int32_t limitState, float value, float limit) {
  if (!std::isfinite(value)) return 0.0f;
  if (limitState == QVInstrumentParam::eval_upper) return value - limit;
  if (limitState == QVInstrumentParam::eval_lower) return limit - value;
  return 0.0f;
}

}  // namespace

CCurveTrackExceedance::CCurveTrackExceedance(const spectra_t& spectra, unsigned bins)
    : end_(spectra.end()), entries_(bins) {
  for (Entry& entry : entries_) entry.item = spectra.begin();
}

bool CCurveTrackExceedance::Comparable(const KelSigLimitCurve& spectrum) const {
  return spectrum.size() != 0 && spectrum.size() == entries_.size() &&
         spectrum.CurveData() != nullptr && spectrum.LimitData() != nullptr;
}

bool CCurveTrackExceedance::SearchRegions(spectrum_iterator& it) {
  if (it == end_ || it->second.LimitState() == QVInstrumentParam::eval_none) return false;
  bool flagged = false;
  while (it != end_ && !flagged) {
    const spectrum_iterator spectrum = it;
    if (quiet_ && Comparable(spectrum->second) && NothingExceeds(spectrum->second)) {
      ++it;
      continue;
    }
    if (Comparable(spectrum->second)) {
      Update(spectrum);
      MarkRuns(spectrum);
    }
    ++it;
    flagged = FlagRegions(it == end_);
    KeepExceedances();
  }
  return flagged;
}

void CCurveTrackExceedance::ClearReports() {
  for (Entry& entry : entries_) entry.report = 0;
}

void CCurveTrackExceedance::Update(spectrum_iterator spectrum) {
  const KelSigLimitCurve& curve = spectrum->second;
  const float* values = curve.CurveData();
  const float* limits = curve.LimitData();
  for (size_t bin = 0; bin < entries_.size(); ++bin) {
    Entry& entry = entries_[bin];
    const float exceedance = BinExceedance(curve.LimitState(), values[bin], limits[bin]);
    if (exceedance > entry.exceedance) {
      entry.exceedance = exceedance;
      entry.item = spectrum;
    } else if (exceedance <= 0.0f) {
      entry.exceedance = 0.0f;
    }
  }
}

void CCurveTrackExceedance::MarkRuns(spectrum_iterator spectrum) {
  const auto bins = static_cast<unsigned>(entries_.size());
  for (unsigned start = 0; start < bins;) {
    if (!(entries_[start].exceedance > 0.0f)) {
      ++start;
      continue;
    }
    unsigned end = start;
    unsigned maximumBin = start;
    for (; end < bins && entries_[end].exceedance > 0.0f; ++end)
      if (entries_[end].exceedance > entries_[maximumBin].exceedance) maximumBin = end;
    const Entry maximum = entries_[maximumBin];
    const unsigned indexOfMaximum = maximum.item == spectrum ? maximumBin : maximum.indexOfMaximum;
    for (unsigned bin = start; bin < end; ++bin) {
      Entry& entry = entries_[bin];
      entry.exceedance = maximum.exceedance;
      entry.item = maximum.item;
      entry.runStart = start;
      entry.runEnd = end;
      entry.indexOfMaximum = indexOfMaximum;
    }
    start = end;
  }
}

bool CCurveTrackExceedance::FlagRegions(bool last) {
  const auto bins = static_cast<unsigned>(entries_.size());
  bool flagged = false;
  for (unsigned bin = 0; bin < bins;) {
    Entry& entry = entries_[bin];
    const bool exceeds = entry.exceedance > 0.0f;
    if (entry.previousExceedance > 0.0f && !exceeds) {
      // An old region (bounds as stored after the previous spectrum): it has ended when none
      // of its bins exceeds any more; otherwise it goes on in the run that still exceeds.
      const unsigned oldEnd = std::max(entry.runEnd, bin + 1);
      if (RegionEnded(bin, oldEnd)) {
        entry.report = 1;
        flagged = true;
      }
      bin = oldEnd;
    } else if (exceeds) {
      if (last) {
        entry.report = 1;
        flagged = true;
      }
      bin = std::max(entry.runEnd, bin + 1);
    } else {
      ++bin;
    }
  }
  return flagged;
}

bool CCurveTrackExceedance::RegionEnded(unsigned first, unsigned end) const {
  const auto last = entries_.begin() + std::min<size_t>(end, entries_.size());
  return std::none_of(entries_.begin() + first, last,
                      [](const Entry& entry) { return entry.exceedance > 0.0f; });
}

void CCurveTrackExceedance::KeepExceedances() {
  bool exceeding = false;
  for (Entry& entry : entries_) {
    entry.previousExceedance = entry.exceedance;
    exceeding = exceeding || entry.exceedance > 0.0f;
  }
  quiet_ = !exceeding;
}

bool CCurveTrackExceedance::NothingExceeds(const KelSigLimitCurve& spectrum) {
  const int32_t state = spectrum.LimitState();
  const float* values = spectrum.CurveData();
  const float* limits = spectrum.LimitData();
  unsigned index = 0;
  // A non-finite value has no exceedance (BinExceedance), but one that makes the difference
  // NaN or +inf only sends the spectrum through the full comparison, which is always right.
  if (state == QVInstrumentParam::eval_upper)
    return DVL::MaxDifference(values, limits, spectrum.size(), index) <= 0.0f;
  if (state == QVInstrumentParam::eval_lower)
    return DVL::MaxDifference(limits, values, spectrum.size(), index) <= 0.0f;
  return true;
}
