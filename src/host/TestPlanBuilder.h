#pragma once
// TestPlan::Builder: small parameter sets in code, for tests and tools. Each call adds one
// record; Install checks the whole set like a loaded plan and makes it current.
//
//   TestPlan::Builder plan("gearbox");
//   plan.Mode(1, "Run-up 1st gear").Instrument(1, "Level", 1).Channel(1, "Acc").Location(1,
//   "Input")
//       .Parameter(10, 1, "RMS", QVInstrumentParam::eval_upper)
//       .ErrorCode(101, "Level too high", 10, 1)
//       .Quantity(QClavis(1, 1, 1, 1, 10, 0), 101).SValueLimit(QClavis(1, 1, 1, 1, 10, 0), 0, 120);
//   ASSERT_TRUE(plan.Install());

#include <memory>
#include <string>
#include <vector>

#include "host/ParamSet.h"

namespace TestPlan {

class Builder {
 public:
  explicit Builder(std::string name);

  Builder& Mode(int id, const std::string& name, int flags = QVModeProps::mfAcoustic,
                int baseMode = -1);
  Builder& Instrument(int id, const std::string& name, int resultType);
  Builder& Channel(int id, const std::string& name);
  Builder& Location(int id, const std::string& name);
  Builder& Signal(int id, const std::string& name, const CMeasuringUnit& unit, int source = -1);
  Builder& Parameter(int id, int instrument, const std::string& name,
                     QVInstrumentParam::eval_mode_t evalMode = QVInstrumentParam::eval_upper,
                     int trigger = -1);
  Builder& Trigger(int id, const std::string& name, int source = -1);
  Builder& TriggerAxis(int mode, int trigger, int dimension, int signal, double start, double step,
                       uint32_t count, bool tracked = true, int setPoint = -1);
  Builder& Quantity(const QClavis& key, int errorCode, float offset = 0.0f,
                    float sigmaFactor = 0.0f, float percent = 0.0f);
  Builder& SValueLimit(const QClavis& key, float minLimit, float maxLimit, int evaluate = 1);
  Builder& CurveLimit(const QClavis& key, int lowerPolygon, int upperPolygon, int evaluate = 1);
  Builder& ErrorCode(int code, const std::string& text, int priority, int severity, int group = 0);
  Builder& Severity(int severity, int result, int color, const std::string& text);
  Builder& LearnProcedure(int id, int numberToLearn, uint32_t baseLearns, float timeConstant);
  Builder& Polygon(int id, const std::vector<CVPoint>& points, int order = -1);

  // Everything else, directly.
  CParamSet& Set() { return *set_; }
  // Checks and installs the set (a copy: the builder can go on); false with one message.
  bool Install() const;

 private:
  std::shared_ptr<CParamSet> set_;
};

}  // namespace TestPlan
