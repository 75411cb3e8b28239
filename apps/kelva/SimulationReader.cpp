// Reading the "simulation" section of a plan. It follows the plan's own rules (the same JSON
// reader): every field is known, every number fits its field, every mode and instrument it
// names is one of the installed plan, and nothing it asks the bench to allocate is beyond the
// documented maxima.
#include <nlohmann/json.hpp>

#include "Simulation.h"
#include "host/File.h"
#include "host/JsonReader.h"
#include "host/Params.h"
#include "host/PlanKey.h"
#include "host/TestPlan.h"
#include "host/TriggerStore.h"

namespace {

using json = nlohmann::json;

double Share(const JsonNode& node) {
  const double share = node.FloatRangeNumber();
  if (share < 0.0 || share > 1.0) node.Fail("a share from 0 to 1");
  return share;
}

int32_t PlanMode(const JsonNode& node) {
  const int32_t mode = node.Int();
  if (!CDtParamInstance().IsValidMode(mode))
    node.Fail("a mode of the plan, not " + std::to_string(mode));
  return mode;
}

std::vector<int> Modes(const JsonNode& list) {
  std::vector<int> modes;
  for (const JsonNode& mode : list.Items()) modes.push_back(PlanMode(mode));
  if (modes.empty()) list.Fail("at least one mode");
  return modes;
}

uint32_t AxisCells(const QClavis& key) {
  const CDtParamInstance params;
  return CTriggerStore(params).TrackedCells(key.mode(), params.TriggerId(key.parameter()));
}

void ReadShape(const JsonNode& shape, SimQuantity& q) {
  shape.ExpectObject({"bins", "binWidth", "floor", "peaks"});
  q.bins = static_cast<uint32_t>(shape.Field("bins").IntIn(1, TestPlan::kMaxSpectrumBins,
                                                           "a number of bins from 1 to 100,000"));
  const JsonNode width = shape.Field("binWidth");
  q.binWidth = width.Float();
  if (!(q.binWidth > 0.0f)) width.Fail("a bin width above 0");
  q.floor = shape.Float("floor", 0.0f);
  if (!shape.Has("peaks")) return;
  for (const JsonNode& peak : shape.Field("peaks").Items()) {
    const std::vector<JsonNode> pair = peak.Items();
    if (pair.size() != 2) peak.Fail("a peak [order, height] of two numbers");
    q.peaks.emplace_back(pair[0].Float(), pair[1].Float());
  }
}

// A spectrogram keeps one row per four cells of its axis: bins × cells bounds what it holds.
void CheckSpectrogramSize(const JsonNode& bins, const QClavis& key, uint32_t binCount) {
  const uint64_t values = static_cast<uint64_t>(binCount) * AxisCells(key);
  if (values > TestPlan::kMaxSpectrogramValues)
    bins.Fail("at most 10,000,000 values in a spectrogram (bins x axis cells), found " +
              std::to_string(binCount) + " x " + std::to_string(AxisCells(key)) + " in mode " +
              std::to_string(key.mode()));
}

// "defect": the rise a defect gives the quantity, a number or a range [low, high] the rise is
// drawn from for each defective part.
void ReadDefect(const JsonNode& node, SimQuantity& q) {
  if (node.Value().is_array()) {
    const std::vector<JsonNode> ends = node.Items();
    if (ends.size() != 2) node.Fail("a rise or a range [low, high] of two numbers");
    q.defectMin = ends[0].Float();
    q.defect = ends[1].Float();
  } else {
    q.defect = node.Float();
    q.defectMin = q.defect;
  }
  if (!(q.defectMin > 0.0f && q.defectMin <= q.defect))
    node.Fail("a rise above 0 (a range: whose low end is above 0 and not above its high end)");
}

// "tilt": a defect of a track may also tilt it: the track rises by this many more over its
// speed range (half below, half above its middle), a number or a range [low, high] drawn from
// for each defective part. Each defect of such a track is a bump or a tilt, one as likely as the
// other.
void ReadTilt(const JsonNode& node, SimQuantity& q) {
  if (node.Value().is_array()) {
    const std::vector<JsonNode> ends = node.Items();
    if (ends.size() != 2) node.Fail("a rise or a range [low, high] of two numbers");
    q.tiltMin = ends[0].Float();
    q.tilt = ends[1].Float();
  } else {
    q.tilt = node.Float();
    q.tiltMin = q.tilt;
  }
  if (!(q.tiltMin > 0.0f && q.tiltMin <= q.tilt))
    node.Fail("a rise above 0 (a range: whose low end is above 0 and not above its high end)");
}

// One simulated quantity of `key`; its kind comes from the result type of the key's
// instrument, and only the fields of that kind are allowed.
SimQuantity ReadQuantity(const JsonNode& item, const QClavis& key) {
  const CDtParamInstance params;
  SimQuantity q;
  q.key = key;
  auto signal = params.AppSignalProperty().find(QIdx1(key.sensor()));
  if (signal != params.AppSignalProperty().end()) q.unit = signal->second.unit;
  if (item.Has("defect")) ReadDefect(item.Field("defect"), q);
  if (item.Has("noise")) {
    const JsonNode noise = item.Field("noise");
    q.noise = noise.Float();
    if (q.noise < 0.0f) noise.Fail("a standard deviation of 0 or more");
  }
  const int resultType = params.ResultType(key.instrument());
  if (resultType == 1) {
    item.ExpectObject({"key", "modes", "noise", "defect", "nominal"});
    q.kind = SimQuantity::kScalar;
    q.nominal = item.Field("nominal").Float();
  } else if (resultType == 2) {
    item.ExpectObject({"key", "modes", "noise", "defect", "tilt", "track"});
    q.kind = SimQuantity::kTrack;
    if (item.Has("tilt")) ReadTilt(item.Field("tilt"), q);
    const JsonNode track = item.Field("track");
    track.ExpectObject({"start", "end"});
    q.start = track.Field("start").Float();
    q.end = track.Field("end").Float();
  } else if (resultType >= 3 && resultType <= 6) {
    const bool rows = resultType == 5;
    const char* field = rows ? "spectrogram" : "spectrum";
    item.ExpectObject({"key", "modes", "noise", "defect", "defectAt", field});
    q.kind = rows ? SimQuantity::kSpectrogram : SimQuantity::kSpectrum;
    const JsonNode shape = item.Field(field);
    ReadShape(shape, q);
    if (rows) CheckSpectrogramSize(shape.Field("bins"), key, q.bins);
    q.defectAt = item.Float("defectAt", q.peaks.empty() ? 0.0f : q.peaks[0].first);
  } else {
    item.Field("key").Fail(
        "a quantity of a measuring instrument (result type 1 to 6), not "
        "instrument " +
        std::to_string(key.instrument()));
  }
  return q;
}

void ReadQuantities(const JsonNode& list, SimPlan& plan) {
  JsonUnique<QClavis> keys("a key");
  const auto add = [&](const JsonNode& item, const QClavis& key) {
    plan.quantities.push_back(ReadQuantity(item, key));
  };
  for (const JsonNode& item : list.Items()) {
    item.ExpectObject({"key", "modes", "noise", "defect", "defectAt", "nominal", "track",
                       "spectrum", "spectrogram", "tilt"});
    const JsonNode keyNode = item.Field("key");
    QClavis key = ReadPlanKey(keyNode);
    if (!item.Has("modes")) {
      PlanMode(keyNode.Items()[0]);
      keys.Add(key, keyNode);
      add(item, key);
      continue;
    }
    const JsonNode modes = item.Field("modes");
    Modes(modes);
    for (const JsonNode& mode : modes.Items()) {
      key.set_mode(mode.Int());
      keys.Add(key, mode);
      add(item, key);
    }
  }
}

void ReadSection(const JsonNode& sim, SimPlan& plan) {
  sim.ExpectObject(
      {"platform", "serialPrefix", "defectShare", "missingSignalShare", "sequence", "quantities"});
  plan.platform = sim.Text("platform", plan.platform);
  plan.serialPrefix = sim.Text("serialPrefix", plan.serialPrefix);
  if (sim.Has("defectShare")) plan.defectShare = Share(sim.Field("defectShare"));
  if (sim.Has("missingSignalShare")) {
    const JsonNode share = sim.Field("missingSignalShare");
    plan.missingSignalShare = Share(share);
    if (plan.defectShare + plan.missingSignalShare > 1.0)
      share.Fail("a share of at most 1 - defectShare (one part has one fault at most)");
  }
  plan.sequence = Modes(sim.Field("sequence"));
  ReadQuantities(sim.Field("quantities"), plan);
}

}  // namespace

SimulationRead ReadSimulation(const std::string& planPath, SimPlan& plan, std::string& error) {
  std::string text;
  std::string why;
  if (ReadRegularFile(planPath, text, why) != ReadFileResult::ok) {
    error = TestPlan::RefusalText(planPath, {"", "the file cannot be opened (it " + why + ")"});
    return SimulationRead::refused;
  }
  json document;
  JsonRefusal refusal;
  try {
    if (!ParseJson(text, document, refusal)) throw refusal;
    const JsonNode root(document, "");
    if (!root.Has("simulation")) {
      error = "Test plan '" + planPath +
              "' has no \"simulation\" section: kelva run makes its parts from it (see the "
              "simulation section in docs/cli.md)";
      return SimulationRead::missing;
    }
    SimPlan read;
    ReadSection(root.Field("simulation"), read);
    plan = std::move(read);
  } catch (const JsonRefusal& e) {
    error = TestPlan::RefusalText(planPath, TestPlan::Problem{e.at, "expected " + e.expected});
    return SimulationRead::refused;
  }
  return SimulationRead::ok;
}
