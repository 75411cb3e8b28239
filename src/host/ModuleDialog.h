#pragma once
// CModuleDialog: a module whose face is a dialog (made from a dialog resource, shown with the
// module's name) and which is also a client of the host's command dispatcher. Window messages
// of its controls reach it through SendMessage, as the host's window system delivers them.

#include <string>
#include <vector>

#include "host/Module.h"

// Receives the host messages it registered for under its client names.
class CCommandDispatcherClient {
 public:
  virtual ~CCommandDispatcherClient() = default;
  // A message sent to one of the client's names; non-zero when handled.
  virtual unsigned char ProcessCommand(const std::string& name, unsigned long address,
                                       const void* data, const char* text) = 0;
};

class CModuleDialog : public CSpecialModeClient, public CCommandDispatcherClient {
 public:
  explicit CModuleDialog(int dialogResource) : dialogResource_(dialogResource) {}

  int DialogResource() const { return dialogResource_; }
  // The framework bitmap that stands for the module in the host's module tree.
  int BitmapId() const { return bitmapId_; }
  bool Visible() const { return visible_; }
  void Show(bool visible) { visible_ = visible; }

  // Delivers a window message to the dialog; the dialog's answer (0 when not handled).
  long SendMessage(unsigned message, unsigned long wParam = 0, long lParam = 0) {
    return OnMessage(message, wParam, lParam);
  }

  // The names the dialog receives dispatcher messages under, in order of registration.
  const std::vector<std::string>& ClientNames() const { return clientNames_; }

 protected:
  virtual long OnMessage(unsigned /*message*/, unsigned long /*wParam*/, long /*lParam*/) {
    return 0;
  }
  void SetBitmapId(int id) { bitmapId_ = id; }
  // Messages named `name` go to ProcessCommand from now on, until the module dies.
  void RegisterClient(const std::string& name);

 private:
  int dialogResource_;
  int bitmapId_ = 0;
  bool visible_ = false;
  std::vector<std::string> clientNames_;
};
