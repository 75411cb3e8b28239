#include "InspectLimitsCommand.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "Plugin.h"
#include "frame/FileDescriber.h"
#include "host/JsonText.h"
#include "host/Output.h"
#include "host/TestPlan.h"

namespace {

namespace fs = std::filesystem;

// The regular files ending in ".learn" in `folder`, sorted by name; empty when there are none
// or the folder cannot be listed.
std::vector<std::string> LearnFiles(const fs::path& folder) {
  std::vector<std::string> files;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
    if (it->path().extension() == ".learn" && it->is_regular_file(error))
      files.push_back(it->path().string());
  std::sort(files.begin(), files.end());
  return files;
}

int Refuse(const std::string& why) {
  std::fprintf(stderr, "kelva: %s\n", why.c_str());
  return 2;
}

// The descriptions of every file, each a JSON object with a closing line feed, as the members
// of one object.
std::string JoinedJson(const std::string& workdir, const std::vector<std::string>& objects) {
  std::string json = "{\"workdir\":" + JsonText::Quoted(workdir) + ",\"learnFiles\":[";
  for (size_t i = 0; i < objects.size(); ++i) {
    std::string object = objects[i];
    if (!object.empty() && object.back() == '\n') object.pop_back();
    json += (i == 0 ? "" : ",") + object;
  }
  return json + "]}\n";
}

}  // namespace

int InspectLimits(const InspectOptions& options) {
  PrWin::DefaultStderrSink().SetMask(PrWin::catOperator | PrWin::catWarning);
  if (options.plan.empty())
    return Refuse("inspect limits needs the plan (--plan) of the learn files");
  std::error_code error;
  if (!fs::is_directory(options.file, error))
    return Refuse("the work folder " + options.file + " does not exist");
  const fs::path learnFolder = fs::path(options.file) / "Learn";
  const std::vector<std::string> files = LearnFiles(learnFolder);
  if (files.empty()) return Refuse("there is no learn file in " + learnFolder.string());
  CPlugin plugin;
  std::string text;
  if (!plugin.Load(options.plugin.empty() ? DefaultPluginPath() : options.plugin, text))
    return Refuse(text);
  if (!TestPlan::LoadFile(options.plan)) return 2;  // it has said why
  std::vector<std::string> descriptions;
  for (const std::string& file : files) {
    if (!plugin.DescribeFile(FileDescriber::kindLimits, file, options.json, text))
      return Refuse(text);
    descriptions.push_back(text);
  }
  std::string out;
  if (options.json)
    out = JoinedJson(options.file, descriptions);
  else
    for (const std::string& description : descriptions) out += description;
  std::fputs(out.c_str(), stdout);
  return 0;
}
