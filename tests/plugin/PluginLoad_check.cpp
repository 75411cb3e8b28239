#include <dlfcn.h>
#include <gtest/gtest.h>

#include "host/Module.h"
#include "host/Output.h"

TEST(PluginLoad, RegistersItsModulesAndTracesEntryAndExit) {
  EXPECT_TRUE(CModuleRegister::RegisteredClasses().empty());
  PrWin::CaptureSink capture;
  void* plugin = dlopen(KELVA_PLUGIN_PATH, RTLD_NOW | RTLD_GLOBAL);
  ASSERT_NE(plugin, nullptr) << dlerror();
  EXPECT_EQ(capture.Text(), "lKelva.DLL Initializing!\n");
  EXPECT_EQ(CModuleRegister::RegisteredClasses(),
            (std::vector<std::string>{"CMainStation", "CKelSequencer"}));
  std::unique_ptr<CModule> sequencer = CModuleRegister::CreateModule("CKelSequencer");
  ASSERT_NE(sequencer, nullptr);
  EXPECT_STREQ(sequencer->RuntimeClassName(), "CKelSequencer");
  EXPECT_NE(dlsym(plugin, "KelvaResultRequest"), nullptr);
  sequencer.reset();
  capture.Clear();
  EXPECT_EQ(dlclose(plugin), 0);
  EXPECT_EQ(capture.Text(), "lKelva.DLL Terminating!\n");
  EXPECT_TRUE(CModuleRegister::RegisteredClasses().empty());
}
