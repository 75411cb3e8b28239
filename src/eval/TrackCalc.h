#pragma once
// CTrackCalc (instrument 11201): a scalar track computed point by point from two scalar
// tracks with one of the operations 1 … 6 of CBinOp. The i-th point of A is paired with the
// i-th point of B (their positions are not compared); tracks of different lengths give no
// result. Each result point lies at A's point's position, with A's point's context and expiry.
// Existence and generation rules as for CSvCalc.

#include "eval/BinOp.h"

class CTrackCalc : public CBinOp {
 public:
  static constexpr int kInstrument = 11201;

  CTrackCalc(const CDtParamInstance& params, CKelValueStore& valueStore)
      : CBinOp(params, valueStore, kInstrument) {}

  bool process(unsigned pass) override;
};
