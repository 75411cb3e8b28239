#pragma once
// CKelSpecErrorVector: the error code and the instrument of every bin of one spectrum, as the
// bin-wise evaluation reports a bin over the limit. A bin carries the spectrum's own code and
// instrument unless an evaluated maximum hat (Kelva::IsSpectralSingleValue) of the spectrum
// covers it: then it carries the hat's code and instrument, and the bin-wise evaluation leaves
// it to the hat, so that one violation is not reported twice.
//
// The vector is built for one resolution (bin count and bin width); a spectrum measured with
// another resolution needs a new vector (Fits).

#include <cstdint>
#include <memory>
#include <tuple>

#include "host/AlignedMem.h"
#include "host/MeasuringUnit.h"
#include "host/Params.h"
#include "store/Keys.h"

class CKelSpecErrorVector {
 public:
  CKelSpecErrorVector() = default;
  // binCount bins of x step binWidth; codes and instruments are 0 until filled.
  CKelSpecErrorVector(uint32_t binCount, float binWidth);
  virtual ~CKelSpecErrorVector() = default;
  // Copies own their arrays (there is no move: a vector is never left without its arrays).
  CKelSpecErrorVector(const CKelSpecErrorVector& other);
  CKelSpecErrorVector& operator=(const CKelSpecErrorVector& other);

  // Fills the vector for spectrum `spectrum` (its key with the base mode, under which the
  // parameters are kept; the spectrum's x axis in `xUnit`): every bin gets the spectrum's
  // error code (QVIpParamAndStore) and instrument, then the bins of each evaluated maximum hat
  // of the spectrum's mode and channel that belongs to the spectrum get the hat's code and
  // instrument.
  // The parameter database declares these records for every key it knows; when one is missing
  // all the same (the spectrum's or a matching hat's QVIpParamAndStore record, or a matching
  // hat's QVInstrumentParam record), a warning line names it and the result is false: the
  // vector is then not fit to evaluate the spectrum with.
  bool ApplyHatsToErrorVector(
      const CDtParamInstance& params, const QClavis& spectrum,
      const CMeasuringUnit& xUnit = CMeasuringUnit(CMeasuringUnit::cuOrder));

  uint32_t BinCount() const { return binCount_; }
  float BinWidth() const { return binWidth_; }
  // Whether the vector was built for this resolution (the bin width compared exactly).
  bool Fits(uint32_t binCount, float binWidth) const {
    return binCount == binCount_ && binWidth == binWidth_;
  }
  // REQUIRES: bin < BinCount().
  int ErrorCode(uint32_t bin) const { return codes_->data()[bin]; }
  int Instrument(uint32_t bin) const { return instruments_->data()[bin]; }

  // The table's diagnostic columns.
  auto tuple() const { return std::tie(binCount_, binWidth_); }

 private:
  bool ApplyHat(const CDtParamInstance& params, const QClavis& hat, const QClavis& spectrum,
                const CMeasuringUnit& xUnit);

  uint32_t binCount_ = 0;
  float binWidth_ = 0.0f;
  std::unique_ptr<CAlignedMem<int>> codes_ = std::make_unique<CAlignedMem<int>>();
  std::unique_ptr<CAlignedMem<int>> instruments_ = std::make_unique<CAlignedMem<int>>();
};
