// Writes the seed inputs of the fuzz targets whose files the bench does not write on its own:
// a track key map, limit-curve records, identifier tables and trains (scripts/fuzz-corpus
// takes the rest from a run of the bench). Usage: fuzz_make_seeds CORPUS-FOLDER
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "IntakePlan.h"
#include "host/File.h"
#include "host/MeasuringResult.h"
#include "host/Signal.h"
#include "host/StateMachine.h"
#include "params/DovetarTranslator.h"
#include "store/KelSigLimitCurve.h"
#include "store/KelTrackScalarStore.h"

namespace {

const CMeasuringUnit kDb(CMeasuringUnit::cuMetrePerSecond2, 0, 1.0f, CMeasuringUnit::flagLog);

bool Save(const std::filesystem::path& folder, const std::string& name,
          const std::vector<uint8_t>& bytes) {
  std::filesystem::create_directories(folder);
  CReplacingFile file;
  if (file.Open((folder / name).string()) && file.Write(bytes.data(), bytes.size()) &&
      file.Commit())
    return true;
  std::fprintf(stderr, "fuzz_make_seeds: %s: %s\n", (folder / name).c_str(), file.Error().c_str());
  return false;
}

std::vector<uint8_t> KeyMap() {
  CKelTrackScalarStore store;
  store.GenerateKeyOfDovetar(QClavis(1, 2001, 1, 1, 400, 2));
  store.GenerateKeyOfDovetar(QClavis(1, 2001, 1, 1, 401, 2));
  store.GenerateKeyOfDovetar(QClavis(3, 2001, 1, 1, 400, 2));
  CMemFile file;
  store.WriteKeyMap(file);
  return file.Bytes();
}

std::vector<uint8_t> LimitCurve(uint32_t samples) {
  std::vector<float> values(samples);
  for (uint32_t i = 0; i < samples; ++i) values[i] = 60.0f + static_cast<float>(i % 7);
  KelSigLimitCurve curve(values.data(), samples, 0.05f, QVInstrumentParam::eval_upper);
  KelSigCurve shape = curve.Curve();
  shape.SetUnits(CMeasuringUnit(CMeasuringUnit::cuOrder), kDb);
  curve.SetDescription(shape.description());
  for (uint32_t i = 0; i < samples; ++i) curve.LimitData()[i] = values[i] + 6.0f;
  CMemFile file;
  curve.WriteToFile(file);
  return file.Bytes();
}

std::vector<uint8_t> IdentifierTables() {
  CDovetarTranslator tables;
  CMemFile file;
  tables.Write(file);
  return file.Bytes();
}

// Appends one wagon in the fuzzed-train form (FuzzTrain.h): type index, uint16 count, bytes.
void AddWagon(std::vector<uint8_t>& train, uint8_t typeIndex, const CRailwayObject& object) {
  std::vector<uint8_t> bytes;
  object.Marshal(bytes);
  train.push_back(typeIndex);
  train.push_back(static_cast<uint8_t>(bytes.size()));
  train.push_back(static_cast<uint8_t>(bytes.size() >> 8));
  train.insert(train.end(), bytes.begin(), bytes.end());
}

CMeasuringResultScalar Scalar(const SClavis& key, float value, int trigger, int64_t cell) {
  CMeasuringResultScalar scalar;
  scalar.SetClavis(key);
  scalar.SetTrigger(trigger, cell);
  scalar.value = value;
  scalar.unit = kDb;
  return scalar;
}

CSignalieee32 Signal(const SClavis& key, int trigger, int64_t cell) {
  CDescription description(8, 0.5f, CMeasuringUnit(CMeasuringUnit::cuOrder), kDb);
  CSignalieee32 signal(description, std::vector<float>{61, 62, 70, 64, 63, 75, 62, 61});
  signal.SetClavis(key);
  signal.SetTrigger(trigger, cell);
  return signal;
}

// One wagon of every type, in the order of Fuzz::kWagonIds, keyed to the intake plan.
std::vector<uint8_t> EveryWagon() {
  using namespace Fuzz;
  std::vector<uint8_t> train;
  AddWagon(train, 0, Scalar(IntakeKey(kLevel, kLevelParameter), 91.5f, -1, 0));
  CMeasuringResultScalarTarget target;
  target.scalar = Scalar(IntakeKey(kTrack, kTrackParameter), 81.0f, kTrigger, 9);
  target.target = 80.0f;
  AddWagon(train, 1, target);
  AddWagon(train, 2, Signal(IntakeKey(kSpectrum, kSpectrumParameter), -1, 0));
  CTypedSignal<unsigned long> raw;
  raw.samples = {1, 2, 3};
  AddWagon(train, 3, raw);
  CDzPulsListe pulses;
  pulses.times = {0.01f, 0.02f};
  AddWagon(train, 4, pulses);
  CFueGroeHopListe slow;
  slow.values = {45.0f, 45.5f};
  AddWagon(train, 5, slow);
  CResampInfo resampling;
  resampling.samplesPerRevolution = 256;
  resampling.rotor = 1;
  AddWagon(train, 6, resampling);
  CTriggerInfo trigger;
  trigger.trigger = kTrigger;
  trigger.state = CTriggerInfo::st_running;
  trigger.cell = 3;
  AddWagon(train, 7, trigger);
  AddWagon(train, 8, CThreadSynch::Key(12, 1));
  return train;
}

// What the intake receives in a run-up: final values and values along the run.
std::vector<uint8_t> RunUp() {
  using namespace Fuzz;
  std::vector<uint8_t> train;
  AddWagon(train, 0, Scalar(IntakeKey(kLevel, kLevelParameter), 91.5f, -1, 0));
  AddWagon(train, 2, Signal(IntakeKey(kSpectrum, kSpectrumParameter), -1, 0));
  for (int64_t cell = 0; cell < 4; ++cell) {
    AddWagon(train, 0, Scalar(IntakeKey(kTrack, kTrackParameter), 80.0f + cell, kTrigger, cell));
    AddWagon(train, 2, Signal(IntakeKey(kSpectrogram, kSpectrogramParameter), kTrigger, cell));
  }
  return train;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_make_seeds CORPUS-FOLDER\n");
    return 2;
  }
  const std::filesystem::path corpus = argv[1];
  if (!Fuzz::InstallIntakePlan()) return 1;
  const bool saved = Save(corpus / "key_map", "three-tracks", KeyMap()) &&
                     Save(corpus / "limit_curve", "eight-samples", LimitCurve(8)) &&
                     Save(corpus / "limit_curve", "empty", LimitCurve(0)) &&
                     Save(corpus / "identifier_tables", "intake-plan", IdentifierTables()) &&
                     Save(corpus / "wagons", "every-type", EveryWagon()) &&
                     Save(corpus / "intake", "every-type", EveryWagon()) &&
                     Save(corpus / "intake", "run-up", RunUp());
  return saved ? 0 : 1;
}
