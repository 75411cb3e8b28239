#pragma once
// KelLearnCurveBase: the common base of the learn items of curves. It adds nothing to the
// learn item; it names the family, so that curve machines can hold any curve item.

#include "learn/KelLearnItemBase.h"

class KelLearnCurveBase : public KelLearnItemBase {
 public:
  using KelLearnItemBase::KelLearnItemBase;
  ~KelLearnCurveBase() override = default;
  KelLearnCurveBase(const KelLearnCurveBase&) = default;
  KelLearnCurveBase& operator=(const KelLearnCurveBase&) = default;
};
