#pragma once
// The host's resource store ("sea"). Three stores live in the process:
//   - the application store: module configuration, positional fields of named entries;
//   - the preference store: window states;
//   - the messages store: values passed between modules while the program runs.
// An entry is a list of lines and a line a list of text fields. LookupGet…/LookupSet… read and
// write field `field` of the first line of an entry; CResourceList walks all lines of an entry.
//
// The application and preference stores are saved to one plain text file that a person can
// read and edit (docs/settings.md); the messages store is never saved.

#include <map>
#include <optional>
#include <string>
#include <vector>

// Messages-store key: while a recorded test is played back, nothing is learned.
inline constexpr const char wpWavPlaybackNoLearning[] = "wpWavPlaybackNoLearning";

class CSeaBase {
 public:
  // A field that was never set (skipped when a later field of its line was written, or
  // written as an empty unquoted field in the settings file) holds no text: every read of it
  // gives the caller's default. An empty text is a value of its own.
  using Field = std::optional<std::string>;
  using Line = std::vector<Field>;
  using Entry = std::vector<Line>;

  explicit CSeaBase(std::string name) : name_(std::move(name)) {}
  CSeaBase(const CSeaBase&) = delete;
  CSeaBase& operator=(const CSeaBase&) = delete;

  static CSeaBase* ApplicationSea();
  static CSeaBase* PreferenceSea();
  static CSeaBase* MessagesSea();

  // The host's configuration root and the root of local data (history, learn files). Both end
  // with '/'; they default to the current directory ("./").
  static std::string DefaultPath();
  static std::string DefaultLocalsPath();
  static void SetDefaultPaths(const std::string& path, const std::string& localsPath);

  const std::string& Name() const { return name_; }

  // Field `field` of the entry's first line; the default when the entry, the line or the
  // field is missing or was never set, or the text is not a number (bool: "1"/"0",
  // "true"/"false").
  int LookupGetInt(const std::string& key, int field, int defaultValue) const;
  // A finite float; the default for a missing field or one that is not a float.
  float LookupGetFloat(const std::string& key, int field, float defaultValue) const;
  bool LookupGetBool(const std::string& key, int field, bool defaultValue) const;
  std::string LookupGetString(const std::string& key, int field,
                              const std::string& defaultValue) const;
  // Sets field `field` of the first line, creating the entry, the line and unset fields
  // before it as needed.
  void LookupSetInt(const std::string& key, int value, int field);
  void LookupSetBool(const std::string& key, bool value, int field);
  void LookupSetString(const std::string& key, const std::string& value, int field);

  bool HasEntry(const std::string& key) const { return entries_.count(key) != 0; }
  // Creates an empty entry (no lines) unless it exists; `flags` is reserved (pass 0).
  void CreateEntry(const std::string& key, int flags);
  void RemoveEntry(const std::string& key) { entries_.erase(key); }
  // REQUIRES: nothing; null when the entry does not exist.
  Entry* FindEntry(const std::string& key);
  const Entry* FindEntry(const std::string& key) const;
  const std::map<std::string, Entry>& Entries() const { return entries_; }
  void Clear() { entries_.clear(); }

 private:
  Line& FirstLine(const std::string& key);

  std::string name_;
  std::map<std::string, Entry> entries_;
};

// One line of a list entry, as CResourceList hands it out. It refers into the store and stays
// valid while the entry keeps at least that many lines.
class CResourceLine {
 public:
  CResourceLine(CSeaBase::Entry* entry, size_t index) : entry_(entry), index_(index) {}

  int GetIntFb(int field, int defaultValue) const;
  float GetFloatFb(int field, float defaultValue) const;
  bool GetBoolFb(int field, bool defaultValue) const;
  std::string GetStringFb(int field, const std::string& defaultValue) const;
  void SetString(int field, const std::string& value);
  void SetInt(int field, int value) { SetString(field, std::to_string(value)); }
  void SetBool(int field, bool value) { SetString(field, value ? "1" : "0"); }
  size_t Fields() const { return Fields_().size(); }

 private:
  const CSeaBase::Line& Fields_() const { return (*entry_)[index_]; }
  CSeaBase::Entry* entry_;
  size_t index_;
};

// Walks the lines of a list entry (created empty when missing).
class CResourceList {
 public:
  CResourceList(CSeaBase* store, const std::string& key);

  void GotoHead() { current_ = 0; }
  bool IsValid() const { return current_ < entry_->size(); }
  void GotoNext() { ++current_; }
  // REQUIRES: IsValid().
  CResourceLine GetCurrentLine() { return CResourceLine(entry_, current_); }
  // Moves to the first line whose field 0 is `text`; false (position at the end) when none.
  bool GotoLine(const std::string& text);
  // Appends an empty line and makes it current.
  CResourceLine AddLineTail();
  size_t Count() const { return entry_->size(); }
  void RemoveAll() {
    entry_->clear();
    current_ = 0;
  }

 private:
  CSeaBase::Entry* entry_;
  size_t current_ = 0;
};

namespace SeaFile {
// Writes the application and preference stores to `path` (a temporary file renamed into
// place). False when the file could not be written; the previous file is then unchanged.
bool Save(const std::string& path);
// Replaces the application and preference stores with the file's content. A missing file
// leaves both stores empty and returns true (every setting takes its default). Damage costs
// only what it touches: an entry with a line that cannot be read is dropped whole (its
// settings take their defaults) with a message (category 1, style 3) naming the file, the line,
// what was expected and the entry; a file cut short (no "[end]") also drops the last entry read.
// Every other entry keeps its value. False when anything was dropped or the file cannot be read
// (not a regular file, no permission): the caller keeps such a file aside before saving over it.
bool Load(const std::string& path);
// The text form of the two stores, and parsing it (for tests and tools); Parse reports and
// returns as Load does.
std::string Format();
bool Parse(const std::string& text, const std::string& fileName);
}  // namespace SeaFile
