#pragma once
// CTrackIntervals (instrument 10000): one single value from the points of a scalar track that
// lie in an interval of its trigger axis.
//
// Calculation parameters of the derived quantity's parameter: 0 calculation mode, 33
// evaluation type (0 when missing), 5 and 6 the interval ends (in either order), 7 and 8 the
// source's instrument and parameter; the source is the derived key with those two replaced.
// The points used are those whose cells lie between the cells nearest the two ends, both
// included, whichever way the axis runs. The result is placed at the middle of the interval unless
// said otherwise below.
//
// Evaluation types:
//   0  by calculation mode: 1 minimum, 2 maximum (each at the trigger value of the first point
//      that has it), 3 arithmetic mean, 4 mean of amplitudes in dB, 20·log10 of the mean of
//      10^(v/20), computed relative to the first value so that no level overflows exp().
//      'Sum' (5) and 'LogSum' (6) are not available: a message, and 0 is stored so that the
//      quantity still has a value to be judged by; any other mode: a message and no value.
//   1, 2, 3  the 10 % quantile of the values when the calculation mode is 1, else the 90 %.
//   4  the mean + 40·log10(2π·1000), at (1000 / f_c)·60;
//   5  the maximum + 40·log10(2π·3000 / 60 · f_c), at 3000;
//   any other type ends the calculator's pass at once.
//
// f_c, the centre frequency of the spectral band the source track was taken from: the band
// parameter is calculation parameter 8 of the source parameter (a parameter of the band-track
// instrument 11000); its first band, in the mode and location of the source (the location of
// the band's single-value record when that names one), gives [f_lo, f_hi] and f_c is their
// middle. f_c is 0 when the band cannot say where it lies: no band parameter, no band, a band
// that is not a pure order or frequency band, no single-value record, or a band whose range
// cannot be computed (a rotor or reference speed the mode does not know). The results of
// types 4 and 5 are then what float arithmetic gives (position +inf, value -inf), visibly no
// level.

#include <vector>

#include "eval/C2ndLevelInstrument.h"
#include "eval/CandidateSeaDataSource.h"
#include "eval/SourceTrack.h"

class CTrackIntervals : public C2ndLevelInstrument {
 public:
  static constexpr int kInstrument = 10000;
  // The instrument of the tracks taken from spectral bands.
  static constexpr int kBandTrackInstrument = 11000;

  // The interval parameters of one derived quantity, with their defaults.
  struct IntervalParams {
    int calcMode = 2;
    int evalType = 0;
    float start = 0.0f;
    float end = 0.0f;
    int sourceInstrument = -1;
    int sourceParameter = -1;
    float bandCentre = 0.0f;
  };

  CTrackIntervals(const CDtParamInstance& params, CKelValueStore& valueStore);

  // Rebuilds the key set and forgets what the readers loaded.
  void Prepare() override;
  bool process(unsigned pass) override { return ExtractSingleValuesFromTrackIntervals(pass); }

 private:
  bool ExtractSingleValuesFromTrackIntervals(unsigned pass);
  // Reads the parameters of `parameter`; false when a required one is missing.
  bool LoadIntervalParams(int parameter, IntervalParams& out);
  // f_c of the band the track `source` was taken from (see above).
  float BandCentreFrequency(const QClavis& source);
  // The value of the interval and its position; false when there is none.
  bool EvaluateSvOfInterval(const QClavis& key, const IntervalParams& p, const CSourceTrack& track,
                            float& value, float& position) const;
  // The calculation modes of evaluation type 0; false when the mode gives no value.
  bool EvaluateByCalcMode(const QClavis& key, int calcMode, const CSourceTrack& track,
                          const std::vector<float>& values, const std::vector<int64_t>& cells,
                          float& value, float& position) const;

  DataSource::CCandidateSeaDataSource<int> m_calcModeReader;
  DataSource::CCandidateSeaDataSource<int> m_evalTypeReader;
  DataSource::CCandidateSeaDataSource<float> m_startReader;
  DataSource::CCandidateSeaDataSource<float> m_endReader;
  DataSource::CCandidateSeaDataSource<int> m_sourceInstrumentReader;
  DataSource::CCandidateSeaDataSource<int> m_sourceParameterReader;
  DataSource::CCandidateSeaDataSource<int> m_bandParameterReader;
};
