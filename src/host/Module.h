#pragma once
// The host's module framework. A module is an object the host creates by class name (from a
// registration the plug-in makes when it is loaded), names, and drives through its life:
// Create, PostCreate, the special-mode calls, destruction. Live modules can be found by class
// name.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/Object.h"

class CCommandDispatcher;

class CModule : public CObject {
 public:
  CModule() = default;
  ~CModule() override;
  CModule(const CModule&) = delete;
  CModule& operator=(const CModule&) = delete;

  // The class name the module is registered under.
  virtual const char* RuntimeClassName() const = 0;
  // Names the module and makes it findable; false when it was created before.
  virtual bool Create(const std::string& name, CModule* parent);
  // After every module of the configuration was created.
  virtual void PostCreate() {}
  // A numbered command from the host's user interface or another module.
  virtual void OnUserIfCommand(int /*command*/) {}

  const std::string& Name() const { return name_; }
  CModule* Parent() const { return parent_; }

  // The first live (created, not yet destroyed) module of that class; null when none.
  static CModule* FindModuleByClassName(const std::string& className);
  static CCommandDispatcher& CommandDispatcher();

 private:
  std::string name_;
  CModule* parent_ = nullptr;
  bool created_ = false;
};

// A module that takes part in the host's special modes: creation, saving the configuration,
// reverting to defaults and shutdown.
class CSpecialModeClient : public CModule {
 public:
  virtual void OnSpecialCreate() {}
  virtual void OnSpecialFileSave() {}
  virtual void OnSpecialRevertToDefaults() {}
  virtual void OnSpecialShutdown() {}
};

// Makes a module class creatable by name. Static objects of this type in the plug-in register
// its classes, in the order the objects are constructed, when the plug-in is loaded.
class CModuleRegister {
 public:
  using factory_t = std::function<std::unique_ptr<CModule>()>;

  CModuleRegister(const char* className, factory_t factory);
  ~CModuleRegister();
  CModuleRegister(const CModuleRegister&) = delete;
  CModuleRegister& operator=(const CModuleRegister&) = delete;

  // The registered class names in order of registration.
  static std::vector<std::string> RegisteredClasses();
  // A new module of that class; null for an unknown class.
  static std::unique_ptr<CModule> CreateModule(const std::string& className);

 private:
  std::string className_;
};

// The thread context of a module. The library only asks whether it is the main thread: the
// thread that first asked for the thread heads (the host's main thread).
class CThreadHead {
 public:
  static CThreadHead* FindMyThreadHead(const CModule* module);
  bool IsMainThread() const { return main_; }

 private:
  explicit CThreadHead(bool main) : main_(main) {}
  bool main_;
};
