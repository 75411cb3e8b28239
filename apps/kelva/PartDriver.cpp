#include "PartDriver.h"

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "host/Candidate.h"
#include "host/CommandDispatcher.h"
#include "host/MessageService.h"
#include "host/Module.h"
#include "host/Railway.h"
#include "host/Signal.h"
#include "host/StateMachine.h"

namespace {

// Event numbers of the test sequence.
enum : int32_t {
  kBeginMeasurement = 5,
  kEndMeasurement = 6,
  kBeginMode = 8,
  kEndMode = 9,
  kInsertCandidate = 13,
  kRemoveCandidate = 14,
};

}  // namespace

std::string ResultText(int32_t result) {
  switch (result) {
    case 0:
      return "n.O.K.";
    case 1:
      return "O.K.";
    case 2:
      return "no result";
    case 3:
      return "system error";
    default:
      return "result " + std::to_string(result);
  }
}

// NaN and infinity are the floats whose exponent bits are all set. A plain count over the bits,
// so that it vectorises.
size_t CountNonFiniteSamples(const float* samples, size_t n) {
  size_t count = 0;
  for (size_t i = 0; i < n; ++i) {
    uint32_t bits;
    std::memcpy(&bits, &samples[i], sizeof bits);
    count += (bits & 0x7f800000u) == 0x7f800000u ? 1 : 0;
  }
  return count;
}

CPartDriver::CPartDriver(const CPlugin& plugin, std::string station)
    : plugin_(plugin), station_(std::move(station)) {}

// The wagon id names the object's exact type (no wagon type derives from another), so it
// selects the type without a cast search per value.
void CPartDriver::CountNonFinite(const CMeasuringResultBase& value) {
  switch (value.WagonId()) {
    case CMeasuringResultScalar::kWagonId:
      if (!std::isfinite(static_cast<const CMeasuringResultScalar&>(value).value)) ++nonFinite_;
      break;
    case CSignalieee32::kWagonId: {
      const auto& signal = static_cast<const CSignalieee32&>(value);
      nonFinite_ +=
          static_cast<int>(CountNonFiniteSamples(signal.Data(), signal.NumberOfElements()));
      break;
    }
    default:
      break;
  }
}

void CPartDriver::Deliver(const PartStep& step) {
  // One train and one synchronisation key serve every delivery: the station reads them while it
  // receives the train and keeps neither, so a part's deliveries allocate nothing.
  for (const auto& value : step.values) {
    CountNonFinite(*value);
    train_.AddObject(value);
  }
  if (step.synch) {
    if (synch_ == nullptr || synch_.use_count() != 1)
      synch_ = std::make_shared<CThreadSynch::Key>(CThreadSynch::CurrentKey(1));
    else
      *synch_ = CThreadSynch::CurrentKey(1);
    train_.AddObject(synch_);
  }
  if (train_.size() > 0) CRailwayStation::DeliverTo(station_, step.input, train_);
  train_.Clear();  // the values belong to the part, not to the driver
}

void CPartDriver::Run(const PartStep& step) {
  switch (step.kind) {
    case PartStep::beginMode:
      CModeMachine::ModeMachine().SetState(step.mode);
      plugin_.Event(kBeginMode, step.mode);
      CModule::CommandDispatcher().ProcessCommand(mcSetNormalMode,
                                                  static_cast<unsigned long>(step.mode), nullptr);
      break;
    case PartStep::beginMeasurement:
      CMeasureMachine::MeasureMachine().SetState(2);
      plugin_.Event(kBeginMeasurement, step.mode);
      break;
    case PartStep::deliver:
      Deliver(step);
      break;
    case PartStep::endMeasurement:
      CMeasureMachine::MeasureMachine().SetState(0);
      plugin_.Event(kEndMeasurement, step.mode);
      break;
    case PartStep::endMode:
      plugin_.Event(kEndMode, step.mode);
      CModeMachine::ModeMachine().SetState(0);
      CCentralMessageService::Service().Dispatch();
      break;
  }
}

PartOutcome CPartDriver::Drive(const PartRecord& record) {
  const auto started = std::chrono::steady_clock::now();
  PartOutcome outcome;
  outcome.part = record.part;
  outcome.recordedResult = record.recordedResult;
  nonFinite_ = 0;
  McSetCandidate(record.part.serial, record.type, record.type);
  CCandidateMachine::CandidateMachine().SetState(1);
  plugin_.Event(kInsertCandidate, record.part.serial);
  CModule::CommandDispatcher().ProcessCommand(mcInsertCandidate, 0, nullptr);
  for (const PartStep& step : record.steps) Run(step);
  plugin_.Event(kRemoveCandidate);
  outcome.result = plugin_.ResultRequest(-1);
  const int32_t count = plugin_.ErrorCount();
  for (int32_t i = 0; i < count; ++i) {
    KelvaError error{};
    std::string text;
    if (!plugin_.GetError(i, error, text)) break;
    outcome.errors.push_back(error);
    outcome.errorTexts.push_back(text);
  }
  outcome.nonFiniteValues = nonFinite_;
  // The measurement is finished: the windows show the final results, then the test ends.
  CModule::CommandDispatcher().ProcessCommand(mcRefreshReport, 0, nullptr);
  CModule::CommandDispatcher().ProcessCommand(mcEndOfTest, 0, nullptr);
  CCandidateMachine::CandidateMachine().SetState(0);
  outcome.milliseconds =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
  return outcome;
}
