#pragma once
// CQLearnFileDlg: the host's learn-file module, made by the host itself (it is no class of the
// plug-in). The sequencer finds it by its class name and
// tells it what happened with notification codes (OnUserIfCommand): 1 a part was inserted (the
// main learn store was emptied), 2 a part or milestone was evaluated, 3 the main learn store
// learned, 4 the serial changed. The module keeps no learned data itself: a handler attached
// by the owner of the learn store reacts to the codes. Codes arriving without a handler, or
// outside 1..4, are counted and otherwise ignored.

#include <array>

#include "host/Module.h"

class CQLearnFileDlg : public CModule {
 public:
  class Handler {
   public:
    virtual ~Handler() = default;
    virtual void OnLearnFileCommand(int code) = 0;
  };

  const char* RuntimeClassName() const override { return "CQLearnFileDlg"; }
  void OnUserIfCommand(int command) override;

  // The handler stays attached until replaced; null detaches.
  void SetHandler(Handler* handler) { handler_ = handler; }
  Handler* GetHandler() const { return handler_; }
  // How often each code 1..4 arrived (index 0: any other code).
  const std::array<long, 5>& Received() const { return received_; }

 private:
  Handler* handler_ = nullptr;
  std::array<long, 5> received_{};
};
