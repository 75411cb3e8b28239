#pragma once
// Making a module the way the host makes the plug-in's modules: by class name from the module
// register, then Create and, for a special-mode client, OnSpecialCreate. PostCreate is the
// caller's, once all modules exist.

#include <memory>
#include <string>

#include "host/Module.h"

// The module, or null when the class is not registered or its Create fails.
std::unique_ptr<CModule> CreateHostModule(const std::string& className, const std::string& name);
