#pragma once
// The distribution of the host's test-sequence events. CCommandCenterServer (one per process)
// hands every event to every registered CCommandCenterClient in registration order; a client
// registers itself when constructed and releases itself when destroyed. A client must not
// register or release a client from inside OnSequencerEvent.

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "sequencer/SequencerEvents.h"

namespace Kelva {
// The argument of an event: nothing, a mode number, a text (the serial at insert_candidate),
// or an array of int32 (end_shiftlane: mode, physical mode before and after the shift).
using event_argument_t = std::variant<std::monostate, int32_t, std::string, std::vector<int32_t>>;
}  // namespace Kelva

class CCommandCenterClient {
 public:
  CCommandCenterClient();
  virtual ~CCommandCenterClient();
  CCommandCenterClient(const CCommandCenterClient&) = delete;
  CCommandCenterClient& operator=(const CCommandCenterClient&) = delete;

  // Receives each event with its own copy of the argument.
  virtual void OnSequencerEvent(Kelva::sequencer_events_t event,
                                Kelva::event_argument_t argument) = 0;
};

class CCommandCenterServer {
 public:
  static CCommandCenterServer& Server();

  // The host's entry: the event goes to every client in registration order.
  static void Message(Kelva::sequencer_events_t event, const Kelva::event_argument_t& argument);

  void Register(CCommandCenterClient& client);
  // Removes the first registration of the client.
  void Release(CCommandCenterClient& client);
  size_t Clients() const { return clients_.size(); }

 private:
  std::vector<CCommandCenterClient*> clients_;
};

// A receiver of text commands on a remote-control channel.
template <typename Channel>
class CCommandReceiver {
 public:
  virtual ~CCommandReceiver() = default;
  virtual bool OnRemoteCommand(const std::wstring& text) = 0;
};

// CRemoteControl<N> (N = 0..3): four independent channels, each with at most one receiver.
template <int N>
class CRemoteControl {
 public:
  using receiver_t = CCommandReceiver<CRemoteControl<N>>;

  static CRemoteControl& Channel();
  // Stores the receiver, replacing any previous one.
  void Register(receiver_t* receiver) { receiver_ = receiver; }
  // Clears the receiver only when it is the stored one.
  void Release(receiver_t* receiver) {
    if (receiver_ == receiver) receiver_ = nullptr;
  }
  // False without receiver, else the receiver's answer.
  static bool Message(const wchar_t* text) {
    receiver_t* receiver = Channel().receiver_;
    return receiver != nullptr && receiver->OnRemoteCommand(text == nullptr ? L"" : text);
  }

 private:
  receiver_t* receiver_ = nullptr;
};

extern template class CRemoteControl<0>;
extern template class CRemoteControl<1>;
extern template class CRemoteControl<2>;
extern template class CRemoteControl<3>;
