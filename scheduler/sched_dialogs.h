// How the scheduler and to-do windows open their dialogs (the entry, note,
// repeat, go-to, search, copy, alarm and to-do entry dialogs). The program
// runs each modally; a test installs a runner that drives the dialog by its
// control ids and answers its result, so no test sits in a modal loop.
#pragma once

#include <QString>
#include <functional>

class QWidget;
class TBaseDialog;

using SchedDialogRunner = std::function<int(TBaseDialog&)>;

// Opens the dialog with the installed runner (by default modally) and
// answers its result.
int RunSchedDialog(TBaseDialog& dialog);
// Installs a runner; an empty one goes back to the modal open.
void SetSchedDialogRunner(SchedDialogRunner runner);

// A label's text as a screen reader says it: without the "&" of its
// mnemonic.
QString PlainLabel(const QString& label);
// Gives the control the label's text (without "&") as its accessible name.
void NameControl(QWidget* control, const QString& label);
