#pragma once
// CKelLearnFileKeeper: keeps the main learn store's learned data across parts and runs. It is
// the handler of the learn-file module (CQLearnFileDlg), which hears from the sequencer:
//
//   1 (a part was inserted): the learned data of the part type replaces the store's learned
//     tables (what the store learned since the last 2 is dropped). For the first part of a
//     type, and after a change of type, it comes from the type's learn file
//     "<local data>/Learn/<name>.learn" (the previous type's data is saved first); otherwise
//     from the keeper's copy.
//   2 (a part or milestone was evaluated): when the store learned since the last 2, the keeper
//     takes a copy of the learned data (and of the track key maps that go with it). What a part
//     learned counts from here on; a part that ends without being evaluated (dropped) leaves
//     the learned data as it was before it.
//   3 (the main learn store learned): noted.
//   4 (the serial changed): nothing; the learned data belongs to the part type, not the serial.
//
// Save() writes the copy to the learn file of its type; the bench saves at its checkpoints and
// the sequencer when it shuts down. A learn file that cannot be read is reported in the output
// window, kept aside as "<path>.damaged-<UTC>", and the type starts learning anew.

#include <string>

#include "host/LearnFileDlg.h"
#include "host/Params.h"
#include "learn/KelLearnStore.h"
#include "store/KelValueStore.h"

class CKelLearnFileKeeper : public CQLearnFileDlg::Handler {
 public:
  // The store and the value store it learns from; both outlive the keeper.
  CKelLearnFileKeeper(CKelLearnStore& store, CKelValueStore& valueStore);

  void OnLearnFileCommand(int code) override;

  // The learn file of the part type the copy belongs to ("" before the first part or when the
  // name cannot be kept).
  std::string Path() const;
  // Writes the copy to Path() when it changed since it was last saved or read. True when
  // nothing was to be written or the file was written; false with a message and LastError().
  bool Save();
  const std::string& LastError() const { return lastError_; }
  int SaveFailures() const { return saveFailures_; }
  // The learned data as of the last evaluated part.
  const CKelLearnStore& Copy() const { return copy_; }

 private:
  void OnPartInserted();
  void OnPartEvaluated();
  // Loads the learn file of the current type into the copy; a missing file leaves it empty.
  void LoadType();
  // Copies the learned tables and track key maps from one store pair to the other.
  static void CopyLearned(const CKelLearnStore& from, const CKelValueStore& fromValues,
                          CKelLearnStore& to, CKelValueStore& toValues);
  static std::string TypeName();

  CKelLearnStore& store_;
  CKelValueStore& valueStore_;
  // The copy lives in a value store and learn store of its own, so that it can be written and
  // read as a whole learn file.
  CKelValueStore copyValues_;
  CKelLearnStore copy_;
  std::string type_;
  bool typeKnown_ = false;
  bool learnedSinceCopy_ = false;
  bool copyUnsaved_ = false;
  std::string lastError_;
  int saveFailures_ = 0;
};
