#include "RecordedComparison.h"

#include "PartDriver.h"

void CRecordedComparison::Add(const std::string& serial, int32_t recorded, int32_t now) {
  if (recorded < 0) return;
  ++compared_;
  if (recorded == now) return;
  changes_.push_back({serial, recorded, now});
  if (recorded == 1 && now == 0)
    ++okToNok_;
  else if (recorded == 0 && now == 1)
    ++nokToOk_;
  else
    ++other_;
}

std::string CRecordedComparison::Text() const {
  std::string text = "  compared with the recording: " + std::to_string(compared_) + " parts, " +
                     std::to_string(changes_.size()) + " changed (O.K. -> n.O.K. " +
                     std::to_string(okToNok_) + ", n.O.K. -> O.K. " + std::to_string(nokToOk_) +
                     ", other " + std::to_string(other_) + ")\n";
  for (const Change& change : changes_)
    text += "    " + change.serial + "  " + ResultText(change.recorded) + " -> " +
            ResultText(change.now) + "\n";
  return text;
}

nlohmann::json CRecordedComparison::Json() const {
  nlohmann::json changes = nlohmann::json::array();
  for (const Change& change : changes_)
    changes.push_back({{"serial", change.serial},
                       {"recorded", ResultText(change.recorded)},
                       {"now", ResultText(change.now)}});
  return {{"parts", compared_},  {"changed", changes_.size()},
          {"okToNok", okToNok_}, {"nokToOk", nokToOk_},
          {"other", other_},     {"changes", changes}};
}
