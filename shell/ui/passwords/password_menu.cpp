#include "shell/ui/passwords/password_menu.h"

#include <QAction>

#include "data/office/passwords.h"
#include "storage/errors.h"

bool PasswordManagementEnabled() {
  OfficePasswords office;
  if (!ReadOfficePasswords(&office)) {
    ClearAppError();
    return false;
  }
  return office.MasterSet();
}

void UpdatePasswordMenu(QAction* phone, QAction* user) {
  const bool enabled = PasswordManagementEnabled();
  if (phone) phone->setEnabled(enabled);
  if (user) user->setEnabled(enabled);
}
