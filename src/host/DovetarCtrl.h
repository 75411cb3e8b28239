#pragma once
// CDovetarCtrl: the host's key-picking control. It shows one key of a measured quantity; when
// the operator picks another key it tells its dialog with the window message
// kKeyChangedMessage, and the dialog reads the new key from the control.

#include "host/Clavis.h"

class CModuleDialog;

class CDovetarCtrl {
 public:
  static constexpr unsigned kKeyChangedMessage = 0x405;

  explicit CDovetarCtrl(CModuleDialog* owner) : owner_(owner) {}

  const CClavis& Key() const { return key_; }
  // Shows `key` without telling the dialog (the dialog restoring its own choice).
  void SetKey(const CClavis& key) { key_ = key; }
  // The operator picks `key`. A key other than the shown one becomes the shown key and the
  // dialog gets kKeyChangedMessage; true when the key changed.
  bool Choose(const CClavis& key);

 private:
  CModuleDialog* owner_;
  CClavis key_;
};
