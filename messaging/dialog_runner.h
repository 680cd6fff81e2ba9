// How the messaging windows open their modal dialogs (the note editor, the
// folder dialogs, the CC list). The program runs each modally; a test
// installs a runner that opens the dialog modeless, drives it by its
// control ids and answers its result, so no test sits in a modal loop.
#pragma once

#include <functional>

class TBaseDialog;

using MessagingDialogRunner = std::function<int(TBaseDialog&)>;

// Opens the dialog with the installed runner (by default modally) and
// answers its result.
int RunMessagingDialog(TBaseDialog& dialog);
// Installs a runner; an empty one goes back to the modal open.
void SetMessagingDialogRunner(MessagingDialogRunner runner);
