#pragma once
// CSvCalc (instrument 10201): a single value computed from two single values with one
// operation of CBinOp. It is recomputed in a pass in which at least one operand is new
// (generation = pass) and at least one operand was received in the current evaluation step.
// The result has position 0, the context A.context | B.context and A's expiry.

#include "eval/BinOp.h"

class CSvCalc : public CBinOp {
 public:
  static constexpr int kInstrument = 10201;

  CSvCalc(const CDtParamInstance& params, CKelValueStore& valueStore)
      : CBinOp(params, valueStore, kInstrument) {}

  bool process(unsigned pass) override;
};
