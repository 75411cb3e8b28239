// The distribution of test-sequence events to their clients.
#include "sequencer/CommandCenter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Kelva;

namespace {

// Writes "<name>:<event>:<argument>" for every event it receives into a shared log, then
// changes its own copy of the argument.
class CRecordingClient : public CCommandCenterClient {
 public:
  CRecordingClient(std::string name, std::vector<std::string>& log)
      : name_(std::move(name)), log_(log) {}
  void OnSequencerEvent(sequencer_events_t event, event_argument_t argument) override {
    std::string text = "-";
    if (const auto* mode = std::get_if<int32_t>(&argument)) text = std::to_string(*mode);
    if (const auto* serial = std::get_if<std::string>(&argument)) text = *serial;
    log_.push_back(name_ + ":" + std::to_string(event) + ":" + text);
    argument = std::string("changed by ") + name_;
  }

 private:
  std::string name_;
  std::vector<std::string>& log_;
};

}  // namespace

TEST(CommandCenter, EventsReachTheClientsInRegistrationOrder) {
  std::vector<std::string> log;
  auto& server = CCommandCenterServer::Server();
  const size_t before = server.Clients();
  {
    CRecordingClient first("first", log);
    CRecordingClient second("second", log);
    CRecordingClient third("third", log);
    EXPECT_EQ(server.Clients(), before + 3);
    CCommandCenterServer::Message(begin_mode, 4);
    CCommandCenterServer::Message(insert_candidate, std::string("GT2-7"));
    EXPECT_EQ(log,
              (std::vector<std::string>{"first:8:4", "second:8:4", "third:8:4", "first:13:GT2-7",
                                        "second:13:GT2-7", "third:13:GT2-7"}));

    // A released client hears nothing; a client registered twice is released once, at its
    // first place.
    log.clear();
    server.Release(second);
    server.Register(first);
    server.Release(first);
    CCommandCenterServer::Message(idle_event, {});
    EXPECT_EQ(log, (std::vector<std::string>{"third:2:-", "first:2:-"}));
    server.Register(second);  // so that its destructor has a registration to release
  }
  EXPECT_EQ(server.Clients(), before);
}
