#include "toolkit/names/name_picker.h"

#include <QPushButton>
#include <QSignalBlocker>
#include <algorithm>
#include <utility>
#include <vector>

#include "data/office/dpmain.h"
#include "storage/records/name.h"
#include "toolkit/control_id.h"
#include "toolkit/names/add_name_dialog.h"
#include "toolkit/names/member_dialog.h"
#include "toolkit/names/name_dialog_runner.h"
#include "toolkit/names/picker_layout.h"
#include "toolkit/names/picker_list.h"
#include "toolkit/names/search_field.h"
#include "toolkit/prompts.h"
#include "toolkit/record_text.h"

namespace nm = records::name;

namespace {

constexpr QSize kListSize(260, 260);
constexpr const char* kTagged = "* - TAG";

bool& DeleteAllowed() {
  static bool allowed = true;
  return allowed;
}

void FillSlot(NameEntry& slot, int32_t recordNumber, const std::string& name, int32_t number) {
  SetFieldI32(slot.bytes, kEntryRecordNumber, recordNumber);
  SetFieldText(slot.bytes, nm::x1::kName, name.c_str());
  SetFieldI32(slot.bytes, nm::x1::kNumber, number);
}

void EmptySlotName(NameEntry& slot) {
  SetFieldText(slot.bytes, nm::x1::kName, "");
}

// The members of a group, read with a handle of its own so that the list's
// position stays where it is.
bool ReadMembers(const std::string& group, std::vector<int32_t>* members) {
  NameRecord record;
  if (!NameLookup(group, &record)) return false;
  *members = GroupMembers(record);
  return true;
}

}  // namespace

void SetNameDeleteAllowed(bool allowed) {
  DeleteAllowed() = allowed;
}

bool NameDeleteAllowed() {
  return DeleteAllowed();
}

NamePickerDialog::NamePickerDialog(QWidget* owner, NamePickRequest& request,
                                   PasswordPrompt& passwords)
    : TBaseDialog(owner, "Name:"), request_(request), passwords_(passwords) {
  setProperty("helpAnchor", "name-picker");
  if (request_.mode > kLastPickMode) request_.mode = kPickPeople;
  if (request_.tagSet) std::copy_n(request_.tagSet, kTagSetSize, tags_);
  if (!NameOpen(names_)) {
    ShowError();
    return;
  }
  NameRecord first;
  if (!NameFirst(names_) || !NameReadCurrent(names_, &first)) {
    ShowError();
    NameClose(names_);
    return;
  }
  ready_ = true;
  Build();
}

NamePickerDialog::~NamePickerDialog() {
  // The list reads the table: it goes first, and its last notifications
  // find no list to look at.
  TPickerList* list = std::exchange(list_, nullptr);
  if (list) list->disconnect(this);
  delete list;
  if (names_.open) NameClose(names_);
}

void NamePickerDialog::Build() {
  const PickerLayout layout =
      BuildPickerLayout(this, kListSize, names_.table, request_.mode,
                        request_.tagSet ? tags_ : nullptr, request_.tagSet != nullptr);
  search_ = layout.search;
  list_ = layout.list;
  list_->onAct = [this](const uint8_t* entry) { ActOn(entry); };

  QPushButton* ok = AddPickerButton(layout, this, "OK", kIdOk);
  ok->setDefault(true);
  QPushButton* cancel = AddPickerButton(layout, this, "Cancel", kIdCancel);
  layout.buttons->addSpacing(8);
  QPushButton* add = AddPickerButton(layout, this, "&Add...", kIdAdd);
  QPushButton* group = AddPickerButton(layout, this, "&Group...", kIdGroup);
  edit_ = AddPickerButton(layout, this, "&Edit...", kIdEdit);
  who_ = AddPickerButton(layout, this, "&Who...", kIdWho);
  QPushButton* del = AddPickerButton(layout, this, "&Delete", kIdDelete);
  layout.buttons->addStretch();

  connect(ok, &QPushButton::clicked, this, [this] { Ok(); });
  connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
  connect(add, &QPushButton::clicked, this, [this] { Add(); });
  connect(group, &QPushButton::clicked, this, [this] { CreateGroup(); });
  connect(edit_, &QPushButton::clicked, this, [this] { EditGroup(); });
  connect(who_, &QPushButton::clicked, this, [this] { Who(); });
  connect(del, &QPushButton::clicked, this, [this] { Delete(); });
  connect(list_, &TDBList::Notify, this, [this](int code) {
    if (code == kListSelChanged) FocusChanged();
    if (code == kListDoubleClick) Ok();
  });

  // The starting text positions the list as typing it would.
  const std::string start = request_.startEmpty ? std::string() : request_.slot.Name();
  {
    const QSignalBlocker quiet(search_);
    search_->setText(FromCp1252(start));
  }
  if (!list_->SearchText(search_->Bytes())) ShowError();
  FocusChanged();
  search_->setFocus();
}

// Who and Edit are for a group other than "* - ALL" only.
void NamePickerDialog::FocusChanged() {
  std::string name;
  const bool group = list_->SelectedName(&name) && NameIsGroup(name) && !NameIsEverybody(name);
  edit_->setVisible(group);
  who_->setVisible(group);
}

bool NamePickerDialog::ToggleTag(const std::string& name, int32_t number) {
  TagChange change;
  if (NameIsGroup(name)) {
    std::vector<int32_t> members;
    if (!ReadMembers(name, &members)) {
      ShowError();
      return false;
    }
    change = ToggleGroupTag(tags_, number, members);
  } else {
    change = ToggleNameTag(tags_, number);
  }
  if (change == TagChange::kSetFull) Prompter().Inform("Maximum of 100 tags.");
  if (change == TagChange::kMembersCut) Prompter().Inform("Maximum of 100 tags");
  return change == TagChange::kTagged || change == TagChange::kUntagged;
}

void NamePickerDialog::ToggleSelected() {
  // The selection may reach beyond the page: the selected names are found
  // by a walk of their own, then toggled in name order.
  std::vector<std::pair<std::string, int32_t>> chosen;
  NameTable walk;
  if (!NameOpen(walk)) {
    ShowError();
    return;
  }
  NameEntry entry;
  int ok = NameFirst(walk, &entry);
  while (ok) {
    if (PickModeLists(list_->Mode(), entry.Name()) &&
        list_->Tags().Contains(uint32_t(entry.Number())))
      chosen.emplace_back(entry.Name(), entry.Number());
    ok = NameNext(walk, &entry);
  }
  const bool failed = AppErrorCode() != kAppEndOfFile;
  if (failed) ShowError();
  NameClose(walk);
  if (failed) return;
  for (const auto& [name, number] : chosen)
    if (!ToggleTag(name, number)) break;
}

void NamePickerDialog::ActOn(const uint8_t* entry) {
  if (!request_.tagSet) return;
  if (list_->Tags().Count() >= 2 && list_->IsTagged(entry)) {
    ToggleSelected();
  } else {
    ToggleTag(EntryName(entry), EntryNumber(entry));
  }
  list_->ListBox()->update();
}

int NamePickerDialog::CheckChoice(const std::string& name) {
  // An empty name is no choice, whether or not a password is asked for.
  if (name.empty()) return 0;
  if (request_.passwordArea == 0) return 1;
  const int result = CheckPassword(name, PasswordFormFor(name), request_.passwordArea, passwords_);
  if (result == kPasswordPhone) SetPhonePasswordMode(true);
  return result;
}

void NamePickerDialog::Ok() {
  if (!ready_) return Finish(0);
  std::string name;
  int32_t number = 0;
  int32_t recordNumber = -1;
  const int row = list_->SelectedRow();
  if (row >= 0) {
    const uint8_t* entry = list_->EntryOfRow(row);
    name = EntryName(entry);
    number = EntryNumber(entry);
    recordNumber = FieldI32(entry, kEntryRecordNumber);
  }
  if (request_.tagSet) {
    if (TagSetCount(tags_) == 0) {
      if (list_->Tagging() && list_->Tags().Count() >= 2) {
        ToggleSelected();
      } else if (NameIsGroup(name) && !NameIsEverybody(name)) {
        ToggleTag(name, number);
      }
    }
    if (TagSetCount(tags_) > 0) name = kTagged;
    std::copy_n(tags_, kTagSetSize, request_.tagSet);
  }
  FillSlot(request_.slot, recordNumber, name, number);
  Finish(CheckChoice(name));
}

void NamePickerDialog::reject() {
  Finish(0);
}

void NamePickerDialog::Finish(int result) {
  if (result == 0) EmptySlotName(request_.slot);
  CloseWith(result);
}

bool NamePickerDialog::AddToList(const std::string& name) {
  if (!NameAdd(names_, name)) {
    ShowError();
    list_->Refresh(0, list_->SelectedRow());
    return false;
  }
  // The table stands on the new name: the page starts there.
  list_->Refresh(0, 0);
  return true;
}

void NamePickerDialog::Add() {
  const std::string name = AddName(this, "Add new name", AddNameDialog::kPersonLength);
  if (name.empty()) return;
  if (AddToList(name) && NameIsGroup(name)) SelectMembers(this, name);
}

void NamePickerDialog::CreateGroup() {
  const std::string text = AddName(this, "Create new group", AddNameDialog::kGroupLength);
  if (text.empty()) return;
  const std::string name = GroupNameFromText(text);
  if (AddToList(name)) SelectMembers(this, name);
}

void NamePickerDialog::EditGroup() {
  std::string old;
  if (!list_->SelectedName(&old) || !NameIsGroup(old) || NameIsEverybody(old)) return;
  const std::string text =
      AddName(this, "Edit group name", AddNameDialog::kGroupLength, GroupNameText(old));
  if (text.empty()) return;
  if (!NameRename(names_, old, GroupNameFromText(text))) {
    ShowError();
    list_->Refresh(0, list_->SelectedRow());
    return;
  }
  // The table stands on the new name.
  list_->Refresh(0, 0);
}

void NamePickerDialog::Who() {
  std::string name;
  if (!list_->SelectedName(&name)) {
    Prompter().Inform("No group selected.", "Group");
    return;
  }
  SelectMembers(this, name);
}

void NamePickerDialog::Delete() {
  if (!NameDeleteAllowed()) {
    Prompter().Inform(kNoAccessRights);
    return;
  }
  std::string name;
  if (!list_->SelectedName(&name)) {
    Prompter().Inform("No entry selected.", "Delete");
    return;
  }
  if (NameIsEverybody(name)) return;
  const QString question =
      NameIsGroup(name)
          ? "WARNING!\nThis operation will remove group from the list, are you sure?"
          : "WARNING!\nThis operation removes this person from the system, are you sure?";
  if (!Prompter().AskYesNo(question)) return;
  const int row = list_->SelectedRow();
  uint8_t firstInView[kEntryBufferSize] = {};
  std::copy_n(list_->EntryOfRow(0), list_->EntryLength(), firstInView);
  if (!NameRemove(names_, name)) {
    ShowError();
    list_->Refresh(0, row);
    return;
  }
  // Back to the name that was first in view, or, when it went and nothing
  // follows, to the last page.
  int exact = 0;
  if (!DbFind(names_.table, firstInView, &exact)) {
    ShowError();
    return;
  }
  if (AtEnd(names_.table)) {
    if (!DbLast(names_.table)) {
      ShowError();
      return;
    }
    list_->Refresh(-(list_->RowsPerPage() - 1), row);
    return;
  }
  list_->Refresh(0, row);
}

int SelectName(QWidget* owner, NamePickRequest& request, PasswordPrompt& passwords) {
  NamePickerDialog dialog(owner, request, passwords);
  if (!dialog.Ready()) {
    EmptySlotName(request.slot);
    return 0;
  }
  return RunNameDialog(dialog);
}

bool DialogNamePicker::PickName(uint8_t* nameRecord, int32_t* tagSet, int mode,
                                const std::string& startText) {
  NamePickRequest request;
  FillSlot(request.slot, -1, startText, FieldI32(nameRecord, nm::kNumber));
  request.tagSet = tagSet;
  request.mode = uint8_t(std::clamp(mode, 0, kLastPickMode));
  NoPasswords none;
  const int result = SelectName(owner_, request, none);
  SetFieldText(nameRecord, nm::kName, request.slot.Name().c_str());
  if (result != 0) SetFieldI32(nameRecord, nm::kNumber, request.slot.Number());
  return result != 0;
}
