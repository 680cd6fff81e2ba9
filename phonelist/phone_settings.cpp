#include "phonelist/phone_settings.h"

#include "toolkit/base_dialog.h"
#include "toolkit/names/name_dialog_runner.h"

PhoneListSettings& PhoneSettings() {
  static PhoneListSettings settings;
  return settings;
}

int RunPhoneDialog(TBaseDialog& dialog) {
  return RunNameDialog(dialog);
}
