// The settings file: the application and preference stores as text.
//
//   # comment
//   [application]
//   KelSequencer-Params = 1; 0; "NEUTRAL"
//   Terminal-Instruments = 2500; 1
//   Terminal-Instruments += 2001; 1
//   EmptyList
//   [end]
//
// "key = fields" is an entry's first line, "key += fields" appends a line, a bare "key" is an
// entry without lines. Fields are separated by ';' and trimmed; a field with ';', '"', '#',
// blanks at its ends or nothing at all is written in double quotes with \" and \\ escapes. A
// field that was never set is written as nothing between its ';' and read back unset.
// The closing line "[end]" tells a complete file from one cut short by a crash or a full disk.
#include <set>
#include <sstream>
#include <utility>

#include "host/File.h"
#include "host/Output.h"
#include "host/Sea.h"

namespace SeaFile {
namespace {

CSeaBase* const kSavedStores[] = {CSeaBase::ApplicationSea(), CSeaBase::PreferenceSea()};

bool NeedsQuotes(const std::string& field) {
  if (field.empty()) return true;
  if (field.front() == ' ' || field.front() == '\t' || field.back() == ' ' || field.back() == '\t')
    return true;
  return field.find_first_of(";\"#\\\n\r") != std::string::npos;
}

std::string Quoted(const CSeaBase::Field& value) {
  if (!value) return std::string();
  const std::string& field = *value;
  if (!NeedsQuotes(field)) return field;
  std::string text = "\"";
  for (char c : field) {
    if (c == '"' || c == '\\') text += '\\';
    if (c == '\n') {
      text += "\\n";
      continue;
    }
    if (c == '\r') {
      text += "\\r";
      continue;
    }
    text += c;
  }
  return text + "\"";
}

std::string Trim(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return std::string();
  const size_t last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

// Splits "a; "b;c"; d" into fields; false with `error` set on a malformed quote.
bool SplitFields(const std::string& text, CSeaBase::Line& fields, std::string& error) {
  fields.clear();
  size_t i = 0;
  const size_t n = text.size();
  while (true) {
    while (i < n && (text[i] == ' ' || text[i] == '\t')) ++i;
    CSeaBase::Field field;
    if (i < n && text[i] == '"') {
      field.emplace();
      ++i;
      bool closed = false;
      while (i < n) {
        const char c = text[i++];
        if (c == '"') {
          closed = true;
          break;
        }
        if (c == '\\') {
          if (i >= n) break;
          const char e = text[i++];
          *field += e == 'n' ? '\n' : e == 'r' ? '\r' : e;
          continue;
        }
        *field += c;
      }
      if (!closed) {
        error = "a closing '\"'";
        return false;
      }
      while (i < n && (text[i] == ' ' || text[i] == '\t')) ++i;
      if (i < n && text[i] != ';') {
        error = "';' after a quoted field";
        return false;
      }
    } else {
      const size_t end = text.find(';', i);
      std::string bare =
          Trim(text.substr(i, end == std::string::npos ? std::string::npos : end - i));
      if (!bare.empty()) field = std::move(bare);  // nothing at all: a field never set
      i = end == std::string::npos ? n : end;
    }
    fields.push_back(std::move(field));
    if (i >= n) return true;
    ++i;  // the ';'
  }
}

}  // namespace

// A key that reads back as itself: no '=', '"', ';' or '+', no '#' or '[' at its start, no
// blanks at its ends, not empty.
static bool SavableKey(const std::string& key) {
  if (key.empty() || key.front() == '#' || key.front() == '[') return false;
  if (key.front() == ' ' || key.front() == '\t' || key.back() == ' ' || key.back() == '\t')
    return false;
  return key.find_first_of("=\";+\n\r") == std::string::npos;
}

std::string Format() {
  std::ostringstream out;
  out << "# Kelva settings. Lines: [store], key = fields, key += further line, key (no lines).\n";
  out << "# Fields are separated by ';'; quote a field with \"...\" to keep ';' or blanks.\n";
  for (const CSeaBase* store : kSavedStores) {
    out << "\n[" << store->Name() << "]\n";
    for (const auto& [key, entry] : store->Entries()) {
      if (!SavableKey(key)) {
        PrWin::Output(PrWin::catWarning,
                      "Settings entry '%s' is not saved: a key must not be empty, hold '=', '\"', "
                      "';' or '+', start with '#' or '[', or have blanks at its ends\n",
                      key.c_str());
        continue;
      }
      if (entry.empty()) {
        out << key << "\n";
        continue;
      }
      for (size_t l = 0; l < entry.size(); ++l) {
        out << key << (l == 0 ? " =" : " +=");
        for (size_t f = 0; f < entry[l].size(); ++f)
          out << (f == 0 ? " " : "; ") << Quoted(entry[l][f]);
        out << "\n";
      }
    }
  }
  out << "\n[end]\n";
  return out.str();
}

namespace {

// Reads the settings text line by line. A line that cannot be read costs only its own entry:
// the entry is dropped (every module then takes that entry's defaults) and further lines of
// the same key are ignored, so a half-read list never stands for the whole list. A cut-off
// file (no "[end]") also drops the last entry read, which may have lost lines at the cut.
class CParser {
 public:
  explicit CParser(std::string fileName) : fileName_(std::move(fileName)) {}

  bool Run(const std::string& text) {
    std::istringstream in(text);
    std::string raw;
    while (std::getline(in, raw)) {
      ++number_;
      Line(Trim(raw));
    }
    if (!ended_) {
      // The last entry read may have lost lines at the cut; when the cut falls inside a line,
      // that line is a fragment and the entry before it is in doubt as well.
      const bool cutInLine = !text.empty() && text.back() != '\n';
      bool dropped = DropAtCut(lastStore_, lastKey_);
      if (cutInLine) dropped = DropAtCut(previousStore_, previousKey_) || dropped;
      if (!dropped)
        PrWin::Output(PrWin::catOperator, 3,
                      "Settings file '%s' is cut short (no closing line [end])\n",
                      fileName_.c_str());
      damaged_ = true;
    }
    return !damaged_;
  }

 private:
  void Line(const std::string& line) {
    if (line.empty() || line.front() == '#') return;
    if (ended_) {
      if (!afterEndReported_) LineFault("nothing after [end]; the rest of the file is ignored");
      afterEndReported_ = true;
      return;
    }
    if (line == "[end]") {
      ended_ = true;
      return;
    }
    if (line.front() == '[') return Section(line);
    if (store_ == nullptr) {
      if (!sectionReported_)
        LineFault(sectionKnown_ ? "an entry of [application] or [preferences]; the entries of "
                                  "this section are ignored"
                                : "a [application] or [preferences] section before the first "
                                  "entry");
      sectionReported_ = true;
      return;
    }
    Entry(line);
  }

  void Section(const std::string& line) {
    store_ = nullptr;
    sectionKnown_ = true;
    sectionReported_ = false;
    for (CSeaBase* candidate : kSavedStores)
      if (line == "[" + candidate->Name() + "]") store_ = candidate;
    if (store_ == nullptr) {
      LineFault("[application] or [preferences]; the entries of this section are ignored");
      sectionReported_ = true;
    }
  }

  void Entry(const std::string& line) {
    const size_t equals = line.find('=');
    if (line.substr(0, equals).find('\0') != std::string::npos)
      return LineFault("text, not a NUL byte");
    if (equals == std::string::npos) {
      if (line.find_first_of("\";+") != std::string::npos)
        return LineFault("'key = fields'; the line is ignored");
      Note(line);
      if (!IsDamaged(store_, line)) store_->CreateEntry(line, 0);
      return;
    }
    const bool append = equals > 0 && line[equals - 1] == '+';
    const std::string key = Trim(line.substr(0, append ? equals - 1 : equals));
    if (key.empty() || key.find('"') != std::string::npos)
      return LineFault("a key before '='; the line is ignored");
    Note(key);
    if (IsDamaged(store_, key)) return;
    if (line.find('\0') != std::string::npos) return EntryFault(key, "text, not a NUL byte");
    std::string error;
    CSeaBase::Line fields;
    const std::string rest = Trim(line.substr(equals + 1));
    if (!rest.empty() && !SplitFields(rest, fields, error)) return EntryFault(key, error);
    CSeaBase::Entry* entry = store_->FindEntry(key);
    if (!append && entry != nullptr && !entry->empty())
      return EntryFault(key, "one 'key =' line per key (further lines use '+=')");
    if (append && (entry == nullptr || entry->empty()))
      return EntryFault(key, "'key =' before the first 'key +=' line");
    store_->CreateEntry(key, 0);
    store_->FindEntry(key)->push_back(std::move(fields));
  }

  // Remembers the entries of the last two lines read (for a cut at the end of the file).
  void Note(const std::string& key) {
    if (key == lastKey_ && store_ == lastStore_) return;
    previousKey_ = lastKey_;
    previousStore_ = lastStore_;
    lastKey_ = key;
    lastStore_ = store_;
  }

  bool DropAtCut(CSeaBase* store, const std::string& key) {
    if (store == nullptr || key.empty() || IsDamaged(store, key)) return false;
    DropEntry(store, key);
    PrWin::Output(PrWin::catOperator, 3,
                  "Settings file '%s' is cut short (no closing line [end]); entry '%s', read "
                  "last, takes its defaults\n",
                  fileName_.c_str(), key.c_str());
    return true;
  }

  bool IsDamaged(const CSeaBase* store, const std::string& key) const {
    return damagedKeys_.count({store, key}) != 0;
  }

  void DropEntry(CSeaBase* store, const std::string& key) {
    store->RemoveEntry(key);
    damagedKeys_.insert({store, key});
  }

  void EntryFault(const std::string& key, const std::string& expected) {
    DropEntry(store_, key);
    damaged_ = true;
    PrWin::Output(PrWin::catOperator, 3,
                  "Settings file '%s', line %d: expected %s; entry '%s' takes its defaults\n",
                  fileName_.c_str(), number_, expected.c_str(), key.c_str());
  }

  void LineFault(const std::string& expected) {
    damaged_ = true;
    PrWin::Output(PrWin::catOperator, 3, "Settings file '%s', line %d: expected %s\n",
                  fileName_.c_str(), number_, expected.c_str());
  }

  std::string fileName_;
  int number_ = 0;
  CSeaBase* store_ = nullptr;
  bool sectionKnown_ = false;     // a section line was seen (store_ null: an unknown one)
  bool sectionReported_ = false;  // entries outside a known section were reported once
  bool ended_ = false;
  bool afterEndReported_ = false;
  bool damaged_ = false;
  std::string lastKey_, previousKey_;
  CSeaBase* lastStore_ = nullptr;
  CSeaBase* previousStore_ = nullptr;
  std::set<std::pair<const CSeaBase*, std::string>> damagedKeys_;
};

}  // namespace

bool Parse(const std::string& text, const std::string& fileName) {
  for (CSeaBase* store : kSavedStores) store->Clear();
  return CParser(fileName).Run(text);
}

bool Save(const std::string& path) {
  const std::string text = Format();
  CReplacingFile file;
  if (!file.Open(path) || !file.Write(text.data(), text.size()) || !file.Commit()) {
    PrWin::Output(PrWin::catOperator, 3, "Settings file '%s' could not be written: %s\n",
                  path.c_str(), file.Error().c_str());
    return false;
  }
  return true;
}

bool Load(const std::string& path) {
  for (CSeaBase* store : kSavedStores) store->Clear();
  std::string text;
  std::string why;
  switch (ReadRegularFile(path, text, why)) {
    case ReadFileResult::ok:
      return Parse(text, path);
    case ReadFileResult::missing:
      return true;
    case ReadFileResult::notRegular:
    case ReadFileResult::failed:
      break;
  }
  PrWin::Output(PrWin::catOperator, 3, "Settings file '%s' %s; all settings take their defaults\n",
                path.c_str(), why.c_str());
  return false;
}

}  // namespace SeaFile
