#include "eval/BinOp.h"

#include <cmath>
#include <limits>

CBinOp::CBinOp(const CDtParamInstance& params, CKelValueStore& valueStore, int instrument)
    : C2ndLevelInstrument(params, valueStore, instrument),
      m_operationReader(params, 27),
      m_operandAReader(params, 8),
      m_operandBReader(params, 29) {}

void CBinOp::Prepare() {
  C2ndLevelInstrument::Prepare();
  m_operationReader.Reset();
  m_operandAReader.Reset();
  m_operandBReader.Reset();
}

float CBinOp::Apply(int operation, float a, float b) {
  switch (operation) {
    case 1:
      return a + b;
    case 2:
      return a - b;
    case 3:
      return a * b;
    case 4:
      return a / (a + b) * 100.0f;
    case 5:
      return std::fabs((a - b) / b) * 100.0f;
    case 6:
      return std::fabs(a - b);
    case 7:
      return a / b;
    default:
      return std::numeric_limits<float>::quiet_NaN();
  }
}

CMeasuringUnit CBinOp::ResultUnit(int operation, const CMeasuringUnit& unitOfA) {
  switch (operation) {
    case 3:
      return CMeasuringUnit(CMeasuringUnit::cuNone, 2 * unitOfA.Exponent(),
                            unitOfA.Factor() * unitOfA.Factor());
    case 4:
    case 5:
      return CMeasuringUnit(CMeasuringUnit::cuPercent);
    case 7:
      return CMeasuringUnit();
    default:
      return unitOfA;
  }
}

bool CBinOp::LoadOperands(const QClavis& key) {
  const int parameter = key.parameter();
  return m_operationReader.Value(parameter, m_operation) &&
         m_operandAReader.Value(parameter, m_operandA) &&
         m_operandBReader.Value(parameter, m_operandB);
}

QClavis CBinOp::OperandKey(const QClavis& key, int parameter) const {
  QClavis operand = key;
  operand.set_parameter(parameter);
  operand.set_instrument(m_params.InstrumentParameterToInstrument(parameter));
  return operand;
}
