#include "host/LearnFileDlg.h"

void CQLearnFileDlg::OnUserIfCommand(int command) {
  const bool known = command >= 1 && command <= 4;
  ++received_[known ? static_cast<size_t>(command) : 0];
  if (known && handler_ != nullptr) handler_->OnLearnFileCommand(command);
}
