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

#include <map>

#include "host/AlignedMem.h"
#include "host/Params.h"
#include "learn/KelLearnSValue.h"
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

  // A 32-byte aligned work buffer of at least n floats, valid until the next call.
  float* Scratch(unsigned n) const;
  unsigned ScratchSize() const { return static_cast<unsigned>(scratch_.size()); }

 private:
  // The number of base learns of the key's learn procedure, or -1 when it has none.
  int MinLearned(const QClavis& key) const;
  // The limit while not enough is learned; may change the direction (to 0) and report.
  static float NotLearnedLimit(const QVLimSValue& lim, int& direction);
  // The learned limit, not yet clamped.
  static float LearnedLimit(float mean, float sigma, const QVIpParamAndStore& ips, int direction);

  CKelValueStore& valueStore_;
  CKelLearnStore& learnStore_;
  CDtParamInstance params_;
  mutable CAlignedFloatMem scratch_;
};
