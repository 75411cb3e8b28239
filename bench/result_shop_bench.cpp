// The error list under load: 10,000 errors over 20 modes are added and trimmed to 50.
#include <benchmark/benchmark.h>

#include "host/TestPlanBuilder.h"
#include "result/ResultShop.h"

namespace {

void InstallPlan() {
  TestPlan::Builder plan("bench");
  plan.Instrument(1, "Level", 1).Channel(1, "Acc").Location(1, "Input");
  for (int mode = 1; mode <= 20; ++mode) plan.Mode(mode, "Mode " + std::to_string(mode));
  for (int code = 0; code < 100; ++code)
    plan.ErrorCode(1000 + code, "Error", code % 37, 1 + code % 3, code % 4);
  plan.Set().shadowGroupProperty[QIdx1(3)] = QVShadowGroupProperty{3, 0};
  plan.Install();
}

void BM_AddAndTrimErrors(benchmark::State& state) {
  InstallPlan();
  CResultShop shop;
  shop.OnInsertCandidate();
  shop.SetErrorCount(50, 1);
  unsigned removed = 0;
  for (auto _ : state) {
    shop.DismissErrors();
    for (int i = 0; i < 10000; ++i)
      shop.AddErrorEntry(QClavis(1 + i % 20, 1, 1, 1, i, 0), 1000 + i % 100, 101.0f, 100.0f, 90.0f,
                         23.0f);
    removed = shop.KickOutErrors();
    benchmark::DoNotOptimize(removed);
  }
  state.counters["removed"] = removed;
  state.counters["kept"] = static_cast<double>(shop.Errors().size());
}
BENCHMARK(BM_AddAndTrimErrors)->Unit(benchmark::kMillisecond);

}  // namespace
