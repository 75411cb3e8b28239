#pragma once
// CKelLearnStore: statistics over good parts for every quantity the value store holds.
//
// It owns four learn machines, one per kind of value, in this order (the index is also the
// chunk number of the learn file): 0 final scalars (CKelLearnSValue), 1 scalar tracks
// (CKelLearnScalarTrack), 2 final curves (CKelLearnSigCurve), 3 curve tracks
// (CKelLearnCurveTrack). The machines refer to the value store's sub-stores, so the value store
// must outlive the learn store. The caller decides which parts are learned; the learn store
// learns every value it is offered.
//
// Learn parameters come from the parameter database: a key's learn procedure is the store's
// default procedure when one is given and exists, else the one its learn parameter names
// (find_learn_proc). The learn store also holds the expansion widths of limit curves per
// quantity, read from the application resources "LimitCurveExpansionWidth-Default" and
// "LimitCurveExpansionWidths".
//
// Used from the sequencer's thread only; no locks.

#include <array>
#include <bitset>
#include <memory>
#include <utility>
#include <vector>

#include "host/File.h"
#include "learn/KelLearnCurve.h"
#include "learn/KelLearnSValue.h"
#include "learn/KelLearnTables.h"
#include "params/DovetarTranslator.h"
#include "sequencer/SequencerEvents.h"
#include "store/Keys.h"

class CKelValueStore;
class CKelLearnMachine;
class CKelLearnSValue;
class CKelLearnScalarTrack;
class CKelLearnSigCurve;
class CKelLearnCurveTrack;
struct QVLearnProcedures;

class CKelLearnStore : public CDovetarTranslator {
 public:
  using svalue_table_t = CKelLearnTable<KelLearnSValue>;
  using sigcurve_table_t = CKelLearnTable<KelLearnCurve>;
  using scalar_track_table_t = TLearnTrack<KelLearnSValue>;
  using curve_track_table_t = TLearnTrack<KelLearnCurve>;
  // (left, right) expansion width of a limit curve, in curve points.
  using chimney_width_t = std::pair<float, float>;

  static constexpr int kMachines = 4;
  // The learn file block (docs/file-formats.md, "Learn tables").
  static constexpr int32_t kMagic = 1954;
  static constexpr int32_t kHeaderSize = 16;
  static constexpr int32_t kFileVersion = 1;
  static constexpr int32_t kChunkHeaderSize = 12;
  static constexpr int32_t kTableVersion = 1;
  static constexpr int32_t kFirstChunkId = 2000;
  static constexpr int kCurveTrackMachine = 3;

  // `defaultLearnProcedure`: a learn procedure id for every key, or -1 when each key's learn
  // parameter decides. Curve tracks are not learned until LearnSpectrograms(true).
  CKelLearnStore(CKelValueStore& valueStore, int defaultLearnProcedure);
  ~CKelLearnStore() override;

  // While enabled, every machine whose mask bit is set learns the values of `mode` whose expiry
  // matches `event`. Returns the number of values learned (0 while disabled).
  unsigned Learn(int mode, Kelva::sequencer_events_t event);
  void LearnNewEverything();
  void CleanUp();
  // Drops all learned data.
  void PurgeStore();
  // Shows the learned statistics as values: a learned scalar or track point becomes a value
  // with the learned mean as value, the standard deviation as limit and evaluation mode 2; a
  // learned curve becomes a limit curve of the average with the point-wise standard deviation
  // as limit and limit state 2. Into an empty value store every learned item is inserted; in a
  // filled one, values without learned data are erased and the others are overwritten.
  void FillValueStore(CKelValueStore& valueStore) const;

  // The learn file block: header, then one chunk per machine whose mask bit is set.
  bool WriteLearnTables(CFile& file) const;
  // Reads the block written by WriteLearnTables, every chunk into the machine its id names
  // (also machines whose mask bit is clear). False at the first thing that is wrong, with the
  // messages of docs/file-formats.md for magic and versions; the machines read before keep
  // what they read.
  bool ReadAndTranslateLearnTables(CFile& file);
  // The identifier tables (CDovetarTranslator::Write).
  bool WriteDovetarBaseTables(CFile& file);
  // Reads the identifier tables, then the expansion widths (ReadChimneyWidths).
  bool ReadDovetarBaseTables(CFile& file);
  // Re-reads "LimitCurveExpansionWidth-Default" and "LimitCurveExpansionWidths"; an empty list
  // gets one comment line describing its fields.
  void ReadChimneyWidths();

  void LearnSpectrograms(bool on) { learnMask_.set(kCurveTrackMachine, on); }
  bool LearnsSpectrograms() const { return learnMask_.test(kCurveTrackMachine); }
  void Enable(bool on) { enabled_ = on; }
  bool IsEnabled() const { return enabled_; }
  int DefaultLearnProcedure() const { return defaultLearnProcedure_; }

  // The learn procedure's number to learn, number of base learns and time constant for the
  // key; (0, false) when no learn procedure applies.
  std::pair<int, bool> NrToLearn(const QClavis& key) const;
  std::pair<unsigned, bool> NrOfBaseLearn(const QClavis& key) const;
  std::pair<float, bool> ExpTc(const QClavis& key) const;
  // The expansion widths for the key: an entry with the same instrument, parameter, channel and
  // location first, then one with the same parameter and channel and location -1, then one with
  // the same channel and parameter and location -1, then the first whose ids each equal the
  // key's or are -1; the standard width when none fits.
  chimney_width_t ChimneyWidth(const QClavis& key) const;
  chimney_width_t StandardChimneyWidth() const { return standardChimneyWidth_; }
  static float ExpDecayFactor(long count, long tc);

  CKelLearnScalarTrack& ScalarTrackLearnMachine() { return *scalarTrack_; }
  const CKelLearnScalarTrack& ScalarTrackLearnMachine() const { return *scalarTrack_; }
  CKelLearnCurveTrack& CurveTrackLearnMachine() { return *curveTrack_; }
  const CKelLearnCurveTrack& CurveTrackLearnMachine() const { return *curveTrack_; }
  svalue_table_t& LearnedSingleValue();
  const svalue_table_t& LearnedSingleValue() const;
  sigcurve_table_t& LearnedSigCurveMap();
  const sigcurve_table_t& LearnedSigCurveMap() const;
  scalar_track_table_t& LearnedScalarTrack();
  const scalar_track_table_t& LearnedScalarTrack() const;
  curve_track_table_t& LearnedCurveTrack();
  const curve_track_table_t& LearnedCurveTrack() const;

 private:
  struct ChimneyEntry {
    QClavis key;
    chimney_width_t width;
  };

  // The learn procedure of the key, or null.
  const QVLearnProcedures* find_learn_proc(const QClavis& key) const;
  bool ReadChunk(CFile& file);

  std::array<CKelLearnMachine*, kMachines> machines_{};
  CKelLearnSValue* svalue_ = nullptr;
  CKelLearnScalarTrack* scalarTrack_ = nullptr;
  CKelLearnSigCurve* sigCurve_ = nullptr;
  CKelLearnCurveTrack* curveTrack_ = nullptr;
  bool enabled_ = true;
  int defaultLearnProcedure_;
  std::bitset<kMachines> learnMask_;
  chimney_width_t standardChimneyWidth_{1.0f, 1.0f};
  std::vector<ChimneyEntry> chimneyWidths_;
};
