#include "frame/LimitsDescriber.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

#include "frame/DescribedKey.h"
#include "host/Display.h"
#include "host/JsonText.h"
#include "learn/KelLimitShop.h"
#include "params/KelvaTableDef.h"

namespace LimitsDescriber {

namespace {

// What the shop gives one quantity.
struct QuantityLimit {
  QClavis key;
  int direction = QVInstrumentParam::eval_none;
  unsigned long long count = 0;        // learned parts; 0 without learned item
  std::optional<unsigned> baseLearns;  // none without learn procedure
  const char* source = "none";         // see the header
  std::optional<float> low;            // a scalar's limit, a curve's smallest limit point
  std::optional<float> high;           // a curve's largest limit point
};

// Enough learned as the shop decides it: something learned, and at least the base learns
// when the key has a learn procedure.
bool EnoughLearned(unsigned long long count, std::optional<unsigned> baseLearns) {
  return count != 0 && (!baseLearns || count >= *baseLearns);
}

int Direction(const CDtParamInstance& params, const QClavis& key) {
  const auto ip = params.InstrumentParam().find(QIdx1(key.parameter()));
  return ip == params.InstrumentParam().end() ? QVInstrumentParam::eval_none : ip->second.evalMode;
}

// The key's learned count (from `learned`, a table of learned items) and base learns.
template <typename Table>
QuantityLimit Counted(const CKelLearnStore& store, const Table& learned, const QClavis& key,
                      const CDtParamInstance& params) {
  QuantityLimit quantity;
  quantity.key = key;
  quantity.direction = Direction(params, key);
  const auto item = learned.find(key);
  if (item != learned.end()) quantity.count = item->second.count;
  const auto [baseLearns, found] = store.NrOfBaseLearn(key);
  if (found) quantity.baseLearns = baseLearns;
  return quantity;
}

std::vector<QuantityLimit> ScalarLimits(const CKelLimitShop& shop, const CKelLearnStore& store,
                                        const CDtParamInstance& params) {
  std::vector<QuantityLimit> limits;
  const auto& records = params.LimSValue();
  for (auto record = records.begin(); record != records.end(); ++record) {
    QuantityLimit quantity = Counted(store, store.LearnedSingleValue(), record->first, params);
    float limit = 0.0f;
    if (shop.RetrieveSValueLimit(record, limit, false)) {
      quantity.low = limit;
      quantity.source = EnoughLearned(quantity.count, quantity.baseLearns) ? "learned" : "fixed";
    }
    limits.push_back(quantity);
  }
  return limits;
}

// Final curves only: a LimCValue record of a tracked parameter limits a scalar track.
std::vector<QuantityLimit> CurveLimits(const CKelLimitShop& shop, const CKelLearnStore& store,
                                       const CDtParamInstance& params) {
  std::vector<QuantityLimit> limits;
  for (const auto& [key, record] : params.LimCValue()) {
    const auto ip = params.InstrumentParam().find(QIdx1(key.parameter()));
    if (ip != params.InstrumentParam().end() && ip->second.trigger != -1) continue;
    QuantityLimit quantity = Counted(store, store.LearnedSigCurveMap(), key, params);
    CVisDataVector curve;
    if (shop.RetrieveCurveLimit(key, curve, false) && curve.size > 0 && curve.Data() != nullptr) {
      const auto [low, high] = std::minmax_element(curve.Data(), curve.Data() + curve.size);
      quantity.low = *low;
      quantity.high = *high;
      quantity.source = EnoughLearned(quantity.count, quantity.baseLearns) ? "learned" : "polygon";
    }
    limits.push_back(quantity);
  }
  return limits;
}

const char* DirectionName(int direction) {
  switch (direction) {
    case QVInstrumentParam::eval_lower:
      return "lower";
    case QVInstrumentParam::eval_upper:
      return "upper";
    case QVInstrumentParam::eval_interval:
      return "interval";
    default:
      return "none";
  }
}

std::string FloatJson(const std::optional<float>& value) {
  return value && std::isfinite(*value) ? KelvaTableDef::FieldText(*value) : "null";
}

std::string CountText(const QuantityLimit& quantity) {
  return "learned " + std::to_string(quantity.count) + " of " +
         (quantity.baseLearns ? std::to_string(*quantity.baseLearns) + " base learns"
                              : std::string("no learn procedure"));
}

std::string LimitText(const QuantityLimit& quantity) {
  if (!quantity.low) return "none";
  std::string text = std::string(quantity.source) + " " + KelvaTableDef::FieldText(*quantity.low);
  if (quantity.high) text += ".." + KelvaTableDef::FieldText(*quantity.high);
  return text;
}

std::string LimitsText(const char* what, const std::vector<QuantityLimit>& limits,
                       const CDtParamInstance& params) {
  std::string text;
  for (const QuantityLimit& quantity : limits)
    text += std::string("limit of ") + what + " " + DescribedKey::Text(params, quantity.key) +
            ": " + DirectionName(quantity.direction) + ", " + CountText(quantity) + ", " +
            LimitText(quantity) + "\n";
  return text;
}

std::string QuantityJson(const QuantityLimit& quantity, bool curve,
                         const CDtParamInstance& params) {
  std::string json = "{" + DescribedKey::JsonMembers(params, quantity.key) +
                     ",\"direction\":" + JsonText::Quoted(DirectionName(quantity.direction)) +
                     ",\"count\":" + std::to_string(quantity.count) + ",\"baseLearns\":" +
                     (quantity.baseLearns ? std::to_string(*quantity.baseLearns) : "null") +
                     ",\"source\":" + JsonText::Quoted(quantity.source);
  if (curve)
    return json + ",\"min\":" + FloatJson(quantity.low) + ",\"max\":" + FloatJson(quantity.high) +
           "}";
  return json + ",\"limit\":" + FloatJson(quantity.low) + "}";
}

std::string LimitsJson(const char* member, const std::vector<QuantityLimit>& limits, bool curve,
                       const CDtParamInstance& params) {
  std::string json = JsonText::Quoted(member) + ":[";
  for (size_t i = 0; i < limits.size(); ++i)
    json += (i == 0 ? "" : ",") + QuantityJson(limits[i], curve, params);
  return json + "]";
}

}  // namespace

std::string Text(CKelValueStore& values, CKelLearnStore& store, const std::string& path) {
  const CKelLimitShop shop(values, store);
  const CDtParamInstance params;
  return "Limits of learn file " + path + "\n" +
         LimitsText("scalar", ScalarLimits(shop, store, params), params) +
         LimitsText("curve", CurveLimits(shop, store, params), params);
}

std::string Json(CKelValueStore& values, CKelLearnStore& store, const std::string& path) {
  const CKelLimitShop shop(values, store);
  const CDtParamInstance params;
  return "{\"file\":" + JsonText::Quoted(path) + ",\"kind\":\"limits\"," +
         LimitsJson("scalars", ScalarLimits(shop, store, params), false, params) + "," +
         LimitsJson("curves", CurveLimits(shop, store, params), true, params) + "}\n";
}

}  // namespace LimitsDescriber
