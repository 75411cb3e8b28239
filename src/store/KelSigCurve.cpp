#include "store/KelSigCurve.h"

#include <algorithm>
#include <utility>

#include "host/File.h"
#include "host/Numeric.h"
#include "store/KelSigLimitCurve.h"

namespace {

KelSigCurve::handle_t NewBuffer(uint32_t n) {
  if (n == 0) return nullptr;
  return CAlignedMem<float>::Make(n);
}

// A buffer of n samples that the caller writes in full.
KelSigCurve::handle_t NewBufferForOverwrite(uint32_t n) {
  return CAlignedMem<float>::Make(n, CAlignedMem<float>::ForOverwrite{});
}

}  // namespace

KelSigCurve::KelSigCurve(const CSignalieee32& signal) {
  *this = signal;
}

KelSigCurve::KelSigCurve(const float* samples, const CDescription& description)
    : description_(description) {
  CopyFrom(samples, static_cast<uint32_t>(description.TotalSize()));
}

KelSigCurve::KelSigCurve(handle_t buffer, const CDescription& description)
    : dlen_(buffer ? static_cast<uint32_t>(buffer->size()) : 0),
      description_(description),
      data_(std::move(buffer)) {}

KelSigCurve& KelSigCurve::operator=(const CSignalieee32& signal) {
  description_ = signal.Description();
  CopyFrom(signal.Data(), static_cast<uint32_t>(signal.NumberOfElements()));
  context = signal.context();
  expire = signal.expire();
  return *this;
}

void KelSigCurve::CopyFrom(const float* samples, uint32_t n) {
  dlen_ = n;
  const bool reusable = data_ && data_.use_count() == 1;
  if (n == 0) {
    data_.reset();
  } else if (samples == nullptr) {  // n samples, zero unless the buffer already held n
    if (reusable)
      data_->Resize(n);
    else
      data_ = NewBuffer(n);
  } else if (reusable && data_->size() == n) {
    DVL::Copy(samples, data_->data(), n);
  } else {  // written once from the samples, not zeroed first
    data_ = CAlignedMem<float>::Make(samples, static_cast<size_t>(n));
  }
}

void KelSigCurve::touch() {
  if (data_ && data_.use_count() != 1) data_ = data_->Clone();
}

float* KelSigCurve::data() {
  touch();
  return data_ ? data_->data() : nullptr;
}

void KelSigCurve::Resize(uint32_t n) {
  if (n != dlen_) {
    handle_t resized = NewBuffer(n);
    if (resized && data_) DVL::Copy(data_->data(), resized->data(), std::min(n, dlen_));
    data_ = std::move(resized);
    dlen_ = n;
  } else {
    touch();
  }
  if (description_.XDims() == 1) description_.X(0).size = n;
}

void KelSigCurve::ImportData(const float* samples, uint32_t n, float delta,
                             const CMeasuringUnit& xUnit, const CMeasuringUnit& yUnit) {
  description_ = CDescription(n, delta, xUnit, yUnit);
  CopyFrom(samples, n);
}

bool KelSigCurve::FitTogether(const KelSigCurve& other) const {
  return dlen_ == other.dlen_ && description_.XDims() == other.description_.XDims() &&
         description_.X(0) == other.description_.X(0);
}

void KelSigCurve::ZeroData(uint32_t n) {
  Resize(n);
  if (data_) DVL::SetConstant(data_->data(), 0.0f, n);
}

void KelSigCurve::ZeroData(const KelSigCurve& other) {
  const CDescription description = other.description();
  ZeroData(other.size());
  description_ = description;
}

void KelSigCurve::ZeroData(const KelSigLimitCurve& other) {
  const CDescription description = other.description();
  ZeroData(other.size());
  description_ = description;
}

KelSigCurve& KelSigCurve::operator+=(const KelSigCurve& other) {
  if (!FitTogether(other) || other.dlen_ == 0) return *this;
  const float* source = other.data();  // read before touch: other may share our buffer
  handle_t keep = other.data_;
  DVL::VectorAdd(data(), source, dlen_);
  return *this;
}

KelSigCurve& KelSigCurve::operator/=(float f) {
  if (dlen_ == 0) return *this;
  if (f == 0.0f) {
    DVL::SetConstant(data(), 0.0f, dlen_);
  } else {
    DVL::VectorScale(data(), 1.0f / f, dlen_);
  }
  return *this;
}

bool KelSigCurve::AddData(const KelSigCurve& other, float w) {
  if (!FitTogether(other)) return false;
  if (dlen_ == 0) return true;
  handle_t keep = other.data_;
  DVL::VectorWeightedSum(data(), keep->data(), w, dlen_);
  return true;
}

bool KelSigCurve::AddSquaredData(const KelSigCurve& other, float w) {
  if (!FitTogether(other)) return false;
  if (dlen_ == 0) return true;
  handle_t keep = other.data_;
  DVL::VectorWeightedSqrSum(data(), keep->data(), w, dlen_);
  return true;
}

bool KelSigCurve::AddDataWithSquares(KelSigCurve& squares, const KelSigCurve& other, float w) {
  if (!FitTogether(other) || !squares.FitTogether(other)) return false;
  if (dlen_ == 0) return true;
  if (&squares == this) return AddSquaredData(other, w) && AddData(other, w);  // one curve twice
  handle_t keep = other.data_;  // the samples stay while ours are made private
  if (Shared() && squares.Shared()) {
    // Both shared (a learned item whose copy was just taken): the step reads the shared buffers
    // and writes buffers of our own, instead of copying them first and stepping in place.
    const handle_t sumWas = std::exchange(data_, NewBufferForOverwrite(dlen_));
    const handle_t sqrWas = std::exchange(squares.data_, NewBufferForOverwrite(dlen_));
    DVL::VectorWeightedSumAndSqrSumInto(data_->data(), squares.data_->data(), sumWas->data(),
                                        sqrWas->data(), keep->data(), w, dlen_);
    return true;
  }
  DVL::VectorWeightedSumAndSqrSum(data(), squares.data(), keep->data(), w, dlen_);
  return true;
}

bool KelSigCurve::CopyToCurve(CVisDataVector* out) const {
  if (out == nullptr || dlen_ == 0) return false;
  out->samples = data_;
  out->size = dlen_;
  out->xStart = description_.X(0).start;
  out->xDelta = description_.Delta(0);
  out->xUnit = description_.XUnit(0);
  out->yUnit = description_.YUnit();
  return true;
}

bool KelSigCurve::CopyToGrid(CVisDataGrid* out) const {
  if (out == nullptr || dlen_ == 0) return false;
  const bool twoDims = description_.XDims() > 1 && description_.Size(0) > 0;
  out->samples = data_;
  out->columns = twoDims ? description_.Size(0) : dlen_;
  out->rows = twoDims ? dlen_ / description_.Size(0) : 1;
  out->xStart = description_.X(0).start;
  out->xDelta = description_.Delta(0);
  out->xUnit = description_.XUnit(0);
  out->rowStart = twoDims ? description_.X(1).start : 0.0f;
  out->rowDelta = twoDims ? description_.Delta(1) : 1.0f;
  out->rowUnit = twoDims ? description_.XUnit(1) : CMeasuringUnit();
  out->valueUnit = description_.YUnit();
  return true;
}

void KelSigCurve::SetUnits(const CMeasuringUnit& xUnit, const CMeasuringUnit& yUnit) {
  description_.X(0).unit = xUnit;
  description_.SetYUnit(yUnit);
}

bool KelSigCurve::WriteToFile(CFile& file) const {
  bool ok = WriteLE(file, dlen_) && WriteLE(file, description_.Delta(0)) &&
            description_.XUnit(0).WriteToFile(file) && description_.YUnit().WriteToFile(file);
  if (ok && dlen_ > 0) ok = WriteFloatsLE(file, data_->data(), dlen_);
  return ok;
}

bool KelSigCurve::ReadFromFile(CFile& file) {
  uint32_t n = 0;
  float delta = 0.0f;
  CMeasuringUnit xUnit;
  CMeasuringUnit yUnit;
  if (!ReadLE(file, n) || !ReadLE(file, delta) || !xUnit.ReadFromFile(file) ||
      !yUnit.ReadFromFile(file))
    return false;
  if (RemainingBytes(file) < uint64_t{n} * sizeof(float)) return false;
  handle_t samples = NewBuffer(n);
  if (n > 0 && !ReadFloatsLE(file, samples->data(), n)) return false;
  data_ = std::move(samples);
  dlen_ = n;
  description_ = CDescription(n, delta, xUnit, yUnit);
  return true;
}
