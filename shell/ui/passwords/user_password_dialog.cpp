#include "shell/ui/passwords/user_password_dialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include "data/office/dpmain.h"
#include "storage/errors.h"
#include "toolkit/controls/choice_controls.h"
#include "toolkit/form_builder.h"
#include "toolkit/prompts.h"
#include "toolkit/record_text.h"

namespace {

struct AreaBox {
  int id;
  int area;
  const char* text;
};

constexpr AreaBox kAreaBoxes[4] = {
    {kIdAreaMessages, kAreaMessages, "&Messages"},
    {kIdAreaPhoneList, kAreaPhoneList, "&PhoneList"},
    {kIdAreaScheduler, kAreaScheduler, "&Scheduler"},
    {kIdAreaTodo, kAreaTodo, "&To-do List"},
};

}  // namespace

TUserPasswordClass::TUserPasswordClass(QWidget* owner, PasswordPrompt& prompt,
                                       const std::string& name, const UserPassword& user)
    : TPasswordDialog(owner, "User Password", prompt, !user.password.empty(),
                      {"Passwords are now enabled.", "Passwords are disabled."}),
      name_(name) {
  FormBuilder form(this);
  auto* who = new QLabel(FromCp1252(name), this);
  form.Row("Name:", who, kIdUserName);
  auto* group = new QGroupBox("Password applies to:", this);
  auto* column = new QVBoxLayout(group);
  for (int i = 0; i < 4; ++i) {
    boxes_[i] = new QCheckBox(kAreaBoxes[i].text, group);
    SetControlId(boxes_[i], kAreaBoxes[i].id);
    column->addWidget(boxes_[i]);
    areaTicks_[i] = (user.areas & kAreaBoxes[i].area) ? 1 : 0;
  }
  form.Row(QString(), group, -1);
  AddPasswordButtons(form, "&Disable Password");
  form.OkCancel(this);
  for (int i = 0; i < 4; ++i) Bind<TCheckBoxControl>(kAreaBoxes[i].id, &areaTicks_[i]);
}

void TUserPasswordClass::EnteredState(bool set) {
  // Areas mean nothing without a password to guard them.
  for (QCheckBox* box : boxes_) {
    if (box) box->setEnabled(set);
  }
}

bool TUserPasswordClass::StoreNewPassword(const std::string& text) {
  if (!WriteUserPassword(name_, text)) {
    ShowError();
    return false;
  }
  return true;
}

bool TUserPasswordClass::StoreNoPassword() {
  return WriteUserPassword(name_, "");
}

void TUserPasswordClass::Ok() {
  if (!TransferOut()) return;
  uint8_t areas = 0;
  for (int i = 0; i < 4; ++i) {
    if (areaTicks_[i]) areas |= uint8_t(kAreaBoxes[i].area);
  }
  if (!WriteProtectedAreas(name_, areas)) {
    ShowError();
    return;
  }
  CloseWith(1);
}

std::optional<UserPasswordOpening> OpenUserPassword(const PasswordPersonChooser& choose) {
  ForgetPasswordCache();
  std::optional<std::string> name = choose ? choose() : std::nullopt;
  if (!name || name->empty()) return std::nullopt;
  NameRecord record;
  if (!NameLookup(*name, &record)) {
    ShowError();
    return std::nullopt;
  }
  // A group has no password of its own: its bytes past the name are its
  // members.
  if (record.IsGroup()) {
    SetAppError(kAppInvalidName, *name);
    ShowError();
    return std::nullopt;
  }
  // From the record just read: a second lookup could find the person
  // gone, or changed, since.
  UserPasswordOpening opening;
  opening.name = record.Name();
  opening.user = UserPasswordOf(record);
  return opening;
}

void RunUserPassword(QWidget* owner, PasswordPrompt& prompt, const PasswordPersonChooser& choose) {
  std::optional<UserPasswordOpening> opening = OpenUserPassword(choose);
  if (!opening) return;
  TUserPasswordClass dialog(owner, prompt, opening->name, opening->user);
  dialog.OpenModal();
}
