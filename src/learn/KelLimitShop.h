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
#include "learn/KelLearnCurve.h"
#include "learn/KelLearnSValue.h"
#include "store/KelSigLimitCurve.h"
#include "store/KelStoreSValue.h"
#include "store/Keys.h"

class CKelValueStore;
class CKelLearnStore;

class CKelLimitShop {
 public:
  using lim_svalue_table_t = CQParamSeaTypedTable<CDbUniqueMap<QClavis, QVLimSValue>>;
  using lim_svalue_iterator = lim_svalue_table_t::const_iterator;

  // The work buffer a new shop starts with, in floats.
  static constexpr unsigned kInitialScratchSize = 2048;

  // Both stores must outlive the shop.
  CKelLimitShop(CKelValueStore& valueStore, CKelLearnStore& learnStore);
  ~CKelLimitShop();
  CKelLimitShop(const CKelLimitShop&) = delete;
  CKelLimitShop& operator=(const CKelLimitShop&) = delete;

  // Sets the limit of every value that waits for validation. Today these are the final
  // scalars; the limits of scalar tracks, final curves and curve tracks follow, in that order,
  // after them.
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

  // The factor that corrects the variance learned from `count` values: the host's correction
  // for the key's time constant (truncated to a whole number), 0 when the key has none.
  float GetCorrFactor(unsigned long count, const QClavis& key) const;

  // --- Limit curves of the final curves (KelLimitShopCurves.cpp, KelLimitShopCurveShape.cpp).

  // Combines src into dst element by element (DVL::MaximizeVectors or DVL::MinimizeVectors).
  using vector_combine_t = void (*)(float* dst, const float* src, size_t n);
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

  // The learned limit point by point (LimitRule.h) with the learned average as reference.
  // REQUIRES: the learned average and squared average have the curve's length (LearnedCount
  // is not -1 and not 0).
  void SigCurveLearnedLimit(const QClavis& key, KelSigLimitCurve& curve,
                            const KelLearnCurve& learned, const QVIpParamAndStore& ips,
                            int mode) const;

  // Widens the limit's peaks (combine = maximum) or dips (combine = minimum) sideways: every
  // point takes in the limit of up to round(left / x step) points to its right and round(right
  // / x step) points to its left, each at most kMaxChimneyPoints. A width that rounds to 0 or
  // below, or a curve whose x step is not positive, is left alone.
  void SigChimney(KelSigLimitCurve& curve, chimney_width_t widths, vector_combine_t combine) const;

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

  // A 32-byte aligned work buffer of at least n floats, valid until the next call.
  float* Scratch(unsigned n) const;
  unsigned ScratchSize() const { return static_cast<unsigned>(scratch_.size()); }

 private:
  // The limit of one pending final scalar (key K, stored value); false when a message was
  // written for it.
  bool PendingSValueLimit(const QClavis& key, KelStoreSValue& value);
  // The number of base learns of the key's learn procedure, or -1 when it has none.
  int MinLearned(const QClavis& key) const;
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
