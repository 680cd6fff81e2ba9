// The folder dialogs (FOLDER, FOLDER_AND_NAME, NEWFOLDER, EDITFOLDER) and
// the CC list on a real office: which folders show for whom, choosing,
// creating, renaming and deleting folders, names in another letter case,
// and the CC names of a group message.
#include "messaging/folder_dialog.h"

#include <QListWidget>
#include <QRadioButton>
#include <QTest>

#include "data/messages/dpcc.h"
#include "data/messages/take_send.h"
#include "data/office/passwords.h"
#include "messaging/cc_list_dialog.h"
#include "messaging/folder_list.h"
#include "tests/messaging/messaging_office.h"
#include "tests/support/lock_holder.h"
#include "tests/support/test_rows.h"
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

// A choice of the owner's folders, starting at the folder number (0 none).
FolderRecord Choice(int32_t owner, int32_t number) {
  FolderRecord choice = MakeFolderRecord("", owner);
  SetFieldI32(choice.bytes, records::folder::kNumber, number);
  return choice;
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

// A comma-separated list of names.
QStringList List(const char* names) {
  return QString(names).split(',', Qt::SkipEmptyParts);
}
QStringList Names(const std::vector<std::string>& names) {
  QStringList out;
  for (const auto& n : names) out << QString::fromStdString(n);
  return out;
}

// What opens: whose folders (1 RECEPTION, 0 common, -1 everybody), the
// folder to start at ("" none), the type checked, the folders listed and
// the search text.
struct OpenCase {
  const char* name;
  int owner;
  const char *start, *type, *shown, *search;
};
constexpr OpenCase kOpenCases[] = {
    {"own folder", 1, "mine Private", "personal", "Private,Work", "Private"},
    {"common folder", 1, "common Work", "common", "Work", "Work"},
    {"another's folder", 1, "anne Letters", "personal", "Letters", "Letters"},
    {"folder gone", 1, "gone", "common", "Accounts,Projects,Work", ""},
    {"everybody", -1, "", "common", "Accounts,Projects,Work", ""},
    {"common owner", 0, "mine Calls", "personal", "Calls,Private,Work", "Calls"},
};

struct NewCase {
  const char* name;
  bool personal;
  const char *typed, *selected, *mine, *common;
};
constexpr NewCase kNewCases[] = {
    {"new personal", true, "Orders", "Orders", "Calls,Orders,Private,Work",
     "Accounts,Projects,Work"},
    {"existing personal, other case", true, "wORK", "Work", "Calls,Private,Work",
     "Accounts,Projects,Work"},
    {"common beside a personal one", false, "Calls", "Calls", "Calls,Private,Work",
     "Accounts,Calls,Projects,Work"},
};

struct RenameCase {
  const char *name, *to, *asked, *after;
};
constexpr RenameCase kRenameCases[] = {
    {"blank", "  ", "DESKpost|Please enter a folder name.", "Calls,Private,Work"},
    {"another's name in another case", "work", "DESKpost|Folder already exists.",
     "Calls,Private,Work"},
    {"own name in another case", "PRIVATE", "", "Calls,PRIVATE,Work"},
    {"a common folder's name", "Accounts", "", "Accounts,Calls,Work"},
};

struct DeleteCase {
  const char* name;
  const char* victim;
  bool yes;
  const char* asked;
  bool gone;
};
constexpr DeleteCase kDeleteCases[] = {
    {"default folder", "Calls", false, "DESKpost|Can't delete default folder.", false},
    {"holds ANNE's message", "Work", false, "DESKpost|Folder still contains messages.", false},
    {"empty, yes", "Private", true, "DESKpost|Are you sure?", true},
    {"empty, no", "Private", false, "DESKpost|Are you sure?", false},
};

}  // namespace

class FolderDialogTest : public QObject, MessagingTest {
  Q_OBJECT

  int32_t me = 0, anne = 0;
  std::map<std::string, int32_t> folder;

  void Make(const MessagingOffice::Options& options = MessagingOffice::Options()) {
    Begin(options);
    me = office->numbers["RECEPTION"];
    anne = office->numbers["ANNE"];
    folder.clear();
    for (const char* name : {"Accounts", "Projects", "Work"})
      folder[std::string("common ") + name] = MessagingOffice::AddFolder(name, 0);
    for (const char* name : {"Calls", "Private", "Work"})
      folder[std::string("mine ") + name] = MessagingOffice::AddFolder(name, me);
    folder["anne Letters"] = MessagingOffice::AddFolder("Letters", anne);
  }

 private slots:
  void init() { Make(); }
  void cleanup() { End(true); }

  // What opens: the type follows the folder to start at (common without
  // one), the radio buttons are locked for no single person, and the list
  // shows that type's folders only.
  void theDialogOpensOnTheTypeOfTheFolderToStartAt_data() { AddRows(kOpenCases); }
  void theDialogOpensOnTheTypeOfTheFolderToStartAt() {
    const OpenCase& c = TestRow(kOpenCases);
    const QString start(c.start), type(c.type), search(c.search);
    const bool locked = c.owner == -1;
    const QStringList shown = List(c.shown);
    const int32_t ownerNumber = c.owner == 1 ? me : c.owner;
    // No folder to start at reads as number 0.
    FolderRecord choice = Choice(ownerNumber, start == "gone" ? 999 : folder[c.start]);
    const FolderRecord before = choice;
    dialogs->Then([&](TBaseDialog& d) {
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
      Press(&d, kIdCancel);
    });
    QCOMPARE(ChooseFolder(nullptr, choice), 0);
    QCOMPARE(dialogs->opened.size(), size_t(1));
    // Cancel gives the choice back as it came.
    QVERIFY(std::memcmp(choice.bytes, before.bytes, sizeof choice.bytes) == 0);
  }

  // Typing moves the list to the first folder not less than the text and
  // selects it only when its name begins with the text, in any case.
  void typingSelectsTheFolderThatBeginsWithTheText() {
    const char* cases[][2] = {{"pr", "Projects"},
                              {"WORK", "Work"},  // in another case
                              {"B", ""},
                              {"zz", ""},         // between, after the last
                              {"", "Accounts"}};  // emptied
    FolderRecord choice = MakeFolderRecord("", me);
    dialogs->Then([&](TBaseDialog& d) {
      for (const auto& [typed, selected] : cases) {
        Type(&d, FolderDialog::kIdSearch, "Wo");
        Type(&d, FolderDialog::kIdSearch, typed);
        QCOMPARE(Selected(*AsFolder(d).List()), QString(selected));
        // Only common folders, whatever was typed.
        const QStringList shown = Shown(*AsFolder(d).List());
        QVERIFY(!shown.isEmpty() && !shown.contains("Calls") && !shown.contains("Letters"));
      }
      Press(&d, kIdCancel);
    });
    ChooseFolder(nullptr, choice);
    QCOMPARE(dialogs->opened.size(), size_t(1));
  }

  void selectFillsTheChoiceAndNothingSelectedIsSaid() {
    FolderRecord choice = MakeFolderRecord("", me);
    dialogs->Then([&](TBaseDialog& d) {
      Type(&d, FolderDialog::kIdSearch, "x");
      Press(&d, FolderDialog::kIdSelect);
      QVERIFY(d.IsOpen());
      Press(&d, FolderDialog::kIdPersonal);
      QCOMPARE(Shown(*AsFolder(d).List()), QStringList({"Calls", "Private", "Work"}));
      ClickRow(*AsFolder(d).List(), 1);
      Press(&d, FolderDialog::kIdSelect);
    });
    QCOMPARE(ChooseFolder(nullptr, choice), 1);
    QCOMPARE(Asked(*prompts), QStringList({"Edit|No entry selected."}));
    QCOMPARE(choice.Name(), std::string("Private"));
    QCOMPARE(choice.Owner(), me);
    QCOMPARE(choice.Number(), folder["mine Private"]);
  }

  // NEWFOLDER: a blank name is refused; a name the owner has in any letter
  // case is taken as it is, not made twice; a new one is added with the
  // ticked type and shows selected.
  void aNewFolderIsAddedOnceWhateverItsCase_data() { AddRows(kNewCases); }
  void aNewFolderIsAddedOnceWhateverItsCase() {
    const NewCase& c = TestRow(kNewCases);
    const bool personal = c.personal;
    const QString name(c.typed), selected(c.selected);
    FolderRecord choice = MakeFolderRecord("", me);
    QString got;
    bool personalShown = false;
    dialogs->Then([&](TBaseDialog& d) {
      Press(&d, FolderDialog::kIdNew);
      got = Selected(*AsFolder(d).List());
      personalShown = AsFolder(d).SelectedType() == me;
      Press(&d, FolderDialog::kIdSelect);
    });
    dialogs->Then([&](TBaseDialog& d) {
      QCOMPARE(d.windowTitle(), QString("Create new folder"));
      Press(&d, kIdOk);
      QVERIFY(d.IsOpen());
      if (personal) Press(&d, NewFolderDialog::kIdPersonal);
      Type(&d, NewFolderDialog::kIdName, name);
      Press(&d, kIdOk);
    });
    QCOMPARE(ChooseFolder(nullptr, choice), 1);
    QCOMPARE(Asked(*prompts), QStringList({"DESKpost|Please enter Folder name."}));
    QCOMPARE(got, selected);
    QCOMPARE(personalShown, personal);
    QCOMPARE(QString::fromStdString(choice.Name()), selected);
    QCOMPARE(Names(MessagingOffice::Folders(me)), List(c.mine));
    QCOMPARE(Names(MessagingOffice::Folders(0)), List(c.common));
  }

  void cancelAfterANewFolderKeepsTheFolderButNotTheChoice() {
    FolderRecord choice = Choice(me, folder["mine Calls"]);
    const FolderRecord before = choice;
    dialogs->Then([&](TBaseDialog& d) {
      Press(&d, FolderDialog::kIdNew);
      QCOMPARE(Selected(*AsFolder(d).List()), QString("Later"));
      Press(&d, kIdCancel);
    });
    dialogs->Then([&](TBaseDialog& d) {
      Type(&d, NewFolderDialog::kIdName, "Later");
      Press(&d, kIdOk);
    });
    QCOMPARE(ChooseFolder(nullptr, choice), 0);
    QVERIFY(std::memcmp(choice.bytes, before.bytes, sizeof choice.bytes) == 0);
    QCOMPARE(MessagingOffice::Folders(me),
             std::vector<std::string>({"Calls", "Later", "Private", "Work"}));
  }

  // EDITFOLDER: blank refused, another folder's name in any case refused,
  // the folder's own name in another case and a new name taken; the
  // folder keeps its number.
  void renamingRefusesTheNameOfAnotherFolder_data() { AddRows(kRenameCases); }
  void renamingRefusesTheNameOfAnotherFolder() {
    const RenameCase& c = TestRow(kRenameCases);
    const QString to(c.to);
    const QStringList asked = *c.asked ? QStringList{c.asked} : QStringList();
    FolderRecord choice = Choice(me, folder["mine Private"]);
    QString shownAfter;
    dialogs->Then([&](TBaseDialog& d) {
      Press(&d, FolderDialog::kIdEdit);
      shownAfter = Selected(*AsFolder(d).List());
      Press(&d, FolderDialog::kIdSelect);
    });
    dialogs->Then([&](TBaseDialog& d) {
      QCOMPARE(d.windowTitle(), QString("Edit folder name"));
      QCOMPARE(FindControlAs<QLineEdit>(&d, EditFolderDialog::kIdName)->text(), QString("Private"));
      Type(&d, EditFolderDialog::kIdName, to);
      Press(&d, kIdOk);
      if (!asked.isEmpty()) {
        QVERIFY(d.IsOpen());
        Press(&d, kIdCancel);
      }
    });
    QCOMPARE(ChooseFolder(nullptr, choice), 1);
    QCOMPARE(Asked(*prompts), asked);
    QCOMPARE(Names(MessagingOffice::Folders(me)), List(c.after));
    QCOMPARE(choice.Number(), folder["mine Private"]);
    QCOMPARE(QString::fromStdString(choice.Name()), asked.isEmpty() ? to : QString("Private"));
    QCOMPARE(shownAfter, QString::fromStdString(choice.Name()));
  }

  // Delete: the default folder is refused even empty, a folder holding a
  // message for anybody is refused, an empty one goes after "Are you
  // sure?"; a common folder cannot be deleted here.
  void deletingRefusesTheDefaultFolderAndAFolderInUse_data() { AddRows(kDeleteCases); }
  void deletingRefusesTheDefaultFolderAndAFolderInUse() {
    const DeleteCase& c = TestRow(kDeleteCases);
    const QString victim(c.victim);
    const bool yes = c.yes, gone = c.gone;
    const QStringList asked{c.asked};
    Make({.defaultFolder = "Calls"});
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
    if (asked.contains("DESKpost|Are you sure?")) prompts->Answer(yes);
    FolderRecord choice = Choice(me, folder["mine " + victim.toStdString()]);
    QStringList shown;
    dialogs->Then([&](TBaseDialog& d) {
      QCOMPARE(Selected(*AsFolder(d).List()), victim);
      Press(&d, FolderDialog::kIdDelete);
      shown = Shown(*AsFolder(d).List());
      // A common folder: the button is off.
      Press(&d, FolderDialog::kIdCommon);
      QVERIFY(!Enabled(d, FolderDialog::kIdDelete));
      Press(&d, kIdCancel);
    });
    ChooseFolder(nullptr, choice);
    QCOMPARE(Asked(*prompts), asked);
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
    prompts->Answer(true);
    FolderRecord choice = Choice(me, folder["mine Private"]);
    QStringList shown;
    dialogs->Then([&](TBaseDialog& d) {
      Press(&d, FolderDialog::kIdDelete);
      shown = Shown(*AsFolder(d).List());
      Press(&d, kIdCancel);
    });
    ChooseFolder(nullptr, choice);
    const QStringList asked = Asked(*prompts);
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
    dialogs->Then([&](TBaseDialog& d) {
      QVERIFY(!PhonePasswordMode());
      auto* name = FindControlAs<QLineEdit>(&d, FolderDialog::kIdName);
      QVERIFY(name->isReadOnly());
      QCOMPARE(name->accessibleName(), QString("Name:"));
      seen << name->text() << Shown(*AsFolder(d).List()).join(",");
      QVERIFY(!Enabled(d, FolderDialog::kIdPersonal));
      QVERIFY(!Enabled(d, FolderDialog::kIdCommon));
      Press(&d, FolderDialog::kIdPick);
      seen << name->text();
      Press(&d, FolderDialog::kIdPersonal);
      seen << Shown(*AsFolder(d).List()).join(",");
      Press(&d, FolderDialog::kIdPick);  // cancelled: stays
      seen << name->text() << Shown(*AsFolder(d).List()).join(",");
      ClickRow(*AsFolder(d).List(), 0);
      Press(&d, FolderDialog::kIdSelect);
    });
    dialogs->Then([](TBaseDialog& picker) {
      Type(&picker, NamePickerDialog::kIdSearch, "ANNE");
      Press(&picker, kIdOk);
    });
    dialogs->Cancel();
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
    dialogs->Then([&](TBaseDialog& d) {
      QCOMPARE(d.windowTitle(), QString("CC:"));
      auto* list = FindControlAs<QListWidget>(&d, CCListDialog::kIdList);
      for (int i = 0; i < list->count(); ++i) shown << list->item(i)->text();
      Press(&d, kIdOk);
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
    QCOMPARE(dialogs->opened.size(), size_t(1));
  }
};

QTEST_MAIN(FolderDialogTest)
#include "folder_dialog_test.moc"
