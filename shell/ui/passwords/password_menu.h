// The Password popup of the main menu: "&Phone..." and "&User..." manage
// passwords that mean nothing until the office has a master password, so
// they are enabled only while one is set.
#pragma once

class QAction;

// Whether a master password is set. A name table that cannot be read
// counts as none, quietly: the popup is opening, not the user acting.
bool PasswordManagementEnabled();

// Sets the two entries from PasswordManagementEnabled() (call when the
// popup is about to show).
void UpdatePasswordMenu(QAction* phone, QAction* user);
