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
#include <utility>

#include "data/office/dpname.h"
#include "data/office/passwords.h"
#include "name_dialogs.h"
#include "name_office.h"
#include "shell/ui/passwords/get_password_dialog.h"
#include "shell/ui/passwords/master_password_dialog.h"
#include "shell/ui/passwords/name_picker_chooser.h"
#include "shell/ui/passwords/password_menu.h"
#include "shell/ui/passwords/phone_password_dialog.h"
#include "shell/ui/passwords/user_password_dialog.h"
#include "storage/database.h"
#include "tests/support/test_rows.h"
#include "toolkit/control_id.h"
#include "toolkit/names/name_picker.h"
#include "toolkit/scripted_prompts.h"

namespace {

using ScriptedPasswordPrompt = ScriptedPasswords;

// The name windows' office with two people and a group.
struct PasswordOffice : NameOffice {
  PasswordOffice() {
    for (const char* name : {"Baker Tom", "Carter Ann", "*Sales"}) ok = ok && Add(name) != 0;
    ClearAppError();
    ForgetPasswordCache();
  }
  OfficePasswords Office() {
    OfficePasswords office;
    ReadOfficePasswords(&office);
    return office;
  }
  UserPassword User(const std::string& name) {
    UserPassword user;
    ReadUserPassword(name, &user);
    return user;
  }
  bool ok = true;
};

// A password dialog made and opened modeless.
template <class D, class... Args>
std::unique_ptr<D> Opened(Args&&... args) {
  auto dialog = std::make_unique<D>(nullptr, std::forward<Args>(args)...);
  dialog->OpenModeless();
  return dialog;
}

// The areas ticked, or enabled, in a user password dialog.
int Areas(QWidget* dialog, bool enabled = false) {
  int areas = 0;
  for (auto [id, area] : {std::pair{kIdAreaMessages, kAreaMessages},
                          {kIdAreaPhoneList, kAreaPhoneList},
                          {kIdAreaScheduler, kAreaScheduler},
                          {kIdAreaTodo, kAreaTodo}}) {
    auto* box = FindControlAs<QCheckBox>(dialog, id);
    if (enabled ? box->isEnabled() : box->isChecked()) areas |= area;
  }
  return areas;
}

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
  Click(Opened<TMasterPasswordClass>(ask, false).get(), kIdSetPassword);
}

// What the person was doing when the name table failed them.
constexpr int kChoose = 0, kSetUser = 1, kUserOk = 2, kSetMaster = 3;
// How it failed them.
constexpr int kTableIsAFolder = 0, kTableCutShort = 1, kRecordHeld = 2, kHeaderHeld = 3;

// What the person was doing when the name table failed them, how it
// failed them, and what they were shown.
struct Failure {
  const char* name;
  int step, fault;
  const char* shown;
};
constexpr Failure kFailures[] = {
    {"choosing, the table a folder", kChoose, kTableIsAFolder, "Error opening file: <dir>NAME.DAT"},
    {"choosing, the table cut short", kChoose, kTableCutShort, "Error reading file: NAME"},
    {"user set, the record held", kSetUser, kRecordHeld, "Error locking file: Baker Tom"},
    {"user OK, the record held", kUserOk, kRecordHeld, "Error locking file: Baker Tom"},
    {"user OK, the table a folder", kUserOk, kTableIsAFolder, "Error opening file: <dir>NAME.DAT"},
    {"master set, the table a folder", kSetMaster, kTableIsAFolder,
     "Error opening file: <dir>NAME.DAT"},
    {"master set, the table cut short", kSetMaster, kTableCutShort, "Error reading file: NAME"},
    {"master set, the header held", kSetMaster, kHeaderHeld, "Error locking file: NAME"},
};

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
    auto dialog = Opened<TGetPasswordClass>("New password:");
    QCOMPARE(dialog->windowTitle(), QString("Enter Password"));
    auto* field = FindControlAs<QLineEdit>(dialog.get(), kIdPasswordField);
    QVERIFY(field);
    QCOMPARE(field->echoMode(), QLineEdit::Password);
    field->setFocus();
    QTest::keyClicks(field, "Secret word that is far too long");
    Click(dialog.get(), kIdOk);
    QCOMPARE(dialog->Result(), 1);
    QCOMPARE(dialog->Password(), std::string("Secret word that is"));  // 19 characters
    // Cancel answers nothing.
    auto cancelled = Opened<TGetPasswordClass>("Password:");
    QTest::keyClicks(FindControl(cancelled.get(), kIdPasswordField), "abc");
    Click(cancelled.get(), kIdCancel);
    QCOMPARE(cancelled->Result(), 0);
  }

  // ---- Master password ----

  void firstMasterAsksTheImportantQuestionWithNoAsDefault() {
    // No scripted answer: the question's default, No, and no dialog.
    QVERIFY(!MasterPasswordOpening(ask));
    auto questions = prompts->Questions();
    QCOMPARE(questions.size(), size_t(1));
    QCOMPARE(questions[0].kind + " " + questions[0].caption, QString("YesNo Passwords"));
    QVERIFY(questions[0].text.startsWith("IMPORTANT - PLEASE READ!\n\nPasswords are currently"));
    QVERIFY(questions[0].text.endsWith("DESKpost technician.\n\nDo you wish to proceed?"));
    QVERIFY(ask.asked.empty());
    prompts->Answer(1);
    QCOMPARE(MasterPasswordOpening(ask), std::optional<bool>(false));
  }

  void firstMasterAlsoSetsThePhonePassword() {
    auto dialog = Opened<TMasterPasswordClass>(ask, false);
    QCOMPARE(dialog->windowTitle(), QString("Master Password"));
    ExpectButtons(dialog.get(), false);
    SetTo(dialog.get(), ask, "Boss", "boss");
    QCOMPARE(ask.asked, (std::vector<std::string>{"New password:", "Re-enter password:"}));
    QCOMPARE(Informed(*prompts), QStringList{"Passwords are now enabled."});
    ExpectButtons(dialog.get(), true);
    QCOMPARE(office->Office().master, std::string("Boss"));
    QCOMPARE(office->Office().phone, std::string("Boss"));
    // So the phone dialog starts in the not-set state.
    ScriptedPasswordPrompt admin;
    admin.Answer("BOSS");
    QCOMPARE(PhonePasswordOpening(admin), std::optional<bool>(false));
    Click(dialog.get(), kIdOk);
    QCOMPARE(dialog->Result(), 1);
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
    QCOMPARE(MasterPasswordOpening(ask), std::optional<bool>(true));
    QVERIFY(prompts->Questions().empty());
  }

  void disablingTheMasterTurnsPasswordsOff() {
    SetFirstMaster("boss");
    prompts->Clear();
    auto dialog = Opened<TMasterPasswordClass>(ask, true);
    ExpectButtons(dialog.get(), true);
    Click(dialog.get(), kIdDisablePassword);
    QCOMPARE(Informed(*prompts), QStringList{"Passwords are disabled."});
    QCOMPARE(office->Office().master, std::string());
    ExpectButtons(dialog.get(), false);
    QVERIFY(!PasswordManagementEnabled());
    // So does an empty new master password.
    SetFirstMaster("boss");
    prompts->Clear();
    auto again = Opened<TMasterPasswordClass>(ask, true);
    SetTo(again.get(), ask, "", "");
    QCOMPARE(Informed(*prompts), QStringList{"Passwords are disabled."});
    QVERIFY(!office->Office().MasterSet());
  }

  // A mismatch not tried again, or the second question cancelled, stores
  // nothing; tried again, the questions come until the two agree.
  void aMismatchAsksAgainOrStoresNothing() {
    auto dialog = Opened<TMasterPasswordClass>(ask, false);
    prompts->Answer(0);
    SetTo(dialog.get(), ask, "one", "two");
    QCOMPARE(prompts->Questions().size(), size_t(1));
    QCOMPARE(prompts->Questions()[0].kind, QString("YesNo"));
    QCOMPARE(prompts->Questions()[0].text, QString("Passwords don't match. Try again?"));
    ask.Answer("one");
    ask.Cancel();
    Click(dialog.get(), kIdSetPassword);
    QCOMPARE(prompts->Questions().size(), size_t(1));
    QVERIFY(!office->Office().MasterSet());
    QVERIFY(Informed(*prompts).isEmpty());
    ExpectButtons(dialog.get(), false);
    ask.asked.clear();
    for (const char* typed : {"one", "two", "three", "three"}) ask.Answer(typed);
    prompts->Answer(1);
    Click(dialog.get(), kIdSetPassword);
    QCOMPARE(ask.asked.size(), size_t(4));
    QCOMPARE(office->Office().master, std::string("three"));
  }

  void changingTheMasterKeepsAnUnsetPhonePasswordWithoutEffect() {
    SetFirstMaster("old");
    auto dialog = Opened<TMasterPasswordClass>(ask, true);
    SetTo(dialog.get(), ask, "new", "new");
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
    SetTo(dialog.get(), ask, "newer", "newer");
    QCOMPARE(office->Office().phone, std::string("desk"));
  }

  // ---- Phone password ----

  void phonePasswordOfItsOwnIsEnabled() {
    SetFirstMaster("boss");
    prompts->Clear();
    auto dialog = Opened<TPhonePasswordClass>(ask, false);
    QCOMPARE(dialog->windowTitle(), QString("Phone Password*"));
    auto* note = FindControlAs<QLabel>(dialog.get(), kIdPhonePasswordNote);
    QVERIFY(note);
    QCOMPARE(note->text(), QString("*The Phone password allows you to view another user's Phone "
                                   "messages, but not memos or e-mails."));
    ExpectButtons(dialog.get(), false);
    SetTo(dialog.get(), ask, "desk", "desk");
    QCOMPARE(Informed(*prompts), QStringList{"Password is now enabled."});
    QCOMPARE(office->Office().phone, std::string("desk"));
    QVERIFY(dialog->PasswordSet());
    ExpectButtons(dialog.get(), true);
  }

  void phonePasswordEqualToMasterAsksAndDisables() {
    SetFirstMaster("boss");
    WritePhonePassword("desk");
    prompts->Clear();
    auto dialog = Opened<TPhonePasswordClass>(ask, true);
    prompts->Answer(0);  // No changes nothing
    SetTo(dialog.get(), ask, "boss", "boss");
    QCOMPARE(office->Office().phone, std::string("desk"));
    QVERIFY(dialog->PasswordSet());
    QVERIFY(Informed(*prompts).isEmpty());
    prompts->Answer(1);
    SetTo(dialog.get(), ask, "BOSS", "BOSS");
    auto questions = prompts->Questions();
    QCOMPARE(questions[1].kind, QString("YesNo"));
    QCOMPARE(questions[1].text,
             QString("Setting the Phone password to the Master password, effectively disables "
                     "the Phone password, are you sure?"));
    QCOMPARE(Informed(*prompts), QStringList{"Password is disabled."});
    QCOMPARE(office->Office().phone, std::string("boss"));
    QVERIFY(!dialog->PasswordSet());
    ExpectButtons(dialog.get(), false);
  }

  // ---- User password ----

  // Setting the password enables the areas; OK writes those ticked (none
  // ticked protects nothing).
  void userDialogStartsNotSetForAPersonWithoutPasswordAndOkWritesTheAreas_data() {
    QTest::addColumn<int>("ticked");
    QTest::newRow("messages and to-do") << (kAreaMessages | kAreaTodo);
    QTest::newRow("none") << 0;
  }
  void userDialogStartsNotSetForAPersonWithoutPasswordAndOkWritesTheAreas() {
    QFETCH(int, ticked);
    std::optional<UserPasswordOpening> opening =
        OpenUserPassword([] { return std::optional<std::string>("baker tom"); });
    QVERIFY(opening);
    QCOMPARE(opening->name, std::string("Baker Tom"));
    auto dialog = Opened<TUserPasswordClass>(ask, opening->name, opening->user);
    QCOMPARE(dialog->windowTitle(), QString("User Password"));
    ExpectButtons(dialog.get(), false);
    QCOMPARE(Areas(dialog.get()) | Areas(dialog.get(), true), 0);
    SetTo(dialog.get(), ask, "tom", "tom");
    QCOMPARE(Informed(*prompts), QStringList{"Passwords are now enabled."});
    QCOMPARE(office->User("Baker Tom").password, std::string("tom"));
    ExpectButtons(dialog.get(), true);
    QCOMPARE(Areas(dialog.get(), true), int(kStoredAreas));
    for (int id : {kIdAreaMessages, kIdAreaTodo}) {
      auto* box = FindControlAs<QCheckBox>(dialog.get(), id);
      if (ticked) QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
    }
    Click(dialog.get(), kIdOk);
    QCOMPARE(dialog->Result(), 1);
    QCOMPARE(int(office->User("Baker Tom").areas), ticked);
  }

  void userDialogOpensSetWithTheAreasTicked() {
    WriteUserPassword("Carter Ann", "ann");
    WriteProtectedAreas("Carter Ann", kAreaPhoneList | kAreaScheduler);
    // Cancel leaves the areas as they were.
    auto cancelled = Opened<TUserPasswordClass>(ask, "Carter Ann", office->User("Carter Ann"));
    FindControlAs<QCheckBox>(cancelled.get(), kIdAreaMessages)->click();
    Click(cancelled.get(), kIdCancel);
    QCOMPARE(int(office->User("Carter Ann").areas), kAreaPhoneList | kAreaScheduler);
    std::optional<UserPasswordOpening> opening =
        OpenUserPassword([] { return std::optional<std::string>("Carter Ann"); });
    QVERIFY(opening);
    auto dialog = Opened<TUserPasswordClass>(ask, opening->name, opening->user);
    QVERIFY(dialog->PasswordSet());
    ExpectButtons(dialog.get(), true);
    QCOMPARE(Areas(dialog.get()), kAreaPhoneList | kAreaScheduler);
    QCOMPARE(Areas(dialog.get(), true), int(kStoredAreas));
    Click(dialog.get(), kIdDisablePassword);
    QCOMPARE(Informed(*prompts), QStringList{"Passwords are disabled."});
    QCOMPARE(office->User("Carter Ann").password, std::string());
    QCOMPARE(Areas(dialog.get(), true), 0);
    ExpectButtons(dialog.get(), false);
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
    int dialog = 0;
    for (const char* name : {"user", "master", "phone"}) QTest::newRow(name) << dialog++;
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

  void aNameTableThatFailsIsShownAndNothingIsChanged_data() { AddRows(kFailures); }
  void aNameTableThatFailsIsShownAndNothingIsChanged() {
    const Failure& f = TestRow(kFailures);
    const int step = f.step;
    FastTicks ticks;  // a held header is waited for, in no real time
    // Tom's first password is the one whose failure could be taken for
    // "Passwords are now enabled"; the areas need a password to be kept.
    if (step != kSetUser) {
      WriteUserPassword("Baker Tom", "tom");
      WriteProtectedAreas("Baker Tom", kAreaScheduler);
    }
    const UserPassword tom = office->User("Baker Tom");
    std::unique_ptr<TPasswordDialog> dialog;
    if (step == kSetMaster) dialog = Opened<TMasterPasswordClass>(ask, false);
    if (step == kSetUser || step == kUserOk)
      dialog = Opened<TUserPasswordClass>(ask, "Baker Tom", tom);
    const bool wasSet = dialog && dialog->PasswordSet();
    prompts->Clear();
    {
      NameTableInTheWay inTheWay(office->dir, f.fault);
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
    QCOMPARE(Informed(*prompts), QStringList{QString(f.shown).replace(
                                     "<dir>", QString::fromStdString(office->dir.Path()))});
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
