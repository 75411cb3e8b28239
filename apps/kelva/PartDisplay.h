#pragma once
// What the operator sees of a part, as the run prints it below the part's line: the signal
// light window (one line per mode: its result, coloured on a terminal, and its name), the lamp
// commands with their times in the part's cycle and, for a part that did not pass, the
// report as the report window shows it.

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "LampPort.h"
#include "host/Views.h"

struct OperatorPart {
  std::vector<CAmpelView::ModeErgebnis_t> modes;
  std::vector<LampCommand> lamp;
  uint64_t cycleStart = 0;  // host tick the part's cycle started at
  CBerichtsView::Report report;
  bool reportShown = false;
};

// The text (lines ending in "\n", indented by four spaces); ANSI colours only when asked.
std::string OperatorLines(const OperatorPart& part, bool rejected, bool colours);
// "modes", "lamp" and, for a part that did not pass, "report" members of the part's object.
void AddOperatorJson(const OperatorPart& part, bool rejected, nlohmann::json& line);
// "O.K.", "n.O.K.", "running", "sys.err", "--" for a mode without result, "colour <n>".
std::string ColourLabel(int32_t colour);
