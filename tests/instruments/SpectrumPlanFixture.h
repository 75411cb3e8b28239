#pragma once
// The instrument plan with spectra: order spectra of instrument 2500 (parameters 600 and 601)
// and of instrument 2700 (parameter 610), measured at channel 1, location 1, sensor 2 like
// the plan's other values. Tests add the derived quantities of the spectrum calculators with
// Derived() and Calc(), hats with Hat() and Band(), polygons with Polygon(), then Install();
// Spectrum() writes a spectrum into the final curve store with a chosen generation.

#include <string>
#include <vector>

#include "eval/KelSpectralHat.h"
#include "instruments/InstrumentPlanFixture.h"
#include "store/KelSigCurve.h"

class SpectrumPlanTest : public InstrumentPlanTest {
 protected:
  static constexpr int kSpectrum = 2500;
  static constexpr int kSpectrum2700 = Kelva::kSpectrum2700Instrument;
  static constexpr int kSpectrumParameter = 600;
  static constexpr int kOtherSpectrumParameter = 601;
  static constexpr int kSpectrum2700Parameter = 610;

  SpectrumPlanTest() {
    plan.Instrument(kSpectrum, "Order spectrum", 3)
        .Instrument(kSpectrum2700, "Envelope spectrum", 3)
        .Parameter(kSpectrumParameter, kSpectrum, "Spectrum")
        .Parameter(kOtherSpectrumParameter, kSpectrum, "Other spectrum")
        .Parameter(kSpectrum2700Parameter, kSpectrum2700, "Envelope");
  }

  static CMeasuringUnit Orders() { return CMeasuringUnit(CMeasuringUnit::cuOrder); }
  static CMeasuringUnit Hertz() { return CMeasuringUnit(CMeasuringUnit::cuHertz); }

  // A spectrum of `samples` at x step `delta`, stored with validation tag `generation`.
  void Spectrum(const QClavis& key, const std::vector<float>& samples, float delta,
                const CMeasuringUnit& xUnit, const CMeasuringUnit& yUnit, unsigned generation = 1,
                uint64_t context = 22,
                SignalBase::measuring_expire_t expire = SignalBase::expire_measurement) {
    KelSigCurve curve;
    curve.ImportData(samples.data(), static_cast<uint32_t>(samples.size()), delta, xUnit, yUnit);
    curve.context = context;
    curve.expire = expire;
    store.InsertSigCurve(key, curve, generation);
  }

  // A hat of instrument `instrument` with its QVIpSvOfSpec record.
  void Hat(int instrument, int parameter, const std::string& name, const QVIpSvOfSpec& record) {
    Derived(instrument, 1, parameter, name);
    plan.Set().ipSvOfSpec[QIdx1(parameter)] = record;
  }
  // Band `index` of hat parameter `parameter`, in orders of the reference shaft.
  void Band(int parameter, int index, float low, float high) {
    QVSpecIntervalEntry band;
    band.definition.low = low;
    band.definition.high = high;
    plan.Set().specIntervals[QIdx2(parameter, index)] = band;
  }
  void Polygon(int number, const std::vector<CVPoint>& points) { plan.Polygon(number, points); }

  CDtParamInstance params;
};
