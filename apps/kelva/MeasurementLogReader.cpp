#include "MeasurementLogReader.h"

#include <cmath>
#include <memory>

#include "Base64.h"
#include "LogFields.h"
#include "MeasurementLogWriter.h"
#include "ScalarLine.h"
#include "host/Signal.h"

namespace {

constexpr int64_t kMaxCell = INT64_MAX;

// Key, time slice, expiry, trigger and set points of a measured value.
void ReadBase(CLogFields& fields, CMeasuringResultBase& value) {
  value.SetClavis(fields.Key(LogField::key));
  const uint64_t slice = fields.Unsigned(LogField::slice);
  const auto expiry = fields.Integer(LogField::expiry, SignalBase::expire_measurement,
                                     SignalBase::expire_candidate);
  value.SetTimeslice(slice, static_cast<SignalBase::measuring_expire_t>(expiry));
  const CJsonLine& json = fields.Json();
  if (fields.Has(LogField::trigger)) {
    const CJsonLine::Node* trigger = fields.Array(LogField::trigger, 2, 2);
    if (trigger != nullptr) {
      const CJsonLine::Node& id = json.At(trigger->first);
      const auto trig = fields.IntegerOf(&id, "trigger", 0, 0, INT32_MAX);
      const auto cell = fields.IntegerOf(&json.At(id.next), "trigger", 1, 0, kMaxCell);
      value.SetTrigger(static_cast<int32_t>(trig), cell);
    }
  }
  if (fields.Has(LogField::setPoints)) {
    const CJsonLine::Node* points = fields.Array(LogField::setPoints, 0, CSetPoint::kSlots);
    if (points == nullptr) return;
    int i = 0;
    for (const CJsonLine::Node* point : json.Children(*points)) {
      const std::string field = "setPoints[" + std::to_string(i++) + "]";
      if (point->type != CJsonLine::tArray || point->count != 3) {
        fields.Fail(field, "expected [slot, id, value]");
        return;
      }
      const std::vector<const CJsonLine::Node*> p = json.Children(*point);
      const auto slot = fields.IntegerOf(p[0], field, 0, 0, CSetPoint::kSlots - 1);
      const auto id = fields.IntegerOf(p[1], field, 1, INT32_MIN, INT32_MAX);
      const float v = fields.FloatOf(p[2], field, 2);
      if (!fields.Ok()) return;
      value.set_point().Set(static_cast<int>(slot), static_cast<int32_t>(id), v);
    }
  }
}

std::shared_ptr<const CMeasuringResultBase> ReadScalar(CLogFields& fields) {
  auto scalar = std::make_shared<CMeasuringResultScalar>();
  ReadBase(fields, *scalar);
  scalar->value = fields.Float(LogField::y);
  scalar->unit = fields.Unit(LogField::unit);
  return scalar;
}

bool ReadXDimension(CLogFields& fields, const CJsonLine::Node& x, size_t i, CXDimension& d) {
  const CJsonLine& json = fields.Json();
  const std::string field = "x[" + std::to_string(i) + "]";
  const CJsonLine::Node* size = json.Member(x, "size");
  const CJsonLine::Node* delta = json.Member(x, "delta");
  const CJsonLine::Node* start = json.Member(x, "start");
  const CJsonLine::Node* unit = json.Member(x, "unit");
  if (size == nullptr || delta == nullptr || start == nullptr || unit == nullptr)
    return fields.Fail(field, "expected {\"size\", \"delta\", \"start\", \"unit\"}");
  d.size = static_cast<uint32_t>(fields.IntegerOf(size, field + ".size", -1, 0, UINT32_MAX));
  d.delta = fields.FloatOf(delta, field + ".delta", -1);
  d.start = fields.FloatOf(start, field + ".start", -1);
  d.unit = fields.UnitOf(unit, field + ".unit");
  if (fields.Ok() && !(std::isfinite(d.delta) && std::isfinite(d.start)))
    return fields.Fail(field, "expected a finite delta and start");
  return fields.Ok();
}

bool ReadDimensions(CLogFields& fields, CDescription& description) {
  const CJsonLine& json = fields.Json();
  const CJsonLine::Node* x = fields.Array(LogField::x, 1, CDescription::kMaxXDims);
  if (x == nullptr) return false;
  description.SetXDims(x->count);
  size_t i = 0;
  for (const CJsonLine::Node* dimension : json.Children(*x)) {
    if (dimension->type != CJsonLine::tObject)
      return fields.Fail("x", "expected {\"size\", \"delta\", \"start\", \"unit\"}",
                         static_cast<int>(i));
    if (!ReadXDimension(fields, *dimension, i, description.X(static_cast<uint32_t>(i))))
      return false;
    ++i;
  }
  description.SetYUnit(fields.Unit(LogField::unit));
  if (!fields.Has(LogField::channels)) return fields.Ok();
  const CJsonLine::Node* channels = fields.Array(LogField::channels, 1, CDescription::kMaxYDims);
  if (channels == nullptr) return false;
  description.SetYDims(channels->count);
  i = 0;
  for (const CJsonLine::Node* channel : json.Children(*channels)) {
    const std::string field = "channels[" + std::to_string(i) + "]";
    if (channel->type != CJsonLine::tArray || channel->count != 2)
      return fields.Fail(field, "expected [flags, signal]");
    CYChannel& y = description.Y(static_cast<uint32_t>(i++));
    const std::vector<const CJsonLine::Node*> p = json.Children(*channel);
    y.flags = static_cast<uint32_t>(fields.IntegerOf(p[0], field, 0, 0, UINT32_MAX));
    y.signal = static_cast<uint32_t>(fields.IntegerOf(p[1], field, 1, 0, UINT32_MAX));
  }
  return fields.Ok();
}

std::shared_ptr<const CMeasuringResultBase> ReadCurve(CLogFields& fields) {
  CDescription description;
  ReadDimensions(fields, description);
  const std::string_view text = fields.Text(LogField::samples, true);
  std::vector<float> samples;
  if (fields.Ok() && !Base64::DecodeFloats(text, samples))
    fields.Fail("samples", "expected base64 of little-endian float32 values");
  const uint64_t expected = description.TotalSize() * description.YDims();
  if (fields.Ok() && samples.size() != expected)
    fields.Fail("samples", "expected " + std::to_string(expected) + " values (the sizes of x" +
                               (description.YDims() > 1 ? " times the channels" : "") +
                               "), found " + std::to_string(samples.size()));
  auto curve = std::make_shared<CSignalieee32>(description, std::move(samples));
  ReadBase(fields, *curve);
  return curve;
}

bool DefectKindFromName(std::string_view name, DefectKind& kind) {
  for (int k = 1; k < kDefectKinds; ++k)
    if (name == DefectKindName(static_cast<DefectKind>(k))) {
      kind = static_cast<DefectKind>(k);
      return true;
    }
  return false;
}

// The part's identity from its "insert" line.
void ReadInsert(CLogFields& fields, PartRecord& part) {
  part.part.serial = std::string(fields.Text(LogField::serial, false));
  part.type = std::string(fields.Text(LogField::type, false));
  part.tick = fields.Unsigned(LogField::tick);
  part.wallMilliseconds = fields.Unsigned(LogField::time);
  part.cycleMs = fields.Has(LogField::cycleMs) ? fields.Unsigned(LogField::cycleMs) : 0;
  const CJsonLine::Node* injected = fields.Get(LogField::injected);
  if (injected == nullptr || !fields.Ok()) return;
  const CJsonLine& json = fields.Json();
  const CJsonLine::Node* kind = json.Member(*injected, "kind");
  const CJsonLine::Node* text = json.Member(*injected, "text");
  if (kind == nullptr || kind->type != CJsonLine::tString ||
      !DefectKindFromName(kind->text, part.part.kind) ||
      (text != nullptr && text->type != CJsonLine::tString)) {
    fields.Fail("injected", "expected {\"kind\": a defect kind, \"text\": its text}");
    return;
  }
  part.part.defective =
      part.part.kind != DefectKind::missingSignal && part.part.kind != DefectKind::none;
  part.part.missingSignal = part.part.kind == DefectKind::missingSignal;
  if (text != nullptr) part.part.defectText = std::string(text->text);
}

}  // namespace

CMeasurementLogReader::CMeasurementLogReader(std::vector<std::string> files,
                                             ScalarLines scalarLines)
    : files_(std::move(files)), scalarLines_(scalarLines) {}

std::string CMeasurementLogReader::Where() const {
  return file_ + ":" + std::to_string(lineNumber_);
}

bool CMeasurementLogReader::OpenNextFile(std::string& error) {
  if (nextFile_ >= files_.size()) return false;
  file_ = files_[nextFile_++];
  lineNumber_ = 0;
  if (!in_.Open(file_, error)) return false;
  open_ = true;
  if (!NextLine(error)) {
    if (error.empty()) error = file_ + ": empty: expected the header line of a measurement log";
    return false;
  }
  if (!ParseLine(error)) return false;
  CLogFields fields(json_, file_, lineNumber_, error);
  if (fields.Text(LogField::log, false) != MeasurementLog::kName && fields.Ok())
    return fields.Fail("log", std::string("expected \"") + MeasurementLog::kName + "\"");
  const auto version = fields.Integer(LogField::version, 1, INT32_MAX);
  if (fields.Ok() && version > MeasurementLog::kVersion)
    return fields.Fail("version", "version " + std::to_string(version) +
                                      " is newer than this program reads (" +
                                      std::to_string(MeasurementLog::kVersion) + ")");
  platform_ = std::string(fields.Text(LogField::platform, true));
  return fields.Ok();
}

bool CMeasurementLogReader::NextLine(std::string& error) {
  while (in_.Next(text_, error)) {
    ++lineNumber_;
    if (text_.find_first_not_of(" \t\r") != std::string_view::npos) return true;
  }
  return false;
}

bool CMeasurementLogReader::ParseLine(std::string& error) {
  if (json_.Parse(text_)) return true;
  error = Where() + ": not a JSON object";
  return false;
}

bool CMeasurementLogReader::Next(PartRecord& part, std::string& error) {
  error.clear();
  for (;;) {
    if (!open_ && !OpenNextFile(error)) return false;
    if (NextLine(error)) break;
    if (!error.empty()) return false;
    open_ = false;  // the end of this file
  }
  if (!ParseLine(error)) return false;
  CLogFields fields(json_, file_, lineNumber_, error);
  if (fields.Text(LogField::event, false) != "insert")
    return fields.Fail("event", "expected \"insert\", the first line of a part");
  PartRecord read;
  ReadInsert(fields, read);
  if (!fields.Ok() || !ReadPart(read, error)) return false;
  part = std::move(read);
  ++partsRead_;
  return true;
}

bool CMeasurementLogReader::ReadPart(PartRecord& part, std::string& error) {
  int openMode = -1;  // the mode begun and not ended, -1 none
  bool measuring = false;
  std::vector<std::shared_ptr<const CMeasuringResultBase>> pending;
  for (;;) {
    if (!NextLine(error)) {
      if (error.empty())
        error = Where() + ": the part " + part.part.serial + " ends without \"remove\"";
      return false;
    }
    if (measuring && scalarLines_ == ScalarLines::direct) {
      auto scalar = std::make_shared<CMeasuringResultScalar>();
      if (ReadScalarLine(text_, *scalar)) {
        pending.push_back(std::move(scalar));
        continue;
      }
    }
    if (!ParseLine(error)) return false;
    CLogFields fields(json_, file_, lineNumber_, error);
    if (fields.Has(LogField::measured)) {
      const std::string_view measured = fields.Text(LogField::measured, false);
      if (fields.Ok() && !measuring)
        return fields.Fail("measured", "a value outside a measurement");
      if (measured == "scalar")
        pending.push_back(ReadScalar(fields));
      else if (measured == "curve")
        pending.push_back(ReadCurve(fields));
      else
        fields.Fail("measured", "expected \"scalar\" or \"curve\"");
      if (!fields.Ok()) return false;
      continue;
    }
    const std::string_view event = fields.Text(LogField::event, false);
    if (!fields.Ok()) return false;
    if (event == "deliver") {
      PartStep step;
      step.kind = PartStep::deliver;
      step.mode = openMode;
      step.input = std::string(fields.Text(LogField::input, false));
      step.synch = fields.Boolean(LogField::synch, false);
      if (fields.Ok() && !measuring)
        return fields.Fail("event", "\"deliver\" outside a measurement");
      if (!fields.Ok()) return false;
      step.values = std::move(pending);
      pending.clear();
      part.steps.push_back(std::move(step));
      continue;
    }
    if (event == "remove") {
      if (openMode >= 0) return fields.Fail("event", "\"remove\" before \"endMode\"");
      part.recordedResult =
          fields.Has(LogField::result)
              ? static_cast<int32_t>(fields.Integer(LogField::result, 0, INT32_MAX))
              : -1;
      return fields.Ok();
    }
    if (event == "insert")
      return fields.Fail("event",
                         "a part begins before the part " + part.part.serial + " was removed");
    if (event != "beginMode" && event != "beginMeasurement" && event != "endMeasurement" &&
        event != "endMode")
      return fields.Fail("event", "unknown event \"" + std::string(event) + "\"");
    PartStep step;
    step.mode = static_cast<int>(fields.Integer(LogField::mode, 0, INT32_MAX));
    if (!fields.Ok()) return false;
    const bool sameMode = step.mode == openMode;
    if (event == "beginMode") {
      if (openMode >= 0) return fields.Fail("event", "\"beginMode\" before \"endMode\"");
      step.kind = PartStep::beginMode;
      openMode = step.mode;
    } else if (event == "beginMeasurement") {
      if (!sameMode || measuring)
        return fields.Fail("event", "\"beginMeasurement\" outside its mode or in a measurement");
      step.kind = PartStep::beginMeasurement;
      measuring = true;
    } else if (event == "endMeasurement") {
      if (!sameMode || !measuring)
        return fields.Fail("event", "\"endMeasurement\" without its \"beginMeasurement\"");
      if (!pending.empty()) return fields.Fail("event", "measured values were not delivered");
      step.kind = PartStep::endMeasurement;
      measuring = false;
    } else {
      step.kind = PartStep::endMode;
      if (!sameMode || measuring)
        return fields.Fail("event", "\"endMode\" without its \"beginMode\" or in a measurement");
      openMode = -1;
    }
    part.steps.push_back(std::move(step));
  }
}
