#include "frame/HistoryDescriber.h"

#include <cmath>
#include <cstdint>
#include <set>
#include <utility>
#include <vector>

#include "frame/DescribedKey.h"
#include "host/JsonText.h"
#include "params/KelvaTableDef.h"

namespace HistoryDescriber {

namespace {

// One quantity's sections in file order (ascending section index). The records point into
// the store, which outlives the overview.
struct Quantity {
  QClavis key;
  std::vector<std::pair<int32_t, const KelStoreSValue*>> sections;
};

struct Overview {
  uint32_t historyCount = 0;
  size_t entries = 0;
  std::set<int32_t> sectionIndices;
  std::vector<Quantity> quantities;
};

// Groups the history table by quantity: the table is ordered by key, so the sections of one
// quantity are neighbours.
Overview MakeOverview(const CKelValueStore& store) {
  Overview overview;
  overview.historyCount = store.HistoryCount();
  for (const auto& [key, value] : store.SingleValueMapSectionHistory()) {
    const QClavis quantity = key.clavis();
    if (overview.quantities.empty() || !(overview.quantities.back().key == quantity))
      overview.quantities.push_back(Quantity{quantity, {}});
    overview.quantities.back().sections.emplace_back(key.historyIndex(), &value);
    overview.sectionIndices.insert(key.historyIndex());
    ++overview.entries;
  }
  return overview;
}

std::string FloatText(float value) {
  return KelvaTableDef::FieldText(value);
}

std::string FloatJson(float value) {
  return std::isfinite(value) ? KelvaTableDef::FieldText(value) : "null";
}

// "0 (none)", "2 (upper)"; a mode the program does not know is its number alone.
std::string EvalModeText(int32_t evalMode) {
  static const char* const kNames[] = {"none", "lower", "upper", "interval"};
  std::string text = std::to_string(evalMode);
  if (evalMode >= 0 && evalMode < 4) text += std::string(" (") + kNames[evalMode] + ")";
  return text;
}

std::string SectionsText(const Overview& overview) {
  std::string text = std::to_string(overview.sectionIndices.size());
  if (!overview.sectionIndices.empty())
    text += " (" + std::to_string(*overview.sectionIndices.begin()) + " to " +
            std::to_string(*overview.sectionIndices.rbegin()) + ")";
  return text;
}

std::string RecordText(int32_t section, const KelStoreSValue& record) {
  return "  section " + std::to_string(section) + ": value " + FloatText(record.value) +
         ", position " + FloatText(record.position) + ", eval mode " +
         EvalModeText(record.evalMode) + ", aux " + std::to_string(record.aux) + ", limit " +
         FloatText(record.limit) + ", mean " + FloatText(record.mean) + "\n";
}

std::string RecordJson(int32_t section, const KelStoreSValue& record) {
  return "{\"section\":" + std::to_string(section) + ",\"value\":" + FloatJson(record.value) +
         ",\"position\":" + FloatJson(record.position) +
         ",\"evalMode\":" + std::to_string(record.evalMode) +
         ",\"aux\":" + std::to_string(record.aux) + ",\"limit\":" + FloatJson(record.limit) +
         ",\"mean\":" + FloatJson(record.mean) + "}";
}

std::string QuantityJson(const Quantity& quantity, const CDtParamInstance& params) {
  std::string sections;
  for (const auto& [section, record] : quantity.sections) {
    if (!sections.empty()) sections += ",";
    sections += RecordJson(section, *record);
  }
  return "{" + DescribedKey::JsonMembers(params, quantity.key) + ",\"sections\":[" + sections +
         "]}";
}

}  // namespace

std::string Text(const CKelValueStore& store, const std::string& path,
                 const CDtParamInstance& params) {
  const Overview overview = MakeOverview(store);
  std::string text = "History file " + path + "\n";
  text += "history count: " + std::to_string(overview.historyCount) + "\n";
  text += "quantities: " + std::to_string(overview.quantities.size()) + "\n";
  text += "entries: " + std::to_string(overview.entries) + "\n";
  text += "sections: " + SectionsText(overview) + "\n";
  for (size_t i = 0; i < overview.quantities.size(); ++i) {
    const Quantity& quantity = overview.quantities[i];
    text += "quantity " + std::to_string(i + 1) + ": " + DescribedKey::Text(params, quantity.key) +
            "; " + std::to_string(quantity.sections.size()) +
            (quantity.sections.size() == 1 ? " section\n" : " sections\n");
    for (const auto& [section, record] : quantity.sections) text += RecordText(section, *record);
  }
  return text;
}

std::string Json(const CKelValueStore& store, const std::string& path,
                 const CDtParamInstance& params) {
  const Overview overview = MakeOverview(store);
  std::string json = "{\"file\":" + JsonText::Quoted(path) + ",\"kind\":\"history\"" +
                     ",\"historyCount\":" + std::to_string(overview.historyCount) +
                     ",\"quantities\":" + std::to_string(overview.quantities.size()) +
                     ",\"entries\":" + std::to_string(overview.entries) +
                     ",\"sections\":" + std::to_string(overview.sectionIndices.size());
  if (!overview.sectionIndices.empty())
    json += ",\"firstSection\":" + std::to_string(*overview.sectionIndices.begin()) +
            ",\"lastSection\":" + std::to_string(*overview.sectionIndices.rbegin());
  json += ",\"keys\":[";
  for (size_t i = 0; i < overview.quantities.size(); ++i) {
    if (i > 0) json += ",";
    json += QuantityJson(overview.quantities[i], params);
  }
  return json + "]}\n";
}

}  // namespace HistoryDescriber
