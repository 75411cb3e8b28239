#include "MeasurementLogWriter.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include <nlohmann/json.hpp>

#include "Base64.h"
#include "WriteAll.h"
#include "host/FileFaults.h"
#include "host/Signal.h"

namespace {

// A float as a JSON number, or as "nan", "inf", "-inf" (JSON has no such numbers).
nlohmann::json FloatJson(float value) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
  return value;
}

nlohmann::json UnitJson(const CMeasuringUnit& unit) {
  return {unit.CommonUnit(), unit.Exponent(), unit.Factor(), unit.Flags()};
}

nlohmann::json KeyJson(const SClavis& key) {
  return {key.mode, key.instrument, key.channel, key.location, key.parameter, key.sensor};
}

// The fields every measured value has: its key, time slice, expiry, trigger and set points.
nlohmann::json BaseJson(const char* measured, const CMeasuringResultBase& value) {
  nlohmann::json line = {{"measured", measured},
                         {"key", KeyJson(value.clavis())},
                         {"slice", value.context()},
                         {"expiry", static_cast<int>(value.expire())}};
  if (value.trigger() >= 0) line["trigger"] = {value.trigger(), value.cell()};
  nlohmann::json setPoints = nlohmann::json::array();
  for (int slot = 0; slot < CSetPoint::kSlots; ++slot)
    if (value.set_point().Defined(slot))
      setPoints.push_back(
          {slot, value.set_point().Id(slot), FloatJson(value.set_point().Value(slot))});
  if (!setPoints.empty()) line["setPoints"] = setPoints;
  return line;
}

nlohmann::json CurveJson(const CSignalieee32& curve) {
  nlohmann::json line = BaseJson("curve", curve);
  const CDescription& description = curve.Description();
  nlohmann::json x = nlohmann::json::array();
  for (uint32_t i = 0; i < description.XDims(); ++i) {
    const CXDimension& d = description.X(i);
    x.push_back(
        {{"size", d.size}, {"delta", d.delta}, {"start", d.start}, {"unit", UnitJson(d.unit)}});
  }
  line["x"] = x;
  line["unit"] = UnitJson(description.YUnit());
  const bool plainChannel =
      description.YDims() == 1 && description.Y(0).flags == 0 && description.Y(0).signal == 0;
  if (!plainChannel) {
    nlohmann::json channels = nlohmann::json::array();
    for (uint32_t i = 0; i < description.YDims(); ++i)
      channels.push_back({description.Y(i).flags, description.Y(i).signal});
    line["channels"] = channels;
  }
  line["samples"] = Base64::EncodeFloats(curve.Data(), curve.NumberOfElements());
  return line;
}

nlohmann::json ValueJson(const CMeasuringResultBase& value) {
  if (const auto* curve = dynamic_cast<const CSignalieee32*>(&value)) return CurveJson(*curve);
  const auto& scalar = dynamic_cast<const CMeasuringResultScalar&>(value);
  nlohmann::json line = BaseJson("scalar", scalar);
  line["y"] = FloatJson(scalar.value);
  line["unit"] = UnitJson(scalar.unit);
  return line;
}

const char* EventName(PartStep::kind_t kind) {
  switch (kind) {
    case PartStep::beginMode:
      return "beginMode";
    case PartStep::beginMeasurement:
      return "beginMeasurement";
    case PartStep::deliver:
      return "deliver";
    case PartStep::endMeasurement:
      return "endMeasurement";
    case PartStep::endMode:
      return "endMode";
  }
  return "";
}

void AddLine(std::string& out, const nlohmann::json& line) {
  out += line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  out += '\n';
}

nlohmann::json InsertJson(const PartRecord& record, uint64_t cycleMs) {
  nlohmann::json line = {
      {"event", "insert"},   {"serial", record.part.serial},    {"type", record.type},
      {"tick", record.tick}, {"time", record.wallMilliseconds}, {"cycleMs", cycleMs}};
  if (record.part.kind != DefectKind::none)
    line["injected"] = {{"kind", DefectKindName(record.part.kind)},
                        {"text", record.part.defectText}};
  return line;
}

}  // namespace

std::string CMeasurementLogWriter::PartLines(const PartRecord& record, int32_t result,
                                             uint64_t cycleMs) {
  std::string out;
  AddLine(out, InsertJson(record, cycleMs));
  for (const PartStep& step : record.steps) {
    if (step.kind != PartStep::deliver) {
      AddLine(out, {{"event", EventName(step.kind)}, {"mode", step.mode}});
      continue;
    }
    for (const auto& value : step.values) AddLine(out, ValueJson(*value));
    AddLine(out, {{"event", "deliver"}, {"input", step.input}, {"synch", step.synch}});
  }
  // A result below 0 is not known: the line does not claim one.
  nlohmann::json remove = {{"event", "remove"}};
  if (result >= 0) remove["result"] = result;
  AddLine(out, remove);
  return out;
}

CMeasurementLogWriter::~CMeasurementLogWriter() {
  if (fd_ >= 0) ::close(fd_);
}

bool CMeasurementLogWriter::Open(const std::string& path, const std::string& platform,
                                 std::string& error) {
  path_ = path;
  temporary_ = path + ".recording";
  fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd_ < 0) {
    error = "the measurement log " + temporary_ + " cannot be created: " + std::strerror(errno);
    return false;
  }
  std::string header;
  AddLine(header, {{"log", MeasurementLog::kName},
                   {"version", MeasurementLog::kVersion},
                   {"platform", platform}});
  if (Append(header, error)) return true;
  ::unlink(temporary_.c_str());  // it holds nothing: not even its header
  return false;
}

bool CMeasurementLogWriter::Write(const PartRecord& record, int32_t result, uint64_t cycleMs,
                                  std::string& error) {
  return Append(PartLines(record, result, cycleMs), error);
}

bool CMeasurementLogWriter::Append(const std::string& bytes, std::string& error) {
  if (fd_ < 0) return false;
  // A part goes in whole or not at all: the log keeps ending after its last whole part.
  const std::string why = AppendWhole(fd_, bytes);
  if (why.empty()) return true;
  error = "the measurement log " + temporary_ + " cannot be written: " + why;
  ::close(fd_);
  fd_ = -1;
  return false;
}

bool CMeasurementLogWriter::Finish(std::string& error) {
  if (fd_ < 0) return false;
  int failure = FileFaults::Sync(fd_) == 0 ? 0 : errno;
  if (::close(fd_) != 0 && failure == 0) failure = errno;
  fd_ = -1;
  if (failure == 0 && FileFaults::Rename(temporary_.c_str(), path_.c_str()) != 0) failure = errno;
  if (failure != 0) {
    error = "the measurement log could not be put in place as " + path_ + " (" +
            std::strerror(failure) + "); it is kept as " + temporary_;
    return false;
  }
  return true;
}
