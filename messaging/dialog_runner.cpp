#include "messaging/dialog_runner.h"

#include "toolkit/base_dialog.h"

namespace {
MessagingDialogRunner& Runner() {
  static MessagingDialogRunner runner;
  return runner;
}
}  // namespace

int RunMessagingDialog(TBaseDialog& dialog) {
  if (Runner()) return Runner()(dialog);
  return dialog.OpenModal();
}

void SetMessagingDialogRunner(MessagingDialogRunner runner) {
  Runner() = std::move(runner);
}
