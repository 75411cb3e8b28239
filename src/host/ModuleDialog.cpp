#include "host/ModuleDialog.h"

#include "host/CommandDispatcher.h"

void CModuleDialog::RegisterClient(const std::string& name) {
  clientNames_.push_back(name);
  // The module's destructor removes every handler it added.
  CommandDispatcher().AddClient(
      name, this,
      [this, name](long /*flags*/, unsigned long address, const void* data, const char* text,
                   const void* /*extra*/) { return ProcessCommand(name, address, data, text); });
}
