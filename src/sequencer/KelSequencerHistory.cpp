// The sequencer's history files: per part type "<local data>/History/<name>.dhf" (the value
// store's history) and "<name>.ma" (the learn tables of the moving-average learn stores), the
// name made by FileIO::partTypeFileName from the platform and the base type.
//
// Nothing is ever written outside "<local data>/History/": a name or path too long to keep is
// refused with a message, never shortened to some other place. A history file that cannot be
// read is moved aside as "<path>.damaged-<timestamp>" when it is loaded, before anything is
// saved under its name; when it cannot be moved, nothing is saved over it.
#include "host/FileIO.h"
#include "host/Output.h"
#include "host/Sea.h"
#include "host/WholeFile.h"
#include "learn/KelLearnStore.h"
#include "sequencer/KelSequencer.h"

namespace {

const char* const kHistoryExtension = ".dhf";
const char* const kMAExtension = ".ma";

}  // namespace

std::string CKelSequencer::HistoryFolder() const {
  return CSeaBase::DefaultLocalsPath() + "History/";
}

std::string CKelSequencer::HistoryName() const {
  return FileIO::partTypeFileName(m_lastPlatform, m_lastBaseType);
}

std::string CKelSequencer::HistoryPathProblem(const std::string& extension) const {
  const std::string name = HistoryName();
  if (name.size() > FileIO::kMaxPartTypeFileNameBytes)
    return "the file name of the part type is " + std::to_string(name.size()) +
           " bytes long, at most " + std::to_string(FileIO::kMaxPartTypeFileNameBytes) + " fit";
  const size_t length = HistoryFolder().size() + name.size() + extension.size();
  if (length > FileIO::kMaxFilePathBytes)
    return "the path is " + std::to_string(length) + " bytes long, at most " +
           std::to_string(FileIO::kMaxFilePathBytes) + " fit";
  return "";
}

std::string CKelSequencer::HistoryPath(const std::string& extension) const {
  if (HistoryName().empty() || !HistoryPathProblem(extension).empty()) return "";
  return HistoryFolder() + HistoryName() + extension;
}

bool CKelSequencer::KeepsHistory() const {
  return m_finalScalarHistoryDepth != 0 || m_finalCurveHistoryDepth != 0 ||
         m_trackScalarHistoryDepth != 0 || m_trackCurveHistoryDepth != 0;
}

bool CKelSequencer::FailHistorySave(const std::string& path, const std::string& reason) {
  ++m_historySaveFailures;
  m_lastHistorySaveError = path + ": " + reason;
  PrWin::Output(PrWin::catOperator, 3,
                "CKelSequencer::SaveHistory(): Error writing history file %s\n",
                m_lastHistorySaveError.c_str());
  return false;
}

bool CKelSequencer::SaveHistoryFile(const std::string& extension,
                                    const std::function<bool(CFile&)>& write) {
  const std::string path = HistoryPath(extension);
  if (path.empty())
    return FailHistorySave(HistoryFolder() + HistoryName() + extension,
                           HistoryPathProblem(extension));
  if (m_historyNotSavedOver.count(path) != 0)
    return FailHistorySave(path, "the damaged file under this name could not be moved aside");
  std::string why;
  if (!FileIO::CreateFolder(HistoryFolder(), &why)) return FailHistorySave(path, why);
  CReplacingFile file;
  if (!file.Open(path) || !write(file) || !file.Commit())
    return FailHistorySave(path,
                           file.Error().empty() ? "the history cannot be written" : file.Error());
  return true;
}

bool CKelSequencer::SaveHistory() {
  if (HistoryName().empty()) return true;
  bool saved = true;
  if (KeepsHistory())
    saved = SaveHistoryFile(kHistoryExtension,
                            [this](CFile& file) { return m_valueStore.WriteHistory(file); });
  if (!m_maLearnStores.empty()) {
    saved = SaveHistoryFile(kMAExtension,
                            [this](CFile& file) {
                              for (const ma_learn_entry_t& entry : m_maLearnStores)
                                if (entry.store != nullptr && !entry.store->WriteLearnTables(file))
                                  return false;
                              return true;
                            }) &&
            saved;
  }
  return saved;
}

bool CKelSequencer::ReadMALearnTables(CFile& file, std::string& why) {
  for (ma_learn_entry_t& entry : m_maLearnStores) {
    if (entry.store == nullptr) continue;
    if (!entry.store->ReadAndTranslateLearnTables(file)) {
      why =
          "the learn tables of the moving-average learn store '" + entry.name + "' cannot be read";
      return false;
    }
  }
  if (m_params.Initialized())
    for (ma_learn_entry_t& entry : m_maLearnStores)
      if (entry.store != nullptr) entry.store->CleanUp();
  return true;
}

bool CKelSequencer::LoadHistoryFile(const std::string& extension,
                                    const std::function<bool(CFile&, std::string&)>& read,
                                    const std::function<void()>& discard) {
  const std::string path = HistoryPath(extension);
  if (path.empty()) {
    PrWin::Output(PrWin::catOperator, 3,
                  "CKelSequencer::LoadHistory(): no history is kept for this part type: %s: %s\n",
                  (HistoryFolder() + HistoryName() + extension).c_str(),
                  HistoryPathProblem(extension).c_str());
    return false;
  }
  m_historyNotSavedOver.erase(path);
  const WholeFileRead result = ReadWholeFile(path, read);
  if (result.status != WholeFileRead::damaged) return true;
  discard();
  PrWin::Output(PrWin::catOperator, 3,
                "CKelSequencer::LoadHistory() :Error reading history file %s\n", path.c_str());
  if (!result.keptAs.empty()) {
    PrWin::Output(PrWin::catOperator, 3,
                  "CKelSequencer::LoadHistory(): %s; the file is kept as %s and the history of "
                  "this part type starts empty\n",
                  result.reason.c_str(), result.keptAs.c_str());
  } else {
    m_historyNotSavedOver.insert(path);
    PrWin::Output(PrWin::catOperator, 3,
                  "CKelSequencer::LoadHistory(): %s; %s, so it stays where it is, nothing is saved "
                  "over it, and the history of this part type starts empty\n",
                  result.reason.c_str(), result.notKeptBecause.c_str());
  }
  return false;
}

bool CKelSequencer::LoadHistory() {
  if (HistoryName().empty()) return false;
  bool loaded = LoadHistoryFile(
      kHistoryExtension,
      [this](CFile& file, std::string& why) { return m_valueStore.ReadHistory(file, &why); },
      [this] { m_valueStore.PurgeStore(); });
  if (!m_maLearnStores.empty()) {
    loaded = LoadHistoryFile(
                 kMAExtension,
                 [this](CFile& file, std::string& why) { return ReadMALearnTables(file, why); },
                 [this] {
                   for (ma_learn_entry_t& entry : m_maLearnStores)
                     if (entry.store != nullptr) entry.store->PurgeStore();
                 }) &&
             loaded;
  }
  return loaded;
}

bool CKelSequencer::OnProject(long flags, const std::string& projectPath) {
  const std::string local = HistoryFolder();
  // The local history folder as seen from the project; outside the host's default path it
  // goes to "History/" of the project.
  std::string relative = FileIO::makePathRelative(local, CSeaBase::DefaultPath());
  if (relative.empty() || relative.front() == '/') relative = "History/";
  const std::string project = FileIO::makePathAbsolute(relative, projectPath);
  if (project.empty()) return false;
  // Copies what `from` holds of `pattern` into `to` (created when missing); says why not.
  const auto copy = [](const std::string& from, const std::string& pattern, const std::string& to) {
    if (!FileIO::isContent(from, pattern)) return true;
    std::string why;
    if (FileIO::CopyFiles(from, pattern, to, &why) >= 0) return true;
    PrWin::Output(PrWin::catOperator, 3,
                  "CKelSequencer::OnProject(): the history files cannot be copied: %s\n",
                  why.c_str());
    return false;
  };
  if ((flags & 4) != 0) {
    for (const char* extension : {kHistoryExtension, kMAExtension})
      if (!copy(local, std::string("*") + extension, project)) return false;
  }
  if ((flags & (2 | 8)) != 0) {
    if (!SaveHistory() || !copy(local, "*", project)) return false;
    if ((flags & 8) != 0) {
      if (!copy(project, "*", local)) return false;
      return LoadHistory();
    }
  }
  return true;
}
