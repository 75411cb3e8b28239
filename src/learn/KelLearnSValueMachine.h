#pragma once
// CKelLearnSValue: the learn machine of final scalars. It learns the final scalar store's
// values into a table of KelLearnSValue items ("<EvLearnSValue>"): an exponentially weighted
// mean and mean of squares per quantity.

#include "learn/KelLearnFinalMachine.h"
#include "learn/KelLearnSValue.h"
#include "store/KelFinalScalarStore.h"

class CKelLearnSValue : public CKelLearnFinalMachine<KelLearnSValue> {
 public:
  CKelLearnSValue(CKelLearnStore& store, CKelFinalScalarStore& source);

  // For every value of the mode on the store's evaluation list whose expiry matches the event:
  // the item of its key (created when missing) is started with the key's number to learn when
  // it has learned nothing yet and is active (keys without a learn procedure are skipped), then
  // updated with the value.
  unsigned Learn(int mode, Kelva::sequencer_events_t event) override;
  void FillValueStore(CKelValueStore& valueStore, bool storeIsEmpty) const override;

 private:
  // The learn step of one item; 1 when the value was learned, 0 for an inactive item or a key
  // without learn procedure.
  unsigned Update(const QClavis& key, KelLearnSValue& item, float x) const;

  CKelFinalScalarStore& source_;
};
