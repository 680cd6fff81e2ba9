#include "scheduler/sched_dialogs.h"

#include <QWidget>

#include "toolkit/base_dialog.h"

namespace {

SchedDialogRunner& Runner() {
  static SchedDialogRunner runner;
  return runner;
}

}  // namespace

int RunSchedDialog(TBaseDialog& dialog) {
  if (Runner()) return Runner()(dialog);
  return dialog.OpenModal();
}

void SetSchedDialogRunner(SchedDialogRunner runner) {
  Runner() = std::move(runner);
}

QString PlainLabel(const QString& label) {
  QString plain;
  for (int i = 0; i < label.size(); ++i) {
    // "&&" stands for one "&".
    if (label[i] == '&' && i + 1 < label.size()) ++i;
    plain += label[i];
  }
  if (plain.endsWith(':')) plain.chop(1);
  return plain.trimmed();
}

void NameControl(QWidget* control, const QString& label) {
  if (control) control->setAccessibleName(PlainLabel(label));
}
