// The folder dialogs (FOLDER, FOLDER_AND_NAME, NEWFOLDER, EDITFOLDER) and
// the CC list on a real office: which folders show for whom, choosing,
// creating, renaming and deleting folders, names in another letter case,
// and the CC names of a group message.
#include "messaging/folder_dialog.h"

#include <QListWidget>
#include <QRadioButton>
#include <QTest>
#include <memory>

#include "data/messages/dpcc.h"
#include "data/messages/take_send.h"
#include "data/office/passwords.h"
#include "messaging/cc_list_dialog.h"
#include "messaging/folder_list.h"
#include "tests/messaging/messaging_office.h"
#include "tests/support/lock_holder.h"
#include "tests/toolkit/name_office.h"
#include "toolkit/names/name_picker.h"

namespace {

QStringList Shown(const TFolderList& list) {
  QStringList names;
  for (int i = 0; i < list.RowsFilled(); ++i)
    names << QString::fromStdString(FieldText(list.EntryOfRow(i), records::folder::x1::kName));
  return names;
}

QString Selected(const TFolderList& list) {
  FolderEntry entry;
  return list.Selected(&entry) ? QString::fromStdString(entry.Name()) : QString();
}

bool Enabled(QWidget& d, int id) {
  return FindControl(&d, id)->isEnabled();
}

FolderDialog& AsFolder(TBaseDialog& d) {
  return static_cast<FolderDialog&>(d);
}

void ClickRow(TFolderList& list, int row) {
  QTest::mouseClick(list.ListBox(), Qt::LeftButton, Qt::NoModifier,
                    QPoint(20, row * list.RowHeight() + list.RowHeight() / 2));
}

}  // namespace

class FolderDialogTest : public QObject {
  Q_OBJECT

  std::unique_ptr<MessagingOffice> office;
  std::unique_ptr<MessagingScript> script;
  int32_t me = 0, anne = 0;
  std::map<std::string, int32_t> folder;

  void Make(const MessagingOffice::Options& options = MessagingOffice::Options()) {
    office = std::make_unique<MessagingOffice>(options);
    QVERIFY(office->made);
    me = office->numbers["RECEPTION"];
    anne = office->numbers["ANNE"];
    folder.clear();
    for (const char* name : {"Accounts", "Projects", "Work"})
      folder[std::string("common ") + name] = MessagingOffice::AddFolder(name, 0);
    for (const char* name : {"Calls", "Private", "Work"})
      folder[std::string("mine ") + name] = MessagingOffice::AddFolder(name, me);
    folder["anne Letters"] = MessagingOffice::AddFolder("Letters", anne);
    script = std::make_unique<MessagingScript>();
  }

 private slots:
  void init() { Make(); }
  void cleanup() {
    script.reset();
    QCOMPARE(office->prompts.Unanswered(), 0);
    QVERIFY(office->checks.empty());
    office.reset();
  }

  // What opens: the type follows the folder to start at (common without
  // one), the radio buttons are locked for no single person, and the list
  // shows that type's folders only.
  void theDialogOpensOnTheTypeOfTheFolderToStartAt_data() {
    QTest::addColumn<QString>("owner");  // whose folders: a person, "0" or "-1"
    QTest::addColumn<QString>("start");  // key of the folder to start at, empty none
    QTest::addColumn<QString>("type");   // "common" or "personal"
    QTest::addColumn<bool>("locked");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QString>("search");
    const QStringList common{"Accounts", "Projects", "Work"};
    const QStringList mine{"Calls", "Private", "Work"};
    QTest::newRow("person, no folder") << "RECEPTION"
                                       << ""
                                       << "common" << false << common << "";
    QTest::newRow("own folder") << "RECEPTION"
                                << "mine Private"
                                << "personal" << false << QStringList{"Private", "Work"}
                                << "Private";
    QTest::newRow("common folder") << "RECEPTION"
                                   << "common Work"
                                   << "common" << false << QStringList{"Work"} << "Work";
    QTest::newRow("another's folder") << "RECEPTION"
                                      << "anne Letters"
                                      << "personal" << false << QStringList{"Letters"} << "Letters";
    QTest::newRow("folder gone") << "RECEPTION"
                                 << "gone"
                                 << "common" << false << common << "";
    QTest::newRow("everybody") << "-1"
                               << ""
                               << "common" << true << common << "";
    QTest::newRow("common owner") << "0"
                                  << "mine Calls"
                                  << "personal" << false << mine << "Calls";
  }
  void theDialogOpensOnTheTypeOfTheFolderToStartAt() {
    QFETCH(QString, owner);
    QFETCH(QString, start);
    QFETCH(QString, type);
    QFETCH(bool, locked);
    QFETCH(QStringList, shown);
    QFETCH(QString, search);
    const int32_t ownerNumber = owner == "RECEPTION" ? me : owner.toInt();
    FolderRecord choice = MakeFolderRecord("", ownerNumber);
    if (!start.isEmpty())
      SetFieldI32(choice.bytes, records::folder::kNumber,
                  start == "gone" ? 999 : folder[start.toStdString()]);
    const FolderRecord before = choice;
    script->Then([&](TBaseDialog& d) {
      QCOMPARE(d.windowTitle(), QString("Select Folder"));
      auto* common = FindControlAs<QRadioButton>(&d, FolderDialog::kIdCommon);
      auto* personal = FindControlAs<QRadioButton>(&d, FolderDialog::kIdPersonal);
      QCOMPARE(personal->isChecked(), type == "personal");
      QCOMPARE(common->isChecked(), type == "common");
      QCOMPARE(common->isEnabled(), !locked);
      QCOMPARE(personal->isEnabled(), !locked);
      QCOMPARE(Enabled(d, FolderDialog::kIdDelete), type == "personal");
      QCOMPARE(Shown(*AsFolder(d).List()), shown);
      QCOMPARE(Selected(*AsFolder(d).List()), search.isEmpty() ? shown.first() : search);
      QCOMPARE(FindControlAs<QLineEdit>(&d, FolderDialog::kIdSearch)->text(), search);
      QVERIFY(FindControl(&d, FolderDialog::kIdName) == nullptr);
      MessagingScript::Press(d, kIdCancel);
    });
    QCOMPARE(ChooseFolder(nullptr, choice), 0);
    QCOMPARE(script->opened.size(), size_t(1));
    // Cancel gives the choice back as it came.
    QVERIFY(std::memcmp(choice.bytes, before.bytes, sizeof choice.bytes) == 0);
  }

  // Typing moves the list to the first folder not less than the text and
  // selects it only when its name begins with the text, in any case.
  void typingSelectsTheFolderThatBeginsWithTheText_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("selected");
    QTest::newRow("prefix") << "pr"
                            << "Projects";
    QTest::newRow("exact in another case") << "WORK"
                                           << "Work";
    QTest::newRow("between") << "B"
                             << "";
    QTest::newRow("after the last") << "zz"
                                    << "";
    QTest::newRow("emptied") << ""
                             << "Accounts";
  }
  void typingSelectsTheFolderThatBeginsWithTheText() {
    QFETCH(QString, typed);
    QFETCH(QString, selected);
    FolderRecord choice = MakeFolderRecord("", me);
    QString got;
    QStringList shown;
    script->Then([&](TBaseDialog& d) {
      MessagingScript::Type(d, FolderDialog::kIdSearch, "Wo");
      MessagingScript::Type(d, FolderDialog::kIdSearch, typed);
      got = Selected(*AsFolder(d).List());
      shown = Shown(*AsFolder(d).List());
      MessagingScript::Press(d, kIdCancel);
    });
    ChooseFolder(nullptr, choice);
    QCOMPARE(got, selected);
    // Only common folders, whatever was typed.
    for (const QString& name : shown) QVERIFY(name != "Calls" && name != "Letters");
    QVERIFY(!shown.isEmpty());
  }

  void selectFillsTheChoiceAndNothingSelectedIsSaid() {
    FolderRecord choice = MakeFolderRecord("", me);
    script->Then([&](TBaseDialog& d) {
      MessagingScript::Type(d, FolderDialog::kIdSearch, "x");
      MessagingScript::Press(d, FolderDialog::kIdSelect);
      QVERIFY(d.IsOpen());
      MessagingScript::Press(d, FolderDialog::kIdPersonal);
      QCOMPARE(Shown(*AsFolder(d).List()), QStringList({"Calls", "Private", "Work"}));
      ClickRow(*AsFolder(d).List(), 1);
      MessagingScript::Press(d, FolderDialog::kIdSelect);
    });
    QCOMPARE(ChooseFolder(nullptr, choice), 1);
    QCOMPARE(Asked(office->prompts), QStringList({"Edit|No entry selected."}));
    QCOMPARE(choice.Name(), std::string("Private"));
    QCOMPARE(choice.Owner(), me);
    QCOMPARE(choice.Number(), folder["mine Private"]);
  }

  // NEWFOLDER: a blank name is refused; a name the owner has in any letter
  // case is taken as it is, not made twice; a new one is added with the
  // ticked type and shows selected.
  void aNewFolderIsAddedOnceWhateverItsCase_data() {
    QTest::addColumn<bool>("personal");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<QStringList>("mine");
    QTest::addColumn<QStringList>("common");
    const QStringList mine{"Calls", "Private", "Work"};
    const QStringList common{"Accounts", "Projects", "Work"};
    QTest::newRow("new personal") << true << "Orders"
                                  << "Orders" << QStringList{"Calls", "Orders", "Private", "Work"}
                                  << common;
    QTest::newRow("existing personal, other case") << true << "wORK"
                                                   << "Work" << mine << common;
    QTest::newRow("common beside a personal one")
        << false << "Calls"
        << "Calls" << mine << QStringList{"Accounts", "Calls", "Projects", "Work"};
    QTest::newRow("existing common, other case") << false << "ACCOUNTS"
                                                 << "Accounts" << mine << common;
  }
  void aNewFolderIsAddedOnceWhateverItsCase() {
    QFETCH(bool, personal);
    QFETCH(QString, name);
    QFETCH(QString, selected);
    QFETCH(QStringList, mine);
    QFETCH(QStringList, common);
    FolderRecord choice = MakeFolderRecord("", me);
    QString got;
    bool personalShown = false;
    script->Then([&](TBaseDialog& d) {
      MessagingScript::Press(d, FolderDialog::kIdNew);
      got = Selected(*AsFolder(d).List());
      personalShown = AsFolder(d).SelectedType() == me;
      MessagingScript::Press(d, FolderDialog::kIdSelect);
    });
    script->Then([&](TBaseDialog& d) {
      QCOMPARE(d.windowTitle(), QString("Create new folder"));
      MessagingScript::Press(d, kIdOk);
      QVERIFY(d.IsOpen());
      if (personal) MessagingScript::Press(d, NewFolderDialog::kIdPersonal);
      MessagingScript::Type(d, NewFolderDialog::kIdName, name);
      MessagingScript::Press(d, kIdOk);
    });
    QCOMPARE(ChooseFolder(nullptr, choice), 1);
    QCOMPARE(Asked(office->prompts), QStringList({"DESKpost|Please enter Folder name."}));
    QCOMPARE(got, selected);
    QCOMPARE(personalShown, personal);
    QCOMPARE(QString::fromStdString(choice.Name()), selected);
    auto names = [](const std::vector<std::string>& v) {
      QStringList l;
      for (const auto& s : v) l << QString::fromStdString(s);
      return l;
    };
    QCOMPARE(names(MessagingOffice::Folders(me)), mine);
    QCOMPARE(names(MessagingOffice::Folders(0)), common);
  }

  void cancelAfterANewFolderKeepsTheFolderButNotTheChoice() {
    FolderRecord choice = MakeFolderRecord("", me);
    SetFieldI32(choice.bytes, records::folder::kNumber, folder["mine Calls"]);
    const FolderRecord before = choice;
    script->Then([&](TBaseDialog& d) {
      MessagingScript::Press(d, FolderDialog::kIdNew);
      QCOMPARE(Selected(*AsFolder(d).List()), QString("Later"));
      MessagingScript::Press(d, kIdCancel);
    });
    script->Then([&](TBaseDialog& d) {
      MessagingScript::Type(d, NewFolderDialog::kIdName, "Later");
      MessagingScript::Press(d, kIdOk);
    });
    QCOMPARE(ChooseFolder(nullptr, choice), 0);
    QVERIFY(std::memcmp(choice.bytes, before.bytes, sizeof choice.bytes) == 0);
    QCOMPARE(MessagingOffice::Folders(me),
             std::vector<std::string>({"Calls", "Later", "Private", "Work"}));
  }

  // EDITFOLDER: blank refused, another folder's name in any case refused,
  // the folder's own name in another case and a new name taken; the
  // folder keeps its number.
  void renamingRefusesTheNameOfAnotherFolder_data() {
    QTest::addColumn<QString>("to");
    QTest::addColumn<QStringList>("asked");
    QTest::addColumn<QStringList>("after");
    const QStringList none;
    QTest::newRow("blank") << "  " << QStringList{"DESKpost|Please enter a folder name."}
                           << QStringList{"Calls", "Private", "Work"};
    QTest::newRow("another's name in another case")
        << "work" << QStringList{"DESKpost|Folder already exists."}
        << QStringList{"Calls", "Private", "Work"};
    QTest::newRow("own name in another case")
        << "PRIVATE" << none << QStringList{"Calls", "PRIVATE", "Work"};
    QTest::newRow("new name") << "Home" << none << QStringList{"Calls", "Home", "Work"};
    QTest::newRow("a common folder's name")
        << "Accounts" << none << QStringList{"Accounts", "Calls", "Work"};
  }
  void renamingRefusesTheNameOfAnotherFolder() {
    QFETCH(QString, to);
    QFETCH(QStringList, asked);
    QFETCH(QStringList, after);
    FolderRecord choice = MakeFolderRecord("", me);
    SetFieldI32(choice.bytes, records::folder::kNumber, folder["mine Private"]);
    QString shownAfter;
    script->Then([&](TBaseDialog& d) {
      MessagingScript::Press(d, FolderDialog::kIdEdit);
      shownAfter = Selected(*AsFolder(d).List());
      MessagingScript::Press(d, FolderDialog::kIdSelect);
    });
    script->Then([&](TBaseDialog& d) {
      QCOMPARE(d.windowTitle(), QString("Edit folder name"));
      QCOMPARE(FindControlAs<QLineEdit>(&d, EditFolderDialog::kIdName)->text(), QString("Private"));
      MessagingScript::Type(d, EditFolderDialog::kIdName, to);
      MessagingScript::Press(d, kIdOk);
      if (!asked.isEmpty()) {
        QVERIFY(d.IsOpen());
        MessagingScript::Press(d, kIdCancel);
      }
    });
    QCOMPARE(ChooseFolder(nullptr, choice), 1);
    QCOMPARE(Asked(office->prompts), asked);
    QStringList names;
    for (const auto& s : MessagingOffice::Folders(me)) names << QString::fromStdString(s);
    QCOMPARE(names, after);
    QCOMPARE(choice.Number(), folder["mine Private"]);
    QCOMPARE(QString::fromStdString(choice.Name()), asked.isEmpty() ? to : QString("Private"));
    QCOMPARE(shownAfter, QString::fromStdString(choice.Name()));
  }

  // Delete: the default folder is refused even empty, a folder holding a
  // message for anybody is refused, an empty one goes after "Are you
  // sure?"; a common folder cannot be deleted here.
  void deletingRefusesTheDefaultFolderAndAFolderInUse_data() {
    QTest::addColumn<QString>("victim");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QStringList>("asked");
    QTest::addColumn<bool>("gone");
    QTest::newRow("default folder")
        << "Calls" << false << QStringList{"DESKpost|Can't delete default folder."} << false;
    QTest::newRow("holds ANNE's message")
        << "Work" << false << QStringList{"DESKpost|Folder still contains messages."} << false;
    QTest::newRow("empty, yes") << "Private" << true << QStringList{"DESKpost|Are you sure?"}
                                << true;
    QTest::newRow("empty, no") << "Private" << false << QStringList{"DESKpost|Are you sure?"}
                               << false;
  }
  void deletingRefusesTheDefaultFolderAndAFolderInUse() {
    QFETCH(QString, victim);
    QFETCH(bool, yes);
    QFETCH(QStringList, asked);
    QFETCH(bool, gone);
    script.reset();
    office.reset();
    MessagingOffice::Options options;
    options.defaultFolder = "Calls";
    Make(options);
    // The Calls folder made as the default came first; the fixture's own
    // "Calls" is then the same one.
    QCOMPARE(MessagingOffice::Folders(me), std::vector<std::string>({"Calls", "Private", "Work"}));
    // A message filed for ANNE in RECEPTION's "Work" folder.
    {
      MessageRecord r;
      SetFieldByte(r.bytes, records::message::kKind, 'M');
      SetFieldText(r.bytes, records::message::kMemoText, "Filed.");
      TakeRecipients to{"ANNE", anne, {}};
      QCOMPARE(TakeSend(r, "", to, folder["mine Work"], [] { return false; }), 1);
    }
    if (asked.contains("DESKpost|Are you sure?")) office->prompts.Answer(yes);
    FolderRecord choice = MakeFolderRecord("", me);
    SetFieldI32(choice.bytes, records::folder::kNumber, folder["mine " + victim.toStdString()]);
    QStringList shown;
    script->Then([&](TBaseDialog& d) {
      QCOMPARE(Selected(*AsFolder(d).List()), victim);
      MessagingScript::Press(d, FolderDialog::kIdDelete);
      shown = Shown(*AsFolder(d).List());
      // A common folder: the button is off.
      MessagingScript::Press(d, FolderDialog::kIdCommon);
      QVERIFY(!Enabled(d, FolderDialog::kIdDelete));
      MessagingScript::Press(d, kIdCancel);
    });
    ChooseFolder(nullptr, choice);
    QCOMPARE(Asked(office->prompts), asked);
    const auto mine = MessagingOffice::Folders(me);
    QCOMPARE(std::find(mine.begin(), mine.end(), victim.toStdString()) == mine.end(), gone);
    QCOMPARE(shown.contains(victim), !gone);
    QCOMPARE(MessagingOffice::Folders(0).size(), size_t(3));
  }

  // A folder another workstation holds is not deleted: the failure is
  // shown and the folder stays, in the table and in the list.
  void aFolderHeldElsewhereIsNotDeleted() {
    FolderEntry entry;
    {
      FolderTable folders;
      QVERIFY(FolderOpen(folders));
      QVERIFY(FolderFind(folders, me, "Private", &entry));
      FolderClose(folders);
    }
    const int64_t lockByte = records::folder::kHeaderSize +
                             int64_t(entry.RecordNumber() + 1) * records::folder::kRecordSize - 1;
    LockHolder other(office->dir.File("FOLDER.DAT"), lockByte);
    QVERIFY(other.Held());
    office->prompts.Answer(true);
    FolderRecord choice = MakeFolderRecord("", me);
    SetFieldI32(choice.bytes, records::folder::kNumber, folder["mine Private"]);
    QStringList shown;
    script->Then([&](TBaseDialog& d) {
      MessagingScript::Press(d, FolderDialog::kIdDelete);
      shown = Shown(*AsFolder(d).List());
      MessagingScript::Press(d, kIdCancel);
    });
    ChooseFolder(nullptr, choice);
    const QStringList asked = Asked(office->prompts);
    QCOMPARE(asked.size(), 2);
    QCOMPARE(asked[0], QString("DESKpost|Are you sure?"));
    QVERIFY(asked[1].startsWith("DESKpost|"));
    QVERIFY(shown.contains("Private"));
    QCOMPARE(MessagingOffice::Folders(me), std::vector<std::string>({"Calls", "Private", "Work"}));
  }

  // FOLDER_AND_NAME: opened for "* - ALL" it offers common folders only;
  // ">>" chooses whose folders, a cancelled ">>" keeps the name; opening it
  // ends the phone-password restriction.
  void theNameButtonChoosesWhoseFolders() {
    SetPhonePasswordMode(true);
    NameEntry slot;
    SetFieldText(slot.bytes, records::name::x1::kName, "* - ALL");
    SetFieldI32(slot.bytes, records::name::x1::kNumber, -1);
    FolderRecord choice = MakeFolderRecord("", -1);
    ScriptedPasswords passwords;
    QStringList seen;
    script->Then([&](TBaseDialog& d) {
      QVERIFY(!PhonePasswordMode());
      auto* name = FindControlAs<QLineEdit>(&d, FolderDialog::kIdName);
      QVERIFY(name->isReadOnly());
      QCOMPARE(name->accessibleName(), QString("Name:"));
      seen << name->text() << Shown(*AsFolder(d).List()).join(",");
      QVERIFY(!Enabled(d, FolderDialog::kIdPersonal));
      QVERIFY(!Enabled(d, FolderDialog::kIdCommon));
      MessagingScript::Press(d, FolderDialog::kIdPick);
      seen << name->text();
      MessagingScript::Press(d, FolderDialog::kIdPersonal);
      seen << Shown(*AsFolder(d).List()).join(",");
      MessagingScript::Press(d, FolderDialog::kIdPick);  // cancelled: stays
      seen << name->text() << Shown(*AsFolder(d).List()).join(",");
      ClickRow(*AsFolder(d).List(), 0);
      MessagingScript::Press(d, FolderDialog::kIdSelect);
    });
    script->Then([](TBaseDialog& picker) {
      MessagingScript::Type(picker, NamePickerDialog::kIdSearch, "ANNE");
      MessagingScript::Press(picker, kIdOk);
    });
    script->Cancel();
    QCOMPARE(ChooseFolderAndPerson(nullptr, choice, slot, passwords), 1);
    QCOMPARE(seen, QStringList({"* - ALL", "Accounts,Projects,Work", "ANNE", "Letters", "ANNE",
                                "Letters"}));
    QCOMPARE(slot.Name(), std::string("ANNE"));
    QCOMPARE(choice.Name(), std::string("Letters"));
    QCOMPARE(choice.Owner(), anne);
    // The picker asked for ANNE's messages password; none is set.
    QVERIFY(passwords.asked.empty());
    SetPhonePasswordMode(false);
  }

  // CCLIST: the other recipients of a group message, in name order; a
  // message to one person opens nothing.
  void theCCListShowsTheOtherRecipients() {
    MessageRecord r;
    SetFieldByte(r.bytes, records::message::kKind, 'M');
    SetFieldText(r.bytes, records::message::kMemoText, "Meeting at 3.");
    TakeRecipients to{"*SALES",
                      office->numbers["*SALES"],
                      {office->numbers["ANNE"], office->numbers["BOB"], office->numbers["CAROL"]}};
    QCOMPARE(TakeSend(r, "", to, 1, [] { return true; }), 1);
    std::map<std::string, int32_t> copies;
    for (const MessageRecord& m : MessagingOffice::Messages()) copies[m.To()] = m.Number();
    QCOMPARE(copies.size(), size_t(3));
    QStringList shown;
    script->Then([&](TBaseDialog& d) {
      QCOMPARE(d.windowTitle(), QString("CC:"));
      auto* list = FindControlAs<QListWidget>(&d, CCListDialog::kIdList);
      for (int i = 0; i < list->count(); ++i) shown << list->item(i)->text();
      MessagingScript::Press(d, kIdOk);
    });
    QCOMPARE(ShowCCList(nullptr, copies["BOB"]), 1);
    QCOMPARE(shown, QStringList({"ANNE", "CAROL"}));
    // One person: no CC names, no dialog.
    MessageRecord single;
    SetFieldByte(single.bytes, records::message::kKind, 'M');
    TakeRecipients one{"ANNE", office->numbers["ANNE"], {}};
    QCOMPARE(TakeSend(single, "", one, 1, [] { return true; }), 1);
    int32_t singleNumber = 0;
    for (const MessageRecord& m : MessagingOffice::Messages())
      if (m.Number() != copies["ANNE"] && m.To() == "ANNE") singleNumber = m.Number();
    QVERIFY(singleNumber != 0);
    QCOMPARE(ShowCCList(nullptr, singleNumber), 0);
    QCOMPARE(script->opened.size(), size_t(1));
  }
};

QTEST_MAIN(FolderDialogTest)
#include "folder_dialog_test.moc"
