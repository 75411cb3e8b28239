#pragma once
// CBinOp: the base of the calculators that combine two quantities A and B with one arithmetic
// operation (single values: CSvCalc, tracks: CTrackCalc). The operation, A and B are
// calculation parameters 27, 8 and 29 of the derived quantity's instrument parameter; the
// operand keys are the derived key with the operand's parameter and its instrument.
//
// Operations (a, b the values of A and B):
//   1 a + b (unit of A)   2 a − b (unit of A)   3 a × b (unit of A squared)
//   4 a / (a + b) × 100 (percent)   5 |(a − b) / b| × 100 (percent)   6 |a − b| (unit of A)
//   7 a / b (no unit; single values only)
// A division by zero gives what float arithmetic gives (inf or NaN), and that is stored.
//
// Units: our units have no powers of physical units, so "unit of A squared" is a unit without
// physical quantity (common unit 0) whose factor and decimal exponent are those of A squared.
// Percent is the common unit 13.

#include "eval/C2ndLevelInstrument.h"
#include "eval/CandidateSeaDataSource.h"
#include "host/MeasuringUnit.h"

class CBinOp : public C2ndLevelInstrument {
 public:
  CBinOp(const CDtParamInstance& params, CKelValueStore& valueStore, int instrument);

  // Rebuilds the key set and forgets what the readers loaded.
  void Prepare() override;

  // The operation on a and b; NaN for an operation outside 1 … 7.
  static float Apply(int operation, float a, float b);
  // The unit of the result of `operation` with A in `unitOfA`.
  static CMeasuringUnit ResultUnit(int operation, const CMeasuringUnit& unitOfA);

 protected:
  // Reads operation, A and B of the derived quantity `key` into the members below; false when
  // one of them is not defined.
  bool LoadOperands(const QClavis& key);
  // The key of operand parameter `parameter` for the derived quantity `key`.
  QClavis OperandKey(const QClavis& key, int parameter) const;

  int m_operation = 0;
  int m_operandA = -1;
  int m_operandB = -1;

 private:
  DataSource::CCandidateSeaDataSource<int> m_operationReader;
  DataSource::CCandidateSeaDataSource<int> m_operandAReader;
  DataSource::CCandidateSeaDataSource<int> m_operandBReader;
};
