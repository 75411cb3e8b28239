#include "host/Module.h"

#include <algorithm>
#include <thread>

#include "host/CommandDispatcher.h"

namespace {

std::vector<CModule*>& LiveModules() {
  static std::vector<CModule*> modules;
  return modules;
}

struct Registration {
  std::string className;
  CModuleRegister::factory_t factory;
};

std::vector<Registration>& Registrations() {
  static std::vector<Registration> registrations;
  return registrations;
}

}  // namespace

CModule::~CModule() {
  auto& live = LiveModules();
  live.erase(std::remove(live.begin(), live.end(), this), live.end());
  CommandDispatcher().RemoveClients(this);
}

bool CModule::Create(const std::string& name, CModule* parent) {
  if (created_) return false;
  name_ = name;
  parent_ = parent;
  created_ = true;
  LiveModules().push_back(this);
  return true;
}

CModule* CModule::FindModuleByClassName(const std::string& className) {
  for (CModule* module : LiveModules())
    if (className == module->RuntimeClassName()) return module;
  return nullptr;
}

CCommandDispatcher& CModule::CommandDispatcher() {
  static CCommandDispatcher dispatcher;
  return dispatcher;
}

CModuleRegister::CModuleRegister(const char* className, factory_t factory) : className_(className) {
  Registrations().push_back(Registration{className_, std::move(factory)});
}

CModuleRegister::~CModuleRegister() {
  auto& all = Registrations();
  all.erase(std::remove_if(all.begin(), all.end(),
                           [this](const Registration& r) { return r.className == className_; }),
            all.end());
}

std::vector<std::string> CModuleRegister::RegisteredClasses() {
  std::vector<std::string> names;
  for (const Registration& r : Registrations()) names.push_back(r.className);
  return names;
}

std::unique_ptr<CModule> CModuleRegister::CreateModule(const std::string& className) {
  for (const Registration& r : Registrations())
    if (r.className == className) return r.factory();
  return nullptr;
}

CThreadHead* CThreadHead::FindMyThreadHead(const CModule* /*module*/) {
  static const std::thread::id mainThread = std::this_thread::get_id();
  static CThreadHead mainHead(true);
  static CThreadHead workerHead(false);
  return std::this_thread::get_id() == mainThread ? &mainHead : &workerHead;
}
