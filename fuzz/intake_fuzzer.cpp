// The intake station on fuzzed trains: each input is one train (FuzzTrain.h), delivered to the
// station's final input and then to its triggered input, under the small intake plan. The part's
// values are dismissed after every input, so the store holds one input's values at a time.
#include <cstdlib>

#include "FuzzSupport.h"
#include "FuzzTrain.h"
#include "IntakePlan.h"
#include "frame/EvStoreServer.h"
#include "frame/MainStation.h"
#include "store/KelValueStore.h"

namespace {

struct Intake {
  CObject owner;
  CKelValueStore store;
  CMainStation station;

  Intake() {
    if (!Fuzz::InstallIntakePlan()) Fuzz::Fail("the intake plan is refused");
    CEvStoreServer<CKelValueStore>::Object().RegisterDefault(&owner, &store);
    if (!station.Create("MainStation", nullptr)) Fuzz::Fail("the station cannot be created");
    station.OnSpecialCreate();
  }
};

Intake& TheIntake() {
  static Intake* intake = new Intake;  // lives as long as the process: the fuzzer ends in exit()
  return *intake;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Intake& intake = TheIntake();
  const CTrain train = Fuzz::TrainOf(data, size);
  intake.station.work_final(train);
  intake.station.work_triggered(train);
  intake.store.DismissValues();
  return 0;
}
