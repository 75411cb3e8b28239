#include "HostModules.h"

#include "host/Module.h"

std::unique_ptr<CModule> CreateHostModule(const std::string& className, const std::string& name) {
  std::unique_ptr<CModule> module = CModuleRegister::CreateModule(className);
  if (!module || !module->Create(name, nullptr)) return nullptr;
  if (auto* client = dynamic_cast<CSpecialModeClient*>(module.get())) client->OnSpecialCreate();
  return module;
}
