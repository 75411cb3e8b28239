#include "host/DovetarCtrl.h"

#include "host/ModuleDialog.h"

bool CDovetarCtrl::Choose(const CClavis& key) {
  if (key == key_) return false;
  key_ = key;
  if (owner_ != nullptr) owner_->SendMessage(kKeyChangedMessage);
  return true;
}
