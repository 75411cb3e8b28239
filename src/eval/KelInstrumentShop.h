#pragma once
// CKelInstrumentShop: owns one object of every second-level instrument and runs them in
// numbered passes at the start of every evaluation step. Pass 1 computes everything that
// depends only on measured values (generation 1), pass 2 what depends on those results, and
// so on; a pass in which no calculator produces a value ends the loop. Reset() at every new
// part rebuilds each calculator's key set from the current parameter tables.

#include <memory>
#include <vector>

#include "eval/C2ndLevelInstrument.h"
#include "eval/CurveDeviation.h"
#include "eval/CurveFirstMax.h"
#include "eval/CurveIntervals.h"
#include "eval/CurveTrackDeviation.h"
#include "eval/SchlauchTool.h"
#include "eval/SvCalc.h"
#include "eval/TrackCalc.h"
#include "eval/TrackIntervals.h"
#include "eval/TrackPolygon.h"
#include "eval/TrackRegression.h"
#include "eval/TrackTracks.h"
#include "host/Params.h"
#include "learn/KelLearnStore.h"
#include "store/KelValueStore.h"

class CKelInstrumentShop {
 public:
  // Derived quantities defined on each other in a circle would never stop producing; the loop
  // ends after this many passes with a message.
  static constexpr unsigned kMaxPasses = 49;

  CKelInstrumentShop(CKelValueStore& valueStore, CKelLearnStore& learnStore);
  CKelInstrumentShop(const CKelInstrumentShop&) = delete;
  CKelInstrumentShop& operator=(const CKelInstrumentShop&) = delete;

  // The pass loop over the shop's calculators; returns the number of passes made (1 when
  // nothing is derived).
  unsigned Run() { return RunPasses(m_calculators); }
  // The pass loop over any calculators, in their order: pass p = 1, 2, … calls process(p) on
  // every calculator, until a pass in which none produced a value, or kMaxPasses passes.
  static unsigned RunPasses(const std::vector<C2ndLevelInstrument*>& calculators);
  // Prepare() on every calculator.
  void Reset();

  // The calculators in the order they run.
  const std::vector<C2ndLevelInstrument*>& Calculators() const { return m_calculators; }

 private:
  CDtParamInstance m_params;
  CSvCalc m_svCalc;
  CCurveDeviation m_curveDeviation;
  CCurveIntervals m_curveIntervals;
  CCurveIntervals m_curveIntervals2700;
  CCurveFirstMax m_curveFirstMax;
  CTrackIntervals m_trackIntervals;
  CTrackTracks m_trackTracks;
  CTrackPolygon m_trackPolygon;
  CTrackCalc m_trackCalc;
  CSchlauchTool m_schlauchTool;
  CTrackRegression m_trackRegression;
  CCurveTrackDeviation m_curveTrackDeviation;
  std::vector<C2ndLevelInstrument*> m_calculators;
};
