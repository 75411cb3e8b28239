#pragma once
// The reference part's test plan (ReferencePart.h) as a plan file: every quantity limited and
// learned with two base learns, spectra and tracks between polygons, spectrograms by area.
#include <string>

#include <nlohmann/json.hpp>

#include "ReferencePart.h"

namespace ReferencePlanFile {

using nlohmann::json;
using namespace ReferencePart;

inline json Key(const QClavis& k) {
  return {k.mode(), k.instrument(), k.channel(), k.location(), k.parameter(), k.sensor()};
}

inline json Quantity(const QClavis& key, int code) {
  return {{"key", Key(key)},
          {"store", {{"errorCode", code}, {"offset", 1.0}, {"sigmaFactor", 10.0}}},
          {"learn", 1}};
}

// A parameter evaluated against an upper limit; a triggered one is measured along trigger 1.
inline json Parameter(int id, int instrument, const std::string& name, bool triggered = false) {
  json parameter = {{"id", id}, {"instrument", instrument}, {"name", name}, {"evalMode", 2}};
  if (triggered) parameter["trigger"] = 1;
  return parameter;
}

inline json Plan() {
  json plan = {{"kelvaTestPlan", 1}, {"name", "Reference part"}, {"baseType", "REF"}};
  json axes = json::array();
  for (int mode = 1; mode <= kModes; ++mode) {
    plan["modes"].push_back({{"id", mode}, {"name", "Mode " + std::to_string(mode)}, {"flags", 1}});
    axes.push_back({{"mode", mode},
                    {"dimension", 1},
                    {"signal", 1},
                    {"setPoint", 1},
                    {"tracked", true},
                    {"start", 800},
                    {"step", 1},
                    {"count", kTrackPoints}});
  }
  plan["instruments"] = {{{"id", 1}, {"name", "Level"}, {"resultType", 1}},
                         {{"id", 2001}, {"name", "Order track"}, {"resultType", 2}},
                         {{"id", 2100}, {"name", "Spectrogram"}, {"resultType", 5}},
                         {{"id", 2500}, {"name", "Order spectrum"}, {"resultType", 3}}};
  const char* channels[] = {"Gearbox front", "Gearbox rear", "Input shaft", "Output shaft"};
  for (int c = 0; c < 4; ++c) plan["channels"].push_back({{"id", c + 1}, {"name", channels[c]}});
  const char* locations[] = {"Housing", "Bearing", "Flange"};
  for (int l = 0; l < 3; ++l) plan["locations"].push_back({{"id", l + 1}, {"name", locations[l]}});
  plan["signals"] = {{{"id", 1}, {"name", "Speed"}, {"unit", {{"common", 9}}}, {"source", 1}},
                     {{"id", 2},
                      {"name", "Acceleration"},
                      {"unit", {{"common", 4}, {"log", true}}},
                      {"source", 2}}};
  plan["triggers"] = {{{"id", 1}, {"name", "Input shaft speed"}, {"source", 1}, {"axes", axes}}};
  for (int i = 0; i < kSingleValues; ++i) {
    plan["parameters"].push_back(
        Parameter(SingleValueKey(i).parameter(), 1, "Level " + std::to_string(i)));
    json q = Quantity(SingleValueKey(i), 1100);
    q["limit"] = {{"evaluate", 1}, {"min", 0}, {"max", 200}};
    plan["quantities"].push_back(q);
  }
  for (int i = 0; i < kSpectra; ++i) {
    plan["parameters"].push_back(
        Parameter(SpectrumKey(i).parameter(), 2500, "Spectrum " + std::to_string(i)));
    json q = Quantity(SpectrumKey(i), 1200);
    q["curveLimit"] = {{"evaluate", 1}, {"lowerPolygon", 1}, {"upperPolygon", 2}};
    plan["quantities"].push_back(q);
  }
  for (int t = 0; t < kScalarTracks; ++t) {
    plan["parameters"].push_back(
        Parameter(ScalarTrackKey(t).parameter(), 2001, "Order " + std::to_string(t), true));
    json q = Quantity(ScalarTrackKey(t), 1400);
    q["curveLimit"] = {{"evaluate", 1}, {"lowerPolygon", 3}, {"upperPolygon", 4}};
    plan["quantities"].push_back(q);
  }
  plan["parameters"].push_back(Parameter(SpectrogramKey(0).parameter(), 2100, "Spectrogram", true));
  for (int s = 0; s < kSpectrograms; ++s) {
    json q = Quantity(SpectrogramKey(s), 1450);
    q["area"] = {{"evaluate", 1}, {"lower", 10}, {"upper", 150}};
    plan["quantities"].push_back(q);
  }
  plan["learnProcedures"] = {{{"id", 1},
                              {"name", "Reference"},
                              {"numberToLearn", -1},
                              {"baseLearns", 2},
                              {"timeConstant", 10}}};
  const std::pair<int, const char*> codes[] = {{1100, "Level too high"},
                                               {1200, "Spectrum too loud"},
                                               {1400, "Order too loud"},
                                               {1450, "Spectrogram too loud"}};
  int priority = 10;
  for (const auto& [code, text] : codes) {
    plan["errorCodes"].push_back({{"code", code},
                                  {"text", text},
                                  {"priority", priority},
                                  {"severity", 1},
                                  {"group", 1},
                                  {"external", code + 3000}});
    priority += 10;
  }
  plan["severities"] = {{{"severity", 1}, {"result", 0}, {"color", 4}, {"text", "n.O.K."}}};
  plan["polygons"] = {
      {{"id", 1}, {"name", "Spectrum lower"}, {"points", {{0, 20}, {100, 30}, {205, 20}}}},
      {{"id", 2}, {"name", "Spectrum upper"}, {"points", {{0, 120}, {100, 110}, {205, 120}}}},
      {{"id", 3}, {"name", "Track lower"}, {"points", {{800, 20}, {2800, 40}}}},
      {{"id", 4}, {"name", "Track upper"}, {"points", {{800, 150}, {1800, 140}, {2800, 150}}}}};
  return plan;
}

}  // namespace ReferencePlanFile
