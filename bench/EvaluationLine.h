#pragma once
// The shops of the evaluation cycle over one value store, as the evaluation and spectral path
// benchmarks set them up around their timed steps: the reference plan's expansion width of
// kChimneyPoints points, a learn store that learns spectrograms too, the limit and evaluation
// shops. The caller installs the plan first; the destructor removes the width again.

#include "ReferencePlan.h"
#include "eval/KelEvalShop.h"
#include "host/Params.h"
#include "host/Sea.h"
#include "learn/KelLearnStore.h"
#include "learn/KelLimitShop.h"
#include "result/ResultShop.h"
#include "store/KelValueStore.h"

namespace ReferencePlan {

struct EvaluationLine {
  CDtParamInstance params;
  CKelValueStore values;
  CResultShop results;
  CKelLearnStore store{values, -1};
  CKelLimitShop limitShop{values, store};
  CKelEvalShop evalShop{params, values, results, store};

  EvaluationLine() {
    SetChimneyWidth(static_cast<float>(kChimneyPoints) * kSpectrumStep);
    store.LearnSpectrograms(true);
    store.ReadChimneyWidths();
  }
  ~EvaluationLine() { CSeaBase::ApplicationSea()->RemoveEntry("LimitCurveExpansionWidth-Default"); }
  EvaluationLine(const EvaluationLine&) = delete;
  EvaluationLine& operator=(const EvaluationLine&) = delete;

  // What a warm-up part goes through after its arrival: its limits, its validation and the
  // learning of every mode, so that later parts meet learned limits.
  void LimitAndLearn() {
    limitShop.GenerateLimits();
    values.validated();
    LearnPart(store);
  }
};

}  // namespace ReferencePlan
