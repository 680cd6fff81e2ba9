// PHONEINFO on a real office: a new entry saved into the current list, the
// refusals of Save, the choice between overwriting and saving as new when
// the key changed, the record lock taken at the first change and another
// workstation's lock, edit and delete, the note, the Take window's
// content, and the field rules (code page, "All Caps").
#include "phonelist/phone_info_dialog.h"

#include <QCheckBox>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <memory>

#include "phone_office.h"
#include "phonelist/phone_note_dialog.h"
#include "toolkit/live_windows.h"

namespace {

using D = TPhoneInfoClass;

}  // namespace

class PhoneInfoDialogTest : public QObject {
  Q_OBJECT

  std::unique_ptr<PhoneOffice> office;
  std::unique_ptr<ScriptedPrompts> prompts;
  std::unique_ptr<DialogScript> script;
  std::unique_ptr<D> d;

  D& Open(const char* listname = nullptr, const char* phone = "") {
    if (listname) {
      PhoneTable h;
      PhoneEntry e;
      if (PhoneOpen(h)) {
        if (!PhoneFind(h, PhoneCurrentList().number, listname, phone, &e)) qWarning("no entry");
        PhoneClose(h);
      }
      d = std::make_unique<D>(nullptr, &e);
    } else {
      d = std::make_unique<D>(nullptr, nullptr);
    }
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
  void init() {
    office = std::make_unique<PhoneOffice>();
    prompts = std::make_unique<ScriptedPrompts>();
    script = std::make_unique<DialogScript>();
  }
  void cleanup() {
    d.reset();
    script.reset();
    prompts.reset();
    office.reset();
    QCOMPARE(LiveWindowCount(), 0);
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

  void saveRefusesABlankListnameAndADuplicate_data() {
    QTest::addColumn<QString>("listname");
    QTest::addColumn<QString>("phone");
    QTest::addColumn<QString>("said");
    QTest::newRow("blank") << QString("   ") << QString() << "DESKpost|Please enter Listname";
    QTest::newRow("same, other case")
        << QString("ACME") << QString("555-0100")
        << "DESKpost|A PhoneList entry already exists with this Listname and Phone number.";
  }
  void saveRefusesABlankListnameAndADuplicate() {
    QFETCH(QString, listname);
    QFETCH(QString, phone);
    QFETCH(QString, said);
    office->AddEntry(0, "Acme", "555-0100");
    Open();
    Type(D::kIdListname, listname);
    Type(D::kIdPhone1, phone);
    Press(d.get(), D::kIdSave);
    QCOMPARE(Asked(*prompts), QStringList{said});
    QVERIFY(d->IsOpen());
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
    // Another workstation can neither take the entry nor delete it.
    {
      PhoneTable other;
      QVERIFY(PhoneOpen(other));
      QVERIFY(!DbLockRecord(other.table, at));
      QVERIFY(!PhoneDelete(other, at));
      QCOMPARE(AppErrorCode(), int(kAppLockError));
      ClearAppError();
      DbClearError();
      PhoneClose(other);
    }
    prompts->Answer(true);
    Press(d.get(), kIdCancel);
    QCOMPARE(Asked(*prompts), QStringList{"DESKpost|Changes not saved, are you sure?"});
    QVERIFY(!d->HoldsLock());
    PhoneTable other;
    QVERIFY(PhoneOpen(other));
    QVERIFY(DbLockRecord(other.table, at));
    DbUnlockRecord(other.table, at);
    PhoneClose(other);
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
    PhoneRecord r;
    QVERIFY(office->Find(0, "Acme", "555-0100", &r));
    QCOMPARE(r.Text(ph::kCity), std::string("Boston"));
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
    PhoneRecord r;
    QVERIFY(office->Find(0, "Acme", "555-0100", &r));
    QCOMPARE(r.Text(ph::kCity), std::string("Boston"));
  }

  void theNoteIsWrittenWithoutCountingAsAnEdit() {
    const int32_t at = office->AddEntry(0, "Acme", "555-0100");
    Open("Acme", "555-0100");
    auto* tick = FindControlAs<QCheckBox>(d.get(), D::kIdNoteTick);
    QVERIFY(!tick->isChecked());
    script->Then([](TBaseDialog& note) {
      QTest::keyClicks(FindControlAs<QPlainTextEdit>(&note, TPhoneNoteDialog::kIdText),
                       "Call after 3");
      DialogScript::Press(note, kIdOk);
    });
    Press(d.get(), D::kIdNote);
    QVERIFY(tick->isChecked());
    QCOMPARE(script->opened.at(0).caption, QString("Note"));
    PhoneRecord r;
    QVERIFY(office->Find(0, "Acme", "555-0100", &r));
    QVERIFY(r.Note() != 0);
    QCOMPARE(r.ChangeCount(), uint16_t(0));
    std::string text;
    QVERIFY(NoteRead(r.Note(), &text));
    QCOMPARE(text, std::string("Call after 3"));
    // Emptied, the note goes.
    script->Then([](TBaseDialog& note) {
      FindControlAs<QPlainTextEdit>(&note, TPhoneNoteDialog::kIdText)->clear();
      DialogScript::Press(note, kIdOk);
    });
    QTest::mouseClick(tick, Qt::LeftButton, Qt::NoModifier, QPoint(8, tick->height() / 2));
    QCOMPARE(Asked(*prompts), QStringList());
    QCOMPARE(script->opened.size(), size_t(2));
    QVERIFY(!tick->isChecked());
    const int32_t old = r.Note();
    QVERIFY(office->Find(0, "Acme", "555-0100", &r));
    QCOMPARE(r.Note(), 0);
    QVERIFY(!office->NoteExists(old));
    (void)at;
  }

  void aNewEntryMayTakeTheTakeWindowsContent_data() {
    QTest::addColumn<bool>("email");
    QTest::addColumn<QString>("company");
    QTest::addColumn<QString>("question");
    QTest::addColumn<QString>("listname");
    const QString message = "Use message info?";
    QTest::newRow("message with company") << false << QString("Acme") << message << "Acme";
    QTest::newRow("message without company") << false << QString() << message << "Mary";
    QTest::newRow("email") << true << QString() << "Use email info?"
                           << "Ann Smith";
  }
  void aNewEntryMayTakeTheTakeWindowsContent() {
    QFETCH(bool, email);
    QFETCH(QString, company);
    QFETCH(QString, question);
    QFETCH(QString, listname);
    PhoneSettings().takeWindow = [&]() -> std::optional<TakeWindowInfo> {
      TakeWindowInfo info;
      info.email = email;
      info.from = "Mary";
      info.company = company.toStdString();
      info.phone = "555-0100";
      info.address = "Ann Smith <ann@example.com>";
      return info;
    };
    prompts->Answer(true);
    Open();
    QCOMPARE(Asked(*prompts), QStringList{"DESKpost|" + question});
    QCOMPARE(Field(D::kIdListname)->text(), listname);
    if (email) {
      QCOMPARE(Field(D::kIdEmail)->text(), QString("ann@example.com"));
    } else {
      QCOMPARE(Field(D::kIdPhone1)->text(), QString("555-0100"));
      QCOMPARE(Field(D::kIdContact)->text(), QString("Mary"));
    }
  }

  void fieldsRefuseWhatTheCodePageLacksAndFollowAllCaps() {
    Open();
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
    PhoneRecord r;
    QVERIFY(office->Find(office->anne, "Acme", "555-0100", &r));
    QCOMPARE(r.Text(ph::kCity), std::string("New"));
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

  void everyControlHasAName() {
    Open();
    QCOMPARE(Unnamed(d.get()), QStringList());
    QCOMPARE(Field(D::kIdCell)->accessibleName(), QString("Cell / Pager:"));
    QVERIFY(FindControl(d.get(), D::kIdPrint)->isEnabled());
    QVERIFY(!FindControl(d.get(), D::kIdLinked)->isEnabled());
  }
};

QTEST_MAIN(PhoneInfoDialogTest)
#include "phone_info_dialog_test.moc"
