// A real office for the phone list windows' tests: the name office of the
// toolkit's tests (every table made by the engine in a temporary directory,
// the data layer's boxes through the prompt service) with ANNE and BOB,
// plus helpers that add entries and categories and read them back as
// another workstation would, and the settings the windows take.
#pragma once

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "data/messages/dpnote.h"
#include "data/phone/dpphone.h"
#include "data/phone/phone_category.h"
#include "name_dialogs.h"
#include "name_office.h"
#include "phonelist/phone_settings.h"
#include "storage/records/phone.h"
#include "tests/support/lock_holder.h"
#include "toolkit/live_windows.h"
#include "toolkit/names/name_picker.h"
#include "toolkit/scripted_prompts.h"

namespace ph = records::phone;

class PhoneOffice : public NameOffice {
 public:
  PhoneOffice() {
    anne = Add("ANNE");
    bob = Add("BOB");
    PhoneSetCurrentList(PhoneList());
    PhoneSettings() = PhoneListSettings();
  }
  ~PhoneOffice() {
    PhoneSetCurrentList(PhoneList());
    PhoneSettings() = PhoneListSettings();
  }

  // Adds an entry to the list; answers its record number (-1 on failure).
  int32_t AddEntry(int32_t list, const std::string& listname, const std::string& phone1 = "",
                   const std::vector<std::pair<Field, std::string>>& more = {}) {
    PhoneTable h;
    if (!PhoneOpen(h)) return -1;
    PhoneRecord r;
    r.SetText(ph::kListname, listname);
    r.SetText(ph::kPhone1, phone1);
    for (const auto& [field, text] : more) r.SetText(field, text);
    SetFieldI32(r.bytes, ph::kList, list);
    int32_t at = -1;
    const int ok = PhoneAdd(h, r, &at);
    PhoneClose(h);
    return ok ? at : -1;
  }
  // The entry of the list with the Listname and Phone 1, as stored.
  bool Find(int32_t list, const std::string& listname, const std::string& phone1,
            PhoneRecord* record = nullptr, int32_t* recordNumber = nullptr,
            PhoneEntry* entry = nullptr) {
    PhoneTable h;
    if (!PhoneOpen(h)) return false;
    PhoneEntry e;
    bool ok = PhoneFind(h, list, listname, phone1, &e) != 0;
    if (ok && entry) *entry = e;
    if (ok && record) ok = PhoneRead(h, e.RecordNumber(), record) != 0;
    if (ok && recordNumber) *recordNumber = e.RecordNumber();
    PhoneClose(h);
    ClearAppError();
    DbClearError();
    return ok;
  }
  // One field of that entry, or "(none)" when there is no such entry.
  std::string Text(int32_t list, const std::string& listname, const std::string& phone1,
                   Field field) {
    PhoneRecord r;
    return Find(list, listname, phone1, &r) ? r.Text(field) : "(none)";
  }
  // The Listnames of a list in index order.
  std::vector<std::string> Listnames(int32_t list) {
    std::vector<std::string> names;
    PhoneTable h;
    if (!PhoneOpen(h)) return names;
    PhoneEntry e;
    for (int ok = PhoneFirstOfList(h, list, &e); ok; ok = PhoneNextInList(h, list, &e))
      names.push_back(e.Listname());
    PhoneClose(h);
    ClearAppError();
    DbClearError();
    return names;
  }
  int32_t AddCategory(int32_t list, const std::string& name) {
    CategoryTable h;
    if (!CategoryOpen(h)) return 0;
    CategoryRecord r;
    const int ok = CategoryAdd(h, list, name, &r);
    CategoryClose(h);
    return ok ? r.Number() : 0;
  }
  CategorySet Assigned(int32_t entryNumber) {
    CategorySet set;
    AssignmentTable h;
    if (AssignmentOpen(h)) {
      CategoryLoadSet(h, entryNumber, &set);
      AssignmentClose(h);
    }
    return set;
  }
  bool Assign(int32_t entryNumber, int32_t category) {
    AssignmentTable h;
    if (!AssignmentOpen(h)) return false;
    CategorySet set;
    const int ok =
        CategoryLoadSet(h, entryNumber, &set) && CategoryToggle(h, entryNumber, category, &set);
    AssignmentClose(h);
    return ok != 0;
  }
  // Gives the entry a note of the text; answers the note's number (0 on failure).
  int32_t GiveNote(int32_t at, const std::string& text) {
    int32_t note = 0;
    PhoneTable h;
    PhoneRecord r;
    if (!NoteNew(&note) || !NoteWrite(note, text) || !PhoneOpen(h)) return 0;
    const bool ok = PhoneRead(h, at, &r);
    SetFieldI32(r.bytes, ph::kNote, note);
    const bool written = ok && PhoneWrite(h, at, r);
    PhoneClose(h);
    return written ? note : 0;
  }
  // Another workstation deletes the entry.
  bool DeleteElsewhere(int32_t at) {
    PhoneTable other;
    if (!PhoneOpen(other)) return false;
    const bool ok = PhoneDelete(other, at);
    PhoneClose(other);
    return ok;
  }
  bool NoteExists(int32_t note) {
    std::string text;
    const bool ok = note != 0 && NoteRead(note, &text);
    ClearAppError();
    DbClearError();
    return ok;
  }
  // The record's lock byte in PHONE.DAT, for another workstation to hold.
  std::string PhonePath() const { return dir.File("PHONE.DAT"); }
  static int64_t LockByte(int32_t recordNumber) {
    return ph::kHeaderSize + int64_t(recordNumber) * ph::kRecordSize + ph::kRecordSize - 1;
  }

  int32_t anne = 0;
  int32_t bob = 0;
};

// What every phone list window test keeps: the office, the scripted prompts
// and dialogs, made afresh for each test function and let go in the reverse
// order, when no window may be left open. A test class takes it as a second
// base beside QObject.
class PhoneWindowSet {
 protected:
  void MakeSet() {
    office = std::make_unique<PhoneOffice>();
    prompts = std::make_unique<ScriptedPrompts>();
    script = std::make_unique<DialogScript>();
  }
  void DropSet() {
    script.reset();
    prompts.reset();
    office.reset();
    QCOMPARE(LiveWindowCount(), 0);
  }

  std::unique_ptr<PhoneOffice> office;
  std::unique_ptr<ScriptedPrompts> prompts;
  std::unique_ptr<DialogScript> script;
};

// The prompts asked, as "caption|text" (informations and questions).
inline QStringList Asked(const ScriptedPrompts& prompts) {
  QStringList out;
  for (const auto& a : prompts.AskedList())
    if (a.kind != "Progress" && a.kind != "Searching" && a.kind != "Working")
      out << a.caption + "|" + a.text;
  return out;
}

inline void Press(QWidget* root, int id) {
  auto* b = FindControlAs<QAbstractButton>(root, id);
  QVERIFY2(b, qPrintable(QString("no button %1").arg(id)));
  QVERIFY2(b->isEnabled(), qPrintable(QString("button %1 disabled").arg(id)));
  QTest::mouseClick(b, Qt::LeftButton);
}

// Every control a user reaches has a name a screen reader can say.
inline QStringList Unnamed(QWidget* root) {
  QStringList out;
  for (QWidget* w : root->findChildren<QWidget*>()) {
    const bool control = qobject_cast<QLineEdit*>(w) || qobject_cast<QPlainTextEdit*>(w) ||
                         qobject_cast<QAbstractButton*>(w) || qobject_cast<QAbstractItemView*>(w);
    if (!control) continue;
    QString name = w->accessibleName();
    if (auto* b = qobject_cast<QAbstractButton*>(w); b && name.isEmpty()) name = b->text();
    if (name.isEmpty()) out << QString("%1 %2").arg(w->metaObject()->className()).arg(ControlId(w));
  }
  return out;
}

// The picker's answer in a script: the name typed into its search, OK.
inline void ChooseName(DialogScript& script, const QString& name) {
  script.Then([name](TBaseDialog& d) {
    auto& picker = static_cast<NamePickerDialog&>(d);
    TypeSearch(picker.Search(), name);
    DialogScript::Press(d, kIdOk);
  });
}
