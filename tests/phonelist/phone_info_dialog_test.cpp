// PHONEINFO on a real office: a new entry saved into the current list, the
// refusals of Save, the choice between overwriting and saving as new when
// the key changed, the record lock taken at the first change and another
// workstation's lock, edit and delete, the note in the note editor the
// message windows use, the Take window's content, and the field rules (code
// page, "All Caps").
#include "phonelist/phone_info_dialog.h"

#include <QCheckBox>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <memory>

#include "phone_office.h"
#include "phonelist/phone_note_dialog.h"

namespace {

using D = TPhoneInfoClass;

}  // namespace

class PhoneInfoDialogTest : public QObject, PhoneWindowSet {
  Q_OBJECT

  std::unique_ptr<D> d;

  // The entry of the current list with the Listname and Phone 1, or a new one.
  D& Open(const char* listname = nullptr, const char* phone = "") {
    PhoneEntry e;
    if (listname && !office->Find(PhoneCurrentList().number, listname, phone, nullptr, nullptr, &e))
      qWarning("no entry");
    d = std::make_unique<D>(nullptr, listname ? &e : nullptr);
    d->OpenModeless();
    return *d;
  }
  QLineEdit* Field(int id) { return FindControlAs<QLineEdit>(d.get(), id); }
  void Type(int id, const QString& text) {
    QLineEdit* e = Field(id);
    e->setFocus();
    e->selectAll();
    QTest::keyClicks(e, text);
  }
  void Leave(int id) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(Field(id), &out);
  }

 private slots:
  void init() { MakeSet(); }
  void cleanup() {
    d.reset();
    DropSet();
  }

  void aNewEntryIsSavedIntoTheCurrentList() {
    PhoneSetCurrentList({office->anne, "ANNE"});
    Open();
    QVERIFY(d->Ready());
    QCOMPARE(d->windowTitle(), QString("PhoneList Detail"));
    // The number comes at once, for categories and a note before Save.
    const int32_t number = d->Record().EntryNumber();
    QVERIFY(number > 0);
    Type(D::kIdListname, "Acme");
    Type(D::kIdPhone1, "6175551234");
    Leave(D::kIdPhone1);
    QCOMPARE(Field(D::kIdPhone1)->text(), QString("617-555-1234"));
    Type(D::kIdCity, "Boston");
    auto* misc = FindControlAs<QPlainTextEdit>(d.get(), D::kIdMisc);
    QTest::keyClicks(misc, "line 1");
    QTest::keyClick(misc, Qt::Key_Return);
    QTest::keyClicks(misc, "line 2");
    Press(d.get(), D::kIdSave);
    QVERIFY(!d->IsOpen());
    QCOMPARE(d->Result(), 1);
    PhoneRecord r;
    QVERIFY(office->Find(office->anne, "Acme", "617-555-1234", &r));
    QCOMPARE(r.EntryNumber(), number);
    QCOMPARE(r.Text(ph::kCity), std::string("Boston"));
    QCOMPARE(r.Text(ph::kMisc), std::string("line 1\rline 2"));
    QCOMPARE(d->Saved().Listname(), std::string("Acme"));
    QVERIFY(office->Listnames(0).empty());
  }

  void saveRefusesABlankListnameAndADuplicate() {
    office->AddEntry(0, "Acme", "555-0100");
    const char* const cases[][3] = {
        {"   ", "", "DESKpost|Please enter Listname"},
        {"ACME", "555-0100",  // the same, in other case
         "DESKpost|A PhoneList entry already exists with this Listname and Phone number."}};
    Open();
    for (const auto& [listname, phone, said] : cases) {
      prompts->Clear();
      Type(D::kIdListname, listname);
      Type(D::kIdPhone1, phone);
      Press(d.get(), D::kIdSave);
      QCOMPARE(Asked(*prompts), QStringList{said});
      QVERIFY(d->IsOpen());
    }
    QCOMPARE(office->Listnames(0), std::vector<std::string>{"Acme"});
  }

  void aChangedKeyAsksWhetherToOverwriteOrSaveAsNew_data() {
    QTest::addColumn<int>("answer");
    QTest::newRow("overwrite") << 1;
    QTest::newRow("save as new") << 2;
    QTest::newRow("closed") << 0;
  }
  void aChangedKeyAsksWhetherToOverwriteOrSaveAsNew() {
    QFETCH(int, answer);
    const int32_t at = office->AddEntry(0, "Old", "555-0100", {{ph::kCity, "Boston"}});
    const int32_t note = office->GiveNote(at, "remember");
    QVERIFY(note);
    PhoneRecord before;
    QVERIFY(office->Find(0, "Old", "555-0100", &before));
    Open("Old", "555-0100");
    QVERIFY(FindControlAs<QCheckBox>(d.get(), D::kIdNoteTick)->isChecked());
    Type(D::kIdListname, "New");
    prompts->Answer(answer);
    Press(d.get(), D::kIdSave);
    QCOMPARE(prompts->AskedList().at(0).kind, QString("Option"));
    QCOMPARE(prompts->AskedList().at(0).caption, QString("Save options"));
    PhoneRecord r;
    int32_t where = -1;
    if (answer == 1) {
      QVERIFY(office->Find(0, "New", "555-0100", &r, &where));
      QCOMPARE(where, at);
      QCOMPARE(r.ChangeCount(), uint16_t(before.ChangeCount() + 1));
      QCOMPARE(r.EntryNumber(), before.EntryNumber());
      QCOMPARE(office->Listnames(0), std::vector<std::string>{"New"});
    } else if (answer == 2) {
      QVERIFY(office->Find(0, "New", "555-0100", &r, &where));
      QVERIFY(where != at);
      QVERIFY(r.EntryNumber() != before.EntryNumber());
      QVERIFY(r.Note() != 0 && r.Note() != note);
      std::string text;
      QVERIFY(NoteRead(r.Note(), &text));
      QCOMPARE(text, std::string("remember"));
      QVERIFY(office->Find(0, "Old", "555-0100", &r));
      QCOMPARE(r.Note(), note);
    } else {
      QVERIFY(d->IsOpen());
      QCOMPARE(office->Listnames(0), std::vector<std::string>{"Old"});
    }
  }

  void theFirstChangeTakesTheRecordLockUntilTheDialogCloses() {
    const int32_t at = office->AddEntry(0, "Acme", "555-0100");
    Open("Acme", "555-0100");
    QVERIFY(!d->HoldsLock());
    Type(D::kIdCity, "B");
    QVERIFY(d->HoldsLock());
    // Another workstation cannot take the entry meanwhile.
    QVERIFY(!LockHolder(office->PhonePath(), PhoneOffice::LockByte(at)).Held());
    prompts->Answer(true);
    Press(d.get(), kIdCancel);
    QCOMPARE(Asked(*prompts), QStringList{"DESKpost|Changes not saved, are you sure?"});
    QVERIFY(!d->HoldsLock());
    QVERIFY(LockHolder(office->PhonePath(), PhoneOffice::LockByte(at)).Held());
  }

  void anEntryAnotherWorkstationHoldsIsOnlyShown() {
    const int32_t at = office->AddEntry(0, "Acme", "555-0100", {{ph::kCity, "Boston"}});
    LockHolder other(office->PhonePath(), PhoneOffice::LockByte(at));
    QVERIFY(other.Held());
    Open("Acme", "555-0100");
    Type(D::kIdCity, "X");
    QCOMPARE(Asked(*prompts), QStringList{"DESKpost|Record in use."});
    QCOMPARE(Field(D::kIdCity)->text(), QString("Boston"));
    QVERIFY(d->ReadOnly());
    Press(d.get(), D::kIdSave);
    QVERIFY(d->IsOpen());
    QCOMPARE(office->Text(0, "Acme", "555-0100", ph::kCity), std::string("Boston"));
  }

  void anEntryChangedElsewhereShowsItsChangesBeforeTheUsersOwn() {
    const int32_t at = office->AddEntry(0, "Acme", "555-0100", {{ph::kCity, "Boston"}});
    Open("Acme", "555-0100");
    {
      PhoneTable other;
      PhoneEntry e;
      PhoneRecord r;
      QVERIFY(PhoneOpen(other) && PhoneFind(other, 0, "Acme", "555-0100", &e) &&
              PhoneRead(other, at, &r));
      r.SetText(ph::kCity, "Chicago");
      QVERIFY(PhoneUpdate(other, e, r));
      PhoneClose(other);
    }
    Type(D::kIdZip, "1");
    QCOMPARE(Asked(*prompts),
             QStringList{"DESKpost|This entry was changed on another workstation. The fields now "
                         "show its changes."});
    QCOMPARE(Field(D::kIdCity)->text(), QString("Chicago"));
    Type(D::kIdZip, "60601");
    Press(d.get(), D::kIdSave);
    PhoneRecord r;
    QVERIFY(office->Find(0, "Acme", "555-0100", &r));
    QCOMPARE(r.Text(ph::kCity), std::string("Chicago"));
    QCOMPARE(r.Text(ph::kZip), std::string("60601"));
    QCOMPARE(r.ChangeCount(), uint16_t(2));
  }

  void anEntryDeletedElsewhereIsSavedAgain() {
    const int32_t at = office->AddEntry(0, "Acme", "555-0100");
    Open("Acme", "555-0100");
    QVERIFY(office->DeleteElsewhere(at));
    Type(D::kIdCity, "Boston");
    QCOMPARE(
        Asked(*prompts),
        QStringList{"DESKpost|This entry was deleted on another workstation. Save adds it again."});
    Press(d.get(), D::kIdSave);
    QCOMPARE(office->Text(0, "Acme", "555-0100", ph::kCity), std::string("Boston"));
  }

  // Through the "&Note" button or the tick beside it; either way the note
  // is no edit of the entry.
  void theNoteIsEditedInTheSharedEditor() {
    const struct {
      const char* before;  // the entry's note; "": none
      bool heldElsewhere, byTick;
      const char* typed;  // replaces the text; nullptr: nothing typed
      const char* after;  // the entry's note then; "": none
      bool oldNoteKept;
    } cases[] = {{"", false, false, "Call after 3", "Call after 3", true},
                 {"Old", false, false, "New", "New", true},
                 {"Old", false, true, "", "", false},          // emptied: the note goes
                 {"Old", true, false, nullptr, "Old", true}};  // held elsewhere: shown only
    for (const auto& c : cases) {
      const std::string listname = "Acme " + std::to_string(&c - cases);
      const int32_t at = office->AddEntry(0, listname, "555-0100");
      const int32_t oldNote = *c.before ? office->GiveNote(at, c.before) : 0;
      std::unique_ptr<LockHolder> other;
      if (c.heldElsewhere)
        other = std::make_unique<LockHolder>(office->PhonePath(), PhoneOffice::LockByte(at));
      prompts->Clear();
      Open(listname.c_str(), "555-0100");
      auto* tick = FindControlAs<QCheckBox>(d.get(), D::kIdNoteTick);
      QCOMPARE(tick->isChecked(), *c.before != 0);
      bool readOnly = false;
      QString shown;
      script->Then([&](TBaseDialog& note) {
        auto* text = FindControlAs<QPlainTextEdit>(&note, TPhoneNoteDialog::kIdText);
        QVERIFY(text);
        shown = text->toPlainText();
        readOnly = text->isReadOnly();
        if (c.typed) {
          text->clear();
          QTest::keyClicks(text, c.typed);
        }
        DialogScript::Press(note, kIdOk);
      });
      if (c.byTick)
        QTest::mouseClick(tick, Qt::LeftButton, Qt::NoModifier, QPoint(8, tick->height() / 2));
      else
        Press(d.get(), D::kIdNote);
      QCOMPARE(script->opened.size(), size_t(&c - cases + 1));
      QCOMPARE(script->opened.back().caption, QString("Note"));
      QCOMPARE(shown, QString(c.before));
      QCOMPARE(readOnly, c.heldElsewhere);
      QCOMPARE(Asked(*prompts),
               c.heldElsewhere ? QStringList{"DESKpost|Record in use."} : QStringList());
      PhoneRecord r;
      QVERIFY(office->Find(0, listname, "555-0100", &r));
      QCOMPARE(r.ChangeCount(), uint16_t(0));
      QCOMPARE(tick->isChecked(), *c.after != 0);
      std::string text;
      if (*c.after) {
        QVERIFY(NoteRead(r.Note(), &text));
        QCOMPARE(text, std::string(c.after));
      } else {
        QCOMPARE(r.Note(), 0);
      }
      if (oldNote != 0) QCOMPARE(office->NoteExists(oldNote), c.oldNoteKept);
      d.reset();
    }
  }

  void aNewEntryMayTakeTheTakeWindowsContent() {
    const struct {
      bool email;
      const char *company, *question, *listname;
    } cases[] = {{false, "Acme", "Use message info?", "Acme"},
                 {false, "", "Use message info?", "Mary"},
                 {true, "", "Use email info?", "Ann Smith"}};
    for (const auto& c : cases) {
      PhoneSettings().takeWindow = [&c]() -> std::optional<TakeWindowInfo> {
        TakeWindowInfo info;
        info.email = c.email;
        info.from = "Mary";
        info.company = c.company;
        info.phone = "555-0100";
        info.address = "Ann Smith <ann@example.com>";
        return info;
      };
      prompts->Clear();
      prompts->Answer(true);
      Open();
      QCOMPARE(Asked(*prompts), QStringList{QString("DESKpost|") + c.question});
      QCOMPARE(Field(D::kIdListname)->text(), QString(c.listname));
      if (c.email) {
        QCOMPARE(Field(D::kIdEmail)->text(), QString("ann@example.com"));
      } else {
        QCOMPARE(Field(D::kIdPhone1)->text(), QString("555-0100"));
        QCOMPARE(Field(D::kIdContact)->text(), QString("Mary"));
      }
      d.reset();
    }
  }

  void fieldsRefuseWhatTheCodePageLacksFollowAllCapsAndHaveNames() {
    Open();
    QCOMPARE(Unnamed(d.get()), QStringList());
    QCOMPARE(Field(D::kIdCell)->accessibleName(), QString("Cell / Pager:"));
    QVERIFY(FindControl(d.get(), D::kIdPrint)->isEnabled());
    QVERIFY(!FindControl(d.get(), D::kIdLinked)->isEnabled());
    // "Łódź", typed key by key.
    QLineEdit* city = Field(D::kIdCity);
    city->setFocus();
    for (QChar c : QString::fromUtf8("\xC5\x81\xC3\xB3\x64\xC5\xBA")) {
      QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
      QApplication::sendEvent(city, &press);
    }
    QCOMPARE(Field(D::kIdCity)->text(), QString::fromUtf8("\xC3\xB3\x64"));
    QCOMPARE(Field(D::kIdState)->maxLength(), 2);
    QCOMPARE(Field(D::kIdListname)->maxLength(), 29);
    QCOMPARE(Field(D::kIdUrl)->maxLength(), 45);
    d.reset();
    PhoneSettings().allCaps = true;
    Open();
    Type(D::kIdCompany, "acme");
    QCOMPARE(Field(D::kIdCompany)->text(), QString("ACME"));
  }

  void copyNeedsASavedEntryAndAsksBeforeOverwriting() {
    Open();
    Press(d.get(), D::kIdCopy);
    QCOMPARE(Asked(*prompts), QStringList{"DESKpost|Save new entry first."});
    d.reset();
    office->AddEntry(0, "Acme", "555-0100", {{ph::kCity, "New"}});
    office->AddEntry(office->anne, "Acme", "555-0100", {{ph::kCity, "Old"}});
    Open("Acme", "555-0100");
    prompts->Clear();
    ChooseName(*script, "ANNE");
    prompts->Answer(true);
    Press(d.get(), D::kIdCopy);
    QCOMPARE(Asked(*prompts), QStringList{"DESKpost|Overwrite existing entry? Y/N"});
    QCOMPARE(office->Text(office->anne, "Acme", "555-0100", ph::kCity), std::string("New"));
  }

  void pastePutsTheAddressAsShownOnTheClipboard() {
    office->AddEntry(0, "Acme", "555-0100", {{ph::kContact, "JOHN SMITH"}, {ph::kCity, "Boston"}});
    Open("Acme", "555-0100");
    Type(D::kIdStreet1, "1 MAIN ST");
    Press(d.get(), D::kIdPaste);
    QCOMPARE(QApplication::clipboard()->text(), QString("John Smith\r\n1 Main St\r\nBoston \r\n"));
    QCOMPARE(Asked(*prompts), QStringList{"|Address added to clipboard"});
    QVERIFY(d->IsOpen());
  }
};

QTEST_MAIN(PhoneInfoDialogTest)
#include "phone_info_dialog_test.moc"
