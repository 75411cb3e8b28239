#pragma once
// KelSigLimitCurve: a curve together with its limit curve, the limit's direction and the
// smallest distance of the curve to its limit as recorded by the evaluation.
//
// Both sample buffers are shared between copies, as for KelSigCurve. Each is copied when it is
// written while shared, and only that one: writing the limit (LimitData) leaves the measured
// curve shared with the buffer it arrived in, and the curve operations leave the limit shared.
// touch() makes both private.
//
// Invariant: both buffers hold exactly size() samples (both are null when size() is 0). Every
// constructor, assignment, resize and read keeps it, so the sample blocks can be walked for
// size() samples without further checks.

#include <cstdint>
#include <memory>
#include <tuple>

#include "host/AlignedMem.h"
#include "host/Description.h"
#include "host/Display.h"
#include "host/InstrumentParam.h"
#include "store/KelSigCurve.h"
#include "store/QValueStoreItemBase.h"

class CFile;

class KelSigLimitCurve : public QValueStoreItemBase {
 public:
  static constexpr uint32_t s_version = 1;
  using handle_t = KelSigCurve::handle_t;

  KelSigLimitCurve() = default;
  // n samples copied into the curve (zeros when null), a zero limit of n samples, x distance
  // `delta`, limit state `evalMode`.
  KelSigLimitCurve(const float* samples, uint32_t n, float delta, int32_t evalMode);
  // Shares the curve's buffer; a new zero limit of the same length; the curve's description.
  explicit KelSigLimitCurve(const KelSigCurve& curve);
  // Shares the curve's buffer and takes its description, context and expiry. The limit is
  // taken (shared) only when it fits the curve (KelSigCurve::FitTogether: the same number of
  // samples and the same x axis). A limit that does not fit — an empty one, a shorter or a
  // longer one, one over another axis — is not taken: the record gets a zero limit of the
  // curve's length, and the output window says so (category 8, style 1):
  // "KelSigLimitCurve: a limit of <m> samples does not fit a curve of <n> samples; a zero limit
  // is used\n". Callers that must know check FitTogether before.
  KelSigLimitCurve(const KelSigCurve& curve, const KelSigCurve& limit);
  ~KelSigLimitCurve() override = default;
  KelSigLimitCurve(const KelSigLimitCurve&) = default;
  KelSigLimitCurve& operator=(const KelSigLimitCurve&) = default;

  // Shares the curve's buffer and takes its length, description, context and expiry; the limit
  // becomes zeros of that length, the minimum distance is reset and the limit state is 0.
  KelSigLimitCurve& operator=(const KelSigCurve& curve);

  // Adds the other's curve samples when both fit (the limit is unchanged).
  KelSigLimitCurve& operator+=(const KelSigLimitCurve& other);
  // Divides the curve by f (a true division, not a multiplication by 1/f); f = 0 gives zeros.
  KelSigLimitCurve& operator/=(float f);
  // When both fit, the curve becomes the sample-wise maximum of both curves.
  void maximize(const KelSigLimitCurve& other);

  // Both buffers to n samples; the first min(n, old size) keep their values.
  void Resize(uint32_t n);
  bool FitTogether(const KelSigLimitCurve& other) const;

  // Curves sharing the respective buffer, with this record's description.
  KelSigCurve Curve() const;
  KelSigCurve Limit() const;
  const float* CurveData() const { return curve_ ? curve_->data() : nullptr; }
  float* LimitData();  // makes the limit private first
  // The limit's samples for a caller that writes every one of them: a shared limit is replaced
  // by a new buffer whose samples are unspecified until written, instead of being copied.
  float* LimitDataForOverwrite();
  const float* LimitData() const { return limit_ ? limit_->data() : nullptr; }
  const handle_t& CurveHandle() const { return curve_; }
  const handle_t& LimitHandle() const { return limit_; }

  bool CopyToCurve(CVisDataVector* out) const;
  bool CopyToGrid(CVisDataGrid* out) const;
  bool CopyLimitToCurve(CVisDataVector* out) const;

  int32_t LimitState() const { return limitState_; }
  void LimitState(int32_t state) { limitState_ = state; }
  // (distance, index, valid)
  std::tuple<float, uint32_t, bool> MinLimDist() const {
    return {minLimDist_, minLimDistIndex_, minLimDistValid_};
  }
  void SetMinLimDist(float distance, uint32_t index);
  void ResetMinLimDist();

  uint32_t size() const { return size_; }
  const CDescription& description() const { return description_; }
  void SetDescription(const CDescription& description) { description_ = description; }

  // The record's file form (docs/file-formats.md). Reading accepts version 1 only and refuses
  // (false, record unchanged) a short or inconsistent record; sample counts are checked
  // against the bytes left in the file before anything is allocated.
  bool WriteToFile(CFile& file) const;
  bool ReadFromFile(CFile& file, unsigned version);

  auto tuple() { return std::tie(size_, limitState_); }
  auto tuple() const { return std::tie(size_, limitState_); }

  void touch();

 private:
  void TouchCurve();
  void TouchLimit();

  handle_t curve_;
  handle_t limit_;
  uint32_t size_ = 0;
  CDescription description_;
  bool minLimDistValid_ = false;
  float minLimDist_ = 0.0f;
  uint32_t minLimDistIndex_ = 0;
  int32_t limitState_ = QVInstrumentParam::eval_none;
};
