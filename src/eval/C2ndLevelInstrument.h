#pragma once
// C2ndLevelInstrument: the base of every calculator of derived quantities (second-level
// instruments). A calculator produces the quantities of one instrument number: its key set is
// every key of IpParamAndStore() with that instrument. It reads its sources from the value
// store and inserts its results back into it.
//
// Generations: every value carries the validation tag it was inserted with (measured values
// 1). In pass p a calculator uses only sources of generation p and inserts its results with
// generation p + 1, so a derived value of a derived value appears one pass after its source
// and no calculator consumes in a pass what it produced in the same pass.

#include <cstdint>
#include <optional>
#include <set>

#include "host/Params.h"
#include "store/KelValueStore.h"
#include "store/Keys.h"

class C2ndLevelInstrument {
 public:
  C2ndLevelInstrument(const CDtParamInstance& params, CKelValueStore& valueStore, int instrument)
      : m_params(params), m_valueStore(valueStore), m_instrument(instrument) {}
  virtual ~C2ndLevelInstrument() = default;
  C2ndLevelInstrument(const C2ndLevelInstrument&) = delete;
  C2ndLevelInstrument& operator=(const C2ndLevelInstrument&) = delete;

  // Makes the key set from the current parameter tables, when another plan was made current
  // since it was last made (ParamDatabase::Generation).
  virtual void Prepare();
  // Computes what the sources of generation `pass` allow; true when a value was produced.
  virtual bool process(unsigned pass) = 0;

  int Instrument() const { return m_instrument; }
  const std::set<QClavis>& KeySet() const { return m_keySet; }

 protected:
  // "<text> Clavis <key, all six fields>\n" to the output window (category 8, style 3).
  void Message(const char* text, const QClavis& key) const;

  const CDtParamInstance& m_params;
  CKelValueStore& m_valueStore;
  std::set<QClavis> m_keySet;
  const int m_instrument;

 private:
  // The plan the key set was made from.
  std::optional<uint64_t> m_keySetPlan;
};
