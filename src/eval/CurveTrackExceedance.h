#pragma once
// CCurveTrackExceedance: the exceedance vector of one curve track (one entry per frequency bin)
// and the region search over the track's spectra that fills it.
//
// A region is a stretch of adjacent bins × consecutive spectra in which the curve exceeded its
// limit. The search walks the spectra in track order and remembers, per run of adjacent
// exceeding bins, the largest exceedance and the spectrum and bin it was seen in; a run that
// shifts or grows from one spectrum to the next carries its maximum along. A region is
// flagged for reporting when every bin of it has stopped exceeding, or when the last spectrum
// has been compared; the flag sits on one entry whose item and index of maximum name the
// spectrum and bin of the region's largest exceedance.
//
// Which spectra take part: a spectrum is compared bin by bin when it has data and exactly as
// many bins as the vector (Comparable); any other spectrum is passed over as if it had not
// been recorded (regions run on across it), and the caller reports it. A curve value that is
// not a finite number counts as no exceedance at its bin (the caller reports the first one of
// the track on its own), so the search never flags a non-finite bin. A limit state other than
// 1 (lower) or 2 (upper) gives no exceedance.

#include <cstdint>
#include <vector>

#include "store/KelSigLimitCurve.h"
#include "store/TrackPointMap.h"

class CCurveTrackExceedance {
 public:
  using spectra_t = CTrackPointMap<KelSigLimitCurve>;
  using spectrum_iterator = spectra_t::const_iterator;

  struct Entry {
    float exceedance = 0.0f;      // largest exceedance of this bin in the current run of spectra
    spectrum_iterator item;       // the spectrum in which that exceedance was seen
    unsigned runStart = 0;        // first bin of the run of adjacent exceeding bins
    unsigned indexOfMaximum = 0;  // bin of the largest exceedance of that run
    unsigned runEnd = 0;          // one past the last bin of that run
    float previousExceedance = 0.0f;  // the exceedance after the previous spectrum
    uint8_t report = 0;               // set: an error is to be entered for the region flagged here
  };

  // `bins` entries, all zero, each with the first spectrum as item. `spectra` must outlive
  // the vector and stay unchanged.
  CCurveTrackExceedance(const spectra_t& spectra, unsigned bins);

  // Whether a spectrum is compared: it has data and as many bins as the vector.
  bool Comparable(const KelSigLimitCurve& spectrum) const;

  // The region search from spectrum `it` on, which it leaves behind the last spectrum it
  // compared. Stops at once, flagging nothing, when `it` is at the end or its spectrum's limit
  // state is 0. Otherwise compares spectrum after spectrum until, after one, some region is
  // flagged or the track has ended. Returns whether a region was flagged; the caller reports
  // the flagged entries, clears them (ClearReports) and searches on from `it`.
  bool SearchRegions(spectrum_iterator& it);

  const std::vector<Entry>& Entries() const { return entries_; }
  void ClearReports();

 private:
  // The exceedances of one spectrum: a larger one than the entry holds replaces it (with this
  // spectrum as item); none (≤ 0) clears it.
  void Update(spectrum_iterator spectrum);
  // Gives every bin of every run the exceedance and item of the run's maximum bin (the first
  // with the largest exceedance), the run's bounds and the bin of the largest exceedance.
  void MarkRuns(spectrum_iterator spectrum);
  // Flags the regions that have ended, and with `last` every region still open; whether any
  // was flagged.
  bool FlagRegions(bool last);
  // Whether no bin from `first` up to `end` exceeds any more.
  bool RegionEnded(unsigned first, unsigned end) const;
  // Remembers the exceedances for the next spectrum, and whether none is left (quiet_).
  void KeepExceedances();
  // Whether no bin of a comparable spectrum goes over its limit (a NaN difference counts as
  // going over), so that with a quiet vector comparing it would change nothing.
  static bool NothingExceeds(const KelSigLimitCurve& spectrum);

  spectrum_iterator end_;
  std::vector<Entry> entries_;
  // No entry exceeds now or did after the previous spectrum: a spectrum that goes over its
  // limit nowhere leaves every entry as it is and flags nothing, so it is passed over.
  bool quiet_ = true;
};
