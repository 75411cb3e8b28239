// Reading a test plan from JSON into a CParamSet. Every read goes through JsonNode, which knows
// its JSON pointer, so any refusal names the exact place and what was expected there.
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <set>

#include <nlohmann/json.hpp>

#include "host/File.h"
#include "host/JsonReader.h"
#include "host/Output.h"
#include "host/PlanKey.h"
#include "host/TestPlan.h"

namespace TestPlan {
namespace {

using json = nlohmann::json;

int32_t ReadId(const JsonNode& item, JsonUnique<int32_t>& ids) {
  const JsonNode id = item.Field("id");
  const int32_t value = id.Int();
  if (value < 0) id.Fail("a non-negative id");
  ids.Add(value, id);
  return value;
}

CMeasuringUnit ReadUnit(const JsonNode& node) {
  node.ExpectObject({"common", "exponent", "factor", "log", "power"});
  const JsonNode common = node.Field("common");
  const int32_t code = common.Int();
  if (code < 0 || code > CMeasuringUnit::cuLastCommonUnit)
    common.Fail("a common unit code from 0 to " + std::to_string(CMeasuringUnit::cuLastCommonUnit));
  const float factor = node.Float("factor", 1.0f);
  if (!(factor > 0.0f)) node.Field("factor").Fail("a factor above 0");
  uint32_t flags = 0;
  if (node.Bool("log", false)) flags |= CMeasuringUnit::flagLog;
  if (node.Bool("power", false)) flags |= CMeasuringUnit::flagPower;
  const int32_t exponent = node.Int("exponent", 0);
  if (exponent < -30 || exponent > 30)
    node.Field("exponent").Fail("a decimal exponent from -30 to 30");
  return CMeasuringUnit(code, exponent, factor, flags);
}

void ReadModes(const JsonNode& plan, CParamSet& set) {
  JsonUnique<int32_t> ids("a mode id");
  for (const JsonNode& item : plan.Field("modes").Items()) {
    item.ExpectObject(
        {"id", "name", "base", "physicalName", "flags", "hidden", "referenceSpeed", "rotors"});
    const int32_t id = ReadId(item, ids);
    set.modes[QIdx1(id)] = QIdxName{item.Field("name").Text()};
    set.origins.modes[id] = item.Path();
    CModeInfo& info = set.modeInfo[id];
    info.baseMode = item.Int("base", -1);
    info.physicalName = item.Text("physicalName", "");
    info.referenceSpeed = item.Float("referenceSpeed", 0.0f);
    if (item.Has("rotors")) {
      for (const JsonNode& rotor : item.Field("rotors").Items()) {
        rotor.ExpectObject({"rotor", "ratio"});
        info.rotorRatios[rotor.Field("rotor").Int()] = rotor.Field("ratio").Float();
      }
    }
    QVModeProps props;
    props.flags = item.Int("flags", QVModeProps::mfAcoustic);
    props.hidden = item.Bool("hidden", false);
    set.modeProperty[QIdx1(id)] = props;
  }
}

void ReadNames(const JsonNode& plan, CParamSet& set) {
  JsonUnique<int32_t> instruments("an instrument id");
  for (const JsonNode& item : plan.Field("instruments").Items()) {
    item.ExpectObject({"id", "name", "resultType"});
    const int32_t id = ReadId(item, instruments);
    set.instruments[QIdx1(id)] = QIdxName{item.Field("name").Text()};
    const JsonNode type = item.Field("resultType");
    const int32_t resultType = type.Int();
    if (resultType < 1 || resultType > 6) type.Fail("a result type from 1 to 6");
    set.instrumentInfo[id].resultType = resultType;
  }
  JsonUnique<int32_t> channels("a channel id");
  for (const JsonNode& item : plan.Field("channels").Items()) {
    item.ExpectObject({"id", "name", "resampling"});
    const int32_t id = ReadId(item, channels);
    set.channels[QIdx1(id)] = QIdxName{item.Field("name").Text()};
    set.channelInfo[id].resamplingType = item.Int("resampling", 0);
  }
  JsonUnique<int32_t> locations("a location id");
  for (const JsonNode& item : plan.Field("locations").Items()) {
    item.ExpectObject({"id", "name", "rotor"});
    const int32_t id = ReadId(item, locations);
    set.locations[QIdx1(id)] = QIdxName{item.Field("name").Text()};
    set.locationProperty[QIdx1(id)] = QVLocationProperty{item.Int("rotor", -1)};
  }
  JsonUnique<int32_t> signals("a signal id");
  for (const JsonNode& item : plan.Field("signals").Items()) {
    item.ExpectObject({"id", "name", "unit", "source"});
    const int32_t id = ReadId(item, signals);
    set.appSignalProperty[QIdx1(id)] = QVAppSignalProperty{
        item.Field("name").Text(), ReadUnit(item.Field("unit")), item.Int("source", -1)};
  }
}

void ReadTriggers(const JsonNode& plan, CParamSet& set) {
  if (!plan.Has("triggers")) return;
  JsonUnique<int32_t> ids("a trigger id");
  for (const JsonNode& item : plan.Field("triggers").Items()) {
    item.ExpectObject({"id", "name", "source", "axes"});
    const int32_t id = ReadId(item, ids);
    set.triggers[id] = CTriggerProperty{item.Field("name").Text(), item.Int("source", -1)};
    JsonUnique<std::pair<int, int>> axes("an axis of this mode and dimension");
    for (const JsonNode& axis : item.Field("axes").Items()) {
      axis.ExpectObject(
          {"mode", "dimension", "signal", "setPoint", "tracked", "start", "step", "count"});
      const int32_t mode = axis.Field("mode").Int();
      const JsonNode dimensionNode = axis.Field("dimension");
      const int32_t dimension = dimensionNode.Int();
      if (dimension < 1) dimensionNode.Fail("a dimension of 1 or more");
      axes.Add({mode, dimension}, axis);
      QVTriggerParams params;
      params.appSignal = axis.Field("signal").Int();
      params.setPoint = axis.Int("setPoint", -1);
      params.tracked = axis.Bool("tracked", false);
      params.start = axis.Field("start").FloatRangeNumber();
      const JsonNode step = axis.Field("step");
      params.step = step.FloatRangeNumber();
      if (params.step == 0.0) step.Fail("a step other than 0");
      params.count = static_cast<uint32_t>(
          axis.Field("count").IntIn(1, kMaxAxisCells, "a count from 1 to 100,000"));
      // Cell positions are floats: the last one must be one too.
      if (!(std::fabs(params.start + (params.count - 1) * params.step) <= FLT_MAX))
        step.Fail("a step that keeps the last cell within the range of a float");
      set.triggerParam[QIdx3(mode, id, dimension)] = params;
      set.origins.triggerAxes[QIdx3(mode, id, dimension)] = axis.Path();
    }
  }
}

std::string CalcValue(const JsonNode& node) {
  if (node.Value().is_string()) return node.Text();
  if (node.Value().is_number_integer()) return std::to_string(node.Int());
  if (node.Value().is_number()) {
    node.Float();                // refuses a number beyond the range of a float
    return node.Value().dump();  // the shortest text that reads back to the same number
  }
  node.FailFound("a number or a text");
}

void ReadParameters(const JsonNode& plan, CParamSet& set) {
  JsonUnique<int32_t> ids("a parameter id");
  for (const JsonNode& item : plan.Field("parameters").Items()) {
    item.ExpectObject({"id", "instrument", "name", "evalMode", "trigger", "calc", "bands", "hat"});
    const int32_t id = ReadId(item, ids);
    QVInstrumentParam param;
    param.instrument = item.Field("instrument").Int();
    param.name = item.Field("name").Text();
    const int32_t evalMode = item.Int("evalMode", 0);
    if (evalMode < 0 || evalMode > 3) item.Field("evalMode").Fail("an evaluation mode from 0 to 3");
    param.evalMode = static_cast<QVInstrumentParam::eval_mode_t>(evalMode);
    param.trigger = item.Int("trigger", -1);
    set.instrumentParam[QIdx1(id)] = param;
    set.origins.parameters[id] = item.Path();
    if (item.Has("calc")) {
      // Every field of "calc" is a calculation parameter: its number and its value.
      const JsonNode calc = item.Field("calc");
      if (!calc.Value().is_object()) calc.FailFound("an object");
      for (const auto& entry : calc.Value().items()) {
        if (entry.key() == "comment") continue;
        const JsonNode value(entry.value(), calc.Path() + "/" + entry.key());
        int number = -1;
        try {
          number = std::stoi(entry.key());
        } catch (const std::exception&) {
          number = -1;
        }
        if (number < 0 || std::to_string(number) != entry.key())
          value.Fail("a calculation-parameter number as the field name, not \"" + entry.key() +
                     "\"");
        set.ipCalcParameter[QIdx2(id, number)] = QVIpCalcParameter{CalcValue(value), ""};
      }
    }
    if (item.Has("bands")) {
      int index = 0;
      for (const JsonNode& band : item.Field("bands").Items()) {
        band.ExpectObject({"orders", "rotor", "low", "high", "domain"});
        QVSpecIntervalEntry entry;
        entry.definition.orders = band.Field("orders").Bool();
        entry.definition.rotor = band.Int("rotor", -1);
        entry.definition.low = band.Field("low").Float();
        entry.definition.high = band.Field("high").Float();
        if (entry.definition.low > entry.definition.high)
          band.Field("high").Fail("high not below low");
        entry.definition.domainValue =
            band.Int("domain", QVSpecIntervalEntry::Definition::domain_pure);
        set.specIntervals[QIdx2(id, index++)] = entry;
      }
    }
    if (item.Has("hat")) {
      const JsonNode hat = item.Field("hat");
      hat.ExpectObject({"interpretation", "definition", "location"});
      const JsonNode interpretation = hat.Field("interpretation");
      QVIpSvOfSpec record{interpretation.Int(), hat.Text("definition", ""),
                          hat.Int("location", -1)};
      if (record.interpretation < 1 || record.interpretation > 8)
        interpretation.Fail("an interpretation from 1 to 8");
      set.ipSvOfSpec[QIdx1(id)] = record;
    }
  }
}

void ReadQuantities(const JsonNode& plan, CParamSet& set) {
  JsonUnique<QClavis> keys("a key");
  for (const JsonNode& item : plan.Field("quantities").Items()) {
    item.ExpectObject({"key", "store", "limit", "curveLimit", "area", "learn", "relative",
                       "trackPolygon", "marginal"});
    const JsonNode keyNode = item.Field("key");
    const QClavis key = ReadPlanKey(keyNode);
    keys.Add(key, keyNode);
    set.origins.quantities[key] = item.Path();
    if (item.Has("store")) {
      const JsonNode store = item.Field("store");
      store.ExpectObject({"errorCode", "offset", "sigmaFactor", "percent", "archive"});
      set.ipParamAndStore[key] = QVIpParamAndStore{
          store.Int("errorCode", -1), store.Float("offset", 0.0f), store.Float("sigmaFactor", 0.0f),
          store.Float("percent", 0.0f), store.Bool("archive", true)};
    }
    if (item.Has("limit")) {
      const JsonNode limit = item.Field("limit");
      limit.ExpectObject({"evaluate", "min", "max"});
      const QVLimSValue record{limit.Int("evaluate", 1), limit.Field("min").Float(),
                               limit.Field("max").Float()};
      if (record.maxLimit < record.minLimit) limit.Field("max").Fail("max not below min");
      set.limSValue[key] = record;
    }
    if (item.Has("curveLimit")) {
      const JsonNode limit = item.Field("curveLimit");
      limit.ExpectObject({"evaluate", "lowerPolygon", "upperPolygon"});
      set.limCValue[key] = QVLimCValue{limit.Int("evaluate", 1), limit.Int("lowerPolygon", -1),
                                       limit.Int("upperPolygon", -1)};
    }
    if (item.Has("area")) {
      const JsonNode area = item.Field("area");
      area.ExpectObject({"evaluate", "lower", "upper"});
      const QVLimArea record{area.Int("evaluate", 1), area.Field("lower").Float(),
                             area.Field("upper").Float()};
      if (record.upper < record.lower) area.Field("upper").Fail("upper not below lower");
      set.limArea[key] = record;
    }
    if (item.Has("learn"))
      set.ipLearnParameter[key] = QVIpLearnParameter{item.Field("learn").Int()};
    if (item.Has("relative")) {
      const JsonNode relative = item.Field("relative");
      relative.ExpectObject({"percent", "offset"});
      set.relativeLimit[key] =
          QVRelativeLimit{relative.Float("percent", 0.0f), relative.Float("offset", 0.0f)};
    }
    // The bench's warning band inside the limits; the library does not evaluate it.
    if (item.Has("marginal")) {
      const JsonNode marginal = item.Field("marginal");
      const float share = marginal.Float();
      if (!(share > 0.0f && share < 1.0f)) marginal.Fail("a share above 0 and below 1");
    }
    if (item.Has("trackPolygon")) {
      const JsonNode polygon = item.Field("trackPolygon");
      polygon.ExpectObject({"calcMode", "sourceParameter", "polygon"});
      set.ipTrackPolygon[key] = CVIpSvTrackPolygon{polygon.Field("calcMode").Int(),
                                                   polygon.Field("sourceParameter").Int(),
                                                   polygon.Field("polygon").Int()};
    }
  }
}

void ReadEvaluationTables(const JsonNode& plan, CParamSet& set) {
  JsonUnique<int32_t> procedures("a learn procedure id");
  if (plan.Has("learnProcedures")) {
    for (const JsonNode& item : plan.Field("learnProcedures").Items()) {
      item.ExpectObject({"id", "name", "numberToLearn", "baseLearns", "timeConstant"});
      const int32_t id = ReadId(item, procedures);
      QVLearnProcedures record;
      record.name = item.Text("name", "");
      record.numberToLearn = item.Field("numberToLearn").Int();
      record.baseLearns = static_cast<uint32_t>(
          item.Field("baseLearns")
              .IntIn(0, UINT32_MAX, "a number of parts from 0 to 4,294,967,295"));
      const JsonNode tc = item.Field("timeConstant");
      record.timeConstant = tc.Float();
      if (!(record.timeConstant >= 1.0f)) tc.Fail("a time constant of 1 part or more");
      set.learnProcedures[QIdx1(id)] = record;
    }
  }
  JsonUnique<int32_t> codes("an error code");
  for (const JsonNode& item : plan.Field("errorCodes").Items()) {
    item.ExpectObject({"code", "external", "text", "priority", "severity", "group"});
    const JsonNode codeNode = item.Field("code");
    const int32_t code = codeNode.Int();
    if (code < 0) codeNode.Fail("an error code of 0 or more");
    codes.Add(code, codeNode);
    set.origins.errorCodes[code] = item.Path();
    QVErrorCode record;
    record.externalCode = item.Int("external", code);
    record.text = item.Field("text").Text();
    record.priority = item.Field("priority").Int();
    record.severity = item.Field("severity").Int();
    record.group = item.Int("group", 0);
    if (record.group < 0 || record.group > 32)
      item.Field("group").Fail("a shadow group from 0 (none) to 32");
    set.errorCode[QIdx1(code)] = record;
  }
  JsonUnique<int32_t> severities("a severity");
  if (plan.Has("severities")) {
    for (const JsonNode& item : plan.Field("severities").Items()) {
      item.ExpectObject({"severity", "result", "color", "text"});
      const JsonNode severity = item.Field("severity");
      severities.Add(severity.Int(), severity);
      set.severityProperty[QIdx1(severity.Int())] = QVErrorGroup{
          item.Field("result").Int(), item.Field("color").Int(), item.Text("text", "")};
    }
  }
  JsonUnique<int32_t> groups("a shadow group");
  if (plan.Has("shadowGroups")) {
    for (const JsonNode& item : plan.Field("shadowGroups").Items()) {
      item.ExpectObject({"group", "shadows"});
      const JsonNode groupNode = item.Field("group");
      const int32_t group = groupNode.Int();
      if (group < 1 || group > 32) groupNode.Fail("a shadow group from 1 to 32");
      groups.Add(group, groupNode);
      uint32_t mask = 0;
      for (const JsonNode& shadowed : item.Field("shadows").Items()) {
        const int32_t g = shadowed.Int();
        if (g < 1 || g > 32) shadowed.Fail("a shadow group from 1 to 32");
        mask |= 1u << (g - 1);
      }
      set.shadowGroupProperty[QIdx1(group)] = QVShadowGroupProperty{group, mask};
    }
  }
}

void ReadPolygons(const JsonNode& plan, CParamSet& set) {
  if (!plan.Has("polygons")) return;
  JsonUnique<int32_t> ids("a polygon id");
  for (const JsonNode& item : plan.Field("polygons").Items()) {
    item.ExpectObject({"id", "name", "order", "points"});
    const int32_t id = ReadId(item, ids);
    set.ipPolygon[QIdx1(id)] = QVClassIdName{item.Text("name", "")};
    set.origins.polygons[id] = item.Path();
    set.ipPolygonProperty[QIdx1(id)] = QVIpPolygonProperty{item.Int("order", -1)};
    const std::vector<JsonNode> points = item.Field("points").Items();
    if (points.empty()) item.Field("points").Fail("at least one point [x, y]");
    if (points.size() > kMaxPolygonPoints)
      item.Field("points").Fail("at most 10,000 points, found " + std::to_string(points.size()));
    int index = 0;
    for (const JsonNode& point : points) {
      const std::vector<JsonNode> xy = point.Items();
      if (xy.size() != 2) point.Fail("a point [x, y] of two numbers");
      set.ipPolygonValues[{id, index++}] = CVPoint{xy[0].Float(), xy[1].Float()};
    }
  }
}

void ReadPlan(const json& document, CParamSet& set) {
  const JsonNode plan(document, "");
  plan.ExpectObject({"kelvaTestPlan", "name", "baseType", "showIdsInDialogs", "modes",
                     "instruments", "channels", "locations", "signals", "triggers", "parameters",
                     "quantities", "learnProcedures", "errorCodes", "severities", "shadowGroups",
                     "polygons", "simulation"});
  const JsonNode version = plan.Field("kelvaTestPlan");
  if (version.Int() != 1) version.Fail("format version 1");
  set.planName = plan.Field("name").Text();
  set.baseType = plan.Text("baseType", "");
  set.showIdsInDialogs = plan.Bool("showIdsInDialogs", false);
  ReadModes(plan, set);
  ReadNames(plan, set);
  ReadTriggers(plan, set);
  ReadParameters(plan, set);
  ReadQuantities(plan, set);
  ReadEvaluationTables(plan, set);
  ReadPolygons(plan, set);
}

void Report(const std::string& text) {
  PrWin::Output(PrWin::catOperator, 3, "%s\n", text.c_str());
}

}  // namespace

std::shared_ptr<CParamSet> Parse(const std::string& text, const std::string& fileName,
                                 std::string& error) {
  json document;
  JsonRefusal refusal;
  auto set = std::make_shared<CParamSet>();
  try {
    if (!ParseJson(text, document, refusal)) throw refusal;
    ReadPlan(document, *set);
  } catch (const JsonRefusal& e) {
    error = RefusalText(fileName, Problem{e.at, "expected " + e.expected});
    return nullptr;
  }
  const Problem problem = Check(*set);
  if (!problem.text.empty()) {
    error = RefusalText(fileName, problem);
    return nullptr;
  }
  error.clear();
  return set;
}

std::string RefusalText(const std::string& origin, const Problem& problem) {
  const std::string plan = "Test plan '" + origin + "'";
  return problem.at.empty() ? plan + ": " + problem.text
                            : plan + ", at " + problem.at + ": " + problem.text;
}

bool LoadText(const std::string& text, const std::string& fileName) {
  std::string error;
  std::shared_ptr<CParamSet> set = Parse(text, fileName, error);
  if (!set) {
    Report(error);
    return false;
  }
  ParamDatabase::Install(std::move(set));
  return true;
}

bool LoadFile(const std::string& path) {
  std::string content;
  std::string why;
  switch (ReadRegularFile(path, content, why)) {
    case ReadFileResult::ok:
      return LoadText(content, path);
    case ReadFileResult::missing:
      Report("Test plan '" + path + "': the file cannot be opened");
      return false;
    default:
      Report("Test plan '" + path + "': the file cannot be opened (it " + why + ")");
      return false;
  }
}

bool Install(std::shared_ptr<const CParamSet> set, const std::string& origin) {
  if (!set) return false;
  const Problem problem = Check(*set);
  if (!problem.text.empty()) {
    Report(RefusalText(origin, problem));
    return false;
  }
  ParamDatabase::Install(std::move(set));
  return true;
}

std::string DemoPlanPath() {
  const char* dir = std::getenv("KELVA_DATA_DIR");
  if (dir != nullptr && *dir != '\0') return std::string(dir) + "/demo-plan.json";
  return std::string(KELVA_SOURCE_DATA_DIR) + "/demo-plan.json";
}

}  // namespace TestPlan
