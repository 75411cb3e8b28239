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
// blanks at its ends or nothing at all is written in double quotes with \" and \\ escapes.
// The closing line "[end]" tells a complete file from one cut short by a crash or a full disk.
#include <filesystem>
#include <fstream>
#include <sstream>

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

std::string Quoted(const std::string& field) {
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
    std::string field;
    if (i < n && text[i] == '"') {
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
          field += e == 'n' ? '\n' : e == 'r' ? '\r' : e;
          continue;
        }
        field += c;
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
      field = Trim(text.substr(i, end == std::string::npos ? std::string::npos : end - i));
      i = end == std::string::npos ? n : end;
    }
    fields.push_back(field);
    if (i >= n) return true;
    ++i;  // the ';'
  }
}

void Report(const std::string& fileName, int line, const std::string& expected) {
  PrWin::Output(PrWin::catOperator, 3,
                "Settings file '%s', line %d: expected %s; all settings take their defaults\n",
                fileName.c_str(), line, expected.c_str());
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

bool Parse(const std::string& text, const std::string& fileName) {
  for (CSeaBase* store : kSavedStores) store->Clear();
  std::istringstream in(text);
  std::string raw;
  CSeaBase* store = nullptr;
  int number = 0;
  std::string error;
  bool ended = false;
  while (std::getline(in, raw)) {
    ++number;
    const std::string line = Trim(raw);
    if (line.empty() || line.front() == '#') continue;
    if (ended) {
      error = "nothing after [end]";
      break;
    }
    if (line == "[end]") {
      ended = true;
      continue;
    }
    if (line.front() == '[') {
      store = nullptr;
      for (CSeaBase* candidate : kSavedStores)
        if (line == "[" + candidate->Name() + "]") store = candidate;
      if (store == nullptr) {
        error = "[application] or [preferences]";
        break;
      }
      continue;
    }
    if (store == nullptr) {
      error = "a [application] or [preferences] section before the first entry";
      break;
    }
    const size_t equals = line.find('=');
    if (equals == std::string::npos) {
      if (line.find_first_of("\";+") != std::string::npos) {
        error = "'key = fields'";
        break;
      }
      store->CreateEntry(line, 0);
      continue;
    }
    const bool append = equals > 0 && line[equals - 1] == '+';
    const std::string key = Trim(line.substr(0, append ? equals - 1 : equals));
    if (key.empty() || key.find('"') != std::string::npos) {
      error = "a key before '='";
      break;
    }
    CSeaBase::Line fields;
    const std::string rest = Trim(line.substr(equals + 1));
    if (!rest.empty() && !SplitFields(rest, fields, error)) break;
    store->CreateEntry(key, 0);
    CSeaBase::Entry& entry = *store->FindEntry(key);
    if (!append && !entry.empty()) {
      error = "one 'key =' line per key (further lines use '+=')";
      break;
    }
    if (append && entry.empty()) {
      error = "'key =' before the first 'key +=' line";
      break;
    }
    entry.push_back(std::move(fields));
  }
  if (error.empty() && !ended) error = "the closing line [end] (the file is cut short)";
  if (error.empty()) return true;
  Report(fileName, number < 1 ? 1 : number, error);
  for (CSeaBase* store : kSavedStores) store->Clear();
  return false;
}

bool Save(const std::string& path) {
  const std::string text = Format();
  CReplacingFile file;
  if (!file.Open(path) || !file.Write(text.data(), text.size()) || !file.Commit()) {
    PrWin::Output(PrWin::catOperator, 3, "Settings file '%s' could not be written\n", path.c_str());
    return false;
  }
  return true;
}

bool Load(const std::string& path) {
  std::error_code error;
  const bool exists = std::filesystem::exists(path, error);
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    for (CSeaBase* store : kSavedStores) store->Clear();
    if (!exists) return true;
    PrWin::Output(PrWin::catOperator, 3,
                  "Settings file '%s' cannot be read; all settings take their defaults\n",
                  path.c_str());
    return false;
  }
  std::ostringstream content;
  content << in.rdbuf();
  const std::string text = content.str();
  if (text.find('\0') != std::string::npos) {
    Report(path, 1, "a text file");
    for (CSeaBase* store : kSavedStores) store->Clear();
    return false;
  }
  return Parse(text, path);
}

}  // namespace SeaFile
