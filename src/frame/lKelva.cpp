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
#include "windows/ReportWindowModule.h"
#include "windows/TableWindowModule.h"
#include "windows/ValueInspector.h"

namespace {

const CModuleRegister kRegisterAmpel("CAmpelModul", [] { return std::make_unique<CAmpelModul>(); });
const CModuleRegister kRegisterDigger("CDiggerWindowModule",
                                      [] { return std::make_unique<CDiggerWindowModule>(); });
const CModuleRegister kRegisterArchivator("CParamDbArchivator",
                                          [] { return std::make_unique<CParamDbArchivator>(); });
const CModuleRegister kRegisterMainStation("CMainStation",
                                           [] { return std::make_unique<CMainStation>(); });
const CModuleRegister kRegisterSequencer("CKelSequencer",
                                         [] { return std::make_unique<CKelSequencer>(); });
const CModuleRegister kRegisterInspector("CKelValueInspector",
                                         [] { return std::make_unique<CKelValueInspector>(); });
const CModuleRegister kRegisterReport("CReportWindowModule",
                                      [] { return std::make_unique<CReportWindowModule>(); });
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
