#pragma once
// KelLearnCurve: the learn item of one final curve or one curve of a curve track: the
// exponentially weighted average curve and average squared curve, point by point.

#include <cstdint>

#include "learn/KelLearnCurveBase.h"
#include "store/KelSigCurve.h"

class KelLearnCurve : public KelLearnCurveBase {
 public:
  // Format version of the item's row in the learn file.
  static constexpr uint32_t s_version = 2;

  KelLearnCurve() = default;
  ~KelLearnCurve() override = default;
  KelLearnCurve(const KelLearnCurve&) = default;
  KelLearnCurve& operator=(const KelLearnCurve&) = default;

  // The kernel start only: the curves keep their samples until the learn machine zeroes them
  // to the shape of the incoming curve (it knows that shape, the item does not).
  void InitNewLearn(unsigned n) override;

  // One learning step with the weight f of the old averages:
  // SqAverage[i] := f·SqAverage[i] + (1 − f)·curve[i]², Average[i] := f·Average[i] + (1 −
  // f)·curve[i]. A curve that does not fit the learned average (KelSigCurve::FitTogether: other
  // length or x axis) changes neither curve, sets count to 0 so that the machine starts the item
  // anew with the next curve, and returns false.
  bool Learn(const KelSigCurve& curve, float f);

  // Offers the curve with time constant tc: an inactive item returns false unchanged; an
  // active one takes the learn step and learns with GetFactor(count, tc). Returns whether the
  // curve was learned (false also for a curve that does not fit, see Learn).
  bool LearnCurve(const KelSigCurve& curve, long tc);

  // The kernel's columns: the field group of the item's row in the learn file (the curves
  // follow it in their own file form).
  auto tuple() { return KernelTuple(); }
  auto tuple() const { return KernelTuple(); }

  KelSigCurve& Average() { return average_; }
  const KelSigCurve& Average() const { return average_; }
  KelSigCurve& SqAverage() { return sqAverage_; }
  const KelSigCurve& SqAverage() const { return sqAverage_; }

 private:
  KelSigCurve average_;
  KelSigCurve sqAverage_;
};
