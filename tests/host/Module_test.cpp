#include "host/Module.h"

#include <gtest/gtest.h>

#include <thread>

#include "host/Clock.h"
#include "host/CommandDispatcher.h"
#include "host/MessageService.h"

namespace {

class CTestWindow : public CSpecialModeClient {
 public:
  const char* RuntimeClassName() const override { return "CTestWindow"; }
  void OnUserIfCommand(int command) override { commands.push_back(command); }
  std::vector<int> commands;
};

const CModuleRegister kRegisterTestWindow("CTestWindow",
                                          [] { return std::make_unique<CTestWindow>(); });

}  // namespace

TEST(ModuleFramework, CreationByClassNameAndLookup) {
  const auto classes = CModuleRegister::RegisteredClasses();
  EXPECT_NE(std::find(classes.begin(), classes.end(), "CTestWindow"), classes.end());
  EXPECT_EQ(CModuleRegister::CreateModule("CNoSuchModule"), nullptr);

  std::unique_ptr<CModule> window = CModuleRegister::CreateModule("CTestWindow");
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(CModule::FindModuleByClassName("CTestWindow"), nullptr);  // not created yet
  ASSERT_TRUE(window->Create("Lamp", nullptr));
  EXPECT_FALSE(window->Create("Again", nullptr));
  EXPECT_EQ(window->Name(), "Lamp");
  EXPECT_EQ(CModule::FindModuleByClassName("CTestWindow"), window.get());
  window->OnUserIfCommand(4);
  EXPECT_EQ(static_cast<CTestWindow*>(window.get())->commands, std::vector<int>{4});
  window.reset();
  EXPECT_EQ(CModule::FindModuleByClassName("CTestWindow"), nullptr);

  EXPECT_TRUE(CThreadHead::FindMyThreadHead(nullptr)->IsMainThread());
  bool workerIsMain = true;
  std::thread([&] {
    workerIsMain = CThreadHead::FindMyThreadHead(nullptr)->IsMainThread();
  }).join();
  EXPECT_FALSE(workerIsMain);
}

TEST(ModuleFramework, DispatcherOrderAndRemoval) {
  CCommandDispatcher dispatcher;
  CObject a, b, c;
  std::string order;
  auto handler = [&order](char name, unsigned char answer) {
    return [&order, name, answer](long, unsigned long, const void*, const char*,
                                  const void*) -> unsigned char {
      order += name;
      return answer;
    };
  };
  dispatcher.AddClient(mcRefreshReport, &a, handler('a', 1));
  dispatcher.AddClient(mcRefreshReport, &b, handler('b', 0));
  dispatcher.AddClient(mcRefreshReport, &c, handler('c', 1), true);  // in front
  dispatcher.AddClient(mcEndOfTest, &a, handler('x', 1));
  EXPECT_EQ(dispatcher.ProcessCommand(mcRefreshReport, 0, nullptr), 2);
  EXPECT_EQ(order, "cab");
  dispatcher.RemoveClients(&a);
  order.clear();
  EXPECT_EQ(dispatcher.ProcessCommand(mcRefreshReport, 0, nullptr), 1);
  EXPECT_EQ(order, "cb");
  EXPECT_EQ(dispatcher.Clients(mcEndOfTest), 0u);
  EXPECT_EQ(dispatcher.ProcessCommand("mcUnknown", 0, nullptr), 0);
}

TEST(ModuleFramework, RegularCallbacksFollowTheHostClock) {
  HostClock::UseManual(0, 0);
  auto& service = CCentralMessageService::Service();
  int fast = 0, slow = 0;
  const int a = service.RegisterRegularCallback([&] { ++fast; }, 100, 0);
  const int b = service.RegisterRegularCallback([&] { ++slow; }, 250, 0);
  EXPECT_EQ(service.Dispatch(), 0);
  HostClock::Advance(100);
  EXPECT_EQ(service.Dispatch(), 1);
  HostClock::Advance(99);
  EXPECT_EQ(service.Dispatch(), 0);
  HostClock::Advance(51);
  EXPECT_EQ(service.Dispatch(), 2);
  EXPECT_EQ(fast, 2);
  EXPECT_EQ(slow, 1);
  EXPECT_TRUE(service.UnregisterRegularCallback(a));
  EXPECT_FALSE(service.UnregisterRegularCallback(a));
  EXPECT_TRUE(service.UnregisterRegularCallback(b));
  HostClock::Advance(1000);
  EXPECT_EQ(service.Dispatch(), 0);
  HostClock::UseSystem();
}
