#pragma once
// CTrackTracks (instrument 11000): a scalar track made from another scalar track over the same
// trigger cells. Per target key K, calculation parameters of K's parameter: source parameter
// (8), transformation (12), coefficients c0..c4 (35..39) and a reference number (7).
//
// Transformations:
//   1, 2  Integration: an order track (instrument 2001) of an acceleration in m/s² integrated
//         once into m/s or twice into m over the centre of its single spectral band;
//   3     Morrant: a pressure from a temperature track with an empirical formula;
//   4     a reference drawn over the cells of a track: the polygon of a track-polygon quantity
//         (instrument 10001) or the interval mean of a track-interval quantity (10000).
// Every result point lies at the source point's cell, with the source point's context and
// expiry, generation pass + 1. The source track is used only when its generation is the pass.
//
// Decisions of this implementation:
// - The track a transformation reads (TrackTable), with S the source key (K with the source
//   parameter and its instrument):
//     1, 2  S itself.
//     3     S when S's instrument makes scalar tracks (result type 2); otherwise the track that
//           S's parameter names in its own calculation parameters 7 (instrument) and 8
//           (parameter).
//     4     for a track-interval source (10000): calculation parameters 7 and 8 of S's
//           parameter, as the track-interval calculator reads them (8 missing: "No
//           IpSvTrackInterval"); for a track-polygon source (10001): the source parameter of
//           S's IpTrackPolygon entry, else calculation parameter 8 of S's parameter.
//   A missing or -1 instrument (7) is taken from the named parameter's record. A track that
//   cannot be named (no parameter, or a parameter of no instrument) gives "Can not deduce
//   source track". The deduced track keeps S's mode, channel, location and sensor.
// - ReferenceInterval reads the interval start and end from calculation parameters 5 and 6 of
//   S's parameter (those of the track-interval calculator). The two cells are taken in
//   ascending order, so an interval given from high to low, or a falling axis, selects the
//   same cells. No source point inside the interval: no result. When no source point lies
//   after c_e, the second reference point takes the context and expiry of the track's last
//   point.
// - Integration: the result unit keeps the source's exponent, factor and log flag and changes
//   the common unit to m/s (single) or m (double). A band without its QVIpSvOfSpec record is a
//   parameter error like a band whose range cannot be computed. The band is converted with the
//   transform parameters of (S's mode, the record's location or K's location when it is -1,
//   K's channel).
// - ReferencePolygon: polygon points are x = trigger value, y = reference value. Per segment,
//   every source point whose cell lies between the cells of its two ends gets
//   y0 + (x − x0)·(y1 − y0)/(x1 − x0) at its cell's trigger value x (y0 when both ends fall in
//   one cell); a cell shared by two segments takes the later segment's value. The result has
//   the source track's unit.
// - The trigger's source (for the speed-signal check) is the parameter instance's
//   TriggerSource.

#include <cstdint>

#include "eval/C2ndLevelInstrument.h"
#include "eval/CandidateSeaDataSource.h"
#include "host/TriggerStore.h"
#include "store/QValueStoreTrackItem.h"

class CTrackTracks : public C2ndLevelInstrument {
 public:
  static constexpr int kInstrument = 11000;

  // Instruments whose quantities the transformations read.
  static constexpr int kOrderTrackInstrument = 2001;
  static constexpr int kTrackIntervalInstrument = 10000;
  static constexpr int kTrackPolygonInstrument = 10001;
  // The result type of instruments that make scalar tracks.
  static constexpr int kScalarTrackResult = 2;

  enum transformation_t : int {
    tfSingleIntegration = 1,
    tfDoubleIntegration = 2,
    tfMorrant = 3,
    tfReference = 4,
  };

  CTrackTracks(const CDtParamInstance& params, CKelValueStore& valueStore);

  void Prepare() override;
  bool process(unsigned pass) override;

 private:
  using Track = QValueStoreTrackItem<KelStoreTrackPoint>;

  // The source track of one target key, found and checked by TracksFromTrack.
  struct SourceTrack {
    QClavis key;                        // the track read
    const Track* track = nullptr;       // its points, generation = pass
    CTriggerStore::CInterval interval;  // its trigger axis
    unsigned dimension = 0;             // the axis' dimension index
    int trigger = -1;                   // its trigger id
  };

  // Inserts one result point into K's track with the given origin and generation. The track is
  // looked up with the first point of a key and filled directly after that (m_filling).
  void InsertPoint(const QClavis& target, int64_t cell, float value, const CMeasuringUnit& unit,
                   const KelStoreTrackPoint& origin, unsigned generation);

  // Computes K's track from source S; true when points were inserted.
  bool TracksFromTrack(unsigned pass, const QClavis& target, const QClavis& source,
                       int transformation);
  // The key of the track that `transformation` reads for source S; false (after the message)
  // when it cannot be named.
  bool TrackTable(const QClavis& target, const QClavis& source, int transformation, QClavis& track);
  // The track named by calculation parameters 7 (instrument) and 8 (parameter) of S's
  // parameter; false when parameter 8 is missing or names no instrument.
  bool TrackOfCalcParameters(const QClavis& source, QClavis& track, bool& parameterDefined);

  bool Integration(unsigned pass, const QClavis& target, const QClavis& source,
                   const SourceTrack& track, int m);
  // The band centre factor k = 1 / (2π · band centre) scaled to the speed unit, and whether the
  // band is in orders; false (after a message, or silently) when it cannot be had.
  bool IntegrationFactor(const QClavis& target, const QClavis& source, const SourceTrack& track,
                         float& k, bool& orderBand);
  // The scale s of the speed signal of the trigger: 1 for Hz, 60 for rpm; false after a message.
  bool SpeedScale(const QClavis& target, const SourceTrack& track, float& s);

  bool Morrant(unsigned pass, const QClavis& target, const SourceTrack& track);

  bool ReferencePolygon(unsigned pass, const QClavis& target, const QClavis& source,
                        const SourceTrack& track);
  bool ReferenceInterval(unsigned pass, const QClavis& target, const QClavis& source,
                         const SourceTrack& track);

  DataSource::CCandidateSeaDataSource<int> m_sourceReader;             // 8
  DataSource::CCandidateSeaDataSource<int> m_transformationReader;     // 12
  DataSource::CCandidateSeaDataSource<int> m_referenceReader;          // 7
  DataSource::CCandidateSeaDataSource<float> m_intervalStartReader;    // 5
  DataSource::CCandidateSeaDataSource<float> m_intervalEndReader;      // 6
  DataSource::CCandidateSeaDataSource<float> m_coefficientReaders[5];  // 35..39
  // K's track while its points are inserted; null between keys.
  Track* m_filling = nullptr;
  // The points of the source track: what K's track makes room for when it is first filled.
  size_t m_sourcePoints = 0;
};
