#include "frame/LearnDescriber.h"

#include <cmath>
#include <cstdint>
#include <optional>

#include "frame/DescribedKey.h"
#include "frame/IdentifierTablesDescriber.h"
#include "host/JsonText.h"
#include "host/Numeric.h"
#include "learn/KelLearnCurveTrackMachine.h"
#include "learn/KelLearnScalarTrackMachine.h"
#include "params/KelvaTableDef.h"

namespace LearnDescriber {

namespace {

std::string FloatJson(float value) {
  return std::isfinite(value) ? KelvaTableDef::FieldText(value) : "null";
}

// The mean of the points of a curve's average; none for a curve without points.
std::optional<float> AverageMean(const KelLearnCurve& item) {
  const KelSigCurve& average = item.Average();
  if (average.size() == 0 || average.data() == nullptr) return std::nullopt;
  double sum = 0.0;
  for (uint32_t i = 0; i < average.size(); ++i) sum += average.data()[i];
  return static_cast<float>(sum / average.size());
}

std::string KernelText(const KelLearnItemBaseKernel& item) {
  return "count " + std::to_string(item.count) + ", remaining " + std::to_string(item.remaining) +
         ", active " + std::to_string(item.active);
}

std::string KernelJson(const KelLearnItemBaseKernel& item) {
  return "\"count\":" + std::to_string(item.count) +
         ",\"remaining\":" + std::to_string(item.remaining) +
         ",\"active\":" + std::to_string(item.active);
}

std::string ItemText(const KelLearnSValue& item) {
  return KernelText(item) + ", mean " + KelvaTableDef::FieldText(item.mean) +
         ", standard deviation " +
         KelvaTableDef::FieldText(numeric::stddev(item.mean, item.meanSquare, 1.0f));
}

std::string ItemJson(const KelLearnSValue& item) {
  return KernelJson(item) + ",\"mean\":" + FloatJson(item.mean) +
         ",\"standardDeviation\":" + FloatJson(numeric::stddev(item.mean, item.meanSquare, 1.0f));
}

std::string ItemText(const KelLearnCurve& item) {
  const std::optional<float> mean = AverageMean(item);
  return KernelText(item) + ", " + std::to_string(item.Average().size()) +
         " points, mean of average " + (mean ? KelvaTableDef::FieldText(*mean) : "none");
}

std::string ItemJson(const KelLearnCurve& item) {
  const std::optional<float> mean = AverageMean(item);
  return KernelJson(item) + ",\"points\":" + std::to_string(item.Average().size()) +
         ",\"averageMean\":" + (mean ? FloatJson(*mean) : "null");
}

// "final scalar <key>: <item>\n" per item.
template <typename Table>
std::string FinalText(const char* what, const Table& table, const CDtParamInstance& params) {
  std::string text;
  for (const auto& [key, item] : table)
    text +=
        std::string(what) + " " + DescribedKey::Text(params, key) + ": " + ItemText(item) + "\n";
  return text;
}

template <typename Table>
std::string FinalJson(const char* member, const Table& table, const CDtParamInstance& params) {
  std::string json = JsonText::Quoted(member) + ":[";
  bool first = true;
  for (const auto& [key, item] : table) {
    json += std::string(first ? "" : ",") + "{" + DescribedKey::JsonMembers(params, key) + "," +
            ItemJson(item) + "}";
    first = false;
  }
  return json + "]";
}

// "scalar track <track key> (<key>): <n> points\n", then "  position <p>: <item>\n" per point.
template <typename Machine>
std::string TracksText(const char* what, const Machine& machine, const CDtParamInstance& params) {
  std::string text;
  for (const auto& [trackKey, track] : machine.Table()) {
    text += std::string(what) + " " + std::to_string(trackKey.id()) + " (" +
            DescribedKey::Text(params, machine.DovetarOfKey(trackKey)) +
            "): " + std::to_string(track.size()) + (track.size() == 1 ? " point\n" : " points\n");
    for (const auto& [position, item] : track)
      text += "  position " + std::to_string(position) + ": " + ItemText(item) + "\n";
  }
  return text;
}

template <typename Machine>
std::string TracksJson(const char* member, const Machine& machine, const CDtParamInstance& params) {
  std::string json = JsonText::Quoted(member) + ":[";
  bool firstTrack = true;
  for (const auto& [trackKey, track] : machine.Table()) {
    json += std::string(firstTrack ? "" : ",") + "{\"trackKey\":" + std::to_string(trackKey.id()) +
            "," + DescribedKey::JsonMembers(params, machine.DovetarOfKey(trackKey)) +
            ",\"points\":[";
    bool firstPoint = true;
    for (const auto& [position, item] : track) {
      json += std::string(firstPoint ? "" : ",") + "{\"position\":" + std::to_string(position) +
              "," + ItemJson(item) + "}";
      firstPoint = false;
    }
    json += "]}";
    firstTrack = false;
  }
  return json + "]";
}

// The four chunks: id, what they hold, rows, and tracks (-1 for chunks of final values).
struct Chunk {
  int32_t id;
  const char* kind;
  size_t rows;
  long tracks;
};

std::vector<Chunk> Chunks(const CKelLearnStore& store) {
  const int32_t first = CKelLearnStore::kFirstChunkId;
  return {{first, "final scalars", store.LearnedSingleValue().size(), -1},
          {first + 1, "scalar tracks", store.LearnedScalarTrack().Points(),
           static_cast<long>(store.LearnedScalarTrack().size())},
          {first + 2, "final curves", store.LearnedSigCurveMap().size(), -1},
          {first + 3, "curve tracks", store.LearnedCurveTrack().Points(),
           static_cast<long>(store.LearnedCurveTrack().size())}};
}

std::string ChunksText(const CKelLearnStore& store) {
  std::string text;
  for (const Chunk& chunk : Chunks(store)) {
    text += "chunk " + std::to_string(chunk.id) + " " + chunk.kind + ": ";
    if (chunk.tracks >= 0) text += std::to_string(chunk.tracks) + " tracks, ";
    text += std::to_string(chunk.rows) + " rows\n";
  }
  return text;
}

std::string ChunksJson(const CKelLearnStore& store) {
  std::string json = "\"chunks\":[";
  bool first = true;
  for (const Chunk& chunk : Chunks(store)) {
    json += std::string(first ? "" : ",") + "{\"id\":" + std::to_string(chunk.id) +
            ",\"kind\":" + JsonText::Quoted(chunk.kind) + ",\"rows\":" + std::to_string(chunk.rows);
    if (chunk.tracks >= 0) json += ",\"tracks\":" + std::to_string(chunk.tracks);
    json += "}";
    first = false;
  }
  return json + "]";
}

}  // namespace

std::string Text(const CKelLearnStore& store, const std::string& path,
                 const CDtParamInstance& params) {
  return "Learn file " + path + "\n" + IdentifierTablesDescriber::Text(store) + ChunksText(store) +
         FinalText("final scalar", store.LearnedSingleValue(), params) +
         TracksText("scalar track", store.ScalarTrackLearnMachine(), params) +
         FinalText("final curve", store.LearnedSigCurveMap(), params) +
         TracksText("curve track", store.CurveTrackLearnMachine(), params);
}

std::string Json(const CKelLearnStore& store, const std::string& path,
                 const CDtParamInstance& params) {
  return "{\"file\":" + JsonText::Quoted(path) + ",\"kind\":\"learn\"," +
         IdentifierTablesDescriber::JsonMember(store) + "," + ChunksJson(store) + "," +
         FinalJson("finalScalars", store.LearnedSingleValue(), params) + "," +
         TracksJson("scalarTracks", store.ScalarTrackLearnMachine(), params) + "," +
         FinalJson("finalCurves", store.LearnedSigCurveMap(), params) + "," +
         TracksJson("curveTracks", store.CurveTrackLearnMachine(), params) + "}\n";
}

}  // namespace LearnDescriber
