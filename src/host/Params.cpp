#include "host/Params.h"

#include <cmath>

#include "store/IdRange.h"

namespace {

std::string NameIn(const CUniqueTreeMap<QIdx1, QIdxName>& names, int id) {
  auto it = names.find(QIdx1(id));
  return it == names.end() ? std::string() : it->second.name;
}

}  // namespace

CDtParamDistillery::CDtParamDistillery(std::shared_ptr<const CParamSet> set)
    : set_(set ? std::move(set) : std::make_shared<const CParamSet>()) {}

CDtParamInstance::CDtParamInstance(const CDtParamDistillery* distillery)
    : distilled_(distillery != nullptr ? distillery->Set() : nullptr) {}

std::pair<CDtParamInstance::SpecIntervalIterator, CDtParamInstance::SpecIntervalIterator>
CDtParamInstance::SpecIntervalRange(int parameter) const {
  const auto& bands = Set().specIntervals;
  return Kelva::IdRange(bands, parameter, [](int32_t id) { return QIdx2(id, INT32_MIN); });
}

bool CDtParamInstance::Initialized() const {
  return distilled_ != nullptr || ParamDatabase::IsInitialized();
}

int CDtParamInstance::VirtMode2BaseMode(int mode) const {
  auto it = Set().modeInfo.find(mode);
  if (it == Set().modeInfo.end() || it->second.baseMode < 0) return mode;
  return it->second.baseMode;
}

bool CDtParamInstance::IsValidMode(int mode) const {
  return Set().modes.count(QIdx1(mode)) != 0;
}

bool CDtParamInstance::ModeIsOfType(int mode, int flag) const {
  auto it = Set().modeProperty.find(QIdx1(mode));
  return it != Set().modeProperty.end() && (it->second.flags & flag) != 0;
}

bool CDtParamInstance::ModeIsHidden(int mode) const {
  auto it = Set().modeProperty.find(QIdx1(mode));
  return it != Set().modeProperty.end() && it->second.hidden;
}

bool CDtParamInstance::IsValidInstrument(int instrument) const {
  return Set().instruments.count(QIdx1(instrument)) != 0;
}

int CDtParamInstance::ResultType(int instrument) const {
  auto it = Set().instrumentInfo.find(instrument);
  return it == Set().instrumentInfo.end() ? 0 : it->second.resultType;
}

int CDtParamInstance::InstrumentParameterToInstrument(int parameter) const {
  auto it = Set().instrumentParam.find(QIdx1(parameter));
  return it == Set().instrumentParam.end() ? -1 : it->second.instrument;
}

int CDtParamInstance::TriggerId(int parameter) const {
  auto it = Set().instrumentParam.find(QIdx1(parameter));
  return it == Set().instrumentParam.end() ? -1 : it->second.trigger;
}

int CDtParamInstance::ChannelResamplingType(int channel) const {
  auto it = Set().channelInfo.find(channel);
  return it == Set().channelInfo.end() ? 0 : it->second.resamplingType;
}

int CDtParamInstance::OrderSource2Rotor(int /*mode*/, int location) const {
  auto it = Set().locationProperty.find(QIdx1(location));
  if (it == Set().locationProperty.end() || it->second.rotor < 0) return location;
  return it->second.rotor;
}

float CDtParamInstance::FrequencyRatioToGeneratingRotor(int mode, int /*location*/,
                                                        int order) const {
  if (order < 0) return 1.0f;
  // A virtual mode runs on the drive train of its base mode.
  auto info = Set().modeInfo.find(VirtMode2BaseMode(mode));
  if (info == Set().modeInfo.end()) return 0.0f;
  auto ratio = info->second.rotorRatios.find(order);
  return ratio == info->second.rotorRatios.end() ? 0.0f : ratio->second;
}

std::string CDtParamInstance::ModeName(int mode) const {
  return NameIn(Set().modes, mode);
}

std::string CDtParamInstance::PhysModeName(int mode) const {
  auto it = Set().modeInfo.find(mode);
  if (it == Set().modeInfo.end() || it->second.physicalName.empty()) return ModeName(mode);
  return it->second.physicalName;
}

std::string CDtParamInstance::InstrumentName(int instrument) const {
  return NameIn(Set().instruments, instrument);
}

std::string CDtParamInstance::ChannelName(int channel) const {
  return NameIn(Set().channels, channel);
}

std::string CDtParamInstance::LocationName(int location) const {
  return NameIn(Set().locations, location);
}

std::string CDtParamInstance::InstrumentParamName(int parameter) const {
  auto it = Set().instrumentParam.find(QIdx1(parameter));
  return it == Set().instrumentParam.end() ? std::string() : it->second.name;
}

int CDtParamInstance::TriggerSource(int trigger) const {
  auto it = Set().triggers.find(trigger);
  return it == Set().triggers.end() ? -1 : it->second.source;
}

std::string CDtParamInstance::TriggerName(int trigger) const {
  auto it = Set().triggers.find(trigger);
  return it == Set().triggers.end() ? std::string() : it->second.name;
}

std::string CDtParamInstance::ApplicationSignalName(int signal) const {
  auto it = Set().appSignalProperty.find(QIdx1(signal));
  return it == Set().appSignalProperty.end() ? std::string() : it->second.name;
}

namespace {

std::string Field(const std::string& name, int id, bool showIds) {
  if (id == -1) return "*";
  if (name.empty()) return "#" + std::to_string(id);
  return showIds ? name + " (" + std::to_string(id) + ")" : name;
}

}  // namespace

std::string CDtParamInstance::FormatClavisText(const QClavis& key, std::bitset<6> fields) const {
  const bool ids = ShowIdsInDialogs();
  const std::string names[6] = {ModeName(key.mode()),
                                InstrumentName(key.instrument()),
                                ChannelName(key.channel()),
                                LocationName(key.location()),
                                InstrumentParamName(key.parameter()),
                                ApplicationSignalName(key.sensor())};
  std::string text;
  for (int i = 0; i < 6; ++i) {
    if (!fields.test(static_cast<size_t>(i))) continue;
    if (!text.empty()) text += " / ";
    text += Field(names[i], key[i], ids);
  }
  return text;
}

std::string CDtParamInstance::FormatInstrParamText(int instrument, int parameter) const {
  const bool ids = ShowIdsInDialogs();
  return Field(InstrumentName(instrument), instrument, ids) + " / " +
         Field(InstrumentParamName(parameter), parameter, ids);
}

std::string CDtParamInstance::FormatLocaChanText(int location, int channel) const {
  const bool ids = ShowIdsInDialogs();
  return Field(LocationName(location), location, ids) + " / " +
         Field(ChannelName(channel), channel, ids);
}
