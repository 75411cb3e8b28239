#pragma once
// CKelLimitShop: turns what was learned over good parts, together with the limit parameters of
// the parameter database, into the limits of the values that wait for validation, before the
// evaluation compares each value with its limit.
//
// Limit parameters (LimSValue, IpParamAndStore, InstrumentParam) are always looked up under
// the key whose mode is replaced by its base mode; learned data and stored values are taken
// under the key itself. Until a quantity has learned its number of base learns, an upper limit
// sits at the largest allowed value and a lower one at the smallest, so every part passes;
// afterwards the learned limit (LimitRule.h) applies, kept between the two bounds.
//
// The shop keeps no state between calls apart from its scratch buffer. Learned data is only
// read, except that an empty learn item is made for a pending scalar that has none. Messages go
// to the output window; nothing is thrown. Used from the sequencer's thread only; no locks.

#include <cstddef>
#include <map>
#include <utility>

#include "host/AlignedMem.h"
#include "host/Display.h"
#include "host/Params.h"
#include "host/TriggerStore.h"
#include "learn/KelLearnCurve.h"
#include "learn/KelLearnSValue.h"
#include "learn/KelLearnTables.h"
#include "store/KelSigLimitCurve.h"
#include "store/KelStoreSValue.h"
#include "store/KelStoreTrackPoint.h"
#include "store/Keys.h"
#include "store/TrackPointMap.h"

class CKelValueStore;
class CKelLearnStore;

class CKelLimitShop {
 public:
  using lim_svalue_table_t = CQParamSeaTypedTable<CDbUniqueMap<QClavis, QVLimSValue>>;
  using lim_svalue_iterator = lim_svalue_table_t::const_iterator;

  using lim_cvalue_table_t = CQParamSeaTypedTable<CDbUniqueMap<QClavis, QVLimCValue>>;
  using ips_table_t = CQParamSeaTypedTable<CDbUniqueMap<QClavis, QVIpParamAndStore>>;
  using learned_scalar_tracks_t = TLearnTrack<KelLearnSValue>;
  using track_points_t = CTrackPointMap<KelStoreTrackPoint>;
  using lim_area_table_t = CQParamSeaTypedTable<CDbUniqueMap<QClavis, QVLimArea>>;
  using learned_curve_tracks_t = TLearnTrack<KelLearnCurve>;
  using track_curves_t = CTrackPointMap<KelSigLimitCurve>;

  // Which limit of a scalar track a polygon bounds, and from which side. A point that has
  // learned enough takes the minimum (ceiling) or maximum (floor) of its limit and the polygon;
  // one that has not takes the polygon as its upper limit (upper_ceiling) or lower limit
  // (lower_floor), and keeps its limit for the other two.
  enum ePolyLimit { upper_ceiling = 0, upper_floor = 1, lower_ceiling = 2, lower_floor = 3 };

  // The work buffer a new shop starts with, in floats.
  static constexpr unsigned kInitialScratchSize = 2048;

  // Both stores must outlive the shop.
  CKelLimitShop(CKelValueStore& valueStore, CKelLearnStore& learnStore);
  ~CKelLimitShop();
  CKelLimitShop(const CKelLimitShop&) = delete;
  CKelLimitShop& operator=(const CKelLimitShop&) = delete;

  // Sets the limit of every value that waits for validation: final scalars, scalar tracks,
  // final curves and curve tracks, in this order.
  void GenerateLimits();

  // Sets the limit, mean and evaluation mode of every final scalar on the to-validate list
  // (validation tag not 0) whose base-mode key has a LimSValue record. A missing instrument
  // parameter or IpParamAndStore record skips the value with a message; a missing learn
  // procedure is reported and the limit still made. Returns false, after one summary line,
  // when anything was reported.
  bool GenerateSValueLimits();

  // The limit of one scalar (key K) from its learned item: value.mean := the learned mean;
  // value.limit := the not-learned bound while fewer than minLearned values (or none) are
  // learned, else the learned limit clamped to [lim.minLimit, lim.maxLimit]; value.evalMode :=
  // the limit direction when lim.evaluate is 1, else 0. minLearned -1 counts every learned
  // value as enough.
  void SValueLimits(const QClavis& key, KelStoreSValue& value, const KelLearnSValue& learned,
                    const QVLimSValue& lim, const QVInstrumentParam& ip,
                    const QVIpParamAndStore& ips, int minLearned) const;

  // The scalar limit of one LimSValue entry on demand. preferStored: a stored value of the key
  // answers with its limit (true) when it is evaluated, else false. Otherwise the limit is made
  // from the learned item; false when the key has no learned item, no IpParamAndStore record
  // or no InstrumentParam record.
  bool RetrieveSValueLimit(lim_svalue_iterator entry, float& limit, bool preferStored) const;

  // Scalar tracks (KelLimitShopValueTracks.cpp). Sets the limits of every point of every
  // scalar track on the to-validate list (validation tag not 0) whose base-mode key has a
  // LimCValue record. A key that fails (no trigger axis, no learn procedure, a polygon that
  // misses the trigger interval, missing parameter records) keeps the limits computed so far
  // and is reported; false, after one summary line, when any key failed.
  bool GenerateValueTrackLimits();
  // The limits of one scalar track (quantity K, track key t). True for a key without LimCValue
  // record (not limited) and for one limited without complaint.
  bool GenerateValueTrackLimitOfDovetar(learned_scalar_tracks_t& learned,
                                        const ips_table_t& widthTerms,
                                        const lim_cvalue_table_t& polygons,
                                        const CDtParamInstance::InstrumentParamTable& ip,
                                        const QClavis& key, int trackKey,
                                        track_points_t& points) const;
  // The learned limits of every point: around the learned mean (around the point's own value
  // where nothing is learned) by the limit rule; evalMode := direction, mean := learned mean.
  // Learned items are created, empty, at positions that have none.
  void ValueTrackLimits(track_points_t& points, const QClavis& key, int trackKey,
                        learned_scalar_tracks_t& learned, int direction,
                        const QVIpParamAndStore& ips) const;
  // Lays polygon `polygonId` over the trigger axis and bounds the points' limits with it as
  // `kind` says; a point counts as learned when its learned item has a count that is neither 0
  // nor below minLearned. Returns whether the polygon overlaps the interval (its first corner
  // lies before stop() and its last beyond start()); true for a polygon without corners.
  bool ApplyPolygon2Limit(track_points_t& points, const learned_scalar_tracks_t& learned,
                          int trackKey, int polygonId, unsigned dimension,
                          const CTriggerStore::CInterval& interval, ePolyLimit kind,
                          unsigned minLearned) const;
  // The limits of one scalar track over the trigger axis, for display; the limit direction, 0
  // when nothing can be shown. preferStored: the stored track's limits when all its points
  // have them; else limits made from the learned means.
  int RetrieveSvTrackLimit(const QClavis& key, CVisDataPolygon& upper, CVisDataPolygon& lower,
                           bool preferStored) const;

  // The factor that corrects the variance learned from `count` values: the host's correction
  // for the key's time constant (truncated to a whole number), 0 when the key has none.
  float GetCorrFactor(unsigned long count, const QClavis& key) const;

  // --- Limit curves of the final curves (KelLimitShopCurves.cpp, KelLimitShopCurveShape.cpp).

  // Widens src into dst over a window of `left` points to the right and `right` points to the
  // left of each point (DVL::MaximizeOverWindow or DVL::MinimizeOverWindow).
  using window_combine_t = void (*)(float* dst, const float* src, size_t n, unsigned left,
                                    unsigned right);
  // Lays one polygon segment onto a vector (DVL::SetVectorToPolygon,
  // DVL::MinimizeVectorAndPolygon or DVL::MaximizeVectorAndPolygon).
  using polygon_combine_t = void (*)(float* v, int i0, int i1, float y0, float y1);
  // Left and right expansion widths, in x units.
  using chimney_width_t = std::pair<float, float>;

  // Sets the limit curve of every final curve on the to-validate list (whatever its tag) whose
  // base-mode key has a LimCValue record. A missing IpParamAndStore or InstrumentParam record
  // skips the curve with a message; a curve whose limit could not be made properly (no learn
  // procedure, a direction other than lower or upper) is reported. Returns false, after one
  // summary line, when anything was reported.
  bool GenerateSigCurveLimits();

  // The limit curve of one final curve (key K) in direction `mode`: while fewer than the
  // number of base learns (or none) are learned, the bound polygon of the direction (and an
  // empty learned item takes the curve's shape, so that learning can start); afterwards the
  // learned limit, widened sideways by `widths` and held between the two bound polygons.
  // Sets the curve's limit state to `mode`. Returns false when the key has no learn procedure
  // (the not-learned limit is still made) or when mode is neither lower nor upper (the limit
  // is left as it was, with a message).
  bool SigCurveLimit(const QClavis& key, KelSigLimitCurve& curve, KelLearnCurve& learned,
                     const QVLimCValue& lim, const QVIpParamAndStore& ips,
                     QVInstrumentParam::eval_mode_t mode, chimney_width_t widths) const;

  // The learned limit point by point (LimitRule.h) with the learned average as reference,
  // widened sideways by `widths` as SigChimney does (in one step: the unwidened limit is never
  // the curve's). A mode that is neither lower nor upper is reported and leaves the limit as it
  // was. REQUIRES: the learned average and squared average have the curve's length
  // (LearnedCount is not -1 and not 0).
  void SigCurveLearnedLimit(const QClavis& key, KelSigLimitCurve& curve,
                            const KelLearnCurve& learned, const QVIpParamAndStore& ips, int mode,
                            chimney_width_t widths) const;

  // The points of widening to either side of every point of the curve for `widths`
  // (SigChimney); none for an empty curve.
  struct ChimneyPoints {
    unsigned left = 0;
    unsigned right = 0;
    bool Widens() const { return left != 0 || right != 0; }
  };
  static ChimneyPoints ChimneyOf(const KelSigLimitCurve& curve, chimney_width_t widths);

  // Widens the limit's peaks (widen = maximum) or dips (widen = minimum) sideways: every
  // point takes in the limit of up to round(left / x step) points to its right and round(right
  // / x step) points to its left, each at most kMaxChimneyPoints. A width that rounds to 0 or
  // below, or a curve whose x step is not positive, is left alone.
  void SigChimney(KelSigLimitCurve& curve, chimney_width_t widths, window_combine_t widen) const;

  // Lays polygon `polygonId` over the limit segment by segment with `combine`: the first y
  // holds from the start up to the first point, the last y from the last point to the end. A
  // polygon whose x axis is in orders of a rotor is stretched by the absolute speed ratio of
  // that rotor in the key's mode. A polygon without points, or an empty curve, does nothing.
  void SigPolygonLimit(const QClavis& key, KelSigLimitCurve& curve, int polygonId,
                       polygon_combine_t combine) const;

  // Lays the hats of the spectrum over its limit: every evaluated maximum hat of the key's
  // base mode and channel that belongs to the spectrum and has a limit (the stored hat value's
  // limit when there is one) sets the limit to that value over its bands.
  void SigFixedCurveLimit(const QClavis& key, KelSigLimitCurve& curve) const;

  // The limit curve of key K for display, into `out`. preferStored: the stored limit curve of
  // K when there is one. Otherwise the limit is made from K's learned item on a fresh curve of
  // the learned average's shape, exactly as the generation would; false when K has no learned
  // item or a limit record is missing. The learned item is never changed.
  bool RetrieveCurveLimit(const QClavis& key, CVisDataVector& out, bool preferStored) const;

  // The number of curves learned into `learned`, as far as it fits `curve`: the count when the
  // learned average and squared average have the curve's length and x step; 0 when nothing is
  // learned or the learned average has no points yet; -1 for an item of another shape.
  static long long LearnedCount(const KelLearnCurve& learned, const KelSigLimitCurve& curve);

  // At most this many points of widening on each side.
  static constexpr int kMaxChimneyPoints = 50;

  // --- Curve tracks (KelLimitShopCurveTracks.cpp).

  // Sets the limit curve of every curve of every curve track on the to-validate list
  // (validation tag not 0) whose base-mode key has a LimArea record. A key without trigger
  // axis or without learn procedure, or with missing parameter records, is reported; false,
  // after one summary line, when any key failed.
  bool GenerateCurveTrackLimits();
  // The limit curves of one curve track (quantity K, track key t). True for a key without
  // LimArea record (not limited) and for one limited without complaint.
  bool GenerateCurveTrackLimitOfDovetar(learned_curve_tracks_t& learned,
                                        const ips_table_t& widthTerms,
                                        const lim_area_table_t& areas,
                                        const CDtParamInstance::InstrumentParamTable& ip,
                                        const QClavis& key, int trackKey,
                                        track_curves_t& curves) const;
  // The limit of every curve of the track in direction 1 (lower) or 2 (upper): while fewer
  // than the number of base learns (or none, or an item of another shape) are learned at its
  // position, the area's constant lower or upper limit (and an empty learned item takes the
  // curve's shape); afterwards the learned limit widened sideways by the key's expansion
  // widths. Any other direction is reported and leaves every curve as it was.
  void CurveTrackLimits(learned_curve_tracks_t& learned, const QVIpParamAndStore& ips,
                        int direction, const QClavis& key, int trackKey, track_curves_t& curves,
                        const QVLimArea& area) const;
  // The limit curves of one curve track for display, one per position with its axis value,
  // into `upper` (direction 2) or `lower` (direction 1); the other array stays empty. Returns
  // the limit direction, 0 when nothing can be shown (no LimArea record, no track key, no
  // instrument parameter, no trigger axis). preferStored: the stored track's limits when every
  // curve has a limit state; else limits made from the learned average curves.
  int RetrieveCurveTrackLimit(const QClavis& key, CVisDataArray& upper, CVisDataArray& lower,
                              bool preferStored) const;

  // A 32-byte aligned work buffer of at least n floats, valid until the next call.
  float* Scratch(unsigned n) const;
  unsigned ScratchSize() const { return static_cast<unsigned>(scratch_.size()); }

 private:
  // The limit of one pending final scalar (key K, stored value); false when a message was
  // written for it.
  struct SValueLookups;  // the records of the pending scalars, found side by side
  bool PendingSValueLimit(const QClavis& key, KelStoreSValue& value, SValueLookups& lookups);
  // SValueLimits with the variance correction given.
  static void SValueLimitsWith(KelStoreSValue& value, const KelLearnSValue& learned,
                               const QVLimSValue& lim, const QVInstrumentParam& ip,
                               const QVIpParamAndStore& ips, int minLearned, float correction);
  // GetCorrFactor for the key's learn procedure (null: none).
  static float CorrFactorOf(unsigned long count, const QVLearnProcedures* procedure);
  // The number of base learns of the key's learn procedure, or -1 when it has none.
  int MinLearned(const QClavis& key) const;
  static int MinLearnedOf(const QVLearnProcedures* procedure);
  // The limit curve of one pending curve; false (with a message) when it could not be made.
  bool GenerateSigCurveLimit(const QClavis& key, KelSigLimitCurve& curve, KelLearnCurve& learned,
                             const QVLimCValue& lim) const;
  // The limit while not enough is learned; may change the direction (to 0) and report.
  static float NotLearnedLimit(const QVLimSValue& lim, int& direction);
  // The learned limit, not yet clamped.
  static float LearnedLimit(float mean, float sigma, const QVIpParamAndStore& ips, int direction);

  CKelValueStore& valueStore_;
  CKelLearnStore& learnStore_;
  CDtParamInstance params_;
  mutable CAlignedFloatMem scratch_;
};
