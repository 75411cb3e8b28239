#pragma once
// CTrackPolygon (instrument 10001): a statistic of the deviation of a scalar track from a
// reference polygon (see QSvTrackEval.h for the statistics).
//
// Polygon parameters of the derived key: its IpTrackPolygon() record when there is one, else
// calculation parameters 9 (calculation mode), 8 (source parameter) and 10 (polygon number)
// of its parameter. The source is the derived key with the source parameter and that
// parameter's instrument.

#include "eval/C2ndLevelInstrument.h"
#include "eval/CandidateSeaDataSource.h"

class CTrackPolygon : public C2ndLevelInstrument {
 public:
  static constexpr int kInstrument = 10001;

  CTrackPolygon(const CDtParamInstance& params, CKelValueStore& valueStore);

  // Rebuilds the key set and forgets what the readers loaded.
  void Prepare() override;
  bool process(unsigned pass) override;

 private:
  // The polygon parameters of `key`; false when they are not all defined.
  bool LoadPolygonParams(const QClavis& key, CVIpSvTrackPolygon& out);

  DataSource::CCandidateSeaDataSource<int> m_calcModeReader;
  DataSource::CCandidateSeaDataSource<int> m_sourceParameterReader;
  DataSource::CCandidateSeaDataSource<int> m_polygonReader;
};
