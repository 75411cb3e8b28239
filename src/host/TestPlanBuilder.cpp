#include "host/TestPlanBuilder.h"

#include "host/TestPlan.h"

namespace TestPlan {

Builder::Builder(std::string name) : set_(std::make_shared<CParamSet>()) {
  set_->planName = std::move(name);
}

Builder& Builder::Mode(int id, const std::string& name, int flags, int baseMode) {
  set_->modes[QIdx1(id)] = QIdxName{name};
  set_->modeInfo[id].baseMode = baseMode;
  set_->modeProperty[QIdx1(id)] = QVModeProps{flags, false};
  return *this;
}

Builder& Builder::Instrument(int id, const std::string& name, int resultType) {
  set_->instruments[QIdx1(id)] = QIdxName{name};
  set_->instrumentInfo[id].resultType = resultType;
  return *this;
}

Builder& Builder::Channel(int id, const std::string& name) {
  set_->channels[QIdx1(id)] = QIdxName{name};
  return *this;
}

Builder& Builder::Location(int id, const std::string& name) {
  set_->locations[QIdx1(id)] = QIdxName{name};
  set_->locationProperty[QIdx1(id)] = QVLocationProperty{};
  return *this;
}

Builder& Builder::Signal(int id, const std::string& name, const CMeasuringUnit& unit, int source) {
  set_->appSignalProperty[QIdx1(id)] = QVAppSignalProperty{name, unit, source};
  return *this;
}

Builder& Builder::Parameter(int id, int instrument, const std::string& name,
                            QVInstrumentParam::eval_mode_t evalMode, int trigger) {
  QVInstrumentParam param;
  param.instrument = instrument;
  param.evalMode = evalMode;
  param.name = name;
  param.trigger = trigger;
  set_->instrumentParam[QIdx1(id)] = param;
  return *this;
}

Builder& Builder::Trigger(int id, const std::string& name, int source) {
  set_->triggers[id] = CTriggerProperty{name, source};
  return *this;
}

Builder& Builder::TriggerAxis(int mode, int trigger, int dimension, int signal, double start,
                              double step, uint32_t count, bool tracked, int setPoint) {
  QVTriggerParams axis;
  axis.appSignal = signal;
  axis.setPoint = setPoint;
  axis.tracked = tracked;
  axis.start = start;
  axis.step = step;
  axis.count = count;
  set_->triggerParam[QIdx3(mode, trigger, dimension)] = axis;
  return *this;
}

Builder& Builder::Quantity(const QClavis& key, int errorCode, float offset, float sigmaFactor,
                           float percent) {
  set_->ipParamAndStore[key] = QVIpParamAndStore{errorCode, offset, sigmaFactor, percent, true};
  return *this;
}

Builder& Builder::SValueLimit(const QClavis& key, float minLimit, float maxLimit, int evaluate) {
  set_->limSValue[key] = QVLimSValue{evaluate, minLimit, maxLimit};
  return *this;
}

Builder& Builder::CurveLimit(const QClavis& key, int lowerPolygon, int upperPolygon, int evaluate) {
  set_->limCValue[key] = QVLimCValue{evaluate, lowerPolygon, upperPolygon};
  return *this;
}

Builder& Builder::ErrorCode(int code, const std::string& text, int priority, int severity,
                            int group) {
  set_->errorCode[QIdx1(code)] = QVErrorCode{code, text, priority, severity, group};
  return *this;
}

Builder& Builder::Severity(int severity, int result, int color, const std::string& text) {
  set_->severityProperty[QIdx1(severity)] = QVErrorGroup{result, color, text};
  return *this;
}

Builder& Builder::LearnProcedure(int id, int numberToLearn, uint32_t baseLearns,
                                 float timeConstant) {
  QVLearnProcedures record;
  record.numberToLearn = numberToLearn;
  record.baseLearns = baseLearns;
  record.timeConstant = timeConstant;
  set_->learnProcedures[QIdx1(id)] = record;
  return *this;
}

Builder& Builder::Polygon(int id, const std::vector<CVPoint>& points, int order) {
  set_->ipPolygon[QIdx1(id)] = QVClassIdName{};
  set_->ipPolygonProperty[QIdx1(id)] = QVIpPolygonProperty{order};
  for (size_t i = 0; i < points.size(); ++i)
    set_->ipPolygonValues[{id, static_cast<int>(i)}] = points[i];
  return *this;
}

bool Builder::Install() const {
  return TestPlan::Install(std::make_shared<const CParamSet>(*set_), set_->planName);
}

}  // namespace TestPlan
