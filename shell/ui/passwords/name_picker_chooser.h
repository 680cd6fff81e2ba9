// The user-password dialog's choice of person in the program: SELECT_NAME
// for people only, the search starting empty, the choice passing the
// password check of the user-password area (the person's own password or
// the master password).
#pragma once

#include <QWidget>

#include "shell/ui/passwords/user_password_dialog.h"

// The prompt must outlive the chooser.
PasswordPersonChooser NamePickerChooser(QWidget* owner, PasswordPrompt& prompt);
