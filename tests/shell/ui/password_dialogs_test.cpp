// The master, phone and user password dialogs on a real name table: their
// states, the questions and messages they show, what they store, and what
// the password check then asks.
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <memory>

#include "name_dialogs.h"
#include "password_office.h"
#include "shell/ui/passwords/get_password_dialog.h"
#include "shell/ui/passwords/master_password_dialog.h"
#include "shell/ui/passwords/name_picker_chooser.h"
#include "shell/ui/passwords/password_menu.h"
#include "shell/ui/passwords/phone_password_dialog.h"
#include "shell/ui/passwords/user_password_dialog.h"
#include "storage/database.h"
#include "toolkit/control_id.h"
#include "toolkit/names/name_picker.h"
#include "toolkit/scripted_prompts.h"

namespace {

QPushButton* ButtonOf(QWidget* dialog, int id) {
  return FindControlAs<QPushButton>(dialog, id);
}

void Click(QWidget* dialog, int id) {
  QPushButton* button = ButtonOf(dialog, id);
  QVERIFY(button);
  QVERIFY(button->isEnabled());
  QTest::mouseClick(button, Qt::LeftButton);
}

QStringList Informed(const ScriptedPrompts& prompts) {
  QStringList texts;
  for (const auto& a : prompts.AskedList()) {
    if (a.kind == "Inform") texts << a.text;
  }
  return texts;
}

// Types the two answers to Set Password's questions and presses it.
void SetTo(QWidget* dialog, ScriptedPasswordPrompt& ask, const char* first, const char* second) {
  ask.Answer(first);
  ask.Answer(second);
  Click(dialog, kIdSetPassword);
}

// The buttons of a dialog whose password is set, or not.
void ExpectButtons(QWidget* dialog, bool set) {
  QCOMPARE(ButtonOf(dialog, kIdSetPassword)->text(),
           QString(set ? "Change Pass&word" : "Set Pass&word"));
  QCOMPARE(ButtonOf(dialog, kIdDisablePassword)->isEnabled(), set);
}

// Sets the master password the way an administrator does the first time.
void SetFirstMaster(const std::string& master) {
  ScriptedPasswordPrompt ask;
  ask.Answer(master);
  ask.Answer(master);
  TMasterPasswordClass dialog(nullptr, ask, false);
  dialog.OpenModeless();
  Click(&dialog, kIdSetPassword);
  dialog.CloseWith(1);
}

// What the person was doing when the name table failed them.
constexpr int kChoose = 0, kSetUser = 1, kUserOk = 2, kSetMaster = 3;
// How it failed them.
constexpr int kTableIsAFolder = 0, kTableCutShort = 1, kRecordHeld = 2, kHeaderHeld = 3;

// The name table failing the way a file server or another workstation makes
// it fail, until this goes: the file replaced by a folder (which stops root
// too, unlike a file's mode) or cut short inside its header, or Tom's record
// or the header held through another handle.
class NameTableInTheWay {
 public:
  NameTableInTheWay(const TempDir& dir, int fault)
      : file_(dir.File("NAME.DAT")), kept_(dir.File("NAME.kept")), fault_(fault) {
    if (fault == kTableIsAFolder || fault == kTableCutShort) {
      std::filesystem::copy_file(file_, kept_);
      if (fault == kTableIsAFolder) {
        std::filesystem::remove(file_);
        std::filesystem::create_directory(file_);
      } else {
        std::filesystem::resize_file(file_, 100);
      }
      return;
    }
    QVERIFY(NameOpen(other_));
    if (fault == kHeaderHeld) {
      QVERIFY(DbLockHeader(other_.table));
    } else {
      QVERIFY(NameFind(other_, "Baker Tom", &tom_));
      QVERIFY(DbLockRecord(other_.table, tom_.RecordNumber()));
    }
  }
  ~NameTableInTheWay() {
    if (fault_ == kHeaderHeld) DbUnlockHeader(other_.table);
    if (fault_ == kRecordHeld) DbUnlockRecord(other_.table, tom_.RecordNumber());
    if (other_.open) NameClose(other_);
    if (!std::filesystem::exists(kept_)) return;
    std::filesystem::remove(file_);
    std::filesystem::rename(kept_, file_);
  }

 private:
  std::string file_, kept_;
  int fault_;
  NameTable other_;
  NameEntry tom_;
};

}  // namespace

class PasswordDialogsTest : public QObject {
  Q_OBJECT

  std::unique_ptr<ScriptedPrompts> prompts;
  std::unique_ptr<PasswordOffice> office;
  ScriptedPasswordPrompt ask;

 private slots:
  void init() {
    prompts = std::make_unique<ScriptedPrompts>();
    office = std::make_unique<PasswordOffice>();
    QVERIFY(office->ok);
    ask = ScriptedPasswordPrompt();
  }
  void cleanup() {
    office.reset();
    prompts.reset();
  }

  // ---- GETPASSWORD ----

  void passwordDialogHidesWhatIsTypedAndAnswersIt() {
    TGetPasswordClass dialog(nullptr, "New password:");
    dialog.OpenModeless();
    QCOMPARE(dialog.windowTitle(), QString("Enter Password"));
    auto* field = FindControlAs<QLineEdit>(&dialog, kIdPasswordField);
    QVERIFY(field);
    QCOMPARE(field->echoMode(), QLineEdit::Password);
    QCOMPARE(field->maxLength(), 19);
    field->setFocus();
    QTest::keyClicks(field, "Secret word that is far too long");
    QCOMPARE(field->text().size(), 19);
    Click(&dialog, kIdOk);
    QCOMPARE(dialog.Result(), 1);
    QCOMPARE(dialog.Password(), std::string("Secret word that is"));
    // Cancel answers nothing.
    TGetPasswordClass cancelled(nullptr, "Password:");
    cancelled.OpenModeless();
    QTest::keyClicks(FindControl(&cancelled, kIdPasswordField), "abc");
    Click(&cancelled, kIdCancel);
    QCOMPARE(cancelled.Result(), 0);
  }

  // ---- Master password ----

  void firstMasterAsksTheImportantQuestionWithNoAsDefault() {
    // No scripted answer: the question's default, No, and no dialog.
    QVERIFY(!MasterPasswordOpening(ask));
    auto questions = prompts->Questions();
    QCOMPARE(questions.size(), size_t(1));
    QCOMPARE(questions[0].kind, QString("YesNo"));
    QCOMPARE(questions[0].caption, QString("Passwords"));
    QVERIFY(questions[0].text.startsWith("IMPORTANT - PLEASE READ!\n\nPasswords are currently"));
    QVERIFY(questions[0].text.endsWith("DESKpost technician.\n\nDo you wish to proceed?"));
    QVERIFY(ask.asked.empty());

    prompts->Answer(1);
    std::optional<bool> set = MasterPasswordOpening(ask);
    QVERIFY(set);
    QVERIFY(!*set);
  }

  void firstMasterAlsoSetsThePhonePassword() {
    TMasterPasswordClass dialog(nullptr, ask, false);
    dialog.OpenModeless();
    QCOMPARE(dialog.windowTitle(), QString("Master Password"));
    ExpectButtons(&dialog, false);

    SetTo(&dialog, ask, "Boss", "boss");
    QCOMPARE(ask.asked, (std::vector<std::string>{"New password:", "Re-enter password:"}));
    QCOMPARE(Informed(*prompts), QStringList{"Passwords are now enabled."});
    ExpectButtons(&dialog, true);
    QCOMPARE(office->Office().master, std::string("Boss"));
    QCOMPARE(office->Office().phone, std::string("Boss"));

    // So the phone dialog starts in the not-set state.
    ScriptedPasswordPrompt admin;
    admin.Answer("BOSS");
    std::optional<bool> phoneSet = PhonePasswordOpening(admin);
    QVERIFY(phoneSet);
    QVERIFY(!*phoneSet);
    Click(&dialog, kIdOk);
    QCOMPARE(dialog.Result(), 1);
  }

  void masterDialogOpensSetOnlyForTheMasterPassword() {
    SetFirstMaster("boss");
    WritePhonePassword("desk");
    prompts->Clear();
    ask.Answer("desk");  // the phone password does not manage passwords
    QVERIFY(!MasterPasswordOpening(ask));
    ask.Cancel();
    QVERIFY(!MasterPasswordOpening(ask));
    ask.Answer("Boss");
    std::optional<bool> set = MasterPasswordOpening(ask);
    QVERIFY(set);
    QVERIFY(*set);
    QVERIFY(prompts->Questions().empty());
  }

  void disablingTheMasterTurnsPasswordsOff() {
    SetFirstMaster("boss");
    prompts->Clear();
    TMasterPasswordClass dialog(nullptr, ask, true);
    dialog.OpenModeless();
    QCOMPARE(ButtonOf(&dialog, kIdSetPassword)->text(), QString("Change Pass&word"));
    Click(&dialog, kIdDisablePassword);
    QCOMPARE(Informed(*prompts), QStringList{"Passwords are disabled."});
    QCOMPARE(office->Office().master, std::string());
    ExpectButtons(&dialog, false);
    QVERIFY(!PasswordManagementEnabled());
    // So does an empty new master password.
    SetFirstMaster("boss");
    prompts->Clear();
    TMasterPasswordClass again(nullptr, ask, true);
    again.OpenModeless();
    SetTo(&again, ask, "", "");
    QCOMPARE(Informed(*prompts), QStringList{"Passwords are disabled."});
    QVERIFY(!office->Office().MasterSet());
  }

  void mismatchAsksAgainUntilTheTwoAgree() {
    TMasterPasswordClass dialog(nullptr, ask, false);
    dialog.OpenModeless();
    for (const char* typed : {"one", "two", "three", "three"}) ask.Answer(typed);
    prompts->Answer(1);  // try again
    Click(&dialog, kIdSetPassword);
    auto questions = prompts->Questions();
    QCOMPARE(questions[0].kind, QString("YesNo"));
    QCOMPARE(questions[0].text, QString("Passwords don't match. Try again?"));
    QCOMPARE(ask.asked.size(), size_t(4));
    QCOMPARE(office->Office().master, std::string("three"));
  }

  void aMismatchNotRetriedOrTheSecondQuestionCancelledStoresNothing() {
    TMasterPasswordClass dialog(nullptr, ask, false);
    dialog.OpenModeless();
    prompts->Answer(0);
    SetTo(&dialog, ask, "one", "two");
    QCOMPARE(prompts->Questions().size(), size_t(1));
    ask.Answer("one");
    ask.Cancel();
    Click(&dialog, kIdSetPassword);
    QCOMPARE(prompts->Questions().size(), size_t(1));
    QVERIFY(!office->Office().MasterSet());
    QVERIFY(Informed(*prompts).isEmpty());
    ExpectButtons(&dialog, false);
  }

  void changingTheMasterKeepsAnUnsetPhonePasswordWithoutEffect() {
    SetFirstMaster("old");
    TMasterPasswordClass dialog(nullptr, ask, true);
    dialog.OpenModeless();
    SetTo(&dialog, ask, "new", "new");
    QCOMPARE(office->Office().master, std::string("new"));
    // The phone password stays unset and without effect: the old master
    // password opens nobody's messages now.
    QVERIFY(!office->Office().PhoneSet());
    ScriptedPasswordPrompt old;
    old.Answer("old");
    WriteUserPassword("Baker Tom", "tom");
    WriteProtectedAreas("Baker Tom", kAreaMessages);
    QCOMPARE(CheckPassword("Baker Tom", PasswordForm::kPerson, kAreaMessages, old),
             int(kPasswordRefused));
    // A phone password of its own is kept.
    WritePhonePassword("desk");
    SetTo(&dialog, ask, "newer", "newer");
    QCOMPARE(office->Office().phone, std::string("desk"));
  }

  // ---- Phone password ----

  void phonePasswordOfItsOwnIsEnabled() {
    SetFirstMaster("boss");
    prompts->Clear();
    TPhonePasswordClass dialog(nullptr, ask, false);
    dialog.OpenModeless();
    QCOMPARE(dialog.windowTitle(), QString("Phone Password*"));
    auto* note = FindControlAs<QLabel>(&dialog, kIdPhonePasswordNote);
    QVERIFY(note);
    QCOMPARE(note->text(), QString("*The Phone password allows you to view another user's Phone "
                                   "messages, but not memos or e-mails."));
    QVERIFY(!ButtonOf(&dialog, kIdDisablePassword)->isEnabled());
    SetTo(&dialog, ask, "desk", "desk");
    QCOMPARE(Informed(*prompts), QStringList{"Password is now enabled."});
    QCOMPARE(office->Office().phone, std::string("desk"));
    QVERIFY(dialog.PasswordSet());
    ExpectButtons(&dialog, true);
  }

  void phonePasswordEqualToMasterAsksAndDisables() {
    SetFirstMaster("boss");
    WritePhonePassword("desk");
    prompts->Clear();
    TPhonePasswordClass dialog(nullptr, ask, true);
    dialog.OpenModeless();
    prompts->Answer(0);  // No changes nothing
    SetTo(&dialog, ask, "boss", "boss");
    QCOMPARE(office->Office().phone, std::string("desk"));
    QVERIFY(dialog.PasswordSet());
    QVERIFY(Informed(*prompts).isEmpty());
    prompts->Answer(1);
    SetTo(&dialog, ask, "BOSS", "BOSS");
    auto questions = prompts->Questions();
    QCOMPARE(questions[1].kind, QString("YesNo"));
    QCOMPARE(questions[1].text,
             QString("Setting the Phone password to the Master password, effectively disables "
                     "the Phone password, are you sure?"));
    QCOMPARE(Informed(*prompts), QStringList{"Password is disabled."});
    QCOMPARE(office->Office().phone, std::string("boss"));
    QVERIFY(!dialog.PasswordSet());
    ExpectButtons(&dialog, false);
  }

  // ---- User password ----

  void userDialogStartsNotSetForAPersonWithoutPasswordAndOkWritesTheAreas() {
    std::optional<UserPasswordOpening> opening =
        OpenUserPassword([] { return std::optional<std::string>("baker tom"); });
    QVERIFY(opening);
    QCOMPARE(opening->name, std::string("Baker Tom"));
    TUserPasswordClass dialog(nullptr, ask, opening->name, opening->user);
    dialog.OpenModeless();
    QCOMPARE(dialog.windowTitle(), QString("User Password"));
    ExpectButtons(&dialog, false);
    for (int id : {kIdAreaMessages, kIdAreaPhoneList, kIdAreaScheduler, kIdAreaTodo}) {
      auto* box = FindControlAs<QCheckBox>(&dialog, id);
      QVERIFY(box);
      QVERIFY(!box->isEnabled());
      QVERIFY(!box->isChecked());
    }
    // Setting the password enables the areas; OK writes them.
    SetTo(&dialog, ask, "tom", "tom");
    QCOMPARE(Informed(*prompts), QStringList{"Passwords are now enabled."});
    QCOMPARE(office->User("Baker Tom").password, std::string("tom"));
    ExpectButtons(&dialog, true);
    for (int id : {kIdAreaMessages, kIdAreaTodo}) {
      auto* box = FindControlAs<QCheckBox>(&dialog, id);
      QVERIFY(box->isEnabled());
      QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
    }
    Click(&dialog, kIdOk);
    QCOMPARE(dialog.Result(), 1);
    QCOMPARE(int(office->User("Baker Tom").areas), kAreaMessages | kAreaTodo);
  }

  void userDialogOpensSetWithTheAreasTicked() {
    WriteUserPassword("Carter Ann", "ann");
    WriteProtectedAreas("Carter Ann", kAreaPhoneList | kAreaScheduler);
    std::optional<UserPasswordOpening> opening =
        OpenUserPassword([] { return std::optional<std::string>("Carter Ann"); });
    QVERIFY(opening);
    TUserPasswordClass dialog(nullptr, ask, opening->name, opening->user);
    dialog.OpenModeless();
    QVERIFY(dialog.PasswordSet());
    QCOMPARE(ButtonOf(&dialog, kIdSetPassword)->text(), QString("Change Pass&word"));
    QVERIFY(!FindControlAs<QCheckBox>(&dialog, kIdAreaMessages)->isChecked());
    QVERIFY(FindControlAs<QCheckBox>(&dialog, kIdAreaPhoneList)->isChecked());
    QVERIFY(FindControlAs<QCheckBox>(&dialog, kIdAreaScheduler)->isChecked());
    QVERIFY(!FindControlAs<QCheckBox>(&dialog, kIdAreaTodo)->isChecked());
    QVERIFY(FindControlAs<QCheckBox>(&dialog, kIdAreaTodo)->isEnabled());

    Click(&dialog, kIdDisablePassword);
    QCOMPARE(Informed(*prompts), QStringList{"Passwords are disabled."});
    QCOMPARE(office->User("Carter Ann").password, std::string());
    QVERIFY(!FindControlAs<QCheckBox>(&dialog, kIdAreaScheduler)->isEnabled());
    QVERIFY(!ButtonOf(&dialog, kIdDisablePassword)->isEnabled());
  }

  void cancelLeavesTheAreasAsTheyWere() {
    WriteUserPassword("Carter Ann", "ann");
    WriteProtectedAreas("Carter Ann", kAreaScheduler);
    TUserPasswordClass dialog(nullptr, ask, "Carter Ann", office->User("Carter Ann"));
    dialog.OpenModeless();
    FindControlAs<QCheckBox>(&dialog, kIdAreaMessages)->click();
    Click(&dialog, kIdCancel);
    QCOMPARE(int(office->User("Carter Ann").areas), kAreaScheduler);
  }

  // A password set without ticking an area protects nothing (the check's
  // rules are passwords_test's).
  void aPasswordWithoutAreasStoresNoArea() {
    SetFirstMaster("boss");
    TUserPasswordClass dialog(nullptr, ask, "Baker Tom", UserPassword());
    dialog.OpenModeless();
    SetTo(&dialog, ask, "tom", "tom");
    Click(&dialog, kIdOk);
    QCOMPARE(office->User("Baker Tom").password, std::string("tom"));
    QCOMPARE(int(office->User("Baker Tom").areas), 0);
  }

  void thePersonIsChosenInTheNamePickerWithTheirOwnPassword() {
    SetFirstMaster("boss");
    WriteUserPassword("Baker Tom", "tom");
    DialogScript script;
    for (int i = 0; i < 2; ++i) {
      script.Then([](TBaseDialog& d) {
        auto& picker = static_cast<NamePickerDialog&>(d);
        QCOMPARE(picker.Search()->text(), QString());
        TypeSearch(picker.Search(), "Baker");
        DialogScript::Press(d, kIdOk);
        // A refused choice leaves the picker open; the user gives up.
        if (picker.IsOpen()) DialogScript::Press(d, kIdCancel);
      });
    }
    ask.Answer("guess");
    QVERIFY(!OpenUserPassword(NamePickerChooser(nullptr, ask)));
    ask.Answer("TOM");
    std::optional<UserPasswordOpening> opening = OpenUserPassword(NamePickerChooser(nullptr, ask));
    QVERIFY(opening);
    QCOMPARE(opening->name, std::string("Baker Tom"));
    QCOMPARE(opening->user.password, std::string("tom"));
    QCOMPARE(ask.asked, (std::vector<std::string>{"Password:", "Password:"}));
  }

  void userDialogDoesNotOpenWhenNoOneOrAGroupIsChosen() {
    QVERIFY(!OpenUserPassword([] { return std::optional<std::string>(); }));
    QVERIFY(prompts->Questions().empty());
    QVERIFY(!OpenUserPassword([] { return std::optional<std::string>("*Sales"); }));
    QCOMPARE(Informed(*prompts), QStringList{"Invalid name: *Sales"});
  }

  void openingAPasswordDialogForgetsRememberedNames_data() {
    QTest::addColumn<int>("dialog");
    QTest::newRow("user") << 0;
    QTest::newRow("master") << 1;
    QTest::newRow("phone") << 2;
  }
  void openingAPasswordDialogForgetsRememberedNames() {
    QFETCH(int, dialog);
    SetFirstMaster("boss");
    // Nobody guards anything yet: Tom is remembered as open for messages.
    QVERIFY(CheckArea("Baker Tom", kAreaMessages, ask));
    WriteUserPassword("Baker Tom", "tom");
    WriteProtectedAreas("Baker Tom", kAreaMessages);
    QVERIFY(CheckArea("Baker Tom", kAreaMessages, ask));
    QVERIFY(ask.asked.empty());
    // Given up at once, the opening has still forgotten.
    ScriptedPasswordPrompt admin;
    if (dialog == 0) OpenUserPassword([] { return std::optional<std::string>(); });
    if (dialog == 1) QVERIFY(!MasterPasswordOpening(admin));
    if (dialog == 2) QVERIFY(!PhonePasswordOpening(admin));
    QVERIFY(!CheckArea("Baker Tom", kAreaMessages, ask));
    QCOMPARE(ask.asked, std::vector<std::string>{"Password:"});
  }

  // ---- The name table in the way ----

  void aNameTableThatFailsIsShownAndNothingIsChanged_data() {
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("fault");
    QTest::addColumn<QString>("shown");
    QTest::newRow("choosing, the table a folder")
        << kChoose << kTableIsAFolder << QString("Error opening file: <dir>NAME.DAT");
    QTest::newRow("choosing, the table cut short")
        << kChoose << kTableCutShort << QString("Error reading file: NAME");
    QTest::newRow("user set, the record held")
        << kSetUser << kRecordHeld << QString("Error locking file: Baker Tom");
    QTest::newRow("user OK, the record held")
        << kUserOk << kRecordHeld << QString("Error locking file: Baker Tom");
    QTest::newRow("user OK, the table a folder")
        << kUserOk << kTableIsAFolder << QString("Error opening file: <dir>NAME.DAT");
    QTest::newRow("master set, the table a folder")
        << kSetMaster << kTableIsAFolder << QString("Error opening file: <dir>NAME.DAT");
    QTest::newRow("master set, the table cut short")
        << kSetMaster << kTableCutShort << QString("Error reading file: NAME");
    QTest::newRow("master set, the header held")
        << kSetMaster << kHeaderHeld << QString("Error locking file: NAME");
  }
  void aNameTableThatFailsIsShownAndNothingIsChanged() {
    QFETCH(int, step);
    QFETCH(int, fault);
    QFETCH(QString, shown);
    FastTicks ticks;  // a held header is waited for, in no real time
    // Tom's first password is the one whose failure could be taken for
    // "Passwords are now enabled"; the areas need a password to be kept.
    if (step != kSetUser) {
      WriteUserPassword("Baker Tom", "tom");
      WriteProtectedAreas("Baker Tom", kAreaScheduler);
    }
    const UserPassword tom = office->User("Baker Tom");
    std::unique_ptr<TPasswordDialog> dialog;
    if (step == kSetMaster) dialog = std::make_unique<TMasterPasswordClass>(nullptr, ask, false);
    if (step == kSetUser || step == kUserOk) {
      dialog = std::make_unique<TUserPasswordClass>(nullptr, ask, "Baker Tom", tom);
    }
    if (dialog) dialog->OpenModeless();
    const bool wasSet = dialog && dialog->PasswordSet();
    prompts->Clear();
    {
      NameTableInTheWay inTheWay(office->dir, fault);
      switch (step) {
        case kChoose:
          QVERIFY(!OpenUserPassword([] { return std::optional<std::string>("Baker Tom"); }));
          break;
        case kUserOk:
          FindControlAs<QCheckBox>(dialog.get(), kIdAreaMessages)->click();
          Click(dialog.get(), kIdOk);
          QVERIFY(dialog->IsOpen());
          break;
        default:
          SetTo(dialog.get(), ask, "new", "new");
          QCOMPARE(dialog->PasswordSet(), wasSet);
      }
    }
    QCOMPARE(Informed(*prompts),
             QStringList{shown.replace("<dir>", QString::fromStdString(office->dir.Path()))});
    QCOMPARE(office->User("Baker Tom").password, tom.password);
    QCOMPARE(office->User("Baker Tom").areas, tom.areas);
    QVERIFY(!office->Office().MasterSet());
  }

  // ---- The Password menu ----

  void phoneAndUserEntriesNeedAMasterPassword() {
    QAction phone("&Phone...");
    QAction user("&User...");
    UpdatePasswordMenu(&phone, &user);
    QVERIFY(!phone.isEnabled());
    QVERIFY(!user.isEnabled());
    SetFirstMaster("boss");
    UpdatePasswordMenu(&phone, &user);
    QVERIFY(phone.isEnabled());
    QVERIFY(user.isEnabled());
    // They stay disabled, and nothing is shown, when the name table cannot be read.
    prompts->Clear();
    SetDataDirectory(office->dir.Path() + "missing/");
    QVERIFY(!PasswordManagementEnabled());
    QVERIFY(prompts->Questions().empty());
    SetDataDirectory(office->dir.Path());
  }
};

QTEST_MAIN(PasswordDialogsTest)
#include "password_dialogs_test.moc"
