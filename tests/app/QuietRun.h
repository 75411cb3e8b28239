#pragma once
// A quiet run of the demo plan for the tests of `kelva inspect`: three parts without faults and
// (next to) without noise, and what the demo simulation measures.

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/KelvaProcess.h"

// The demo plan without faults, without derived quantities and with (next to) no noise, so
// every part delivers every single value of the simulation at its nominal value.
inline nlohmann::json QuietPlan() {
  nlohmann::json plan = DemoPlan();
  plan["simulation"]["defectShare"] = 0.0;
  plan["simulation"]["missingSignalShare"] = 0.0;
  // Without the derived quantities (hats, track statistics, arithmetic, tracks from tracks)
  // the single values are those of the measuring instruments alone.
  const std::set<int> derived = {1001, 10000, 10001, 10201, 11000, 16000};
  nlohmann::json& planned = plan["quantities"];
  for (size_t i = planned.size(); i-- > 0;)
    if (derived.count(planned[i]["key"][1].get<int>()) != 0) planned.erase(i);
  for (nlohmann::json& quantity : plan["simulation"]["quantities"]) quantity["noise"] = 0.0;
  return plan;
}

// A run of three quiet parts in `folder`; the plan is left as plan.json beside it.
inline void RunThreeParts(const TempFolder& folder) {
  WriteText(folder / "plan.json", QuietPlan().dump());
  const ProcessResult run = RunKelva(
      {"run", "--plan", folder / "plan.json", "--parts", "3", "--workdir", folder / "work"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
}

// The lines of `text` that start with `prefix`, the prefix and what follows `stop` cut off.
inline std::vector<std::string> Lines(const std::string& text, const std::string& prefix,
                                      const std::string& stop) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    if (line.starts_with(prefix))
      lines.push_back(line.substr(prefix.size(), line.find(stop) - prefix.size()));
  return lines;
}

// The single values of the demo simulation in key order, as (key text, mode position in the
// sequence 1, 2, 3, 4, 6, 7, nominal value).
struct SingleValue {
  std::string key;
  int modeIndex;
  double nominal;
};
inline std::vector<SingleValue> DemoSingleValues() {
  const int modes[] = {1, 2, 3, 4, 6};
  std::vector<SingleValue> values;
  for (int i = 0; i < 5; ++i) {
    const std::string mode = "mode " + std::to_string(modes[i]);
    values.push_back(
        {mode + ", instrument 1, channel 1, location 1, parameter 100, sensor 2", i, 92.0});
    if (modes[i] == 6) break;
    values.push_back(
        {mode + ", instrument 1, channel 1, location 1, parameter 101, sensor 2", i, 101.0});
    values.push_back(
        {mode + ", instrument 1, channel 2, location 2, parameter 100, sensor 3", i, 88.0});
  }
  values.push_back(
      {"mode 7, instrument 2, channel 3, location 3, parameter 110, sensor 4", 5, 45.0});
  values.push_back(
      {"mode 7, instrument 3, channel 4, location 1, parameter 120, sensor 5", 5, 2.1});
  return values;
}
