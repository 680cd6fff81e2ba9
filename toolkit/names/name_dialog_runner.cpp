#include "toolkit/names/name_dialog_runner.h"

#include "toolkit/base_dialog.h"

namespace {
NameDialogRunner& Runner() {
  static NameDialogRunner runner;
  return runner;
}
}  // namespace

int RunNameDialog(TBaseDialog& dialog) {
  if (Runner()) return Runner()(dialog);
  return dialog.OpenModal();
}

void SetNameDialogRunner(NameDialogRunner runner) {
  Runner() = std::move(runner);
}
