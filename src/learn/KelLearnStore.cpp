#include "learn/KelLearnStore.h"

#include "host/ExpAverFacGenerator.h"
#include "learn/KelLearnCurveTrackMachine.h"
#include "learn/KelLearnSValueMachine.h"
#include "learn/KelLearnScalarTrackMachine.h"
#include "learn/KelLearnSigCurveMachine.h"
#include "store/KelValueStore.h"

CKelLearnStore::CKelLearnStore(CKelValueStore& valueStore, int defaultLearnProcedure)
    : defaultLearnProcedure_(defaultLearnProcedure) {
  svalue_ = new CKelLearnSValue(*this, valueStore.FinalScalarStore());
  scalarTrack_ = new CKelLearnScalarTrack(*this, valueStore.TrackScalarStore());
  sigCurve_ = new CKelLearnSigCurve(*this, valueStore.FinalCurveStore());
  curveTrack_ = new CKelLearnCurveTrack(*this, valueStore.TrackCurveStore());
  machines_ = {svalue_, scalarTrack_, sigCurve_, curveTrack_};
  learnMask_.set();
  learnMask_.reset(kCurveTrackMachine);
}

CKelLearnStore::~CKelLearnStore() {
  for (CKelLearnMachine* machine : machines_) delete machine;
}

unsigned CKelLearnStore::Learn(int mode, Kelva::sequencer_events_t event) {
  if (!enabled_) return 0;
  unsigned learned = 0;
  for (int index = 0; index < kMachines; ++index) {
    if (machines_[index] != nullptr && learnMask_.test(index))
      learned += machines_[index]->Learn(mode, event);
  }
  return learned;
}

void CKelLearnStore::LearnNewEverything() {
  for (CKelLearnMachine* machine : machines_)
    if (machine != nullptr) machine->LearnNewEverything();
}

void CKelLearnStore::CleanUp() {
  for (CKelLearnMachine* machine : machines_)
    if (machine != nullptr) machine->CleanUp();
}

void CKelLearnStore::PurgeStore() {
  for (CKelLearnMachine* machine : machines_)
    if (machine != nullptr) machine->PurgeMachine();
}

void CKelLearnStore::FillValueStore(CKelValueStore& valueStore) const {
  const bool storeIsEmpty = valueStore.empty();
  for (const CKelLearnMachine* machine : machines_)
    if (machine != nullptr) machine->FillValueStore(valueStore, storeIsEmpty);
}

const QVLearnProcedures* CKelLearnStore::find_learn_proc(const QClavis& key) const {
  const auto& procedures = params_.LearnProcedures();
  if (defaultLearnProcedure_ != -1) {
    auto procedure = procedures.find(QIdx1(defaultLearnProcedure_));
    if (procedure != procedures.end()) return &procedure->second;
  }
  const auto& learnParameters = params_.IpLearnParameter();
  auto parameter = learnParameters.find(key);
  if (parameter == learnParameters.end()) return nullptr;
  auto procedure = procedures.find(QIdx1(parameter->second.procedure));
  return procedure == procedures.end() ? nullptr : &procedure->second;
}

std::pair<int, bool> CKelLearnStore::NrToLearn(const QClavis& key) const {
  const QVLearnProcedures* procedure = find_learn_proc(key);
  if (procedure == nullptr) return {0, false};
  return {procedure->numberToLearn, true};
}

std::pair<unsigned, bool> CKelLearnStore::NrOfBaseLearn(const QClavis& key) const {
  const QVLearnProcedures* procedure = find_learn_proc(key);
  if (procedure == nullptr) return {0u, false};
  return {procedure->baseLearns, true};
}

std::pair<float, bool> CKelLearnStore::ExpTc(const QClavis& key) const {
  const QVLearnProcedures* procedure = find_learn_proc(key);
  if (procedure == nullptr) return {0.0f, false};
  return {procedure->timeConstant, true};
}

float CKelLearnStore::ExpDecayFactor(long count, long tc) {
  return CExpAverFacGenerator::GetFactor(count, tc);
}

CKelLearnStore::svalue_table_t& CKelLearnStore::LearnedSingleValue() {
  return svalue_->Table();
}
const CKelLearnStore::svalue_table_t& CKelLearnStore::LearnedSingleValue() const {
  return svalue_->Table();
}
CKelLearnStore::sigcurve_table_t& CKelLearnStore::LearnedSigCurveMap() {
  return sigCurve_->Table();
}
const CKelLearnStore::sigcurve_table_t& CKelLearnStore::LearnedSigCurveMap() const {
  return sigCurve_->Table();
}
CKelLearnStore::scalar_track_table_t& CKelLearnStore::LearnedScalarTrack() {
  return scalarTrack_->Table();
}
const CKelLearnStore::scalar_track_table_t& CKelLearnStore::LearnedScalarTrack() const {
  return scalarTrack_->Table();
}
CKelLearnStore::curve_track_table_t& CKelLearnStore::LearnedCurveTrack() {
  return curveTrack_->Table();
}
const CKelLearnStore::curve_track_table_t& CKelLearnStore::LearnedCurveTrack() const {
  return curveTrack_->Table();
}
