#include "Plugin.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>

CPlugin::~CPlugin() {
  Unload();
}

namespace {
template <typename F>
bool Find(void* handle, const char* name, F& function, std::string& error) {
  function = reinterpret_cast<F>(dlsym(handle, name));
  if (function == nullptr) error = std::string("the plug-in has no entry point ") + name;
  return function != nullptr;
}
}  // namespace

bool CPlugin::Load(const std::string& path, std::string& error) {
  handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_GLOBAL);
  if (handle_ == nullptr) {
    const char* reason = dlerror();
    error = "cannot load the plug-in " + path + ": " + (reason != nullptr ? reason : "unknown");
    return false;
  }
  return Find(handle_, "KelvaSequencerEvent", event_, error) &&
         Find(handle_, "KelvaResultRequest", resultRequest_, error) &&
         Find(handle_, "KelvaErrorCount", errorCount_, error) &&
         Find(handle_, "KelvaGetError", getError_, error) &&
         Find(handle_, "KelvaSaveHistory", saveHistory_, error) &&
         Find(handle_, "KelvaSaveLearnFile", saveLearnFile_, error) &&
         Find(handle_, "KelvaLearnSummary", learnSummary_, error) &&
         Find(handle_, "KelvaDescribeFile", describeFile_, error) &&
         Find(handle_, "KelvaDescribePart", describePart_, error);
}

void CPlugin::Unload() {
  if (handle_ != nullptr) dlclose(handle_);
  handle_ = nullptr;
}

bool CPlugin::GetError(int32_t index, KelvaError& error, std::string& text) const {
  char buffer[512];
  if (!getError_(index, &error, buffer, sizeof(buffer))) return false;
  text = buffer;
  return true;
}

bool CPlugin::SaveHistory(std::string& path) const {
  char buffer[4096];
  const bool saved = saveHistory_(buffer, sizeof(buffer));
  path = buffer;
  return saved;
}

bool CPlugin::SaveLearnFile(std::string& path) const {
  char buffer[4096];
  const bool saved = saveLearnFile_(buffer, sizeof(buffer));
  path = buffer;
  return saved;
}

std::vector<KelvaModeLearning> CPlugin::LearnSummary() const {
  std::vector<KelvaModeLearning> modes(static_cast<size_t>(std::max(0, learnSummary_(nullptr, 0))));
  const int32_t count = learnSummary_(modes.data(), static_cast<int32_t>(modes.size()));
  modes.resize(std::min(modes.size(), static_cast<size_t>(std::max(0, count))));
  return modes;
}

bool CPlugin::DescribeFile(int32_t kind, const std::string& path, bool json,
                           std::string& text) const {
  text.clear();
  const auto append = [](const char* part, void* context) {
    *static_cast<std::string*>(context) += part;
  };
  return describeFile_(kind, path.c_str(), json ? 1 : 0, append, &text);
}

bool CPlugin::DescribePart(std::string& text) const {
  text.clear();
  const auto append = [](const char* part, void* context) {
    *static_cast<std::string*>(context) += part;
  };
  return describePart_(append, &text);
}

std::string DefaultPluginPath() {
  const char* path = std::getenv("KELVA_PLUGIN");
  return path != nullptr && *path != '\0' ? path : KELVA_PLUGIN_PATH;
}
