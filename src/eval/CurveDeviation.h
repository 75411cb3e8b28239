#pragma once
// CCurveDeviation (instrument 10101): the deviation of a spectrum from a reference polygon, or
// its extreme inside the polygon's range, or its excess over its learned band.
//
// In pass p, every spectrum S of instrument 2500 with generation p feeds the quantities K of
// the key set with S's base mode and S's channel. For each K:
//  1. Calculation parameters of K's parameter: 9 the calculation type, 10 the polygon number
//     (ints), 14 and 15 two floats (used by type 5). One of them missing: the message
//     "CCurveDeviation::ExtractSpectralDifference(): parameter error for", K skipped. Polygon
//     number −1: K skipped silently.
//  2. K's sensor must be S's sensor; on a channel whose resampling type has bit 0 (order
//     resampled), the rotor K's location sees in K's mode must be S's location. Other channels
//     ask nothing of the location.
//  3. By type, over S's bins c_i at x_i = i × w (n bins, bin width w; SpectrumPolygon):
//     3 / 4: the summed distance of the spectrum above / below the polygon (points with
//            x < 0 left out; fewer than two points give 0), position 0;
//     10 / 11: the same divided by n × w (0 for a spectrum without bins), position 0;
//     8 / 9: the minimum / maximum bin over the polygon's x range, at that bin's x (the first
//            extreme bin wins). A spectrum without bins in that range (an empty one among them)
//            gives no value;
//     5: only for a spectrum in dB whose learned curve (the learn store's final curve learned
//        under S's key) has a learn procedure, at least one learn and at least its base learns,
//        and S's shape: the largest excess over the learned band in dB with the first float as
//        the σ factor and the second as the offset (LearnedBandExcess). Otherwise no value;
//     other types: the message "CCurveDeviation::process() -- unknown calculation requested\n"
//        as it stands (a complete line, without the key, as the other "unknown calculation"
//        lines of the track calculators), no value.
//  4. The value is stored under K with S's mode, with the curve's context, expiry and y unit,
//     generation p + 1.

#include <optional>

#include "eval/C2ndLevelInstrument.h"
#include "eval/CandidateSeaDataSource.h"
#include "eval/SpectrumStatistic.h"
#include "learn/KelLearnStore.h"
#include "store/KelSigLimitCurve.h"

class CCurveDeviation : public C2ndLevelInstrument {
 public:
  static constexpr int kInstrument = 10101;

  CCurveDeviation(const CDtParamInstance& params, CKelValueStore& valueStore,
                  CKelLearnStore& learnStore);

  // Rebuilds the key set and forgets what the readers loaded.
  void Prepare() override;
  bool process(unsigned pass) override;

 private:
  // The calculation parameters of one quantity.
  struct Settings {
    int type = 0;
    int polygon = -1;
    float sigmaFactor = 0.0f;
    float offset = 0.0f;
  };

  // Reads the settings of quantity `key`; false when one of them is not defined.
  bool ReadSettings(const QClavis& key, Settings& settings);
  // Whether quantity `key` is computed from spectrum `spectrum` (step 2).
  bool TakesSpectrum(const QClavis& key, const QClavis& spectrum) const;
  // Step 3: the statistic of `curve` in the settings of a quantity; none when the type gives
  // no value.
  std::optional<SpectrumStatistic> ExtractSpectralDifference(const Settings& settings,
                                                             const QClavis& spectrum,
                                                             const KelSigLimitCurve& curve) const;
  // Type 5; none unless the learned curve of `spectrum` qualifies.
  std::optional<SpectrumStatistic> LearnedBandStatistic(const Settings& settings,
                                                        const QClavis& spectrum,
                                                        const KelSigLimitCurve& curve) const;
  // The quantities of one spectrum; true when one was stored.
  bool DeviationsOfSpectrum(const QClavis& spectrum, const KelSigLimitCurve& curve, unsigned pass);

  CKelLearnStore& m_learnStore;
  DataSource::CCandidateSeaDataSource<int> m_typeReader;
  DataSource::CCandidateSeaDataSource<int> m_polygonReader;
  DataSource::CCandidateSeaDataSource<float> m_sigmaFactorReader;
  DataSource::CCandidateSeaDataSource<float> m_offsetReader;
};
