// The sequencer's history files: one per part type, "<local data>/History/<name>.dhf", the
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
#include "sequencer/KelSequencer.h"

namespace {

const char* const kHistoryExtension = ".dhf";

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

bool CKelSequencer::SaveHistory() {
  if (HistoryName().empty() || !KeepsHistory()) return true;
  const std::string path = HistoryPath(kHistoryExtension);
  if (path.empty())
    return FailHistorySave(HistoryFolder() + HistoryName() + kHistoryExtension,
                           HistoryPathProblem(kHistoryExtension));
  if (path == m_historyNotSavedOver)
    return FailHistorySave(path, "the damaged file under this name could not be moved aside");
  std::string why;
  if (!FileIO::CreateFolder(HistoryFolder(), &why)) return FailHistorySave(path, why);
  CReplacingFile file;
  if (!file.Open(path) || !m_valueStore.WriteHistory(file) || !file.Commit())
    return FailHistorySave(path,
                           file.Error().empty() ? "the history cannot be written" : file.Error());
  // The moving-average learn tables (".ma") are written here when the learn stores join.
  return true;
}

bool CKelSequencer::LoadHistory() {
  if (HistoryName().empty()) return false;
  const std::string path = HistoryPath(kHistoryExtension);
  if (path.empty()) {
    PrWin::Output(PrWin::catOperator, 3,
                  "CKelSequencer::LoadHistory(): no history is kept for this part type: %s: %s\n",
                  (HistoryFolder() + HistoryName() + kHistoryExtension).c_str(),
                  HistoryPathProblem(kHistoryExtension).c_str());
    return false;
  }
  if (path == m_historyNotSavedOver) m_historyNotSavedOver.clear();
  const WholeFileRead result = ReadWholeFile(
      path, [this](CFile& file, std::string& why) { return m_valueStore.ReadHistory(file, &why); });
  if (result.status != WholeFileRead::damaged) return true;
  m_valueStore.PurgeStore();
  PrWin::Output(PrWin::catOperator, 3,
                "CKelSequencer::LoadHistory() :Error reading history file %s\n", path.c_str());
  if (!result.keptAs.empty()) {
    PrWin::Output(PrWin::catOperator, 3,
                  "CKelSequencer::LoadHistory(): %s; the file is kept as %s and the history of "
                  "this part type starts empty\n",
                  result.reason.c_str(), result.keptAs.c_str());
  } else {
    m_historyNotSavedOver = path;
    PrWin::Output(PrWin::catOperator, 3,
                  "CKelSequencer::LoadHistory(): %s; %s, so it stays where it is, nothing is saved "
                  "over it, and the history of this part type starts empty\n",
                  result.reason.c_str(), result.notKeptBecause.c_str());
  }
  return false;
}

bool CKelSequencer::OnProject(long flags, const std::string& projectPath) {
  const std::string local = HistoryFolder();
  // The local history folder as seen from the project; outside the host's default path it
  // goes to "History/" of the project.
  std::string relative = FileIO::makePathRelative(local, CSeaBase::DefaultPath());
  if (relative.empty() || relative.front() == '/') relative = "History/";
  const std::string project = FileIO::makePathAbsolute(relative, projectPath);
  if (project.empty()) return false;
  if ((flags & 4) != 0) {
    if (FileIO::isContent(local, std::string("*") + kHistoryExtension) &&
        (!FileIO::CreateFolder(project) ||
         FileIO::CopyFiles(local, std::string("*") + kHistoryExtension, project) < 0))
      return false;
  }
  if ((flags & (2 | 8)) != 0) {
    if (!SaveHistory()) return false;
    if (FileIO::isContent(local, "*") &&
        (!FileIO::CreateFolder(project) || FileIO::CopyFiles(local, "*", project) < 0))
      return false;
    if ((flags & 8) != 0) {
      if (FileIO::isContent(project, "*") &&
          (!FileIO::CreateFolder(local) || FileIO::CopyFiles(project, "*", local) < 0))
        return false;
      return LoadHistory();
    }
  }
  return true;
}
