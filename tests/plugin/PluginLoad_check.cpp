#include <dlfcn.h>
#include <gtest/gtest.h>

#include "host/Module.h"
#include "host/Output.h"
#include "host/Resources.h"

TEST(PluginLoad, RegistersItsModulesAndTracesEntryAndExit) {
  EXPECT_TRUE(CModuleRegister::RegisteredClasses().empty());
  PrWin::CaptureSink capture;
  void* plugin = dlopen(KELVA_PLUGIN_PATH, RTLD_NOW | RTLD_GLOBAL);
  ASSERT_NE(plugin, nullptr) << dlerror();
  EXPECT_EQ(capture.Text(), "lKelva.DLL Initializing!\n");
  ASSERT_EQ(capture.Lines().size(), 1u);
  EXPECT_EQ(capture.Lines()[0].category, PrWin::catDebug);
  EXPECT_EQ(capture.Lines()[0].source, "lKelva");
  // The module classes in their order; every registered name creates a module of that class.
  const std::vector<std::string> classes = CModuleRegister::RegisteredClasses();
  EXPECT_EQ(classes,
            (std::vector<std::string>{"CAmpelModul", "CDiggerWindowModule", "CParamDbArchivator",
                                      "CMainStation", "CKelSequencer", "CKelValueInspector",
                                      "CReportWindowModule", "CTableWindowModule"}));
  // The operator texts are in the resource chain while the library is loaded.
  EXPECT_EQ(HostResources::String(10001), "Test Step Result Window");
  EXPECT_EQ(HostResources::String(10009), "Lum");
  for (const std::string& name : classes) {
    std::unique_ptr<CModule> module = CModuleRegister::CreateModule(name);
    ASSERT_NE(module, nullptr) << name;
    EXPECT_EQ(module->RuntimeClassName(), name);
  }
  EXPECT_NE(dlsym(plugin, "KelvaResultRequest"), nullptr);
  capture.Clear();
  EXPECT_EQ(dlclose(plugin), 0);
  EXPECT_EQ(capture.Text(), "lKelva.DLL Terminating!\n");
  ASSERT_EQ(capture.Lines().size(), 1u);
  EXPECT_EQ(capture.Lines()[0].source, "lKelva");
  EXPECT_TRUE(CModuleRegister::RegisteredClasses().empty());
  EXPECT_FALSE(HostResources::HasString(10001));
  EXPECT_FALSE(HostResources::HasString(3000));
}
