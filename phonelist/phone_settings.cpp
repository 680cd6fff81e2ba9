#include "phonelist/phone_settings.h"

#include <QLabel>

#include "toolkit/base_dialog.h"
#include "toolkit/names/name_dialog_runner.h"

PhoneListSettings& PhoneSettings() {
  static PhoneListSettings settings;
  return settings;
}

int RunPhoneDialog(TBaseDialog& dialog) {
  return RunNameDialog(dialog);
}

void NameControlsByLabels(QWidget* root) {
  for (QLabel* label : root->findChildren<QLabel*>()) {
    QWidget* buddy = label->buddy();
    if (!buddy || !buddy->accessibleName().isEmpty()) continue;
    // "&&" is a written "&"; a single one marks the shortcut.
    QString text = label->text();
    text.replace("&&", QChar(1)).remove('&').replace(QChar(1), '&');
    buddy->setAccessibleName(text);
  }
}
