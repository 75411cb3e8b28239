#include "frame/LimitsDescriber.h"

#include <cmath>
#include <optional>
#include <vector>

#include "frame/DescribedKey.h"
#include "frame/QuantityLimits.h"
#include "host/JsonText.h"
#include "learn/KelLimitShop.h"
#include "params/KelvaTableDef.h"

namespace LimitsDescriber {

namespace {

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

std::string QuantityJson(const QuantityLimit& quantity, bool range,
                         const CDtParamInstance& params) {
  std::string json = "{" + DescribedKey::JsonMembers(params, quantity.key) +
                     ",\"direction\":" + JsonText::Quoted(DirectionName(quantity.direction)) +
                     ",\"count\":" + std::to_string(quantity.count) + ",\"baseLearns\":" +
                     (quantity.baseLearns ? std::to_string(*quantity.baseLearns) : "null") +
                     ",\"source\":" + JsonText::Quoted(quantity.source);
  if (range)
    return json + ",\"min\":" + FloatJson(quantity.low) + ",\"max\":" + FloatJson(quantity.high) +
           "}";
  return json + ",\"limit\":" + FloatJson(quantity.low) + "}";
}

std::string LimitsJson(const char* member, const std::vector<QuantityLimit>& limits, bool range,
                       const CDtParamInstance& params) {
  std::string json = JsonText::Quoted(member) + ":[";
  for (size_t i = 0; i < limits.size(); ++i)
    json += (i == 0 ? "" : ",") + QuantityJson(limits[i], range, params);
  return json + "]";
}

}  // namespace

std::string Text(CKelValueStore& values, CKelLearnStore& store, const std::string& path) {
  const CKelLimitShop shop(values, store);
  const CDtParamInstance params;
  return "Limits of learn file " + path + "\n" +
         LimitsText("scalar", QuantityLimits::Scalars(shop, store, params), params) +
         LimitsText("curve", QuantityLimits::Curves(shop, store, params), params) +
         LimitsText("scalar track", QuantityLimits::ScalarTracks(shop, values, store, params),
                    params) +
         LimitsText("curve track", QuantityLimits::CurveTracks(shop, values, store, params),
                    params);
}

std::string Json(CKelValueStore& values, CKelLearnStore& store, const std::string& path) {
  const CKelLimitShop shop(values, store);
  const CDtParamInstance params;
  return "{\"file\":" + JsonText::Quoted(path) + ",\"kind\":\"limits\"," +
         LimitsJson("scalars", QuantityLimits::Scalars(shop, store, params), false, params) + "," +
         LimitsJson("curves", QuantityLimits::Curves(shop, store, params), true, params) + "," +
         LimitsJson("scalarTracks", QuantityLimits::ScalarTracks(shop, values, store, params), true,
                    params) +
         "," +
         LimitsJson("curveTracks", QuantityLimits::CurveTracks(shop, values, store, params), true,
                    params) +
         "}\n";
}

}  // namespace LimitsDescriber
