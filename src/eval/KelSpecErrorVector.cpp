#include "eval/KelSpecErrorVector.h"

#include <algorithm>
#include <string>

#include "eval/KelSpecRange.h"
#include "eval/KelSpectralHat.h"
#include "host/Output.h"

namespace {

// Per-key warnings in the plain style.
constexpr int kKeyMessageStyle = 1;

std::unique_ptr<CAlignedMem<int>> CopyOf(const CAlignedMem<int>& source) {
  auto copy = std::make_unique<CAlignedMem<int>>(source.size());
  std::copy(source.data(), source.data() + source.size(), copy->data());
  return copy;
}

void MissingRecordMessage(const CDtParamInstance& params, const char* what, const QClavis& hat,
                          const QClavis& spectrum) {
  const std::string text = "CKelSpecErrorVector::ApplyHatsToErrorVector(): no " +
                           std::string(what) + " record for hat '" + params.FormatClavisText(hat) +
                           "' of spectrum '" + params.FormatClavisText(spectrum) +
                           "'; the spectrum is not evaluated\n";
  PrWin::Output(text, PrWin::catWarning, kKeyMessageStyle);
}

}  // namespace

CKelSpecErrorVector::CKelSpecErrorVector(uint32_t binCount, float binWidth)
    : binCount_(binCount),
      binWidth_(binWidth),
      codes_(std::make_unique<CAlignedMem<int>>(binCount)),
      instruments_(std::make_unique<CAlignedMem<int>>(binCount)) {}

CKelSpecErrorVector::CKelSpecErrorVector(const CKelSpecErrorVector& other)
    : binCount_(other.binCount_),
      binWidth_(other.binWidth_),
      codes_(CopyOf(*other.codes_)),
      instruments_(CopyOf(*other.instruments_)) {}

CKelSpecErrorVector& CKelSpecErrorVector::operator=(const CKelSpecErrorVector& other) {
  if (this == &other) return *this;
  binCount_ = other.binCount_;
  binWidth_ = other.binWidth_;
  codes_ = CopyOf(*other.codes_);
  instruments_ = CopyOf(*other.instruments_);
  return *this;
}

bool CKelSpecErrorVector::ApplyHatsToErrorVector(const CDtParamInstance& params,
                                                 const QClavis& spectrum,
                                                 const CMeasuringUnit& xUnit) {
  const auto own = params.IpParamAndStore().find(spectrum);
  if (own == params.IpParamAndStore().end()) {
    PrWin::Output(PrWin::catWarning, kKeyMessageStyle,
                  "CKelSpecErrorVector::ApplyHatsToErrorVector(): no QVIpParamAndStore record for "
                  "spectrum '%s'; the spectrum is not evaluated\n",
                  params.FormatClavisText(spectrum).c_str());
    return false;
  }
  std::fill(codes_->data(), codes_->data() + binCount_, own->second.errorCode);
  std::fill(instruments_->data(), instruments_->data() + binCount_, spectrum.instrument());

  // The hat limits of the spectrum's mode and channel.
  const int hatInstrument = Kelva::HatInstrumentOf(spectrum.instrument());
  const auto& hats = params.LimSValue();
  const auto first =
      hats.lower_bound(QClavis(spectrum.mode(), hatInstrument, spectrum.channel(), 0, 0, 0));
  const auto last =
      hats.lower_bound(QClavis(spectrum.mode(), hatInstrument, spectrum.channel() + 1, 0, 0, 0));
  bool complete = true;
  for (auto hat = first; hat != last; ++hat)
    if (!ApplyHat(params, hat->first, spectrum, xUnit)) complete = false;
  return complete;
}

bool CKelSpecErrorVector::ApplyHat(const CDtParamInstance& params, const QClavis& hat,
                                   const QClavis& spectrum, const CMeasuringUnit& xUnit) {
  if (Kelva::SpectralHatMatches(params, hat, spectrum).first != Kelva::hat_of_spectrum) return true;
  if (params.InstrumentParam().find(QIdx1(hat.parameter())) == params.InstrumentParam().end()) {
    MissingRecordMessage(params, "QVInstrumentParam", hat, spectrum);
    return false;
  }
  if (!Kelva::IsSpectralSingleValue(params, hat)) return true;
  const auto record = params.IpParamAndStore().find(hat);
  if (record == params.IpParamAndStore().end()) {
    MissingRecordMessage(params, "QVIpParamAndStore", hat, spectrum);
    return false;
  }
  CKelSpecRange range(params);
  range.ApplyECOnSpectralErcVector(hat, spectrum, codes_->data(), instruments_->data(), binCount_,
                                   binWidth_, record->second.errorCode, xUnit);
  return true;
}
