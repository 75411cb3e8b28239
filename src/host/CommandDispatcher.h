#pragma once
// The host's command dispatcher: host messages by name, each delivered to the handlers added
// for that name, in order (a handler can be put in front of the others).

#include <functional>
#include <string>
#include <vector>

#include "host/Object.h"

// Host message names. A message's first argument is the `address` of ProcessCommand (a mode
// number for mcSetNormalMode, -1 for a refresh that plays no sound, 0 before and 1 after a
// preferences change, 7 for an abort with a reason in `text`).
inline constexpr const char mcInsertCandidate[] = "mcInsertCandidate";
inline constexpr const char mcAddErrorEntry[] = "mcAddErrorEntry";
inline constexpr const char mcProject[] = "mcProject";
inline constexpr const char mcRefreshReport[] = "mcRefreshReport";
inline constexpr const char mcEndOfTest[] = "mcEndOfTest";
inline constexpr const char mcTransferMeasurementTrain[] = "TransferMeasurementTrain";
inline constexpr const char mcSetNormalMode[] = "mcSetNormalMode";
inline constexpr const char mcRemoveCandidate[] = "mcRemoveCandidate";
inline constexpr const char mcAbortTestRun[] = "mcAbortTestRun";
inline constexpr const char mcPreferencesChanging[] = "mcPreferencesChanging";
inline constexpr const char mcDisplayLanguageChanged[] = "mcDisplayLanguageChanged";
// The host's own shutdown command: the text argument of an abort sent because the host exits.
inline constexpr const char mcShutdownCommand[] = "Shutdown";

// The error record of the host message mcAddErrorEntry: the key fields, the code and the four
// values (value, limit, mean, position) in this order.
struct CHostErrorEntry {
  int mode, instrument, channel, location, parameter, sensor;
  int code;
  float f1, f2, f3, f4;
};

class CCommandDispatcher {
 public:
  // (flags, address, data, text, extra) -> non-zero when the handler handled the message.
  using handler_t = std::function<unsigned char(long flags, unsigned long address, const void* data,
                                                const char* text, const void* extra)>;

  // Adds a handler of `object` for the message, behind the others or in front of them.
  void AddClient(const std::string& message, const CObject* object, handler_t handler,
                 bool inFront = false);
  // Removes every handler of the object.
  void RemoveClients(const CObject* object);
  // Sends a message to its handlers in order; returns how many handled it.
  int ProcessCommand(const std::string& message, unsigned long address, const void* data,
                     long flags = 0, const char* text = nullptr, const void* extra = nullptr);
  size_t Clients(const std::string& message) const;

 private:
  struct Client {
    std::string message;
    const CObject* object;
    handler_t handler;
  };
  std::vector<Client> clients_;
};
