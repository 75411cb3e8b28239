#include "eval/KelInstrumentShop.h"

#include "eval/KelSpectralHat.h"
#include "host/Output.h"

CKelInstrumentShop::CKelInstrumentShop(CKelValueStore& valueStore, CKelLearnStore& learnStore)
    : m_params(nullptr),
      m_svCalc(m_params, valueStore),
      m_curveDeviation(m_params, valueStore, learnStore),
      m_curveIntervals(m_params, valueStore, Kelva::kHatInstrument),
      m_curveIntervals2700(m_params, valueStore, Kelva::kHatOf2700Instrument),
      m_curveFirstMax(m_params, valueStore, learnStore),
      m_trackIntervals(m_params, valueStore),
      m_trackTracks(m_params, valueStore),
      m_trackPolygon(m_params, valueStore),
      m_trackCalc(m_params, valueStore),
      m_schlauchTool(m_params, valueStore),
      m_trackRegression(m_params, valueStore),
      m_curveTrackDeviation(m_params, valueStore, learnStore),
      m_calculators{
          &m_svCalc,        &m_curveDeviation, &m_curveIntervals,  &m_curveIntervals2700,
          &m_curveFirstMax, &m_trackIntervals, &m_trackTracks,     &m_trackPolygon,
          &m_trackCalc,     &m_schlauchTool,   &m_trackRegression, &m_curveTrackDeviation} {}

unsigned CKelInstrumentShop::RunPasses(const std::vector<C2ndLevelInstrument*>& calculators) {
  unsigned pass = 1;
  for (bool changed = true; changed; ++pass) {
    if (pass > kMaxPasses) {
      PrWin::Output(8, 3,
                    "CKelInstrumentShop::Run(): derived values still change after %u passes; "
                    "some derived quantities depend on each other in a circle. The passes are "
                    "ended.\n",
                    kMaxPasses);
      break;
    }
    changed = false;
    for (C2ndLevelInstrument* calculator : calculators)
      changed = calculator->process(pass) || changed;
  }
  return pass - 1;
}

void CKelInstrumentShop::Reset() {
  for (C2ndLevelInstrument* calculator : m_calculators) calculator->Prepare();
}
