#include "frame/DescribedKey.h"

#include "host/JsonText.h"

namespace DescribedKey {

const char* const kFieldNames[6] = {"mode",     "instrument", "channel",
                                    "location", "parameter",  "sensor"};

std::string FieldName(const CDtParamInstance& params, const QClavis& key, int field) {
  switch (field) {
    case 0:
      return params.ModeName(key.mode());
    case 1:
      return params.InstrumentName(key.instrument());
    case 2:
      return params.ChannelName(key.channel());
    case 3:
      return params.LocationName(key.location());
    case 4:
      return params.InstrumentParamName(key.parameter());
    case 5:
      return params.ApplicationSignalName(key.sensor());
    default:
      return "";
  }
}

std::string Text(const CDtParamInstance& params, const QClavis& key) {
  std::string text;
  for (int field = 0; field < 6; ++field) {
    if (field > 0) text += ", ";
    text += std::string(kFieldNames[field]) + " " + std::to_string(key[field]);
    const std::string name = FieldName(params, key, field);
    if (!name.empty()) text += " \"" + name + "\"";
  }
  return text;
}

std::string JsonMembers(const CDtParamInstance& params, const QClavis& key) {
  std::string ids;
  std::string names;
  for (int field = 0; field < 6; ++field) {
    if (field > 0) ids += ",";
    ids += std::to_string(key[field]);
    const std::string name = FieldName(params, key, field);
    if (name.empty()) continue;
    if (!names.empty()) names += ",";
    names += JsonText::Quoted(kFieldNames[field]) + ":" + JsonText::Quoted(name);
  }
  std::string members = "\"key\":[" + ids + "]";
  if (!names.empty()) members += ",\"names\":{" + names + "}";
  return members;
}

}  // namespace DescribedKey
