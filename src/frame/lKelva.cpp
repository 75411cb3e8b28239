// The library's entry: the module classes it makes known to the host, in this order, and the
// trace lines of loading and unloading. The registrations are static objects constructed when
// the plug-in is loaded, before the entry object below.
#include "frame/MainStation.h"
#include "host/Module.h"
#include "host/Output.h"
#include "sequencer/KelSequencer.h"

namespace {

const CModuleRegister kRegisterMainStation("CMainStation",
                                           [] { return std::make_unique<CMainStation>(); });
const CModuleRegister kRegisterSequencer("CKelSequencer",
                                         [] { return std::make_unique<CKelSequencer>(); });

struct LibraryEntry {
  LibraryEntry() { PrWin::Output(16, "lKelva.DLL Initializing!\n"); }
  ~LibraryEntry() { PrWin::Output(16, "lKelva.DLL Terminating!\n"); }
};

const LibraryEntry kEntry;

}  // namespace
