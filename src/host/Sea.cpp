#include "host/Sea.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "host/File.h"
#include "host/Output.h"

namespace {

std::string& PathRoot() {
  static std::string path = "./";
  return path;
}

std::string& LocalsRoot() {
  static std::string path = "./";
  return path;
}

std::string WithSlash(std::string path) {
  if (path.empty()) return "./";
  if (path.back() != '/') path += '/';
  return path;
}

// A whole field as a decimal int; false for anything else (blanks around it are allowed).
bool ParseInt(const std::string& text, int& value) {
  const char* begin = text.c_str();
  char* end = nullptr;
  errno = 0;
  const long parsed = std::strtol(begin, &end, 10);
  if (end == begin || errno == ERANGE || parsed < INT32_MIN || parsed > INT32_MAX) return false;
  while (*end == ' ' || *end == '\t') ++end;
  if (*end != '\0') return false;
  value = static_cast<int>(parsed);
  return true;
}

// A finite float in decimal or exponent form, blanks allowed after it.
bool ParseFloat(const std::string& text, float& value) {
  const char* begin = text.c_str();
  char* end = nullptr;
  errno = 0;
  const float parsed = std::strtof(begin, &end);
  if (end == begin || errno == ERANGE || !std::isfinite(parsed)) return false;
  while (*end == ' ' || *end == '\t') ++end;
  if (*end != '\0') return false;
  value = parsed;
  return true;
}

bool ParseBool(const std::string& text, bool& value) {
  if (text == "true") {
    value = true;
    return true;
  }
  if (text == "false") {
    value = false;
    return true;
  }
  int number = 0;
  if (!ParseInt(text, number)) return false;
  value = number != 0;
  return true;
}

const std::string* FieldOf(const CSeaBase::Entry* entry, size_t line, int field) {
  if (entry == nullptr || field < 0 || line >= entry->size()) return nullptr;
  const CSeaBase::Line& fields = (*entry)[line];
  if (static_cast<size_t>(field) >= fields.size()) return nullptr;
  const CSeaBase::Field& value = fields[static_cast<size_t>(field)];
  return value ? &*value : nullptr;
}

void SetField(CSeaBase::Line& line, int field, const std::string& value) {
  if (field < 0) return;
  if (line.size() <= static_cast<size_t>(field)) line.resize(static_cast<size_t>(field) + 1);
  line[static_cast<size_t>(field)] = value;
}

}  // namespace

CSeaBase* CSeaBase::ApplicationSea() {
  static CSeaBase sea("application");
  return &sea;
}

CSeaBase* CSeaBase::PreferenceSea() {
  static CSeaBase sea("preferences");
  return &sea;
}

CSeaBase* CSeaBase::MessagesSea() {
  static CSeaBase sea("messages");
  return &sea;
}

std::string CSeaBase::DefaultPath() {
  return PathRoot();
}
std::string CSeaBase::DefaultLocalsPath() {
  return LocalsRoot();
}

void CSeaBase::SetDefaultPaths(const std::string& path, const std::string& localsPath) {
  PathRoot() = WithSlash(path);
  LocalsRoot() = WithSlash(localsPath);
}

CSeaBase::Entry* CSeaBase::FindEntry(const std::string& key) {
  auto it = entries_.find(key);
  return it == entries_.end() ? nullptr : &it->second;
}

const CSeaBase::Entry* CSeaBase::FindEntry(const std::string& key) const {
  auto it = entries_.find(key);
  return it == entries_.end() ? nullptr : &it->second;
}

int CSeaBase::LookupGetInt(const std::string& key, int field, int defaultValue) const {
  const std::string* text = FieldOf(FindEntry(key), 0, field);
  int value = defaultValue;
  return text != nullptr && ParseInt(*text, value) ? value : defaultValue;
}

float CSeaBase::LookupGetFloat(const std::string& key, int field, float defaultValue) const {
  const std::string* text = FieldOf(FindEntry(key), 0, field);
  float value = defaultValue;
  return text != nullptr && ParseFloat(*text, value) ? value : defaultValue;
}

bool CSeaBase::LookupGetBool(const std::string& key, int field, bool defaultValue) const {
  const std::string* text = FieldOf(FindEntry(key), 0, field);
  bool value = defaultValue;
  return text != nullptr && ParseBool(*text, value) ? value : defaultValue;
}

std::string CSeaBase::LookupGetString(const std::string& key, int field,
                                      const std::string& defaultValue) const {
  const std::string* text = FieldOf(FindEntry(key), 0, field);
  return text != nullptr ? *text : defaultValue;
}

CSeaBase::Line& CSeaBase::FirstLine(const std::string& key) {
  Entry& entry = entries_[key];
  if (entry.empty()) entry.emplace_back();
  return entry.front();
}

void CSeaBase::LookupSetInt(const std::string& key, int value, int field) {
  SetField(FirstLine(key), field, std::to_string(value));
}

void CSeaBase::LookupSetBool(const std::string& key, bool value, int field) {
  SetField(FirstLine(key), field, value ? "1" : "0");
}

void CSeaBase::LookupSetString(const std::string& key, const std::string& value, int field) {
  SetField(FirstLine(key), field, value);
}

void CSeaBase::CreateEntry(const std::string& key, int /*flags*/) {
  entries_.try_emplace(key);
}

int CResourceLine::GetIntFb(int field, int defaultValue) const {
  const std::string* text = FieldOf(entry_, index_, field);
  int value = defaultValue;
  return text != nullptr && ParseInt(*text, value) ? value : defaultValue;
}

float CResourceLine::GetFloatFb(int field, float defaultValue) const {
  const std::string* text = FieldOf(entry_, index_, field);
  float value = defaultValue;
  return text != nullptr && ParseFloat(*text, value) ? value : defaultValue;
}

bool CResourceLine::GetBoolFb(int field, bool defaultValue) const {
  const std::string* text = FieldOf(entry_, index_, field);
  bool value = defaultValue;
  return text != nullptr && ParseBool(*text, value) ? value : defaultValue;
}

std::string CResourceLine::GetStringFb(int field, const std::string& defaultValue) const {
  const std::string* text = FieldOf(entry_, index_, field);
  return text != nullptr ? *text : defaultValue;
}

void CResourceLine::SetString(int field, const std::string& value) {
  SetField((*entry_)[index_], field, value);
}

CResourceList::CResourceList(CSeaBase* store, const std::string& key) {
  store->CreateEntry(key, 0);
  entry_ = store->FindEntry(key);
}

bool CResourceList::GotoLine(const std::string& text) {
  for (current_ = 0; current_ < entry_->size(); ++current_) {
    const CSeaBase::Line& line = (*entry_)[current_];
    if (!line.empty() && line.front() == text) return true;
  }
  return false;
}

CResourceLine CResourceList::AddLineTail() {
  entry_->emplace_back();
  current_ = entry_->size() - 1;
  return CResourceLine(entry_, current_);
}
