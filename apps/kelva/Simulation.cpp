#include "Simulation.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "host/Params.h"

namespace {

using json = nlohmann::json;

struct Refusal {
  std::string text;
};

const json& Need(const json& object, const char* field, const std::string& path) {
  if (!object.is_object() || !object.contains(field))
    throw Refusal{path + ": expected the field \"" + field + "\""};
  return object.at(field);
}

float Number(const json& value, const std::string& path) {
  if (!value.is_number()) throw Refusal{path + ": expected a number"};
  return value.get<float>();
}

float NumberOr(const json& object, const char* field, float fallback, const std::string& path) {
  return object.contains(field) ? Number(object.at(field), path + "/" + field) : fallback;
}

std::vector<std::pair<float, float>> Peaks(const json& object, const std::string& path) {
  std::vector<std::pair<float, float>> peaks;
  if (!object.contains("peaks")) return peaks;
  const json& list = object.at("peaks");
  if (!list.is_array()) throw Refusal{path + "/peaks: expected an array of [order, height]"};
  for (size_t i = 0; i < list.size(); ++i) {
    const std::string at = path + "/peaks/" + std::to_string(i);
    if (!list[i].is_array() || list[i].size() != 2)
      throw Refusal{at + ": expected [order, height]"};
    peaks.emplace_back(Number(list[i][0], at), Number(list[i][1], at));
  }
  return peaks;
}

SimQuantity ReadQuantity(const json& item, const QClavis& key, const std::string& path) {
  const CDtParamInstance params;
  SimQuantity q;
  q.key = key;
  auto signal = params.AppSignalProperty().find(QIdx1(key.sensor()));
  if (signal != params.AppSignalProperty().end()) q.unit = signal->second.unit;
  q.noise = NumberOr(item, "noise", 0.0f, path);
  q.defect = NumberOr(item, "defect", 0.0f, path);
  switch (params.ResultType(key.instrument())) {
    case 1:
      q.kind = SimQuantity::kScalar;
      q.nominal = Number(Need(item, "nominal", path), path + "/nominal");
      break;
    case 2: {
      q.kind = SimQuantity::kTrack;
      const json& track = Need(item, "track", path);
      q.start = Number(Need(track, "start", path + "/track"), path + "/track/start");
      q.end = Number(Need(track, "end", path + "/track"), path + "/track/end");
      break;
    }
    case 3:
    case 4:
    case 6:
    case 5: {
      const bool rows = params.ResultType(key.instrument()) == 5;
      q.kind = rows ? SimQuantity::kSpectrogram : SimQuantity::kSpectrum;
      const char* field = rows ? "spectrogram" : "spectrum";
      const std::string at = path + "/" + field;
      const json& shape = Need(item, field, path);
      const float bins = Number(Need(shape, "bins", at), at + "/bins");
      if (bins < 1 || bins > 1000000) throw Refusal{at + "/bins: expected 1 to 1,000,000 bins"};
      q.bins = static_cast<uint32_t>(bins);
      q.binWidth = Number(Need(shape, "binWidth", at), at + "/binWidth");
      if (!(q.binWidth > 0)) throw Refusal{at + "/binWidth: expected a bin width above 0"};
      q.floor = NumberOr(shape, "floor", 0.0f, at);
      q.peaks = Peaks(shape, at);
      q.defectAt = NumberOr(item, "defectAt", q.peaks.empty() ? 0.0f : q.peaks[0].first, path);
      break;
    }
    default:
      throw Refusal{path +
                    "/key: expected a quantity of a measuring instrument (result type 1 to 6)"};
  }
  return q;
}

}  // namespace

bool ReadSimulation(const std::string& planPath, SimPlan& plan, std::string& error) {
  std::ifstream in(planPath);
  std::stringstream text;
  text << in.rdbuf();
  try {
    const json document = json::parse(text.str());
    const json& sim = Need(document, "simulation", "");
    plan.platform = sim.value("platform", plan.platform);
    plan.serialPrefix = sim.value("serialPrefix", plan.serialPrefix);
    plan.defectShare = NumberOr(sim, "defectShare", 0.0f, "/simulation");
    plan.missingSignalShare = NumberOr(sim, "missingSignalShare", 0.0f, "/simulation");
    const json& sequence = Need(sim, "sequence", "/simulation");
    if (!sequence.is_array()) throw Refusal{"/simulation/sequence: expected an array of modes"};
    for (const json& mode : sequence) {
      if (!mode.is_number_integer()) throw Refusal{"/simulation/sequence: expected mode numbers"};
      plan.sequence.push_back(mode.get<int>());
    }
    const json& quantities = Need(sim, "quantities", "/simulation");
    for (size_t i = 0; i < quantities.size(); ++i) {
      const std::string path = "/simulation/quantities/" + std::to_string(i);
      const json& item = quantities[i];
      const json& key = Need(item, "key", path);
      if (!key.is_array() || key.size() != 6) throw Refusal{path + "/key: expected 6 integers"};
      QClavis clavis;
      for (int f = 0; f < 6; ++f) {
        if (!key[static_cast<size_t>(f)].is_number_integer())
          throw Refusal{path + "/key: expected 6 integers"};
        clavis[f] = key[static_cast<size_t>(f)].get<int>();
      }
      std::vector<int> modes{clavis.mode()};
      if (item.contains("modes")) modes = item.at("modes").get<std::vector<int>>();
      for (int mode : modes) {
        clavis.set_mode(mode);
        plan.quantities.push_back(ReadQuantity(item, clavis, path));
      }
    }
  } catch (const Refusal& refusal) {
    error = "simulation of '" + planPath + "', at " + refusal.text;
    return false;
  } catch (const json::exception& e) {
    error = "simulation of '" + planPath + "': " + e.what();
    return false;
  }
  return true;
}

SimPart DrawPart(const SimPlan& plan, uint64_t seed, int number) {
  SimPart part;
  part.number = number;
  char serial[32];
  std::snprintf(serial, sizeof(serial), "%06d", number);
  part.serial = plan.serialPrefix + serial;
  part.random.seed(seed * 1000003u + static_cast<uint64_t>(number));
  std::uniform_real_distribution<double> uniform(0.0, 1.0);
  const double draw = uniform(part.random);
  if (plan.quantities.empty()) return part;
  std::uniform_int_distribution<int> which(0, static_cast<int>(plan.quantities.size()) - 1);
  if (draw < plan.defectShare) {
    part.defective = true;
    // An acoustic defect shows in a quantity that can carry one.
    for (int tries = 0; tries < 32 && part.defectQuantity < 0; ++tries) {
      const int q = which(part.random);
      if (plan.quantities[static_cast<size_t>(q)].defect > 0.0f) part.defectQuantity = q;
    }
    if (part.defectQuantity < 0) part.defective = false;
  } else if (draw < plan.defectShare + plan.missingSignalShare) {
    part.missingSignal = true;
    part.defectQuantity = which(part.random);
  }
  return part;
}
