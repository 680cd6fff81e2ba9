#include "messaging/select_mail_to.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "data/messages/email_address.h"
#include "data/office/dpmain.h"
#include "data/office/name_picking.h"
#include "messaging/cp1252_guard.h"
#include "messaging/dialog_runner.h"
#include "phonelist/phone_list_view.h"
#include "storage/records/field.h"
#include "storage/records/phone.h"
#include "toolkit/accessible_names.h"
#include "toolkit/control_id.h"
#include "toolkit/controls/field_widgets.h"
#include "toolkit/names/picker_list.h"
#include "toolkit/prompts.h"
#include "toolkit/record_text.h"

// The name list: tagging a name adds the name.
class TEmailNameList : public TPickerList {
 public:
  TEmailNameList(TSelectMailToClass* owner, Table& names, std::vector<std::string>& items)
      : TPickerList(owner, QRect(0, 0, 260, 200), names, kPickPeople, nullptr, true),
        owner_(owner),
        items_(items) {
    SetControlId(this, TSelectMailToClass::kIdNames);
  }
  bool DrawEntry(QPainter& painter, const QRect& row, const uint8_t* entry, bool focused) override {
    TPickerList::DrawEntry(painter, row, entry, focused);
    return IsTagged(entry);
  }
  void SetTag(const uint8_t* entry, bool on) override {
    if (IsTagged(entry) == on) return;
    if (!owner_->Tag(items_, EntryName(entry), on)) return;
    TPickerList::SetTag(entry, on);
  }
  void ClearTags() override {
    items_.clear();
    TPickerList::ClearTags();
  }

 private:
  TSelectMailToClass* owner_;
  std::vector<std::string>& items_;
};

// The phone list: tagging an entry adds its E-mail field, when it has one.
class TEmailPhoneList : public TPhoneListView {
 public:
  TEmailPhoneList(TSelectMailToClass* owner, PhoneTable& phones, std::vector<std::string>& items)
      : TPhoneListView(owner, QRect(0, 0, 260, 200), phones, PhoneCurrentList().number),
        owner_(owner),
        phones_(phones),
        items_(items) {
    SetControlId(this, TSelectMailToClass::kIdEntries);
  }
  void SetTag(const uint8_t* entry, bool on) override {
    if (IsTagged(entry) == on) return;
    const std::string address = Address(entry);
    // An entry without an address adds nothing but may still be marked.
    if (!address.empty() && !owner_->Tag(items_, address, on)) return;
    TPhoneListView::SetTag(entry, on);
  }
  void ClearTags() override {
    items_.clear();
    TPhoneListView::ClearTags();
  }

 private:
  std::string Address(const uint8_t* entry) {
    PhoneEntry e;
    std::copy_n(entry, sizeof e.bytes, e.bytes);
    PhoneRecord record;
    if (!PhoneRead(phones_, e.RecordNumber(), &record)) return std::string();
    std::string text = record.Text(records::phone::kEmail);
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
  }

  TSelectMailToClass* owner_;
  PhoneTable& phones_;
  std::vector<std::string>& items_;
};

TSelectMailToClass::TSelectMailToClass(QWidget* owner, size_t room)
    : TBaseDialog(owner, "To:"), room_(room) {
  setProperty("helpAnchor", "email");
  setObjectName("SELECT_EMAIL_TO");
  if (!NameOpen(nameTable_) || !(namesOpen_ = true) || !PhoneOpen(phoneTable_)) {
    ShowError();
    ready_ = false;
    return;
  }
  phonesOpen_ = true;
  auto* column = new QVBoxLayout(this);
  auto* use = new QHBoxLayout;
  use->addWidget(new QLabel("Use:", this));
  usePhone_ = new QRadioButton("&PHONElist", this);
  SetControlId(usePhone_, kIdPhoneList);
  useNames_ = new QRadioButton("&Name list", this);
  SetControlId(useNames_, kIdNameList);
  use->addWidget(usePhone_);
  use->addWidget(useNames_);
  use->addStretch(1);
  column->addLayout(use);
  auto* findRow = new QHBoxLayout;
  auto* findLabel = new QLabel("&Find:", this);
  auto* find = new FieldLineEdit(this);
  SetControlId(find, kIdFind);
  findLabel->setBuddy(find);
  findRow->addWidget(findLabel);
  findRow->addWidget(find, 1);
  column->addLayout(findRow);
  stack_ = new QStackedWidget(this);
  phoneList_ = new TEmailPhoneList(this, phoneTable_, entries_);
  phoneList_->setAccessibleName("Phone list");
  phoneList_->ListBox()->setAccessibleName("Phone list");
  nameList_ = new TEmailNameList(this, nameTable_.table, names_);
  nameList_->setAccessibleName("Name list");
  nameList_->ListBox()->setAccessibleName("Name list");
  // The scroll bars jump by letter.
  phoneList_->ScrollBar()->setAccessibleName("Phone list letters");
  nameList_->ScrollBar()->setAccessibleName("Name list letters");
  stack_->addWidget(phoneList_);
  stack_->addWidget(nameList_);
  stack_->setMinimumSize(300, 220);
  column->addWidget(stack_, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  auto* ok = new QPushButton("OK", this);
  SetControlId(ok, kIdOk);
  ok->setDefault(true);
  auto* cancel = new QPushButton("Cancel", this);
  SetControlId(cancel, kIdCancel);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  column->addLayout(buttons);
  connect(ok, &QPushButton::clicked, this, [this] { Ok(); });
  connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
  connect(usePhone_, &QRadioButton::clicked, this, [this] { UsePhoneList(true); });
  connect(useNames_, &QRadioButton::clicked, this, [this] { UsePhoneList(false); });
  connect(find, &QLineEdit::textEdited, this, [this](const QString& t) { Find(t); });
  UsePhoneList(true);
  NameControlsByLabels(this);
  GuardCp1252(this);
}

TSelectMailToClass::~TSelectMailToClass() {
  // The lists read their tables until they go.
  delete stack_;
  if (phonesOpen_) PhoneClose(phoneTable_);
  if (namesOpen_) NameClose(nameTable_);
}

void TSelectMailToClass::UsePhoneList(bool phone) {
  usePhone_->setChecked(phone);
  useNames_->setChecked(!phone);
  stack_->setCurrentIndex(phone ? 0 : 1);
}

void TSelectMailToClass::Find(const QString& text) {
  const std::string t = ToCp1252(text);
  if (stack_->currentIndex() == 0) {
    phoneList_->FindText(t);
  } else {
    nameList_->SearchText(t);
  }
}

size_t TSelectMailToClass::CollectedLength(size_t extra) const {
  size_t length = extra;
  size_t count = extra > 0 ? 1 : 0;
  for (const auto* items : {&names_, &entries_}) {
    for (const std::string& item : *items) length += item.size();
    count += items->size();
  }
  return length + (count > 0 ? count - 1 : 0);
}

bool TSelectMailToClass::Tag(std::vector<std::string>& items, const std::string& text, bool on) {
  if (!on) {
    auto it = std::find(items.begin(), items.end(), text);
    if (it != items.end()) items.erase(it);
    return true;
  }
  if (items.size() >= size_t(kMaxTags)) {
    Prompter().Inform("Maximum of 100 tags.");
    return false;
  }
  if (CollectedLength(text.size()) > room_) {
    Prompter().Inform("Not enough room in field.");
    return false;
  }
  items.push_back(text);
  return true;
}

std::string TSelectMailToClass::Picked() const {
  std::string text;
  for (const auto* items : {&names_, &entries_})
    for (const std::string& item : *items) text += (text.empty() ? "" : ",") + item;
  return text;
}

void TSelectMailToClass::Ok() {
  CloseWith(1);
}

bool PickEmailAddresses(QWidget* owner, const std::string& current, std::string* picked) {
  // The "," between the old text and the new takes one character.
  size_t used = current.size();
  if (!current.empty() && current.back() != ',') ++used;
  const size_t room = used >= kMaxRecipientList ? 0 : kMaxRecipientList - used;
  TSelectMailToClass dialog(owner, room);
  if (!dialog.Ready()) return false;
  if (RunMessagingDialog(dialog) != 1) return false;
  *picked = dialog.Picked();
  return !picked->empty();
}

std::string AppendAddresses(const std::string& current, const std::string& picked) {
  if (current.empty() || current.back() == ',') return current + picked;
  return current + "," + picked;
}
