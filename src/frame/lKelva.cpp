// The library's entry: the module classes it makes known to the host, in this order, and the
// trace lines of loading and unloading. The registrations are static objects constructed when
// the plug-in is loaded, before the entry object below.
#include "frame/MainStation.h"
#include "host/Module.h"
#include "host/Output.h"
#include "params/ParamDbArchivator.h"
#include "sequencer/KelSequencer.h"
#include "windows/AmpelModul.h"
#include "windows/DiggerWindowModule.h"
#include "windows/OperatorTexts.h"
#include "windows/TableWindowModule.h"

namespace {

const CModuleRegister kRegisterAmpel("CAmpelModul", [] { return std::make_unique<CAmpelModul>(); });
// The value-store inspector and the report window register here, in their places of this
// order, when they are built: after the sequencer and before the table window.
const CModuleRegister kRegisterDigger("CDiggerWindowModule",
                                      [] { return std::make_unique<CDiggerWindowModule>(); });
const CModuleRegister kRegisterArchivator("CParamDbArchivator",
                                          [] { return std::make_unique<CParamDbArchivator>(); });
const CModuleRegister kRegisterMainStation("CMainStation",
                                           [] { return std::make_unique<CMainStation>(); });
const CModuleRegister kRegisterSequencer("CKelSequencer",
                                         [] { return std::make_unique<CKelSequencer>(); });
const CModuleRegister kRegisterTable("CTableWindowModule",
                                     [] { return std::make_unique<CTableWindowModule>(); });

struct LibraryEntry {
  LibraryEntry() {
    PrWin::Trace({"lKelva", __LINE__}, "lKelva.DLL Initializing!\n");
    OperatorText::AddToResourceChain();
  }
  ~LibraryEntry() {
    PrWin::Trace({"lKelva", __LINE__}, "lKelva.DLL Terminating!\n");
    OperatorText::RemoveFromResourceChain();
  }
};

const LibraryEntry kEntry;

}  // namespace
