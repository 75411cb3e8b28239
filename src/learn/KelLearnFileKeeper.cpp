#include "learn/KelLearnFileKeeper.h"

#include "host/Candidate.h"
#include "host/FileIO.h"
#include "host/Output.h"
#include "host/Sea.h"
#include "learn/AssignInPlace.h"
#include "learn/KelLearnFile.h"

namespace {

const char* const kLearnFolder = "Learn/";
const char* const kLearnExtension = ".learn";

}  // namespace

CKelLearnFileKeeper::CKelLearnFileKeeper(CKelLearnStore& store, CKelValueStore& valueStore)
    : store_(store), valueStore_(valueStore), copy_(copyValues_, store.DefaultLearnProcedure()) {}

void CKelLearnFileKeeper::OnLearnFileCommand(int code) {
  switch (code) {
    case 1:
      OnPartInserted();
      break;
    case 2:
      OnPartEvaluated();
      break;
    case 3:
      learnedSinceCopy_ = true;
      break;
    default:
      break;
  }
}

std::string CKelLearnFileKeeper::TypeName() {
  CDtParamInstance params;
  return FileIO::partTypeFileName(McOverridenPlatformName(), params.BaseType());
}

std::string CKelLearnFileKeeper::Path() const {
  if (!typeKnown_ || type_.empty() || type_.size() > FileIO::kMaxPartTypeFileNameBytes) return "";
  const std::string path = CSeaBase::DefaultLocalsPath() + kLearnFolder + type_ + kLearnExtension;
  return path.size() > FileIO::kMaxFilePathBytes ? "" : path;
}

void CKelLearnFileKeeper::OnPartInserted() {
  learnedSinceCopy_ = false;
  const std::string type = TypeName();
  if (!typeKnown_ || type != type_) {
    Save();
    type_ = type;
    typeKnown_ = true;
    LoadType();
  }
  copy_.LearnSpectrograms(store_.LearnsSpectrograms());
  CopyLearned(copy_, copyValues_, store_, valueStore_);
}

void CKelLearnFileKeeper::OnPartEvaluated() {
  if (!learnedSinceCopy_) return;
  CopyLearned(store_, valueStore_, copy_, copyValues_);
  learnedSinceCopy_ = false;
  copyUnsaved_ = true;
}

void CKelLearnFileKeeper::LoadType() {
  copy_.PurgeStore();
  copyValues_.PurgeStore();
  copyUnsaved_ = false;
  const std::string path = Path();
  if (path.empty()) return;
  const WholeFileRead result = KelLearnFile::Load(copy_, path);
  if (result.status != WholeFileRead::damaged) return;
  copy_.PurgeStore();
  copyValues_.PurgeStore();
  const std::string where = !result.keptAs.empty()
                                ? "the file is kept as " + result.keptAs
                                : result.notKeptBecause + ", so it stays where it is";
  PrWin::Output(PrWin::catOperator, 3,
                "CQLearnFileDlg: the learn file %s cannot be read: %s; %s and this part type "
                "learns anew\n",
                path.c_str(), result.reason.c_str(), where.c_str());
}

bool CKelLearnFileKeeper::Save() {
  if (!copyUnsaved_) return true;
  const std::string path = Path();
  std::string error;
  if (path.empty()) {
    error = "the part type has no learn file name that can be kept";
  } else if (FileIO::CreateFolder(CSeaBase::DefaultLocalsPath() + kLearnFolder, &error) &&
             KelLearnFile::Save(copy_, path, error)) {
    copyUnsaved_ = false;
    return true;
  }
  ++saveFailures_;
  const std::string file = path.empty() ? "of part type '" + type_ + "'" : path;
  lastError_ = file + ": " + error;
  PrWin::Output(PrWin::catOperator, 3, "CQLearnFileDlg: the learn file %s could not be saved: %s\n",
                file.c_str(), error.c_str());
  return false;
}

void CKelLearnFileKeeper::CopyLearned(const CKelLearnStore& from, const CKelValueStore& fromValues,
                                      CKelLearnStore& to, CKelValueStore& toValues) {
  AssignInPlace(to.LearnedSingleValue(), from.LearnedSingleValue());
  AssignInPlace(to.LearnedScalarTrack(), from.LearnedScalarTrack());
  AssignInPlace(to.LearnedSigCurveMap(), from.LearnedSigCurveMap());
  AssignInPlace(to.LearnedCurveTrack(), from.LearnedCurveTrack());
  toValues.TrackScalarStore().AssignStructure(fromValues.TrackScalarStore());
  toValues.TrackCurveStore().AssignStructure(fromValues.TrackCurveStore());
}
