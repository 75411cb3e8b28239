#include "PartDisplay.h"

#include <cstdio>

namespace {

// Background and text colour of a result colour on a terminal.
const char* AnsiColour(int32_t colour) {
  switch (colour) {
    case 1:
      return "\033[42;30m";  // green
    case 2:
      return "\033[43;30m";  // yellow
    case 4:
      return "\033[41;97m";  // red
    case 5:
      return "\033[45;97m";  // magenta
    default:
      return "\033[100;97m";  // grey
  }
}

constexpr const char* kReset = "\033[0m";

std::string Padded(const std::string& text, size_t width) {
  return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

// When in the part's cycle the command was sent (negative: before the cycle started).
int64_t CycleMs(const OperatorPart& part, const LampCommand& command) {
  return static_cast<int64_t>(command.tick) - static_cast<int64_t>(part.cycleStart);
}

std::string LampText(const OperatorPart& part) {
  std::string text;
  for (const LampCommand& c : part.lamp) {
    if (!text.empty()) text += ", ";
    text += c.command + " @" + std::to_string(CycleMs(part, c)) + " ms";
  }
  return text.empty() ? "(no command)" : text;
}

// Every line of `text` indented; a text without a final line end gets one.
void AppendIndented(std::string& out, const std::string& text, const std::string& first,
                    const std::string& rest) {
  size_t start = 0;
  bool isFirst = true;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    out += (isFirst ? first : rest) + text.substr(start, end - start) + "\n";
    isFirst = false;
    start = end + 1;
  }
}

}  // namespace

std::string ColourLabel(int32_t colour) {
  switch (colour) {
    case 0:
      return "--";
    case 1:
      return "O.K.";
    case 2:
      return "running";
    case 4:
      return "n.O.K.";
    case 5:
      return "sys.err";
    default:
      return "colour " + std::to_string(colour);
  }
}

std::string OperatorLines(const OperatorPart& part, bool rejected, bool colours) {
  std::string out;
  for (const CAmpelView::ModeErgebnis_t& mode : part.modes) {
    const std::string label = " " + Padded(ColourLabel(mode.colour), 9);
    out += "    ";
    out += colours ? AnsiColour(mode.colour) + label + kReset : label;
    out += " " + mode.name + (mode.measured ? "" : " (not measured)") + "\n";
  }
  out += "    lamp       " + LampText(part) + "\n";
  if (rejected && part.reportShown)
    AppendIndented(out, part.report.header + part.report.body, "    report     ",
                   "               ");
  return out;
}

void AddOperatorJson(const OperatorPart& part, bool rejected, nlohmann::json& line) {
  nlohmann::json modes = nlohmann::json::array();
  for (const CAmpelView::ModeErgebnis_t& mode : part.modes)
    modes.push_back({{"mode", mode.mode},
                     {"name", mode.name},
                     {"colour", mode.colour},
                     {"measured", mode.measured}});
  line["modes"] = modes;
  nlohmann::json lamp = nlohmann::json::array();
  for (const LampCommand& c : part.lamp)
    lamp.push_back({{"command", c.command}, {"ms", CycleMs(part, c)}});
  line["lamp"] = lamp;
  if (rejected && part.reportShown) line["report"] = part.report.header + part.report.body;
}
