#include "frame/TrainSpotter.h"

#include <cinttypes>
#include <cstdio>
#include <functional>
#include <map>

#include "host/MeasuringResult.h"
#include "host/Output.h"
#include "host/Params.h"
#include "host/Signal.h"

namespace {

using writer_t = std::function<std::string(const CTrain&, const CTrain::SWagon&, CSCSClient&)>;

struct Kind {
  int kind;
  writer_t writer;
};

std::map<uint32_t, Kind>& Registry() {
  static std::map<uint32_t, Kind> registry;
  return registry;
}

writer_t Fixed(const char* line) {
  return [line](const CTrain&, const CTrain::SWagon&, CSCSClient&) { return std::string(line); };
}

std::string FloatSignalLine(const CTrain& train, const CTrain::SWagon& wagon, CSCSClient&) {
  auto signal = ReadWagon<CSignalieee32>(train, wagon);
  if (!signal) return "  Float signal: (unreadable)\n";
  const SClavis& c = signal->clavis();
  const QClavis key(c.mode, c.instrument, c.channel, c.location, c.parameter, c.sensor);
  return "  Float signal: " + CDtParamInstance().FormatClavisText(key) + "\n";
}

std::string ThreadKeyLine(const CTrain& train, const CTrain::SWagon& wagon, CSCSClient& client) {
  auto key = ReadWagon<CThreadSynch::Key>(train, wagon);
  if (!key || !client.Process(*key)) return std::string();
  return "  TSO " + client.ToString() + "\n";
}

std::string TriggerInfoLine(const CTrain& train, const CTrain::SWagon& wagon, CSCSClient&) {
  auto info = ReadWagon<CTriggerInfo>(train, wagon);
  if (!info) return "  Trigger (unreadable)\n";
  char cell[32];
  std::snprintf(cell, sizeof(cell), "%" PRId64, info->cell);
  return "  Trigger '" + CDtParamInstance().TriggerName(info->trigger) + "': '" +
         info->StateName() + "' at cell " + cell + "\n";
}

void FillRegistry() {
  auto& registry = Registry();
  registry[MarshalingYard::ID<CMeasuringResultScalar>::id()] = {0, Fixed("  scalar result\n")};
  registry[MarshalingYard::ID<CMeasuringResultScalarTarget>::id()] = {1,
                                                                      Fixed("  scalar target\n")};
  registry[MarshalingYard::ID<CTypedSignal<unsigned long>>::id()] = {2, Fixed("  raw signal\n")};
  registry[MarshalingYard::ID<CSignalieee32>::id()] = {3, FloatSignalLine};
  registry[MarshalingYard::ID<CResampInfo>::id()] = {4, Fixed("  resampling info\n")};
  registry[MarshalingYard::ID<CThreadSynch::Key>::id()] = {5, ThreadKeyLine};
  registry[MarshalingYard::ID<CDzPulsListe>::id()] = {6, Fixed("  speed list\n")};
  registry[MarshalingYard::ID<CFueGroeHopListe>::id()] = {7, Fixed("  slow cv list\n")};
  registry[MarshalingYard::ID<CTriggerInfo>::id()] = {8, TriggerInfoLine};
}

}  // namespace

CTrainSpotter::CTrainSpotter() {
  if (Registry().empty()) {
    FillRegistry();
    m_stateClient.RegisterAll();
  }
}

std::string CTrainSpotter::operator()(const CTrain& train, int mask) {
  std::string lines;
  for (const CTrain::SWagon& wagon : train) {
    auto known = Registry().find(wagon.id);
    if (known == Registry().end()) {
      lines += "  wagon with Unknown ID '";
      for (int i = 0; i < 4; ++i) lines += static_cast<char>((wagon.id >> (8 * i)) & 0xff);
      lines += "'\n";
      continue;
    }
    if ((mask & (1 << known->second.kind)) != 0)
      lines += known->second.writer(train, wagon, m_stateClient);
  }
  const std::string text = lines.empty() ? "<train/>\n" : "<train>\n" + lines + "</train>\n";
  PrWin::Trace({"TrainSpotter", __LINE__}, "%s", text.c_str());
  return text;
}
