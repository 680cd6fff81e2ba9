// How the name windows open one another (the picker, ADD_NAME and
// SELECT_MEMBERS). The program runs each modally; a test installs a runner
// that drives the dialog by its control ids and answers its result, so no
// test sits in a modal loop.
#pragma once

#include <functional>

class TBaseDialog;

using NameDialogRunner = std::function<int(TBaseDialog&)>;

// Opens the dialog with the installed runner (by default modally) and
// answers its result.
int RunNameDialog(TBaseDialog& dialog);
// Installs a runner; an empty one goes back to the modal open.
void SetNameDialogRunner(NameDialogRunner runner);
