// The intake stage alone: the trains of one reference part (ReferenceRecord.h: per mode a train
// per cell with the mode's track points and spectrogram rows, then one train with its spectra
// and single values) delivered to the intake station, which sorts every value into the value
// store and sends the track information of every track value.
//
// Timed: the station receiving the part's trains. Not timed: the part's arrival in new sample
// buffers and trains (made for every part, so that no buffer of a previous part is reused) and
// the dismissal of the previous part's values.
//
// Counters: values stored per part (the expected count is checked) and the heap allocations the
// station makes per part.
#include <benchmark/benchmark.h>

#include <string>
#include <utility>
#include <vector>

#include "AllocationCount.h"
#include "ReferencePlan.h"
#include "ReferenceRecord.h"
#include "frame/EvStoreServer.h"
#include "frame/MainStation.h"
#include "host/Output.h"
#include "host/ParamSet.h"
#include "host/Railway.h"
#include "host/StateMachine.h"
#include "store/KelValueStore.h"

namespace {

using Trains = std::vector<std::pair<std::string, CTrain>>;

// The part's deliveries as the host makes them, each with its synchronisation key.
Trains MakeTrains(const PartRecord& part) {
  Trains trains;
  for (const PartStep& step : part.steps) {
    if (step.kind != PartStep::deliver) continue;
    CTrain train;
    for (const auto& value : step.values) train.AddObject(value);
    if (step.synch)
      train.AddObject(std::make_shared<CThreadSynch::Key>(CThreadSynch::CurrentKey(1)));
    trains.emplace_back(step.input, std::move(train));
  }
  return trains;
}

// The values of the current part in the store: single values, spectra, track points and
// spectrogram rows.
double StoredValues(CKelValueStore& values) {
  double stored = static_cast<double>(values.SingleValueMap().size()) +
                  static_cast<double>(values.FinalCurveStore().ValueMap().size());
  for (const auto& [track, points] : values.TrackScalarStore().ValueMap())
    stored += static_cast<double>(points.points.size());
  for (const auto& [track, curves] : values.TrackCurveStore().ValueMap())
    stored += static_cast<double>(curves.points.size());
  return stored;
}

void BM_IntakeOfTheReferencePart(benchmark::State& state) {
  if (!ReferencePlan::InstallPlan("intake", ReferencePlan::LimitTerms{})) {
    state.SkipWithError("the reference plan was refused");
    return;
  }
  PrWin::CaptureSink output;
  CObject owner;
  CKelValueStore values;
  CEvStoreServer<CKelValueStore>::Object().Release(-1);
  CEvStoreServer<CKelValueStore>::Object().RegisterDefault(&owner, &values);
  CMainStation station;
  if (!station.Create("MainStation", nullptr)) {
    state.SkipWithError("the intake station could not be made");
    return;
  }
  station.OnSpecialCreate();
  int serial = 0;
  PartRecord part;
  Trains trains;
  double stored = 0;
  uint64_t allocated = 0;
  for (auto _ : state) {
    state.PauseTiming();  // the instruments' and the host's work, not the station's
    values.DismissValues();
    trains.clear();
    part = ReferenceRecord::Make(serial++);  // the previous part's buffers go first
    trains = MakeTrains(part);
    const uint64_t before = AllocationCount();
    state.ResumeTiming();
    for (const auto& [input, train] : trains) station.Deliver(input, train);
    state.PauseTiming();
    allocated += AllocationCount() - before;
    stored += StoredValues(values);
    state.ResumeTiming();
  }
  const double parts = static_cast<double>(state.iterations());
  state.counters["values_stored_per_part"] = stored / parts;
  state.counters["allocations"] = static_cast<double>(allocated) / parts;
  CEvStoreServer<CKelValueStore>::Object().Release(-1);
  ParamDatabase::Reset();
  if (stored != ReferencePart::kValuesPerPart * parts)
    state.SkipWithError("a part's values were not all stored");
  else if (!output.Text().empty())
    state.SkipWithError(("the station wrote: " + output.Text()).c_str());
}
BENCHMARK(BM_IntakeOfTheReferencePart)->Unit(benchmark::kMillisecond);

}  // namespace
