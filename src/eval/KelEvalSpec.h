#pragma once
// CKelEvalSpec: the bin-wise evaluation of the final spectra against their limit curves.
//
// For every spectrum waiting for validation whose stored evaluation mode is 1 (lower limit) or
// 2 (upper limit) and whose limit record (LimCValue, evaluation switch 1) exists, a prescreen
// records the curve's smallest distance to its limit; a spectrum that goes over its limit
// somewhere is then evaluated region by region: each maximal run of bins over the limit
// enters one error at its worst bin, with the code and instrument the spectrum's error vector
// (CKelSpecErrorVector) gives that bin. Only bins of the spectrum instruments 2500 and 2700
// are reported; bins an evaluated maximum hat covers carry the hat's instrument and are left
// to the hat.
//
// A measured bin that is not a finite number (NaN, +inf, −inf) is always a violation: the
// first one of a spectrum enters one error (the code and instrument of the error vector at
// that bin, whatever the instrument: a hat never hides a non-finite bin), with a warning line;
// further non-finite bins add nothing. It is reported for every spectrum instrument, since
// the bin's value, not its limit, is what failed; under a hat it carries the hat's instrument
// in its key, so clearing the spectrum's own key on a repeated measurement leaves it. For the
// region search a non-finite bin counts as lying exactly on its limit, so no region is reported at
// a non-finite bin and the finite bins are evaluated as usual (a region interrupted by a non-finite
// bin becomes two).
//
// Evaluation mode 3 (interval) has no meaning for a single limit curve: such a spectrum is not
// evaluated, with one warning line for each spectrum; so is a spectrum whose limit curve holds no
// data or whose description does not match its bins.

#include <cstdint>

#include "eval/KelSpecErrorVector.h"
#include "host/Params.h"
#include "host/UniqueTreeMap.h"
#include "params/ParamTable.h"
#include "store/KelSigLimitCurve.h"
#include "store/Keys.h"

class CKelValueStore;
class CResultShop;
class CKelLearnStore;

class CKelEvalSpec {
 public:
  // The stores and the shop must outlive the evaluator.
  CKelEvalSpec(CDtParamInstance& params, CKelValueStore& valueStore, CResultShop& resultShop,
               CKelLearnStore& learnStore);

  // Evaluates every spectrum on the final curve store's validation list; returns the number of
  // errors entered. With "measurement repetition clears errors" a spectrum's earlier errors
  // (under its own key) are deleted first.
  unsigned EvaluateSpectra();
  // The bin-wise evaluation of one spectrum (without prescreen); returns the number of errors
  // entered.
  unsigned EvaluateSpectrum(KelSigLimitCurve& curve, const QClavis& key);
  // The error vector of spectrum `key` at the resolution of `curve`, built on first use and
  // rebuilt when the resolution changed; null (with a warning line) when the parameters of the
  // spectrum or of one of its hats are missing.
  const CKelSpecErrorVector* SpectralErrorVector(const KelSigLimitCurve& curve, const QClavis& key);
  // The learned average of spectrum `key` at `bin`, when it has been learned at this resolution
  // (bin count equal, bin width exactly equal); false otherwise, value unchanged.
  bool LearnedAverageAt(const QClavis& key, uint32_t bin, uint32_t binCount, float binWidth,
                        float& value) const;
  // Forgets all error vectors (a new candidate may bring new parameters).
  void ResetSpectralErrorVectors();
  // The number of error vectors built since the last reset.
  size_t ErrorVectorCount() const { return errorVectors_.size(); }

  // Spectrum instruments evaluated bin by bin.
  static constexpr int kSpectrumInstrument = 2500;
  static constexpr int kSpectrum2700Instrument = 2700;

 private:
  // The error vectors by spectrum key with base mode. The host's typed table (CQParamTypedTable
  // over CUniqueTreeMap) gives it a name in dumps and the table interface's clear.
  using error_vector_table_t = CQParamTypedTable<CUniqueTreeMap<QClavis, CKelSpecErrorVector>>;

  bool IsEvaluable(const KelSigLimitCurve& curve, const QClavis& key) const;
  // Records the curve's distance to its limit (the negated largest difference) and returns
  // the largest difference.
  float RecordLimitDistance(KelSigLimitCurve& curve) const;
  bool GoesOverLimit(const KelSigLimitCurve& curve, float largestDifference) const;
  unsigned EvaluateBins(const KelSigLimitCurve& curve, const QClavis& key);
  unsigned ReportNonFiniteBin(const KelSigLimitCurve& curve, const QClavis& key,
                              const CKelSpecErrorVector& errors, uint32_t bin);
  void ReportBin(const KelSigLimitCurve& curve, const QClavis& key,
                 const CKelSpecErrorVector& errors, uint32_t bin);

  CDtParamInstance& params_;
  CKelValueStore& valueStore_;
  CResultShop& resultShop_;
  CKelLearnStore& learnStore_;
  error_vector_table_t errorVectors_;
};
