#pragma once
// Running the kelva command from a test: a fresh work directory per test, the demo plan as a
// JSON document to change, and the command's exit code and output.

#include <sys/types.h>

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

struct ProcessResult {
  int exitCode = -1;  // the exit status; 128 + n when killed by signal n
  std::string out;
  std::string err;
};

// Runs the kelva binary under test with `arguments` and waits for it.
ProcessResult RunKelva(const std::vector<std::string>& arguments);

// Starts the kelva binary with its output into the two files; the process id, or -1.
pid_t StartKelva(const std::vector<std::string>& arguments, const std::string& outPath,
                 const std::string& errPath);
// Waits for a started kelva: its exit status, 128 + n when killed by signal n, -1 for no pid.
int WaitForKelva(pid_t pid);

// A new empty folder under the temporary directory, removed with everything in it on
// destruction.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

nlohmann::json DemoPlan();
// Every line of `text` parsed as one JSON document; a line that is not valid JSON fails.
std::vector<nlohmann::json> ParseJsonLines(const std::string& text);
void WriteText(const std::string& path, const std::string& text);
std::string ReadText(const std::string& path);
// Names in `folder` that start with `prefix`, sorted.
std::vector<std::string> NamesStartingWith(const std::string& folder, const std::string& prefix);
