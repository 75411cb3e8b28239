#pragma once
// CKelLearnMachine: what the learn store asks of each of its four learn machines (final
// scalars, scalar tracks, final curves, curve tracks). A machine learns the values of one
// sub-store of the value store into its learn table, keeps that table in the learn file and
// shows it as values.

#include <cmath>
#include <limits>

#include "host/File.h"
#include "host/Params.h"
#include "sequencer/SequencerEvents.h"

class CKelLearnStore;
class CKelValueStore;

class CKelLearnMachine {
 public:
  explicit CKelLearnMachine(CKelLearnStore& store) : store_(store) {}
  CKelLearnMachine(const CKelLearnMachine&) = delete;
  CKelLearnMachine& operator=(const CKelLearnMachine&) = delete;
  virtual ~CKelLearnMachine() = default;

  // Replaces the learn table by the one in the file (the track machines read their track
  // store's key map first). False when the file is cut short or damaged; the table may then
  // hold the rows read before.
  virtual bool Read(CFile& file) = 0;
  virtual bool Write(CFile& file) const = 0;
  // Drops the learned data of every quantity that the parameters no longer ask for.
  virtual void CleanUp() = 0;
  // Shows the learned statistics as values of `valueStore` (see CKelLearnStore::FillValueStore);
  // `storeIsEmpty` tells whether the whole value store was empty before.
  virtual void FillValueStore(CKelValueStore& valueStore, bool storeIsEmpty) const = 0;
  // Learns the values of `mode` whose expiry matches `event`; returns how many were learned.
  virtual unsigned Learn(int mode, Kelva::sequencer_events_t event) = 0;
  // Starts every learned item anew with its learn procedure's number to learn.
  virtual void LearnNewEverything() = 0;
  // Drops all learned data.
  virtual void PurgeMachine() = 0;

  // A learn procedure's time constant as the whole number the factor generator takes: the
  // float truncated toward zero; a value beyond the range of long is held at its end, and a
  // time constant that is not a number counts as 0.
  static long WholeTimeConstant(float tc) {
    if (std::isnan(tc)) return 0;
    if (tc >= static_cast<float>(std::numeric_limits<long>::max()))
      return std::numeric_limits<long>::max();
    if (tc <= static_cast<float>(std::numeric_limits<long>::min()))
      return std::numeric_limits<long>::min();
    return static_cast<long>(tc);
  }

 protected:
  CKelLearnStore& store_;
  CDtParamInstance params_;
};
