#pragma once
// KelSigCurve: a curve of float samples (a spectrum, an order cut) with its description.
//
// Samples live in a shared, 32-byte aligned buffer. Copies share the buffer, so the stores can
// keep a curve as current value, history entry and average without copying samples. Every
// writing operation first calls touch(): a shared buffer (use count other than 1) is replaced
// by a private copy, an unshared one is written in place without allocating.

#include <cstdint>
#include <memory>
#include <tuple>

#include "host/AlignedMem.h"
#include "host/Description.h"
#include "host/Display.h"
#include "host/Signal.h"
#include "store/QValueStoreItemBase.h"

class CFile;
class KelSigLimitCurve;

class KelSigCurve : public QValueStoreItemBase {
 public:
  static constexpr uint32_t s_version = 1;
  using handle_t = std::shared_ptr<CAlignedMem<float>>;

  // No samples, one x and one y dimension.
  KelSigCurve() = default;
  // The signal's samples (copied), description, context and expiry.
  explicit KelSigCurve(const CSignalieee32& signal);
  // dlen from the description's number of samples; null samples give zeros.
  KelSigCurve(const float* samples, const CDescription& description);
  // Shares `buffer`; dlen is the buffer's length.
  KelSigCurve(handle_t buffer, const CDescription& description);
  ~KelSigCurve() override = default;
  KelSigCurve(const KelSigCurve&) = default;
  KelSigCurve& operator=(const KelSigCurve&) = default;

  // Description, samples (copied), context and expiry of the signal.
  KelSigCurve& operator=(const CSignalieee32& signal);

  // n samples; the first min(n, old size) keep their values, new ones are 0. With a single x
  // dimension its size follows n.
  void Resize(uint32_t n);
  // n samples (copied from `samples` unless null), one x dimension of n samples with distance
  // `delta` and unit `xUnit`, one y dimension with unit `yUnit`.
  void ImportData(const float* samples, uint32_t n, float delta, const CMeasuringUnit& xUnit,
                  const CMeasuringUnit& yUnit);
  // Same length, same number of x dimensions and same first x dimension.
  bool FitTogether(const KelSigCurve& other) const;

  void ZeroData(uint32_t n);
  // Zeros of the other's length, with the other's description.
  void ZeroData(const KelSigCurve& other);
  void ZeroData(const KelSigLimitCurve& other);

  // Adds the other's samples when both fit together (an empty other adds nothing).
  KelSigCurve& operator+=(const KelSigCurve& other);
  // Multiplies every sample by 1/f; f = 0 gives zeros.
  KelSigCurve& operator/=(float f);
  // When both fit: sample = w·this + (1−w)·other. Returns whether they fit.
  bool AddData(const KelSigCurve& other, float w);
  // When both fit: sample = w·this + (1−w)·other². Returns whether they fit.
  bool AddSquaredData(const KelSigCurve& other, float w);
  // AddData into this and AddSquaredData into `squares` in one pass over the other's samples,
  // bit for bit the same; only when all three fit together. Returns whether they fit (when not,
  // neither curve changes).
  bool AddDataWithSquares(KelSigCurve& squares, const KelSigCurve& other, float w);

  // Hand the samples (shared), the x axis and the units to a display record; false when empty.
  bool CopyToCurve(CVisDataVector* out) const;
  bool CopyToGrid(CVisDataGrid* out) const;

  const handle_t& handle() const { return data_; }
  float* data();  // touches first
  const float* data() const { return data_ ? data_->data() : nullptr; }
  uint32_t size() const { return dlen_; }
  uint32_t dlen(uint32_t i) const { return description_.Size(i); }
  float delta(uint32_t i) const { return description_.Delta(i); }
  const CDescription& description() const { return description_; }
  const CMeasuringUnit& XUnit(uint32_t i) const { return description_.XUnit(i); }
  const CMeasuringUnit& YUnit() const { return description_.YUnit(); }
  void SetUnits(const CMeasuringUnit& xUnit, const CMeasuringUnit& yUnit);

  // The curve's file form (docs/file-formats.md, "Curve record"): n, x distance, x and y unit,
  // then n samples. ReadFromFile takes nothing unless the whole record is there: a record cut
  // short, or whose n samples would not fit into the bytes left in the file, leaves the curve
  // unchanged and returns false.
  bool WriteToFile(CFile& file) const;
  bool ReadFromFile(CFile& file);

  auto tuple() { return std::tie(dlen_); }
  auto tuple() const { return std::tie(dlen_); }

  // Makes the buffer private to this curve (copies it when shared).
  void touch();
  // Whether another owner shares the samples (a write must not change them in place).
  bool Shared() const { return data_ && data_.use_count() != 1; }

 private:
  void CopyFrom(const float* samples, uint32_t n);

  uint32_t dlen_ = 0;
  CDescription description_;
  handle_t data_;
};
