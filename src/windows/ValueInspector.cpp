#include "windows/ValueInspector.h"

#include <algorithm>

#include "frame/EvStoreServer.h"
#include "host/Output.h"
#include "host/Sea.h"
#include "store/KelValueStore.h"
#include "windows/FormatText.h"
#include "windows/OperatorTexts.h"
#include "windows/ValueInspectorParamText.h"

namespace {

// Background colours by status (0x00BBGGRR): button face for a quantity that is not
// parametrized, red for one that is not measured, green for a limited track, yellow for a
// parametrized quantity, magenta for a track without limit. Cyan is kept for the host's
// selection and no status shows it.
constexpr uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) {
  return r | (g << 8) | (b << 16);
}
constexpr uint32_t kButtonFace = Rgb(240, 240, 240);
constexpr uint32_t kBrushes[6] = {kButtonFace,        Rgb(255, 130, 130), Rgb(130, 255, 130),
                                  Rgb(255, 255, 100), Rgb(255, 100, 255), Rgb(100, 255, 255)};

constexpr const char kScopeTitle[] = "Inspector K Scope";

bool IsValidKey(const CClavis& key) {
  return !(key == CClavis());
}

std::string Line(int textId) {
  return "\r\n" + OperatorText::Text(textId);
}

}  // namespace

CKelValueInspector::CKelValueInspector()
    : CModuleDialog(kDialogResource), dovetar_(this), scope_(kScopeTitle) {}

void CKelValueInspector::PostCreate() {
  SetBitmapId(kBitmapId);
  RegisterClient(Name());
  RegisterClient(kHelloClientName);
  const std::pair<CnScopeBalloon::item_t, int> names[] = {
      {CnScopeBalloon::itemCurve, OperatorText::kInspectorValue},
      {CnScopeBalloon::itemLimit, OperatorText::kInspectorLimit},
      {CnScopeBalloon::itemTrack, OperatorText::kInspectorTrack},
      {CnScopeBalloon::itemTrackSecond, OperatorText::kInspectorTrackSecond},
      {CnScopeBalloon::itemSpectrogram, OperatorText::kInspectorSpectrogram},
      {CnScopeBalloon::itemGrid, OperatorText::kInspectorGrid}};
  for (const auto& [item, textId] : names) scope_.SetItemName(item, OperatorText::Text(textId));
  scope_.SetTitle(Name() + "'s Scope");
  LoadKeys();
  if (IsValidKey(current_)) Rebuild();
}

unsigned char CKelValueInspector::ProcessCommand(const std::string& /*name*/,
                                                 unsigned long /*address*/, const void* data,
                                                 const char* /*text*/) {
  if (data != nullptr) dovetar_.Choose(CClavis(*static_cast<const SClavis*>(data)));
  return 1;
}

long CKelValueInspector::OnMessage(unsigned message, unsigned long /*wParam*/, long /*lParam*/) {
  if (message != CDovetarCtrl::kKeyChangedMessage) return 0;
  OnKeyChanged();
  return 1;
}

void CKelValueInspector::OnKeyChanged() {
  const CClavis chosen = dovetar_.Key();
  if (!(chosen == current_)) {
    auto end = std::remove(recent_.begin(), recent_.end(), chosen);
    std::fill(end, recent_.end(), CClavis());
    if (IsValidKey(current_)) {
      std::rotate(recent_.begin(), recent_.end() - 1, recent_.end());
      recent_[0] = current_;
    }
    current_ = chosen;
  }
  SaveKeys();
  Rebuild();
}

std::string CKelValueInspector::CurrentKeyName() const {
  return Kelva::FormatText("%s-Dovetar", Name().c_str());
}

std::string CKelValueInspector::RecentKeyName(unsigned n) const {
  return Kelva::FormatText("%s-Letzte-%u", Name().c_str(), n);
}

void CKelValueInspector::LoadKeys() {
  CSeaBase& sea = *CSeaBase::ApplicationSea();
  current_.SeaLookup(sea, CurrentKeyName(), false);
  for (unsigned n = 1; n <= kRecentKeys; ++n)
    recent_[n - 1].SeaLookup(sea, RecentKeyName(n), false);
  dovetar_.SetKey(current_);
}

void CKelValueInspector::SaveKeys() const {
  CSeaBase& sea = *CSeaBase::ApplicationSea();
  CClavis(current_).SeaLookup(sea, CurrentKeyName(), true);
  for (unsigned n = 1; n <= kRecentKeys; ++n)
    CClavis(recent_[n - 1]).SeaLookup(sea, RecentKeyName(n), true);
}

uint32_t CKelValueInspector::BackgroundColour() const {
  return kBrushes[std::clamp(status_, 0, 4)];
}

void CKelValueInspector::Rebuild() {
  const QClavis key = current_.ToQClavis();
  std::string text = ParametrizationText(key);
  const CKelValueStore* store = CEvStoreServer<CKelValueStore>::Object().Store(-1);
  scope_.HideAll();
  resultType_ = params_.ResultType(key.instrument());
  if (store == nullptr) {
    PrWin::Output(8, 1, "CKelValueInspector::Rebuild(): no value store to inspect\n");
  } else if (resultType_ == 1) {
    text += SingleValueText(*store, key);
  } else if (resultType_ == 2) {
    text += TrackText(*store, key);
  } else if (resultType_ == 3 || resultType_ == 4 || resultType_ == 6) {
    text += CurveText(*store, key);
  } else if (resultType_ == 5) {
    text += SpectrogramText(*store, key);
  }
  text += ValueInspectorText::CalcParamText(params_, key);
  text += ValueInspectorText::InstrumentParamText(params_, key);
  text_ = text;
}

std::string CKelValueInspector::ParametrizationText(const QClavis& key) {
  auto it = params_.IpParamAndStore().find(key);
  if (it == params_.IpParamAndStore().end()) {
    status_ = statusNotParametrized;
    return OperatorText::Text(OperatorText::kNotParametrized);
  }
  status_ = statusParametrized;
  return OperatorText::Text(it->second.store ? OperatorText::kParametrized
                                             : OperatorText::kParametrizedNotStored);
}

std::string CKelValueInspector::SingleValueText(const CKelValueStore& store,
                                                const QClavis& key) const {
  auto it = store.SingleValueMap().find(key);
  if (it == store.SingleValueMap().end()) return Line(OperatorText::kSingleValueNotMeasured);
  const KelStoreSValue& value = it->second;
  const std::pair<const char*, double> fields[] = {{"value", value.value},
                                                   {"position", value.position},
                                                   {"evalMode", value.evalMode},
                                                   {"aux", value.aux},
                                                   {"limit", value.limit}};
  std::string text = Line(OperatorText::kSingleValueFound);
  for (const auto& [name, number] : fields)
    text += Kelva::FormatText("\r\n  %s = %5.3f;", name, number);
  return text + Kelva::FormatText("\r\n  <LAvg> = %5.3f", static_cast<double>(value.mean));
}

std::string CKelValueInspector::TrackText(const CKelValueStore& store, const QClavis& key) {
  const CKelTrackScalarStore& tracks = store.TrackScalarStore();
  const int length = tracks.GetTrackLength(key);
  if (length < 0) {
    status_ = statusNotMeasured;
    return Line(OperatorText::kTrackNotMeasured);
  }
  if (length == 0) return Line(OperatorText::kTrackNoPoints);
  const int dimensions = tracks.GetTrackDimension(key);
  const auto& points = tracks.FindTrack(key)->points;
  const bool limited = std::any_of(points.begin(), points.end(), [](const auto& point) {
    return point.second.evalMode != QVInstrumentParam::eval_none;
  });
  status_ = limited ? statusTrackLimited : statusTrackWithoutLimit;
  ShowTrack(store, key, dimensions);
  return "\r\n" + Kelva::FormatText(OperatorText::Text(OperatorText::kTrackWithPoints).c_str(),
                                    length, dimensions);
}

// Up to two dimensions as one polygon each; more as a grid of the track and its history.
void CKelValueInspector::ShowTrack(const CKelValueStore& store, const QClavis& key,
                                   int dimensions) {
  const CKelTrackScalarStore& tracks = store.TrackScalarStore();
  if (dimensions <= 2) {
    tracks.GeneratePolygonData(key, 1, &scope_.Track());
    scope_.Show(CnScopeBalloon::itemTrack);
    if (dimensions == 2) {
      tracks.GeneratePolygonData(key, 2, &scope_.TrackSecond());
      scope_.Show(CnScopeBalloon::itemTrackSecond);
    }
  } else {
    tracks.GenerateArrayData(key, 1, &scope_.Grid());
    scope_.Show(CnScopeBalloon::itemGrid);
  }
  scope_.Scale();
}

std::string CKelValueInspector::CurveText(const CKelValueStore& store, const QClavis& key) {
  auto it = store.SigCurveLimitMap().find(key);
  if (it == store.SigCurveLimitMap().end()) {
    status_ = statusNotMeasured;
    return Line(OperatorText::kNoMeasuredData);
  }
  const KelSigLimitCurve& curve = it->second;
  const CDescription& description = curve.description();
  std::string text = Line(OperatorText::kMeasuredDataFound) + "\r\n";
  if (description.XDims() >= 2)
    text += Kelva::FormatText("DLen %u x %u, x-max %5.2f x %5.2f\r\n", description.Size(0),
                              description.Size(1),
                              static_cast<double>(description.Size(0) * description.Delta(0)),
                              static_cast<double>(description.Size(1) * description.Delta(1)));
  else
    text += Kelva::FormatText("DLen %u, x-max %5.2f\r\n", curve.size(),
                              static_cast<double>(curve.size() * description.Delta(0)));
  if (curve.size() == 0) return text + OperatorText::Text(OperatorText::kNoCurveData);
  curve.CopyToCurve(&scope_.Curve());
  scope_.Show(CnScopeBalloon::itemCurve);
  const bool hasLimit = curve.LimitState() != QVInstrumentParam::eval_none;
  if (hasLimit) {
    curve.CopyLimitToCurve(&scope_.Limit());
    scope_.Show(CnScopeBalloon::itemLimit);
  }
  scope_.Scale();
  return text + OperatorText::Text(hasLimit ? OperatorText::kLimitCurveAvailable
                                            : OperatorText::kNoLimitCurve);
}

std::string CKelValueInspector::SpectrogramText(const CKelValueStore& store, const QClavis& key) {
  const CKelTrackCurveStore& tracks = store.TrackCurveStore();
  const int length = tracks.GetTrackLength(key);
  if (length < 0) return Line(OperatorText::kSpectrogramNotMeasured);
  if (length == 0) return Line(OperatorText::kSpectrogramEmpty);
  const int spectra = tracks.GenerateCurveArray(key, scope_.Spectrogram(), nullptr);
  scope_.Show(CnScopeBalloon::itemSpectrogram);
  scope_.Scale();
  return "\r\n" + Kelva::FormatText(
                      OperatorText::Text(OperatorText::kSpectrogramWithSpectra).c_str(), spectra);
}
