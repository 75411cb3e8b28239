// The consistency check of a parameter set: every reference inside the set names something
// the set defines. A plan that passes never sends a later lookup into the void.
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

std::string CheckModes(const CParamSet& set) {
  for (const auto& [id, info] : set.modeInfo) {
    if (info.baseMode < 0 || info.baseMode == id) continue;
    auto base = set.modeInfo.find(info.baseMode);
    if (base == set.modeInfo.end())
      return "mode " + std::to_string(id) + ": expected a base mode that is defined, not " +
             std::to_string(info.baseMode);
    if (base->second.baseMode >= 0 && base->second.baseMode != info.baseMode)
      return "mode " + std::to_string(id) + ": expected a base mode that is not itself virtual (" +
             std::to_string(info.baseMode) + " maps to " + std::to_string(base->second.baseMode) +
             ")";
  }
  return "";
}

std::string CheckTriggers(const CParamSet& set) {
  for (const auto& [key, axis] : set.triggerParam) {
    const std::string where = "trigger " + std::to_string(key.trigger()) + " axis of mode " +
                              std::to_string(key.mode()) + " dimension " +
                              std::to_string(key.dimension());
    if (!set.triggers.count(key.trigger())) return where + ": expected a defined trigger";
    if (!Has(set.modes, key.mode())) return where + ": expected a defined mode";
    if (!set.appSignalProperty.count(QIdx1(axis.appSignal)))
      return where + ": expected a defined signal, not " + std::to_string(axis.appSignal);
    if (axis.step == 0.0 || axis.count == 0)
      return where + ": expected a step other than 0 and cells";
  }
  return "";
}

std::string CheckParameters(const CParamSet& set) {
  for (const auto& [key, param] : set.instrumentParam) {
    const std::string where = "parameter " + std::to_string(key.id());
    if (!Has(set.instruments, param.instrument))
      return where + ": expected a defined instrument, not " + std::to_string(param.instrument);
    if (param.trigger >= 0 && !set.triggers.count(param.trigger))
      return where + ": expected a defined trigger, not " + std::to_string(param.trigger);
  }
  for (const auto& [key, band] : set.specIntervals)
    if (!set.instrumentParam.count(QIdx1(key.first())))
      return "band of parameter " + std::to_string(key.first()) + ": expected a defined parameter";
  return "";
}

std::string CheckKey(const CParamSet& set, const QClavis& key, const char* table) {
  const std::string where = std::string(table) + " " + KeyText(key);
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

std::string CheckPolygonRef(const CParamSet& set, int polygon, const std::string& where) {
  if (polygon == -1 || set.ipPolygon.count(QIdx1(polygon))) return "";
  return where + ": expected polygon -1 (none) or a defined polygon, not " +
         std::to_string(polygon);
}

std::string CheckQuantities(const CParamSet& set) {
  std::string problem;
  for (const auto& [key, record] : set.ipParamAndStore) {
    if (!(problem = CheckKey(set, key, "quantity")).empty()) return problem;
    if (record.errorCode != -1 && !set.errorCode.count(QIdx1(record.errorCode)))
      return "quantity " + KeyText(key) +
             ": expected error code -1 (none) or a defined error code, not " +
             std::to_string(record.errorCode);
    // A quantity limited on both sides reports a violation of its upper limit as code + 1.
    auto param = set.instrumentParam.find(QIdx1(key.parameter()));
    if (record.errorCode != -1 && param->second.evalMode == QVInstrumentParam::eval_interval &&
        !set.errorCode.count(QIdx1(record.errorCode + 1)))
      return "quantity " + KeyText(key) + ": expected error code " +
             std::to_string(record.errorCode + 1) +
             " to be defined too (an interval quantity reports its upper limit with code + 1)";
  }
  for (const auto& entry : set.limSValue)
    if (!(problem = CheckKey(set, entry.first, "limit of")).empty()) return problem;
  for (const auto& [key, limit] : set.limCValue) {
    if (!(problem = CheckKey(set, key, "curve limit of")).empty()) return problem;
    const std::string where = "curve limit of " + KeyText(key);
    if (!(problem = CheckPolygonRef(set, limit.lowerPolygon, where)).empty()) return problem;
    if (!(problem = CheckPolygonRef(set, limit.upperPolygon, where)).empty()) return problem;
  }
  for (const auto& entry : set.limArea)
    if (!(problem = CheckKey(set, entry.first, "area limit of")).empty()) return problem;
  for (const auto& [key, learn] : set.ipLearnParameter) {
    if (!(problem = CheckKey(set, key, "learn parameter of")).empty()) return problem;
    if (learn.procedure != -1 && !set.learnProcedures.count(QIdx1(learn.procedure)))
      return "learn parameter of " + KeyText(key) +
             ": expected -1 (none) or a defined learn procedure, not " +
             std::to_string(learn.procedure);
  }
  for (const auto& entry : set.relativeLimit)
    if (!(problem = CheckKey(set, entry.first, "relative limit of")).empty()) return problem;
  for (const auto& [key, polygon] : set.ipTrackPolygon) {
    if (!(problem = CheckKey(set, key, "track polygon of")).empty()) return problem;
    if (!(problem = CheckPolygonRef(set, polygon.polygon, "track polygon of " + KeyText(key)))
             .empty())
      return problem;
  }
  return "";
}

std::string CheckPolygons(const CParamSet& set) {
  int polygon = -1;
  int expectedIndex = 0;
  float lastX = 0.0f;
  for (const auto& [key, point] : set.ipPolygonValues) {
    if (key.first != polygon) {
      polygon = key.first;
      expectedIndex = 0;
      if (!set.ipPolygon.count(QIdx1(polygon)))
        return "points of polygon " + std::to_string(polygon) + ": expected a defined polygon";
    }
    const std::string where = "polygon " + std::to_string(polygon);
    if (key.second != expectedIndex)
      return where + ": expected point " + std::to_string(expectedIndex) + " next, found point " +
             std::to_string(key.second) + " (points are numbered 0, 1, 2, ... without gaps)";
    if (expectedIndex > 0 && point.x < lastX)
      return where + ": expected x values that do not decrease, point " +
             std::to_string(key.second) + " goes back";
    lastX = point.x;
    ++expectedIndex;
  }
  for (const auto& entry : set.ipPolygon)
    if (!set.ipPolygonValues.count({entry.first.id(), 0}))
      return "polygon " + std::to_string(entry.first.id()) + ": expected at least one point";
  return "";
}

std::string CheckErrorCodes(const CParamSet& set) {
  for (const auto& [key, record] : set.errorCode)
    if (record.group != 0 && (record.group < 1 || record.group > 32))
      return "error code " + std::to_string(key.id()) + ": expected a shadow group from 0 to 32";
  return "";
}

}  // namespace

std::string Check(const CParamSet& set) {
  for (auto check : {CheckModes, CheckTriggers, CheckParameters, CheckQuantities, CheckPolygons,
                     CheckErrorCodes}) {
    std::string problem = check(set);
    if (!problem.empty()) return problem;
  }
  return "";
}

}  // namespace TestPlan
