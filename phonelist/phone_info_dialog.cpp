#include "phonelist/phone_info_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <cstring>

#include "data/messages/dpnote.h"
#include "data/messages/email_address.h"
#include "data/office/dpmain.h"
#include "data/office/name_picking.h"
#include "data/phone/phone_address.h"
#include "phonelist/category_dialogs.h"
#include "phonelist/phone_entry_points.h"
#include "phonelist/phone_note_dialog.h"
#include "phonelist/phone_print.h"
#include "phonelist/phone_settings.h"
#include "storage/errors.h"
#include "storage/records/phone.h"
#include "toolkit/control_id.h"
#include "toolkit/controls/edit_control.h"
#include "toolkit/controls/multiline_control.h"
#include "toolkit/form_builder.h"
#include "toolkit/prompts.h"
#include "toolkit/record_text.h"

namespace ph = records::phone;

namespace {

constexpr const char* kDuplicateText =
    "A PhoneList entry already exists with this Listname and Phone number.";

struct FieldRow {
  const char* label;
  int id;
  Field field;
  bool phone;
};

const FieldRow kRows[] = {
    {"&Listname:", TPhoneInfoClass::kIdListname, ph::kListname, false},
    {"&ID:", TPhoneInfoClass::kIdId, ph::kId, false},
    {"C&ompany:", TPhoneInfoClass::kIdCompany, ph::kCompany, false},
    {"Street &1:", TPhoneInfoClass::kIdStreet1, ph::kStreet1, false},
    {"Street &2:", TPhoneInfoClass::kIdStreet2, ph::kStreet2, false},
    {"Cit&y:", TPhoneInfoClass::kIdCity, ph::kCity, false},
    {"S&tate:", TPhoneInfoClass::kIdState, ph::kState, false},
    {"&ZIP:", TPhoneInfoClass::kIdZip, ph::kZip, false},
    {"Co&untry:", TPhoneInfoClass::kIdCountry, ph::kCountry, false},
    {"Co&ntact:", TPhoneInfoClass::kIdContact, ph::kContact, false},
    {"&Phone 1:", TPhoneInfoClass::kIdPhone1, ph::kPhone1, true},
    {"&Ext 1:", TPhoneInfoClass::kIdExt1, ph::kExt1, false},
    {"P&hone 2:", TPhoneInfoClass::kIdPhone2, ph::kPhone2, true},
    {"E&xt 2:", TPhoneInfoClass::kIdExt2, ph::kExt2, false},
    {"&Fax:", TPhoneInfoClass::kIdFax, ph::kFax, true},
    {"Cell / Pa&ger:", TPhoneInfoClass::kIdCell, ph::kCell, true},
    {"E-&Mail:", TPhoneInfoClass::kIdEmail, ph::kEmail, false},
    {"&URL:", TPhoneInfoClass::kIdUrl, ph::kUrl, false},
};

char* Buffer(PhoneRecord& r, Field f) {
  return reinterpret_cast<char*>(r.bytes + f.offset);
}

bool SameText(const std::string& a, const std::string& b) {
  return a.size() == b.size() && NameBeginsWith(a, b);
}

constexpr const char* kDeletedElsewhere =
    "This entry was deleted on another workstation. Save adds it again.";
constexpr const char* kChangedElsewhere =
    "This entry was changed on another workstation. The fields now show its changes.";

// The index entry of a record as it is stored now.
PhoneEntry EntryOf(PhoneTable& phones, const PhoneRecord& record, int32_t recordNumber) {
  uint8_t bytes[kEntryBufferSize] = {};
  DbMakeEntry(phones.table, 0, record.bytes, recordNumber, bytes);
  PhoneEntry entry;
  std::memcpy(entry.bytes, bytes, sizeof entry.bytes);
  return entry;
}

bool Blank(const std::string& text) {
  return text.find_first_not_of(' ') == std::string::npos;
}

}  // namespace

TPhoneInfoClass::TPhoneInfoClass(QWidget* owner, const PhoneEntry* existing)
    : TBaseDialog(owner, "PhoneList Detail") {
  setProperty("helpAnchor", "phone-entry");
  if (!PhoneOpen(phones_)) {
    ShowError();
    return;
  }
  if (existing) {
    original_ = *existing;
    recordNumber_ = existing->RecordNumber();
    if (!PhoneRead(phones_, recordNumber_, &record_)) {
      ShowError();
      return;
    }
  } else {
    UseTakeWindow();
    // The number now, so that categories and a note can be attached before
    // the entry is saved.
    uint32_t number = 0;
    if (!GetUniqueNumber(phones_.table, &number)) {
      ShowError();
      return;
    }
    SetFieldI32(record_.bytes, ph::kEntryNumber, int32_t(number));
    SetFieldI32(record_.bytes, ph::kList, PhoneCurrentList().number);
  }
  ready_ = true;
  Build();
}

TPhoneInfoClass::~TPhoneInfoClass() {
  ReleaseLock();
  if (phones_.open) PhoneClose(phones_);
}

void TPhoneInfoClass::UseTakeWindow() {
  const auto& take = PhoneSettings().takeWindow;
  if (!take) return;
  const std::optional<TakeWindowInfo> info = take();
  if (!info) return;
  if (info->email) {
    if (Blank(info->address) || !Prompter().AskYesNo("Use email info?")) return;
    std::string name, address;
    SplitAddress(info->address, &name, size_t(ph::kListname.width), &address,
                 size_t(ph::kEmail.width));
    while (!name.empty() && name.back() == ' ') name.pop_back();
    record_.SetText(ph::kListname, name);
    record_.SetText(ph::kEmail, address);
    return;
  }
  if (Blank(info->from) && Blank(info->company) && Blank(info->phone)) return;
  if (!Prompter().AskYesNo("Use message info?")) return;
  record_.SetText(ph::kListname, Blank(info->company) ? info->from : info->company);
  record_.SetText(ph::kCompany, info->company);
  record_.SetText(ph::kPhone1, info->phone);
  record_.SetText(ph::kContact, info->from);
}

void TPhoneInfoClass::Build() {
  FormBuilder form(this);
  const bool caps = PhoneSettings().allCaps;
  for (const FieldRow& row : kRows) {
    FieldLineEdit* edit = form.Edit(row.label, row.id, row.field.width > 30 ? 30 : 0);
    if (row.phone) {
      Bind<TPhoneEditControl>(row.id, Buffer(record_, row.field), size_t(row.field.width), caps);
    } else {
      Bind<TEditControl>(row.id, Buffer(record_, row.field), size_t(row.field.width), caps);
    }
    connect(edit, &QLineEdit::textChanged, this, [this] { Changed(); });
  }
  FieldTextEdit* misc = form.MultiLine("M&isc info:", kIdMisc, 4);
  Bind<TMultiLineEditControl>(kIdMisc, Buffer(record_, ph::kMisc), size_t(ph::kMisc.width));
  connect(misc, &QPlainTextEdit::textChanged, this, [this] { Changed(); });
  noteTick_ = form.CheckBox("Note:", kIdNoteTick);
  noteTick_->setChecked(record_.Note() != 0);
  connect(noteTick_, &QCheckBox::clicked, this, [this] {
    noteTick_->setChecked(record_.Note() != 0);
    Note();
  });
  QCheckBox* linked = form.CheckBox("Entry Linked:", kIdLinked);
  linked->setEnabled(false);

  QPushButton* save = form.Button("&Save", kIdSave);
  save->setDefault(true);
  connect(save, &QPushButton::clicked, this, [this] { Ok(); });
  connect(form.Button("&Note", kIdNote), &QPushButton::clicked, this, [this] { Note(); });
  connect(form.Button("&Cat", kIdCat), &QPushButton::clicked, this, [this] { Categories(); });
  connect(form.Button("C&opy", kIdCopy), &QPushButton::clicked, this, [this] { CopyEntry(); });
  connect(form.Button("&Paste", kIdPaste), &QPushButton::clicked, this, [this] { PasteAddress(); });
  connect(form.Button("P&rint", kIdPrint), &QPushButton::clicked, this,
          [this] { PrintPhoneEntry(this, record_); });
  connect(form.Button("Cancel", kIdCancel), &QPushButton::clicked, this, [this] { reject(); });
  NameControlsByLabels(this);
}

void TPhoneInfoClass::Changed() {
  if (TransferInProgress() || Modified() == 0 || IsNew() || locked_ || lockRefused_) return;
  TakeLock();
}

bool TPhoneInfoClass::TakeLock() {
  if (IsNew() || locked_) return true;
  if (DbLockRecord(phones_.table, recordNumber_)) {
    locked_ = true;
    PhoneRecord now;
    if (!PhoneRead(phones_, recordNumber_, &now)) {
      if (DbGetError() != kDbRecordDeleted) {
        ShowError();
        return true;
      }
      // Deleted on another workstation: what the user typed is kept, and
      // Save adds it again as the new entry it now is.
      DbClearError();
      ClearAppError();
      ReleaseLock();
      recordNumber_ = -1;
      Prompter().Inform(kDeletedElsewhere);
      return true;
    }
    if (now.ChangeCount() != record_.ChangeCount()) {
      // Saved on another workstation since the dialog read it: the fields
      // show the entry as it is now, and the user's change is made again.
      record_ = now;
      original_ = EntryOf(phones_, now, recordNumber_);
      TransferIn();
      noteTick_->setChecked(record_.Note() != 0);
      Prompter().Inform(kChangedElsewhere);
    }
    return true;
  }
  DbClearError();
  ClearAppError();
  lockRefused_ = true;
  Prompter().Inform("Record in use.");
  // The dialog only shows the entry: the change is undone.
  SetReadOnly(true);
  TransferIn();
  return false;
}

void TPhoneInfoClass::ReleaseLock() {
  if (!locked_) return;
  DbUnlockRecord(phones_.table, recordNumber_);
  locked_ = false;
}

bool TPhoneInfoClass::Duplicate() {
  PhoneTable look;
  if (!PhoneOpen(look)) return false;
  PhoneEntry found;
  const bool exists =
      PhoneFind(look, record_.List(), record_.Listname(), record_.Phone1(), &found) != 0;
  PhoneClose(look);
  ClearAppError();
  DbClearError();
  return exists && found.EntryNumber() != record_.EntryNumber();
}

void TPhoneInfoClass::Ok() {
  if (ReadOnly()) return;
  if (!TransferOut()) return;
  if (Blank(record_.Listname())) {
    Prompter().Inform("Please enter Listname");
    return;
  }
  bool saved = false;
  if (IsNew()) {
    saved = SaveNew(false);
  } else {
    const bool keyChanged = !SameText(record_.Listname(), original_.Listname()) ||
                            !SameText(record_.Phone1(), original_.Phone1());
    int choice = 1;
    if (keyChanged)
      choice = Prompter().OptionPrompt("Save options", "Save options", "Overwrite existing entry",
                                       "Save as a new entry");
    if (choice == 0) return;
    saved = choice == 2 ? SaveNew(true) : SaveExisting();
  }
  if (saved) Finish(1);
}

bool TPhoneInfoClass::SaveExisting() {
  if (Duplicate()) {
    Prompter().Inform(kDuplicateText);
    return false;
  }
  if (!TakeLock()) return false;
  if (!PhoneUpdate(phones_, original_, record_)) {
    ShowError();
    return false;
  }
  return PhoneFind(phones_, record_.List(), record_.Listname(), record_.Phone1(), &saved_) ||
         (ClearAppError(), true);
}

bool TPhoneInfoClass::SaveNew(bool asNew) {
  const PhoneRecord before = record_;
  if (asNew) {
    // A new entry of its own: a new number, and its own copy of the note.
    SetFieldI32(record_.bytes, ph::kEntryNumber, 0);
    SetFieldU16(record_.bytes, ph::kChangeCount, 0);
    if (record_.Note() != 0) {
      int32_t copy = 0;
      if (!NoteDuplicate(record_.Note(), &copy)) {
        ShowError();
        record_ = before;
        return false;
      }
      SetFieldI32(record_.bytes, ph::kNote, copy);
    }
  }
  if (Duplicate()) {
    Prompter().Inform(kDuplicateText);
    record_ = before;
    return false;
  }
  if (!PhoneAdd(phones_, record_)) {
    if (AppErrorCode() == kAppDuplicate) {
      ClearAppError();
      Prompter().Inform(kDuplicateText);
    } else {
      ShowError();
    }
    // The dialog goes on with the entry it had, number and note included.
    if (asNew && record_.Note() != before.Note()) {
      NoteTable notes;
      if (NoteOpen(notes)) {
        NoteDelete(notes, record_.Note());
        NoteClose(notes);
      }
    }
    record_ = before;
    return false;
  }
  return PhoneFind(phones_, record_.List(), record_.Listname(), record_.Phone1(), &saved_) ||
         (ClearAppError(), true);
}

void TPhoneInfoClass::reject() {
  if (!ConfirmDiscard()) return;
  Finish(0);
}

void TPhoneInfoClass::Finish(int result) {
  ReleaseLock();
  CloseWith(result);
}

void TPhoneInfoClass::Note() {
  // The note belongs to the entry: its lock first, or the note only shows.
  const bool mayWrite = IsNew() || TakeLock();
  int32_t note = record_.Note();
  if (!EditPhoneNote(this, &note, !mayWrite)) return;
  if (note == record_.Note()) return;
  SetFieldI32(record_.bytes, ph::kNote, note);
  if (!IsNew()) {
    // Only the note number changed: the entry is rewritten in place, its
    // change count as it was.
    PhoneRecord stored;
    if (PhoneRead(phones_, recordNumber_, &stored)) {
      SetFieldI32(stored.bytes, ph::kNote, note);
      if (!PhoneWrite(phones_, recordNumber_, stored)) ShowError();
    } else {
      ShowError();
    }
  }
  noteTick_->setChecked(note != 0);
}

void TPhoneInfoClass::Categories() {
  EditEntryCategories(this, record_.EntryNumber());
}

void TPhoneInfoClass::CopyEntry() {
  if (IsNew()) {
    Prompter().Inform("Save new entry first.");
    return;
  }
  PhoneList target;
  if (!PickTargetList(this, &target)) return;
  if (PhoneCopyToList(phones_, recordNumber_, target.number, false)) return;
  if (AppErrorCode() != kAppDuplicate) {
    ShowError();
    return;
  }
  ClearAppError();
  if (!Prompter().AskYesNo("Overwrite existing entry? Y/N")) return;
  if (!PhoneCopyToList(phones_, recordNumber_, target.number, true)) ShowError();
}

void TPhoneInfoClass::PasteAddress() {
  // What the fields show now, saved or not.
  if (!TransferOut()) return;
  QApplication::clipboard()->setText(FromCp1252(PhoneAddressText(record_)));
  Prompter().Flash("Address added to clipboard");
}

int EditPhoneEntry(QWidget* owner, const PhoneEntry* existing, PhoneEntry* saved) {
  TPhoneInfoClass dialog(owner, existing);
  if (!dialog.Ready()) return 0;
  const int result = RunPhoneDialog(dialog);
  if (result == 1 && saved) *saved = dialog.Saved();
  return result == 1 ? 1 : 0;
}
