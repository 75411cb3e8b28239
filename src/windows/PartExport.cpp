#include "windows/PartExport.h"

#include <charconv>
#include <cmath>

#include "frame/DescribedKey.h"
#include "frame/EvStoreServer.h"
#include "host/Display.h"
#include "host/JsonText.h"
#include "store/KelValueStore.h"

namespace PartExport {

namespace {

// As printf's "%.6g" writes it (to_chars with a precision is specified so), without printf's
// cost: a part has a million numbers.
std::string Number(double value) {
  if (!std::isfinite(value)) return "null";
  char text[32];
  const auto end = std::to_chars(text, text + sizeof(text), value, std::chars_format::general, 6);
  return std::string(text, end.ptr);
}

std::string Member(const char* name, const std::string& json) {
  return std::string(",\"") + name + "\":" + json;
}

std::string UnitMember(const char* name, const CMeasuringUnit& unit) {
  return Member(name, JsonText::Quoted(unit.Text()));
}

std::string Head(const CDtParamInstance& params, const QClavis& key, const char* kind) {
  return "{" + DescribedKey::JsonMembers(params, key) + Member("kind", JsonText::Quoted(kind));
}

std::string Samples(const CVisDataVector& curve) {
  std::string json = "[";
  const float* data = curve.Data();
  for (uint32_t i = 0; data != nullptr && i < curve.size; ++i) {
    if (i > 0) json += ",";
    json += Number(data[i]);
  }
  return json + "]";
}

std::string SingleValue(const CDtParamInstance& params, const CKelValueStore& store,
                        const QClavis& key, const KelStoreSValue& value) {
  return Head(params, key, "single") + UnitMember("unit", store.GetMeasuringUnit(key)) +
         Member("value", Number(value.value)) + Member("position", Number(value.position)) +
         Member("evalMode", std::to_string(value.evalMode)) + Member("limit", Number(value.limit)) +
         Member("mean", Number(value.mean)) + "}";
}

// A curve without samples says so with an empty "samples" array.
std::string Spectrum(const CDtParamInstance& params, const QClavis& key,
                     const KelSigLimitCurve& curve) {
  CVisDataVector samples;
  curve.CopyToCurve(&samples);
  const CDescription& description = curve.description();
  std::string json =
      Head(params, key, "spectrum") + UnitMember("unit", description.YUnit()) +
      Member("x0", Number(description.X(0).start)) + Member("dx", Number(description.Delta(0))) +
      UnitMember("xUnit", description.XUnit(0)) +
      Member("evalMode", std::to_string(curve.LimitState())) + Member("samples", Samples(samples));
  CVisDataVector limit;
  if (curve.LimitState() != QVInstrumentParam::eval_none && curve.CopyLimitToCurve(&limit))
    json += Member("limit", Samples(limit));
  return json + "}";
}

// The polygon gives the points' positions on the trigger axis in the order of the track's
// points, so the two are walked side by side.
std::string Track(const CDtParamInstance& params, const CKelTrackScalarStore& tracks,
                  const QClavis& key) {
  const auto* track = tracks.FindTrack(key);
  CTriggerStore::CInterval interval;
  const int dimension = tracks.GetTrackInterval(key, interval);
  CVisDataPolygon polygon;
  tracks.GeneratePolygonData(key, dimension >= 0 ? dimension + 1 : 1, &polygon);
  std::string points;
  size_t index = 0;
  for (const auto& [cell, point] : track->points) {
    if (index >= polygon.Points().size()) break;
    if (index > 0) points += ",";
    points += "[" + Number(polygon.Points()[index].x) + "," + Number(point.value) + "," +
              std::to_string(point.evalMode) + "," + Number(point.upperLimit) + "," +
              Number(point.lowerLimit) + "," + Number(point.mean) + "]";
    ++index;
  }
  return Head(params, key, "track") + UnitMember("unit", track->unit) +
         UnitMember("xUnit", polygon.xUnit) + Member("points", "[" + points + "]") + "}";
}

void Append(std::string& list, const std::string& item) {
  if (!list.empty()) list += ",";
  list += item;
}

}  // namespace

std::string Json(const CKelValueStore& store) {
  const CDtParamInstance params;
  std::string quantities;
  for (const auto& [key, value] : store.SingleValueMap())
    Append(quantities, SingleValue(params, store, key, value));
  for (const auto& [key, curve] : store.SigCurveLimitMap())
    Append(quantities, Spectrum(params, key, curve));
  const CKelTrackScalarStore& tracks = store.TrackScalarStore();
  for (const auto& [trackKey, track] : tracks.ValueMap()) {
    const QClavis& key = tracks.DovetarOfKey(trackKey);
    if (key.mode() < 0) continue;  // a track key the key map does not know
    Append(quantities, Track(params, tracks, key));
  }
  return "{\"quantities\":[" + quantities + "]}\n";
}

bool DefaultStoreJson(std::string& json) {
  const CKelValueStore* store = CEvStoreServer<CKelValueStore>::Object().Store(-1);
  if (store == nullptr) {
    json = "no value store holds a part";
    return false;
  }
  json = Json(*store);
  return true;
}

}  // namespace PartExport
