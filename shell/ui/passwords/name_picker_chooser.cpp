#include "shell/ui/passwords/name_picker_chooser.h"

#include <QPointer>

#include "toolkit/names/name_picker.h"

PasswordPersonChooser NamePickerChooser(QWidget* owner, PasswordPrompt& prompt) {
  return [owner = QPointer<QWidget>(owner), &prompt]() -> std::optional<std::string> {
    NamePickRequest request;
    request.mode = kPickPeople;
    request.startEmpty = true;
    request.passwordArea = kAreaUserPassword;
    if (SelectName(owner, request, prompt) == kPasswordRefused) return std::nullopt;
    std::string name = request.slot.Name();
    if (name.empty()) return std::nullopt;
    return name;
  };
}
