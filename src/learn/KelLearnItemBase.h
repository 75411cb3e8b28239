#pragma once
// KelLearnItemBase: a learn item that can be started anew, given a number of values to learn,
// or told to learn forever. The scalar and curve items add their statistics.

#include "learn/KelLearnItemBaseKernel.h"
#include "store/QValueBase.h"

class KelLearnItemBase : public KelLearnItemBaseKernel, public QValueBase {
 public:
  using KelLearnItemBaseKernel::KelLearnItemBaseKernel;
  ~KelLearnItemBase() override = default;
  KelLearnItemBase(const KelLearnItemBase&) = default;
  KelLearnItemBase& operator=(const KelLearnItemBase&) = default;

  // Starts learning anew: count 0, SetNrToLearn(n), initTime now. The derived items also clear
  // their statistics (the curve item leaves that to the machine, which knows the curve's shape).
  virtual void InitNewLearn(unsigned n);
  // remaining := n, active := n (so the item is inactive exactly when n is 0), restartTime now.
  // n is stored as the signed counter it is in the learn file: 0xFFFFFFFF becomes −1, forever.
  virtual void SetNrToLearn(unsigned n);
  // remaining := −1; the item learns every value it is offered while it is active.
  virtual void LearnForever();
};
