#pragma once
// CTrackRegression (instrument 16000): the intercept or slope of the least-squares straight
// line through the points of a scalar track, x the trigger value of a point's cell and y its
// value.
//
// Calculation parameters of the derived key's parameter, both required: 8 the source
// parameter, 17 the result type (0 intercept, 1 slope; any other type gives a message and the
// value 0). The source is the derived key with the source parameter and its instrument. The
// result lies at position 0.
//
// With n points, means x̄ and ȳ, Sxy = Σxy and Sxx = Σx²: slope b = (Sxy − x̄ȳn) / (Sxx − x̄²n),
// intercept a = ȳ − b·x̄, in float. A track of one point, or of points all at one trigger
// value, has no line: its zero denominator gives NaN (or inf), and that is stored as it is.

#include <vector>

#include "eval/C2ndLevelInstrument.h"
#include "eval/CandidateSeaDataSource.h"
#include "eval/SourceTrack.h"

class CTrackRegression : public C2ndLevelInstrument {
 public:
  static constexpr int kInstrument = 16000;

  CTrackRegression(const CDtParamInstance& params, CKelValueStore& valueStore);

  // Rebuilds the key set and forgets what the readers loaded.
  void Prepare() override;
  bool process(unsigned pass) override;

  // Intercept (type 0) or slope (type 1) of the line through (x[i], y[i]); another type: a
  // message and 0.
  static float Regression(const std::vector<float>& x, const std::vector<float>& y, int type);

 private:
  // The source key of `key`; false (after its message) when a parameter is missing.
  bool SourceKey(const QClavis& key, QClavis& source, int& type);

  DataSource::CCandidateSeaDataSource<int> m_sourceParameterReader;
  DataSource::CCandidateSeaDataSource<int> m_typeReader;
};
