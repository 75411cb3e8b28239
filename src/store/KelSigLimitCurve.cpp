#include "store/KelSigLimitCurve.h"

#include <algorithm>
#include <mutex>
#include <unordered_map>

#include "host/File.h"
#include "host/Numeric.h"
#include "host/Output.h"

namespace {

KelSigLimitCurve::handle_t NewBuffer(uint32_t n) {
  if (n == 0) return nullptr;
  return CAlignedMem<float>::Make(n);
}

KelSigLimitCurve::handle_t Resized(const KelSigLimitCurve::handle_t& old, uint32_t oldSize,
                                   uint32_t n) {
  KelSigLimitCurve::handle_t resized = NewBuffer(n);
  if (resized && old) DVL::Copy(old->data(), resized->data(), std::min(n, oldSize));
  return resized;
}

bool Shared(const KelSigLimitCurve::handle_t& buffer) {
  return buffer && buffer.use_count() != 1;
}

// A zero buffer of n samples shared by every limit curve that has not been written yet: most
// stored curves never get a limit of their own, and the first write copies it (copy on write).
KelSigLimitCurve::handle_t SharedZeros(uint32_t n) {
  if (n == 0) return nullptr;
  static std::mutex mutex;
  static std::unordered_map<uint32_t, KelSigLimitCurve::handle_t> zeros;
  std::lock_guard<std::mutex> lock(mutex);
  auto& buffer = zeros[n];
  if (!buffer) buffer = NewBuffer(n);
  return buffer;
}

// The limit's buffer when it fits the curve, else a zero limit of the curve's length.
KelSigLimitCurve::handle_t FittingLimit(const KelSigCurve& curve, const KelSigCurve& limit) {
  if (curve.FitTogether(limit)) return limit.handle();
  PrWin::Output(PrWin::catWarning, 1,
                "KelSigLimitCurve: a limit of %u samples does not fit a curve of %u samples; a "
                "zero limit is used\n",
                limit.size(), curve.size());
  return SharedZeros(curve.size());
}

}  // namespace

KelSigLimitCurve::KelSigLimitCurve(const float* samples, uint32_t n, float delta, int32_t evalMode)
    : curve_(NewBuffer(n)), limit_(NewBuffer(n)), size_(n), limitState_(evalMode) {
  description_.X(0).size = n;
  description_.X(0).delta = delta;
  if (samples != nullptr && n > 0) DVL::Copy(samples, curve_->data(), n);
}

KelSigLimitCurve::KelSigLimitCurve(const KelSigCurve& curve)
    : QValueStoreItemBase(curve.context, curve.expire),
      curve_(curve.handle()),
      limit_(SharedZeros(curve.size())),
      size_(curve.size()),
      description_(curve.description()) {}

KelSigLimitCurve::KelSigLimitCurve(const KelSigCurve& curve, const KelSigCurve& limit)
    : QValueStoreItemBase(curve.context, curve.expire),
      curve_(curve.handle()),
      limit_(FittingLimit(curve, limit)),
      size_(curve.size()),
      description_(curve.description()) {}

KelSigLimitCurve& KelSigLimitCurve::operator=(const KelSigCurve& curve) {
  context = curve.context;
  expire = curve.expire;
  curve_ = curve.handle();
  limit_ = SharedZeros(curve.size());
  size_ = curve.size();
  description_ = curve.description();
  ResetMinLimDist();
  limitState_ = QVInstrumentParam::eval_none;
  return *this;
}

void KelSigLimitCurve::touch() {
  TouchCurve();
  TouchLimit();
}

void KelSigLimitCurve::TouchCurve() {
  if (Shared(curve_)) curve_ = curve_->Clone();
}

void KelSigLimitCurve::TouchLimit() {
  if (Shared(limit_)) limit_ = limit_->Clone();
}

KelSigLimitCurve& KelSigLimitCurve::operator+=(const KelSigLimitCurve& other) {
  if (!FitTogether(other) || size_ == 0 || !other.curve_) return *this;
  const handle_t source = other.curve_;
  TouchCurve();
  DVL::VectorAdd(curve_->data(), source->data(), size_);
  return *this;
}

KelSigLimitCurve& KelSigLimitCurve::operator/=(float f) {
  if (size_ == 0) return *this;
  TouchCurve();
  if (f == 0.0f) {
    DVL::SetConstant(curve_->data(), 0.0f, size_);
  } else {
    DVL::VectorDivide(curve_->data(), f, size_);
  }
  return *this;
}

void KelSigLimitCurve::maximize(const KelSigLimitCurve& other) {
  if (!FitTogether(other) || size_ == 0 || !other.curve_) return;
  const handle_t source = other.curve_;
  TouchCurve();
  DVL::VectorMaximum(curve_->data(), source->data(), size_);
}

void KelSigLimitCurve::Resize(uint32_t n) {
  if (n == size_) {
    touch();
    return;
  }
  curve_ = Resized(curve_, size_, n);
  limit_ = Resized(limit_, size_, n);
  size_ = n;
  if (description_.XDims() == 1) description_.X(0).size = n;
}

bool KelSigLimitCurve::FitTogether(const KelSigLimitCurve& other) const {
  return size_ == other.size_ && description_.XDims() == other.description_.XDims() &&
         description_.X(0) == other.description_.X(0);
}

KelSigCurve KelSigLimitCurve::Curve() const {
  return KelSigCurve(curve_, description_);
}

KelSigCurve KelSigLimitCurve::Limit() const {
  return KelSigCurve(limit_, description_);
}

float* KelSigLimitCurve::LimitDataForOverwrite() {
  if (Shared(limit_)) limit_ = CAlignedMem<float>::Make(size_, CAlignedMem<float>::ForOverwrite{});
  return limit_ ? limit_->data() : nullptr;
}

float* KelSigLimitCurve::LimitData() {
  TouchLimit();
  return limit_ ? limit_->data() : nullptr;
}

bool KelSigLimitCurve::CopyToCurve(CVisDataVector* out) const {
  return Curve().CopyToCurve(out);
}

bool KelSigLimitCurve::CopyToGrid(CVisDataGrid* out) const {
  return Curve().CopyToGrid(out);
}

bool KelSigLimitCurve::CopyLimitToCurve(CVisDataVector* out) const {
  return Limit().CopyToCurve(out);
}

void KelSigLimitCurve::SetMinLimDist(float distance, uint32_t index) {
  minLimDist_ = distance;
  minLimDistIndex_ = index;
  minLimDistValid_ = true;
}

void KelSigLimitCurve::ResetMinLimDist() {
  minLimDist_ = 0.0f;
  minLimDistIndex_ = 0;
  minLimDistValid_ = false;
}

bool KelSigLimitCurve::WriteToFile(CFile& file) const {
  const uint16_t reserved = 0;
  bool ok = WriteLE(file, reserved) && WriteLE(file, reserved) && WriteLE(file, size_) &&
            WriteLE(file, description_.Delta(0)) && WriteLE(file, limitState_) &&
            description_.XUnit(0).WriteToFile(file) && description_.YUnit().WriteToFile(file);
  if (ok && size_ > 0) {
    ok = WriteFloatsLE(file, curve_->data(), size_) && WriteFloatsLE(file, limit_->data(), size_);
  }
  return ok;
}

bool KelSigLimitCurve::ReadFromFile(CFile& file, unsigned version) {
  if (version != s_version) return false;
  uint16_t reserved = 0;
  uint32_t n = 0;
  float delta = 1.0f;
  int32_t state = 0;
  if (!ReadLE(file, reserved) || !ReadLE(file, reserved) || !ReadLE(file, n)) return false;
  if (!ReadLE(file, delta)) delta = 1.0f;
  CMeasuringUnit xUnit;
  CMeasuringUnit yUnit;
  if (!ReadLE(file, state) || !xUnit.ReadFromFile(file) || !yUnit.ReadFromFile(file)) return false;
  if (RemainingBytes(file) < 2ull * n * sizeof(float)) return false;
  handle_t curve = NewBuffer(n);
  handle_t limit = NewBuffer(n);
  if (n > 0 && (!ReadFloatsLE(file, curve->data(), n) || !ReadFloatsLE(file, limit->data(), n)))
    return false;

  CDescription description(n, delta, xUnit, yUnit);
  curve_ = std::move(curve);
  limit_ = std::move(limit);
  size_ = n;
  description_ = description;
  limitState_ = state;
  ResetMinLimDist();
  return true;
}
