#include "phonelist/phone_entry_points.h"

#include <QApplication>
#include <QPointer>

#include "data/office/dpmain.h"
#include "data/office/name_picking.h"
#include "data/office/passwords.h"
#include "data/phone/phone_quick_add.h"
#include "phonelist/phone_list_window.h"
#include "phonelist/phone_search_dialogs.h"
#include "phonelist/phone_settings.h"
#include "storage/errors.h"
#include "toolkit/names/name_picker.h"
#include "toolkit/prompts.h"

namespace {

QPointer<TPhoneListClass>& Window() {
  static QPointer<TPhoneListClass> window;
  return window;
}

// Without a prompt of the program's, a password that is needed is refused.
PasswordPrompt& Passwords() {
  static NoPasswords none;
  PasswordPrompt* prompt = PhoneSettings().passwords;
  return prompt ? *prompt : none;
}

bool WindowBusy() {
  TPhoneListClass* w = Window();
  if (!w || !w->Busy()) return false;
  QApplication::beep();
  return true;
}

// The name picker in mode 3: a name beginning with "*" is the common list.
bool PickList(QWidget* owner, uint8_t passwordArea, PhoneList* chosen) {
  NamePickRequest request;
  request.mode = kPickOwner;
  request.passwordArea = passwordArea;
  request.startEmpty = true;
  if (SelectName(owner, request, Passwords()) == 0) return false;
  const std::string name = request.slot.Name();
  if (name.empty()) return false;
  if (NameIsGroup(name)) {
    *chosen = PhoneList();
  } else {
    chosen->number = request.slot.Number();
    chosen->name = name;
  }
  return true;
}

void Create(QWidget* owner) {
  auto* window = new TPhoneListClass(owner);
  if (!window->Ready()) {
    delete window;
    return;
  }
  QObject::connect(window, &TPhoneListClass::Closed, window, &QObject::deleteLater);
  Window() = window;
  window->OpenModeless();
}

}  // namespace

TPhoneListClass* PhoneListWindow() {
  return Window().data();
}

bool PhoneListAccess() {
  const PhoneList& list = PhoneCurrentList();
  return CheckArea(list.name, kAreaPhoneList, Passwords());
}

void OpenPhoneListWindow(QWidget* owner) {
  if (TPhoneListClass* w = Window()) {
    if (WindowBusy()) return;
    w->show();
    w->raise();
    w->activateWindow();
    return;
  }
  if (!PhoneListAccess()) return;
  Create(owner);
}

void SelectPhoneList(QWidget* owner, bool openWindow) {
  if (WindowBusy()) return;
  PhoneList chosen;
  if (!PickList(owner, kAreaPhoneList, &chosen)) return;
  PhoneSetCurrentList(chosen);
  if (TPhoneListClass* w = Window()) {
    w->Reload();
    w->show();
    w->raise();
  } else if (openWindow) {
    // The picker has checked the password of the chosen list.
    Create(owner);
  }
}

bool PickTargetList(QWidget* owner, PhoneList* target) {
  return PickList(owner, 0, target);
}

void SearchPhoneList(QWidget* owner, int mode) {
  if (WindowBusy()) return;
  if (!Window() && !PhoneListAccess()) return;
  RunPhoneSearch(owner, mode);
}

void AddToPhoneList(const std::string& company, const std::string& from, const std::string& phone,
                    const std::string& extension) {
  PhoneTable phones;
  if (!PhoneOpen(phones)) {
    ShowError();
    return;
  }
  QuickAdd result = QuickAdd::kNothing;
  const int ok =
      PhoneQuickAdd(phones, PhoneCurrentList().number, company, from, phone, extension, &result);
  // The handle stands on the entry added.
  PhoneEntry added;
  const bool found = ok && result == QuickAdd::kAdded && DbCurrentEntry(phones.table, added.bytes);
  PhoneClose(phones);
  if (!ok) {
    ClearAppError();
    DbClearError();
    Prompter().Inform(kQuickAddFailed);
    return;
  }
  if (result == QuickAdd::kExists) Prompter().Flash(kQuickAddExists);
  if (result != QuickAdd::kAdded) return;
  Prompter().Flash(kQuickAddDone);
  if (TPhoneListClass* w = Window(); w && !w->Busy() && found) w->ShowEntry(added);
}

void ClosePhoneListWindow() {
  CloseSearchResults();
  if (TPhoneListClass* w = Window()) {
    w->reject();
    delete w;
  }
}
