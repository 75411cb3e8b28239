// The consistency check of a parameter set: every reference inside the set names something
// the set defines. A plan that passes never sends a later lookup into the void. A problem
// names the table and the key, and, for a set read from a file, the JSON pointer of the
// offending field.
#include <cstdint>
#include <sstream>

#include "host/TestPlan.h"

namespace TestPlan {
namespace {

std::string KeyText(const QClavis& key) {
  std::ostringstream text;
  text << "[" << key.mode() << ", " << key.instrument() << ", " << key.channel() << ", "
       << key.location() << ", " << key.parameter() << ", " << key.sensor() << "]";
  return text.str();
}

bool Has(const CUniqueTreeMap<QIdx1, QIdxName>& names, int id) {
  return names.count(QIdx1(id)) != 0;
}

// The pointer of `field` inside the entry that gave `id`; "" when the set was built in code.
template <typename Id>
std::string At(const std::map<Id, std::string>& origins, const Id& id, const std::string& field) {
  auto origin = origins.find(id);
  return origin == origins.end() ? "" : origin->second + field;
}

Problem CheckModes(const CParamSet& set) {
  for (const auto& [id, info] : set.modeInfo) {
    if (info.baseMode < 0 || info.baseMode == id) continue;
    const std::string at = At(set.origins.modes, id, "/base");
    auto base = set.modeInfo.find(info.baseMode);
    if (base == set.modeInfo.end())
      return {at, "mode " + std::to_string(id) + ": expected a base mode that is defined, not " +
                      std::to_string(info.baseMode)};
    if (base->second.baseMode >= 0 && base->second.baseMode != info.baseMode)
      return {at, "mode " + std::to_string(id) +
                      ": expected a base mode that is not itself virtual (" +
                      std::to_string(info.baseMode) + " maps to " +
                      std::to_string(base->second.baseMode) + ")"};
  }
  return {};
}

Problem CheckTriggers(const CParamSet& set) {
  for (const auto& [key, axis] : set.triggerParam) {
    const std::string where = "trigger " + std::to_string(key.trigger()) + " axis of mode " +
                              std::to_string(key.mode()) + " dimension " +
                              std::to_string(key.dimension());
    if (!set.triggers.count(key.trigger())) return {"", where + ": expected a defined trigger"};
    if (!Has(set.modes, key.mode()))
      return {At(set.origins.triggerAxes, key, "/mode"), where + ": expected a defined mode"};
    if (!set.appSignalProperty.count(QIdx1(axis.appSignal)))
      return {At(set.origins.triggerAxes, key, "/signal"),
              where + ": expected a defined signal, not " + std::to_string(axis.appSignal)};
    if (axis.step == 0.0 || axis.count == 0)
      return {At(set.origins.triggerAxes, key, ""),
              where + ": expected a step other than 0 and cells"};
  }
  return {};
}

Problem CheckParameters(const CParamSet& set) {
  for (const auto& [key, param] : set.instrumentParam) {
    const std::string where = "parameter " + std::to_string(key.id());
    if (!Has(set.instruments, param.instrument))
      return {At(set.origins.parameters, key.id(), "/instrument"),
              where + ": expected a defined instrument, not " + std::to_string(param.instrument)};
    if (param.trigger >= 0 && !set.triggers.count(param.trigger))
      return {At(set.origins.parameters, key.id(), "/trigger"),
              where + ": expected a defined trigger, not " + std::to_string(param.trigger)};
  }
  for (const auto& [key, band] : set.specIntervals)
    if (!set.instrumentParam.count(QIdx1(key.first())))
      return {"", "band of parameter " + std::to_string(key.first()) +
                      ": expected a defined parameter"};
  return {};
}

std::string CheckKeyNames(const CParamSet& set, const QClavis& key, const std::string& where) {
  if (!Has(set.modes, key.mode())) return where + ": expected a defined mode";
  if (!Has(set.instruments, key.instrument())) return where + ": expected a defined instrument";
  if (!Has(set.channels, key.channel())) return where + ": expected a defined channel";
  if (!Has(set.locations, key.location())) return where + ": expected a defined location";
  auto param = set.instrumentParam.find(QIdx1(key.parameter()));
  if (param == set.instrumentParam.end()) return where + ": expected a defined parameter";
  if (param->second.instrument != key.instrument())
    return where + ": expected a parameter of instrument " + std::to_string(key.instrument()) +
           " (parameter " + std::to_string(key.parameter()) + " belongs to instrument " +
           std::to_string(param->second.instrument) + ")";
  if (key.sensor() != 0 && !set.appSignalProperty.count(QIdx1(key.sensor())))
    return where + ": expected sensor 0 or a defined signal";
  return "";
}

// Every field of the key names something the set defines; `table` names the record.
Problem CheckKey(const CParamSet& set, const QClavis& key, const char* table) {
  const std::string problem = CheckKeyNames(set, key, std::string(table) + " " + KeyText(key));
  if (problem.empty()) return {};
  return {At(set.origins.quantities, key, "/key"), problem};
}

bool IsTrack(const CParamSet& set, int instrument) {
  auto info = set.instrumentInfo.find(instrument);
  return info != set.instrumentInfo.end() &&
         (info->second.resultType == 2 || info->second.resultType == 5);
}

bool HasAxis(const CParamSet& set, int mode, int trigger) {
  auto axis = set.triggerParam.lower_bound(QIdx3(mode, trigger, INT32_MIN));
  return axis != set.triggerParam.end() && axis->first.mode() == mode &&
         axis->first.trigger() == trigger;
}

int TrackedAxes(const CParamSet& set, int mode, int trigger) {
  int tracked = 0;
  for (auto axis = set.triggerParam.lower_bound(QIdx3(mode, trigger, INT32_MIN));
       axis != set.triggerParam.end() && axis->first.mode() == mode &&
       axis->first.trigger() == trigger;
       ++axis)
    if (axis->second.tracked) ++tracked;
  return tracked;
}

// A track (result type 2 or 5) is recorded over the axis of its parameter's trigger in its
// mode; without one it could never be measured and every part would miss it.
Problem CheckTrack(const CParamSet& set, const QClavis& key) {
  if (!IsTrack(set, key.instrument())) return {};
  const std::string at = At(set.origins.quantities, key, "/key");
  const int trigger = set.instrumentParam.at(QIdx1(key.parameter())).trigger;
  if (trigger < 0)
    return {at, "quantity " + KeyText(key) + ": expected a parameter with a trigger (parameter " +
                    std::to_string(key.parameter()) +
                    " of a track instrument has none, so the track has no axis)"};
  if (!HasAxis(set, key.mode(), trigger))
    return {at, "quantity " + KeyText(key) + ": expected an axis of trigger " +
                    std::to_string(trigger) + " in mode " + std::to_string(key.mode()) +
                    " (the track is recorded over it)"};
  // The track is recorded over the one tracked axis; no axis is guessed in its place.
  const int tracked = TrackedAxes(set, key.mode(), trigger);
  if (tracked != 1)
    return {at, "quantity " + KeyText(key) + ": expected exactly one tracked axis of trigger " +
                    std::to_string(trigger) + " in mode " + std::to_string(key.mode()) + ", not " +
                    std::to_string(tracked) + " (the track is recorded over it)"};
  return {};
}

Problem CheckErrorCodeRef(const CParamSet& set, const QClavis& key, int errorCode) {
  const std::string at = At(set.origins.quantities, key, "/store/errorCode");
  if (errorCode == -1) return {};
  if (!set.errorCode.count(QIdx1(errorCode)))
    return {at, "quantity " + KeyText(key) +
                    ": expected error code -1 (none) or a defined error code, not " +
                    std::to_string(errorCode)};
  // A quantity limited on both sides reports a violation of its upper limit as code + 1.
  if (set.instrumentParam.at(QIdx1(key.parameter())).evalMode != QVInstrumentParam::eval_interval)
    return {};
  if (errorCode == INT32_MAX)
    return {at, "quantity " + KeyText(key) +
                    ": expected an error code below 2147483647 (an interval quantity reports its "
                    "upper limit with code + 1)"};
  if (!set.errorCode.count(QIdx1(errorCode + 1)))
    return {at, "quantity " + KeyText(key) + ": expected error code " +
                    std::to_string(errorCode + 1) +
                    " to be defined too (an interval quantity reports its upper limit with code + "
                    "1)"};
  return {};
}

Problem CheckPolygonRef(const CParamSet& set, int polygon, const std::string& where,
                        const std::string& at) {
  if (polygon == -1 || set.ipPolygon.count(QIdx1(polygon))) return {};
  return {at, where + ": expected polygon -1 (none) or a defined polygon, not " +
                  std::to_string(polygon)};
}

Problem CheckStores(const CParamSet& set) {
  for (const auto& [key, record] : set.ipParamAndStore) {
    // In this order: the later checks look up the parameter the first one confirms.
    if (Problem problem = CheckKey(set, key, "quantity"); !problem.text.empty()) return problem;
    if (Problem problem = CheckTrack(set, key); !problem.text.empty()) return problem;
    if (Problem problem = CheckErrorCodeRef(set, key, record.errorCode); !problem.text.empty())
      return problem;
  }
  return {};
}

Problem CheckLimits(const CParamSet& set) {
  for (const auto& entry : set.limSValue)
    if (Problem problem = CheckKey(set, entry.first, "limit of"); !problem.text.empty())
      return problem;
  for (const auto& [key, limit] : set.limCValue) {
    const std::string where = "curve limit of " + KeyText(key);
    for (Problem problem :
         {CheckKey(set, key, "curve limit of"),
          CheckPolygonRef(set, limit.lowerPolygon, where,
                          At(set.origins.quantities, key, "/curveLimit/lowerPolygon")),
          CheckPolygonRef(set, limit.upperPolygon, where,
                          At(set.origins.quantities, key, "/curveLimit/upperPolygon"))})
      if (!problem.text.empty()) return problem;
  }
  for (const auto& entry : set.limArea)
    if (Problem problem = CheckKey(set, entry.first, "area limit of"); !problem.text.empty())
      return problem;
  return {};
}

Problem CheckLearnAndRelative(const CParamSet& set) {
  for (const auto& [key, learn] : set.ipLearnParameter) {
    if (Problem problem = CheckKey(set, key, "learn parameter of"); !problem.text.empty())
      return problem;
    if (learn.procedure != -1 && !set.learnProcedures.count(QIdx1(learn.procedure)))
      return {At(set.origins.quantities, key, "/learn"),
              "learn parameter of " + KeyText(key) +
                  ": expected -1 (none) or a defined learn procedure, not " +
                  std::to_string(learn.procedure)};
  }
  for (const auto& entry : set.relativeLimit)
    if (Problem problem = CheckKey(set, entry.first, "relative limit of"); !problem.text.empty())
      return problem;
  for (const auto& [key, polygon] : set.ipTrackPolygon)
    for (Problem problem :
         {CheckKey(set, key, "track polygon of"),
          CheckPolygonRef(set, polygon.polygon, "track polygon of " + KeyText(key),
                          At(set.origins.quantities, key, "/trackPolygon/polygon"))})
      if (!problem.text.empty()) return problem;
  return {};
}

Problem CheckPolygons(const CParamSet& set) {
  int polygon = -1;
  int expectedIndex = 0;
  float lastX = 0.0f;
  for (const auto& [key, point] : set.ipPolygonValues) {
    if (key.first != polygon) {
      polygon = key.first;
      expectedIndex = 0;
      if (!set.ipPolygon.count(QIdx1(polygon)))
        return {"",
                "points of polygon " + std::to_string(polygon) + ": expected a defined polygon"};
    }
    const std::string where = "polygon " + std::to_string(polygon);
    if (key.second != expectedIndex)
      return {"", where + ": expected point " + std::to_string(expectedIndex) +
                      " next, found point " + std::to_string(key.second) +
                      " (points are numbered 0, 1, 2, ... without gaps)"};
    if (expectedIndex > 0 && point.x < lastX)
      return {At(set.origins.polygons, polygon, "/points/" + std::to_string(key.second)),
              where + ": expected x values that do not decrease, point " +
                  std::to_string(key.second) + " goes back"};
    lastX = point.x;
    ++expectedIndex;
  }
  for (const auto& entry : set.ipPolygon)
    if (!set.ipPolygonValues.count({entry.first.id(), 0}))
      return {At(set.origins.polygons, entry.first.id(), "/points"),
              "polygon " + std::to_string(entry.first.id()) + ": expected at least one point"};
  return {};
}

Problem CheckErrorCodes(const CParamSet& set) {
  for (const auto& [key, record] : set.errorCode)
    if (record.group != 0 && (record.group < 1 || record.group > 32))
      return {At(set.origins.errorCodes, key.id(), "/group"),
              "error code " + std::to_string(key.id()) + ": expected a shadow group from 0 to 32"};
  return {};
}

}  // namespace

Problem Check(const CParamSet& set) {
  for (auto check : {CheckModes, CheckTriggers, CheckParameters, CheckStores, CheckLimits,
                     CheckLearnAndRelative, CheckPolygons, CheckErrorCodes}) {
    Problem problem = check(set);
    if (!problem.text.empty()) return problem;
  }
  return {};
}

}  // namespace TestPlan
