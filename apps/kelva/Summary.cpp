#include "Summary.h"

#include <bitset>

#include <nlohmann/json.hpp>

void CSummary::Part(const PartOutcome& outcome, const std::string& type,
                    const CDtParamInstance& params, bool afterLearnPhase) {
  ++parts_;
  partMilliseconds_ += outcome.milliseconds;
  comparison_.Add(outcome.part.serial, outcome.recordedResult, outcome.result);
  if (!outcome.marginal.empty()) {
    ++marginalParts_;
    for (const MarginalValue& m : outcome.marginal) marginalValues_ += m.values;
  }
  nonFinite_ += outcome.nonFiniteValues;
  const bool rejected = outcome.result != 1;
  switch (outcome.result) {
    case 0:
      ++nok_;
      break;
    case 1:
      ++ok_;
      break;
    case 2:
      ++none_;
      break;
    case 3:
      ++syserror_;
      break;
    default:
      ++other_;
  }
  if (outcome.part.defective) {
    ++defective_;
    if (rejected) ++defectiveCaught_;
  } else if (outcome.part.missingSignal) {
    ++missing_;
    if (rejected) ++missingCaught_;
  } else if (rejected) {
    ++goodRejected_;
  }
  const auto kind = static_cast<size_t>(outcome.part.kind);
  kinds_[kind].injected += 1;
  kinds_[kind].caught += rejected ? 1 : 0;
  if (afterLearnPhase) {
    if (firstLearnedPart_.empty()) firstLearnedPart_ = outcome.part.serial;
    kindsLearned_[kind].injected += 1;
    kindsLearned_[kind].caught += rejected ? 1 : 0;
    if (outcome.part.kind == DefectKind::none) {
      ++goodLearned_;
      goodLearnedRejected_ += rejected ? 1 : 0;
    }
  }
  if (json_) {
    nlohmann::json line = {
        {"serial", outcome.part.serial},        {"type", type},
        {"result", ResultText(outcome.result)}, {"resultCode", outcome.result},
        {"errors", outcome.errors.size()},      {"injected", outcome.part.defectText},
        {"milliseconds", outcome.milliseconds}, {"nonFiniteValues", outcome.nonFiniteValues}};
    nlohmann::json errors = nlohmann::json::array();
    for (size_t i = 0; i < outcome.errors.size(); ++i) {
      const KelvaError& e = outcome.errors[i];
      errors.push_back(
          {{"code", e.code},
           {"externalCode", e.externalCode},
           {"text", outcome.errorTexts[i]},
           {"key", {e.mode, e.instrument, e.channel, e.location, e.parameter, e.sensor}},
           {"value", e.value},
           {"limit", e.limit}});
    }
    line["errorList"] = errors;
    AddOperatorJson(outcome.operatorView, rejected, line);
    if (!outcome.marginal.empty()) line["marginal"] = MarginalJson(outcome.marginal, params);
    std::printf("%s\n",
                line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
    return;
  }
  std::printf("%-14s %-8s %-12s errors %3zu", outcome.part.serial.c_str(), type.c_str(),
              ResultText(outcome.result).c_str(), outcome.errors.size());
  if (!outcome.errors.empty()) {
    const KelvaError& e = outcome.errors.front();
    const QClavis key(e.mode, e.instrument, e.channel, e.location, e.parameter, e.sensor);
    std::printf("  first: %d %s (%s)", e.externalCode,
                outcome.errorTexts.front().empty() ? "unknown error code"
                                                   : outcome.errorTexts.front().c_str(),
                params.FormatClavisText(key, std::bitset<6>("010111")).c_str());
  }
  if (!outcome.part.defectText.empty())
    std::printf("  [injected: %s]", outcome.part.defectText.c_str());
  std::printf("\n%s%s", OperatorLines(outcome.operatorView, rejected, colours_).c_str(),
              MarginalLines(outcome.marginal, params).c_str());
}

bool LearnPhaseComplete(const std::vector<KelvaModeLearning>& learning) {
  if (learning.empty()) return false;
  for (const KelvaModeLearning& mode : learning)
    if (mode.learnedEnough < mode.quantities) return false;
  return true;
}

namespace {

constexpr DefectKind kFaultKinds[] = {DefectKind::gearMesh,   DefectKind::bearingTone,
                                      DefectKind::levelShift, DefectKind::trackBump,
                                      DefectKind::trackTilt,  DefectKind::missingSignal};

double Percent(int part, int whole) {
  return whole > 0 ? 100.0 * part / whole : 0.0;
}

nlohmann::json LearningJson(const std::vector<KelvaModeLearning>& learning,
                            const CDtParamInstance& params) {
  nlohmann::json modes = nlohmann::json::array();
  for (const KelvaModeLearning& m : learning)
    modes.push_back({{"mode", m.mode},
                     {"name", params.ModeName(m.mode)},
                     {"quantities", m.quantities},
                     {"learnedEnough", m.learnedEnough},
                     {"fewestParts", m.fewestParts},
                     {"mostParts", m.mostParts}});
  return modes;
}

void PrintLearning(const std::vector<KelvaModeLearning>& learning, const CDtParamInstance& params) {
  if (learning.empty()) {
    std::printf("  learned: nothing yet\n");
    return;
  }
  int quantities = 0;
  int enough = 0;
  for (const KelvaModeLearning& m : learning) {
    const std::string name = "'" + params.ModeName(m.mode) + "'";
    std::printf(
        "  learned in %-28s from %u parts (fewest %u); %d of %d quantities have their "
        "base learns\n",
        name.c_str(), m.mostParts, m.fewestParts, m.learnedEnough, m.quantities);
    quantities += m.quantities;
    enough += m.learnedEnough;
  }
  if (LearnPhaseComplete(learning))
    std::printf("  learn phase: complete\n");
  else
    std::printf("  learn phase: not complete (%d of %d quantities below their base learns)\n",
                quantities - enough, quantities);
}

}  // namespace

void CSummary::Print(double seconds, const CCheckpoints& files,
                     const std::vector<KelvaModeLearning>& learning,
                     const CDtParamInstance& params) const {
  const double perPart = parts_ > 0 ? partMilliseconds_ / parts_ : 0.0;
  const double perPartSource = parts_ > 0 ? sourceMilliseconds_ / parts_ : 0.0;
  if (json_) {
    nlohmann::json summary = {{"summary",
                               {{"parts", parts_},
                                {"ok", ok_},
                                {"nok", nok_},
                                {"noResult", none_},
                                {"systemError", syserror_},
                                {"defectiveInjected", defective_},
                                {"defectiveCaught", defectiveCaught_},
                                {"missingSignalInjected", missing_},
                                {"missingSignalCaught", missingCaught_},
                                {"goodPartsRejected", goodRejected_},
                                {"defectKinds", KindsJson(kinds_)},
                                {"afterLearnPhase",
                                 {{"firstPart", firstLearnedPart_},
                                  {"defectKinds", KindsJson(kindsLearned_)},
                                  {"goodParts", goodLearned_},
                                  {"goodPartsRejected", goodLearnedRejected_}}},
                                {"millisecondsPerPart", perPart},
                                {"sourceMillisecondsPerPart", perPartSource},
                                {"seconds", seconds},
                                {"nonFiniteValues", nonFinite_},
                                {"historyFile", files.HistoryFile()},
                                {"historySaveFailures", files.HistoryFailures()},
                                {"settingsFile", files.SettingsFile()},
                                {"settingsSaveFailures", files.SettingsFailures()},
                                {"learning", LearningJson(learning, params)},
                                {"learnPhaseComplete", LearnPhaseComplete(learning)},
                                {"learnFile", files.LearnFile()},
                                {"learnFileSaveFailures", files.LearnFileFailures()}}}};
    if (!comparison_.Empty()) summary["summary"]["comparison"] = comparison_.Json();
    summary["summary"]["marginal"] = {{"parts", marginalParts_}, {"values", marginalValues_}};
    std::printf("%s\n",
                summary.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
    return;
  }
  std::printf("\nSummary: %d parts in %.2f s (%.2f ms per part in the library, %.2f ms %s)\n",
              parts_, seconds, perPart, perPartSource, replay_ ? "reading the logs" : "simulating");
  std::printf("  O.K. %d   n.O.K. %d   no result %d   system error %d", ok_, nok_, none_,
              syserror_);
  if (other_ > 0) std::printf("   other %d", other_);
  std::printf("\n");
  std::printf("  parts with an injected acoustic defect: %d, rejected %d\n", defective_,
              defectiveCaught_);
  std::printf("  parts with a missing signal: %d, rejected %d\n", missing_, missingCaught_);
  std::printf("  good parts rejected: %d\n", goodRejected_);
  if (marginalParts_ > 0)
    std::printf("  values in their marginal band: %d in %d part(s)\n", marginalValues_,
                marginalParts_);
  if (!comparison_.Empty()) std::printf("%s", comparison_.Text().c_str());
  PrintAfterLearnPhase();
  PrintLearning(learning, params);
  if (nonFinite_ > 0)
    std::printf("  measured values that are not finite numbers (sent as they are): %lld\n",
                nonFinite_);
  if (files.HistoryFailures() > 0)
    std::printf("  NOT SAVED: the history (%s), %d of its saves failed\n",
                files.HistoryFile().c_str(), files.HistoryFailures());
  else if (!files.HistoryFile().empty())
    std::printf("  history: %s\n", files.HistoryFile().c_str());
  if (files.LearnFileFailures() > 0)
    std::printf("  NOT SAVED: the learn file (%s), %d of its saves failed\n",
                files.LearnFile().c_str(), files.LearnFileFailures());
  else if (!files.LearnFile().empty())
    std::printf("  learn file: %s\n", files.LearnFile().c_str());
  if (files.SettingsFailures() > 0)
    std::printf("  NOT SAVED: the settings (%s), %d of their saves failed\n",
                files.SettingsFile().c_str(), files.SettingsFailures());
}

nlohmann::json CSummary::KindsJson(const KindCount (&counts)[kDefectKinds]) {
  nlohmann::json kinds = nlohmann::json::array();
  for (DefectKind kind : kFaultKinds) {
    const KindCount& count = counts[static_cast<size_t>(kind)];
    kinds.push_back(
        {{"kind", DefectKindName(kind)}, {"injected", count.injected}, {"caught", count.caught}});
  }
  return kinds;
}

void CSummary::PrintAfterLearnPhase() const {
  if (firstLearnedPart_.empty()) {
    std::printf("  after the learn phase: no parts yet\n");
    return;
  }
  std::printf("  after the learn phase (from %s on), caught/injected:", firstLearnedPart_.c_str());
  int acoustic = 0, acousticCaught = 0;
  const char* separator = " ";
  for (DefectKind kind : kFaultKinds) {
    const KindCount& count = kindsLearned_[static_cast<size_t>(kind)];
    std::printf("%s%s %d/%d", separator, DefectKindName(kind), count.caught, count.injected);
    separator = ", ";
    if (kind != DefectKind::missingSignal) {
      acoustic += count.injected;
      acousticCaught += count.caught;
    }
  }
  std::printf(" (%.1f %% of acoustic defects)\n", Percent(acousticCaught, acoustic));
  std::printf("  after the learn phase, good parts rejected: %d of %d (%.2f %%)\n",
              goodLearnedRejected_, goodLearned_, Percent(goodLearnedRejected_, goodLearned_));
}
