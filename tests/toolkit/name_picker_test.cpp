// SELECT_NAME and SELECT_MEMBERS on a real name table in a temporary office
// directory, driven by control id with real keys and clicks: the picker's
// search field, modes, tag set, pseudo-names, buttons and password check;
// the member dialog's people-only list, toggling clicks, 100 members at
// most, OK writing the list and Cancel leaving it.
#include "toolkit/names/name_picker.h"

#include <QApplication>
#include <QFocusEvent>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "data/office/name_picking.h"
#include "data/office/passwords.h"
#include "name_dialogs.h"
#include "name_office.h"
#include "storage/catalogue.h"
#include "storage/check.h"
#include "storage/database.h"
#include "tests/support/test_rows.h"
#include "toolkit/controls/picker_controls.h"
#include "toolkit/live_windows.h"
#include "toolkit/scripted_prompts.h"

namespace {

constexpr const char* kAccessDenied = "DESKpost|You do not have access rights for this action.";

// A request for the mode, with or without a tag set, the search starting
// empty unless the caller's name is given.
struct Request {
  int32_t tags[kTagSetSize] = {};
  NamePickRequest request;
  Request(uint8_t mode, bool tagging, uint8_t area, const char* start) {
    request.mode = mode;
    request.tagSet = tagging ? tags : nullptr;
    request.passwordArea = area;
    request.startEmpty = start == nullptr;
    if (start) SetFieldText(request.slot.bytes, records::name::x1::kName, start);
  }
};

// Adams guards his messages with "apple"; the master password is "boss"
// where one is set, the phone password "desk" where given.
struct PasswordCase {
  const char* name;
  bool master;
  const char *phone, *typed;
  uint8_t mode, area;
  const char* pick;
  int result;
  const char* chosen;
  bool phoneMode;
};
constexpr PasswordCase kPasswordCases[] = {
    {"refused", true, "", "pear", kPickAllButEverybody, kAreaMessages, "Adams", 0, "", false},
    {"phone password", true, "desk", "DESK", kPickAllButEverybody, kAreaMessages, "Adams", 2,
     "Adams", true},
    {"group", true, "", "boss", kPickAllButEverybody, kAreaScheduler, "*Sales", kPasswordMaster,
     "*Sales", false},
    {"no master", false, "", "", kPickOwner, kAreaScheduler, "Baker", kPasswordNotNeeded, "Baker",
     false},
};

bool Visible(QWidget& d, int id) {
  return FindControl(&d, id)->isVisibleTo(&d);
}

}  // namespace

class NamePickerTest : public QObject {
  Q_OBJECT

  std::unique_ptr<NameOffice> office;
  std::unique_ptr<ScriptedPrompts> prompts;
  std::unique_ptr<DialogScript> script;
  std::unique_ptr<ScriptedPasswords> passwords;
  std::unique_ptr<Request> r;
  std::vector<QString> checks;

  // The questions and boxes, as "caption|text".
  QStringList Asked() const {
    QStringList out;
    for (const auto& a : prompts->Questions()) out << a.caption + "|" + a.text;
    return out;
  }

  std::unique_ptr<NamePickerDialog> Open(uint8_t mode, bool tagging = false, uint8_t area = 0,
                                         const char* start = nullptr,
                                         const std::vector<int32_t>& tagged = {}) {
    r = std::make_unique<Request>(mode, tagging, area, start);
    std::copy(tagged.begin(), tagged.end(), r->tags);
    auto d = std::make_unique<NamePickerDialog>(nullptr, r->request, *passwords);
    d->OpenModeless();
    return d;
  }
  std::unique_ptr<MemberDialog> OpenMembers() {
    auto d = std::make_unique<MemberDialog>(nullptr, "*Sales");
    d->OpenModeless();
    return d;
  }
  std::string Chosen() const { return r->request.slot.Name(); }
  // The dialog's result and the name handed back, as "result|name".
  QString Outcome(const NamePickerDialog& d) const {
    return QString("%1|%2").arg(d.Result()).arg(QString::fromStdString(Chosen()));
  }
  // Types the name into the search field and presses the button, OK unless
  // another is given.
  static void Choose(NamePickerDialog& d, const QString& name, int button = kIdOk) {
    TypeSearch(d.Search(), name);
    DialogScript::Press(d, button);
  }
  std::vector<int32_t> Numbers(std::initializer_list<const char*> names) {
    std::vector<int32_t> out;
    for (const char* name : names) out.push_back(office->Number(name));
    return out;
  }

 private slots:
  void init() {
    office = std::make_unique<NameOffice>();
    prompts = std::make_unique<ScriptedPrompts>();
    script = std::make_unique<DialogScript>();
    passwords = std::make_unique<ScriptedPasswords>();
    checks.clear();
    SetCheckHandler([this](const char* module, unsigned line) {
      checks.push_back(QString("%1:%2").arg(module).arg(line));
    });
    SetNameDeleteAllowed(true);
    SetPhonePasswordMode(false);
    for (auto n : {"* - ALL", "*Sales", "Adams", "Baker", "Barnes", "Carter"}) office->Add(n);
  }
  void cleanup() {
    SetCheckHandler(nullptr);
    passwords.reset();
    script.reset();
    prompts.reset();
    office.reset();
    QCOMPARE(LiveWindowCount(), 0);
    QVERIFY(checks.empty());
  }

  // ---- The search field ----

  void typingSelectsTheFirstNameNotLessThanTheTextIfItStartsSo() {
    auto d = Open(kPickEverything);
    QCOMPARE(d->windowTitle(), QString("Name:"));
    TypeSearch(d->Search(), "ba");
    QCOMPARE(SelectedName(*d->List()), std::string("Baker"));
    QTest::keyClicks(d->Search(), "r");
    QCOMPARE(SelectedName(*d->List()), std::string("Barnes"));
    // A text between names positions the list but selects nothing.
    TypeSearch(d->Search(), "Bo");
    QCOMPARE(d->List()->SelectedRow(), -1);
    QCOMPARE(PageNames(*d->List()).front(), std::string("Carter"));
    // After the last name the list still shows the last names.
    TypeSearch(d->Search(), "Zz");
    QCOMPARE(d->List()->SelectedRow(), -1);
    QCOMPARE(PageNames(*d->List()).back(), std::string("Carter"));
  }

  void theSearchStartsWithTheCallersNameUnlessAskedToStartEmpty() {
    auto d = Open(kPickEverything, false, 0, "Barnes");
    QCOMPARE(d->Search()->text(), QString("Barnes"));
    QCOMPARE(SelectedName(*d->List()), std::string("Barnes"));
    QCOMPARE(d->Search()->maxLength(), 19);
    QVERIFY(!Visible(*d, NamePickerDialog::kIdWho));
    // Starting on a group shows its Who and Edit at once.
    d = Open(kPickEverything, false, 0, "*Sales");
    QVERIFY(Visible(*d, NamePickerDialog::kIdWho));
    QVERIFY(Visible(*d, NamePickerDialog::kIdEdit));
  }

  void onFocusTheCaretGoesToTheEndOfTheText() {
    auto d = Open(kPickEverything);
    TypeSearch(d->Search(), "Bar");
    d->Search()->setCursorPosition(0);
    QFocusEvent focus(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(d->Search(), &focus);
    QCOMPARE(d->Search()->cursorPosition(), 3);
    QVERIFY(!d->Search()->hasSelectedText());
  }

  // ---- Modes ----

  void peopleOnlyListsNoGroupAndModeOneNoEverybody() {
    auto d = Open(kPickPeople);
    QCOMPARE(PageNames(*d->List()),
             (std::vector<std::string>{"Adams", "Baker", "Barnes", "Carter"}));
    // A group typed in a people-only list selects nothing.
    TypeSearch(d->Search(), "*Sa");
    QCOMPARE(d->List()->SelectedRow(), -1);
    d = Open(kPickAllButEverybody);
    QCOMPARE(PageNames(*d->List()).front(), std::string("*Sales"));
    QCOMPARE(RowOf(*d->List(), "* - ALL"), -1);
  }

  void whoAndEditShowOnlyForAGroupOtherThanEverybodyAndWhoOpensItsMembers() {
    auto d = Open(kPickEverything);
    TypeSearch(d->Search(), "*S");
    QVERIFY(Visible(*d, NamePickerDialog::kIdWho));
    QVERIFY(Visible(*d, NamePickerDialog::kIdEdit));
    TypeSearch(d->Search(), "* - ALL");
    QVERIFY(!Visible(*d, NamePickerDialog::kIdWho));
    QVERIFY(!Visible(*d, NamePickerDialog::kIdEdit));
    ClickRow(*d->List(), "*Sales");
    QVERIFY(Visible(*d, NamePickerDialog::kIdWho));
    ClickRow(*d->List(), "Adams");
    QVERIFY(!Visible(*d, NamePickerDialog::kIdWho));
    // Who without a group selected says so; with one it opens its members.
    script->Cancel();
    TypeSearch(d->Search(), "Zz");
    d->Who();
    QCOMPARE(Asked(), QStringList{"Group|No group selected."});
    QVERIFY(script->opened.empty());
    Choose(*d, "*Sales", NamePickerDialog::kIdWho);
    QCOMPARE(script->opened.size(), size_t(1));
    QCOMPARE(script->opened[0].caption, QString("Members"));
  }

  // ---- OK, Cancel and double click ----

  void okCopiesTheChosenEntryIntoTheSlot() {
    auto d = Open(kPickEverything);
    Choose(*d, "Carter");
    QCOMPARE(Outcome(*d), QString("1|Carter"));
    QCOMPARE(r->request.slot.Number(), office->Number("Carter"));
    QVERIFY(r->request.slot.RecordNumber() >= 0);
    // A double click acts as OK; it begins with a click.
    d = Open(kPickEverything);
    const QPoint baker = RowPoint(*d->List(), RowOf(*d->List(), "Baker"));
    QTest::mouseClick(d->List()->ListBox(), Qt::LeftButton, Qt::NoModifier, baker);
    QTest::mouseDClick(d->List()->ListBox(), Qt::LeftButton, Qt::NoModifier, baker);
    QVERIFY(!d->IsOpen());
    QCOMPARE(Outcome(*d), QString("1|Baker"));
  }

  void okWithNoSelectionAndNoTagsReturnsAnEmptyNameAndFails() {
    for (bool tagging : {true, false}) {  // with a password area, or none
      auto d = Open(kPickEverything, tagging, tagging ? kAreaMessages : 0);
      Choose(*d, "Zz");
      QCOMPARE(Outcome(*d), QString("0|"));
    }
    QVERIFY(passwords->asked.empty());
  }

  void cancelEmptiesTheNameAndLeavesTheTagSetAsItWas() {
    auto d = Open(kPickEverything, true, 0, "Baker");
    ClickRow(*d->List(), "Adams");
    QTest::keyClick(d->List()->ListBox(), Qt::Key_Space);
    DialogScript::Press(*d, kIdCancel);
    QCOMPARE(Outcome(*d), QString("0|"));
    QCOMPARE(TagSetCount(r->tags), 0);
  }

  // ---- The tag set ----

  void theSpaceBarTagsAndUntagsTheFocusedName() {
    auto d = Open(kPickEverything, true);
    ClickRow(*d->List(), "Baker");
    QTest::keyClick(d->List()->ListBox(), Qt::Key_Space);
    DialogScript::Press(*d, kIdOk);
    QCOMPARE(Outcome(*d), QString("1|* - TAG"));
    QCOMPARE(TagSetNumbers(r->tags), Numbers({"Baker"}));
  }

  // The right button, or OK with nothing tagged, tags every row of a
  // selection of two or more.
  void aSelectionOfTwoOrMoreIsTaggedByTheRightButtonOrByOk() {
    auto d = Open(kPickEverything, true);
    TPickerList& list = *d->List();
    ClickRow(list, "Adams");
    ClickRow(list, "Barnes", Qt::ShiftModifier);
    ClickRow(list, "Baker", Qt::NoModifier, Qt::RightButton);
    QCOMPARE(TagSetCount(r->tags), 0);  // nothing handed back before OK
    DialogScript::Press(*d, kIdOk);
    QCOMPARE(TagSetNumbers(r->tags), Numbers({"Adams", "Baker", "Barnes"}));
    d = Open(kPickEverything, true);
    ClickRow(*d->List(), "Adams");
    ClickRow(*d->List(), "Carter", Qt::ControlModifier);
    DialogScript::Press(*d, kIdOk);
    QCOMPARE(Chosen(), std::string("* - TAG"));
    QCOMPARE(TagSetNumbers(r->tags), Numbers({"Adams", "Carter"}));
  }

  void taggingTheHundredAndFirstNameIsRefusedAndChangesNothing() {
    const std::vector<int32_t> hundred = office->AddPeople(100);
    auto d = Open(kPickEverything, true, 0, nullptr, hundred);
    TypeSearch(d->Search(), "Carter");
    QTest::keyClick(d->List()->ListBox(), Qt::Key_Space);
    QCOMPARE(Asked(), QStringList{"DESKpost|Maximum of 100 tags."});
    DialogScript::Press(*d, kIdOk);
    QCOMPARE(TagSetNumbers(r->tags), hundred);
    QCOMPARE(Chosen(), std::string("* - TAG"));
  }

  void aGroupFindingTheSetFullStopsItsMembersWithoutAFullStop() {
    const std::vector<int32_t> people = office->AddPeople(98);
    const int32_t sales = office->Number("*Sales");
    office->SetMembers("*Sales", Numbers({"Adams", "Baker", "Carter"}));
    auto d = Open(kPickEverything, true, 0, nullptr, people);
    TypeSearch(d->Search(), "*Sales");
    QTest::keyClick(d->List()->ListBox(), Qt::Key_Space);
    QCOMPARE(Asked(), QStringList{"DESKpost|Maximum of 100 tags"});
    DialogScript::Press(*d, kIdOk);
    QVERIFY(TagSetContains(r->tags, sales));
    QVERIFY(TagSetContains(r->tags, office->Number("Adams")));
    QVERIFY(!TagSetContains(r->tags, office->Number("Baker")));
  }

  void choosingAGroupWithNothingTaggedReturnsTagWithTheGroupAndItsMembers() {
    const int32_t sales = office->Number("*Sales");
    office->SetMembers("*Sales", Numbers({"Adams", "Carter"}));
    auto d = Open(kPickEverything, true);
    Choose(*d, "*Sales");
    QCOMPARE(Outcome(*d), QString("1|* - TAG"));
    QCOMPARE(TagSetNumbers(r->tags),
             (std::vector<int32_t>{sales, office->Number("Adams"), office->Number("Carter")}));
    // Everybody chosen the same way is returned as itself.
    d = Open(kPickEverything, true);
    Choose(*d, "* - ALL");
    QCOMPARE(Outcome(*d), QString("1|* - ALL"));
    QCOMPARE(r->request.slot.Number(), office->Number("* - ALL"));
    QCOMPARE(TagSetCount(r->tags), 0);
  }

  // ---- Add, Group, Edit, Who ----

  void addPutsTheNewPersonInTheListAndSelectsItAndCancelAddsNothing() {
    script->TypeName("Young");
    auto d = Open(kPickEverything);
    DialogScript::Press(*d, NamePickerDialog::kIdAdd);
    QCOMPARE(script->opened.size(), size_t(1));
    QCOMPARE(script->opened[0].caption, QString("Add new name"));
    QCOMPARE(script->opened[0].maxLength, 19);
    QVERIFY(office->Exists("Young"));
    QCOMPARE(SelectedName(*d->List()), std::string("Young"));
    // Cancelled, it adds nothing.
    script->Cancel();
    DialogScript::Press(*d, NamePickerDialog::kIdGroup);
    QCOMPARE(script->opened.size(), size_t(2));
    QVERIFY(!office->Exists("*"));
  }

  // A name added with an asterisk, or a group typed without one, is a
  // group: its member dialog opens.
  void aNewGroupIsStoredWithItsAsteriskAndOpensItsMemberDialog() {
    script->TypeName("*Night shift");
    script->Then([](TBaseDialog& d) {
      ClickRow(*static_cast<MemberDialog&>(d).List(), "Baker");
      DialogScript::Press(d, kIdOk);
    });
    script->TypeName("Team");
    script->Then([](TBaseDialog& d) { DialogScript::Press(d, kIdOk); });
    script->TypeName("ABCDEFGHIJKLMNOPQRS");
    script->Cancel();
    auto d = Open(kPickEverything);
    DialogScript::Press(*d, NamePickerDialog::kIdAdd);
    QCOMPARE(script->opened.size(), size_t(2));
    QCOMPARE(script->opened[1].caption, QString("Members"));
    QCOMPARE(office->Members("*Night shift"), Numbers({"Baker"}));
    DialogScript::Press(*d, NamePickerDialog::kIdGroup);
    QCOMPARE(script->opened[2].caption, QString("Create new group"));
    QCOMPARE(script->opened[2].maxLength, 18);
    QVERIFY(office->Exists("*Team"));
    QVERIFY(!office->Exists("Team"));
    QCOMPARE(SelectedName(*d->List()), std::string("*Team"));
    QCOMPARE(script->opened[3].caption, QString("Members"));
    // A nineteen-character text is cut so the name has nineteen.
    DialogScript::Press(*d, NamePickerDialog::kIdGroup);
    QVERIFY(office->Exists("*ABCDEFGHIJKLMNOPQR"));
  }

  void editRenamesTheGroupKeepingItsNumberAndMembers() {
    const int32_t sales = office->Number("*Sales");
    office->SetMembers("*Sales", Numbers({"Adams"}));
    script->TypeName("Sales team");
    auto d = Open(kPickEverything);
    Choose(*d, "*Sales", NamePickerDialog::kIdEdit);
    QCOMPARE(script->opened[0].caption, QString("Edit group name"));
    QCOMPARE(script->opened[0].initial, QString("Sales"));
    QVERIFY(!office->Exists("*Sales"));
    QCOMPARE(office->Number("*Sales team"), sales);
    QCOMPARE(office->Members("*Sales team"), Numbers({"Adams"}));
    QCOMPARE(SelectedName(*d->List()), std::string("*Sales team"));
    QVERIFY(Asked().isEmpty());
    // A name taken already is refused and changes nothing.
    office->Add("*Team");
    script->TypeName("Team");
    DialogScript::Press(*d, NamePickerDialog::kIdEdit);
    QCOMPARE(Asked().size(), 1);
    QVERIFY(office->Exists("*Sales team"));
    QCOMPARE(office->Members("*Sales team"), Numbers({"Adams"}));
  }

  // ---- Delete ----

  // Without the right it says so before anything else; with nothing
  // selected it says that; Everybody is never deleted nor asked about.
  void deleteIsRefusedWithoutTheRightASelectionOrForEverybody() {
    SetNameDeleteAllowed(false);
    auto d = Open(kPickEverything);
    for (const char* text : {"Zz", "Baker"}) {
      TypeSearch(d->Search(), text);
      d->Delete();
    }
    QCOMPARE(Asked(), (QStringList{kAccessDenied, kAccessDenied}));
    QVERIFY(office->Exists("Baker"));
    SetNameDeleteAllowed(true);
    prompts->Clear();
    Choose(*d, "Zz", NamePickerDialog::kIdDelete);
    QCOMPARE(Asked(), QStringList{"Delete|No entry selected."});
    prompts->Clear();
    Choose(*d, "* - ALL", NamePickerDialog::kIdDelete);
    QVERIFY(Asked().isEmpty());
    QVERIFY(office->Exists("* - ALL"));
  }

  void deletingAsksThePersonOrGroupWarningAndNoKeepsThem() {
    auto d = Open(kPickEverything);
    prompts->Answer(0);
    Choose(*d, "Baker", NamePickerDialog::kIdDelete);
    QVERIFY(office->Exists("Baker"));
    prompts->Answer(1);
    Choose(*d, "*Sales", NamePickerDialog::kIdDelete);
    QVERIFY(!office->Exists("*Sales"));
    QCOMPARE(Asked(),
             (QStringList{"DESKpost|WARNING!\nThis operation removes this person from the system, "
                          "are you sure?",
                          "DESKpost|WARNING!\nThis operation will remove group from the list, "
                          "are you sure?"}));
  }

  void deletingKeepsTheFirstNameInViewAndTheSelectionIndex() {
    office->AddPeople(30);
    auto d = Open(kPickEverything);
    TPickerList& list = *d->List();
    TypeSearch(d->Search(), "P010");
    QCOMPARE(PageNames(list).front(), std::string("P010"));
    ClickRow(list, 2);
    prompts->Answer(1);
    DialogScript::Press(*d, NamePickerDialog::kIdDelete);
    QVERIFY(!office->Exists("P012"));
    QCOMPARE(PageNames(list).front(), std::string("P010"));
    QCOMPARE(list.SelectedRow(), 2);
    QCOMPARE(SelectedName(list), std::string("P013"));
    // The first name in view deleted with nothing after it: the last page.
    TypeSearch(d->Search(), "P029");
    QCOMPARE(PageNames(list).front(), std::string("P029"));
    prompts->Answer(1);
    DialogScript::Press(*d, NamePickerDialog::kIdDelete);
    QVERIFY(!office->Exists("P029"));
    QCOMPARE(list.RowsFilled(), list.RowsPerPage());
    QCOMPARE(PageNames(list).back(), std::string("P028"));
  }

  void aPersonHeldByAnotherWorkstationIsNotDeletedAndTheLockErrorIsShown() {
    NameEntry baker;
    {
      NameTable h;
      QVERIFY(NameOpen(h));
      QVERIFY(NameFind(h, "Baker", &baker));
      NameClose(h);
    }
    // Another workstation edits Baker's record: it holds the record's lock.
    Table other(kNameTable);
    QVERIFY(DbOpenTable(other, office->dir.Path()));
    QVERIFY(DbLockRecord(other, baker.RecordNumber()));
    auto d = Open(kPickEverything);
    prompts->Answer(1);
    Choose(*d, "Baker", NamePickerDialog::kIdDelete);
    DbUnlockRecord(other, baker.RecordNumber());
    DbCloseTable(other);
    QCOMPARE(Asked().size(), 2);
    QCOMPARE(Asked()[1], QString("DESKpost|Error locking file: Baker"));
    QVERIFY(office->Exists("Baker"));
    QCOMPARE(SelectedName(*d->List()), std::string("Baker"));
  }

  // ---- The password check ----

  void theChoiceIsCheckedForThePasswordArea_data() { AddRows(kPasswordCases); }
  void theChoiceIsCheckedForThePasswordArea() {
    const auto& [row, master, phone, typed, mode, area, name, result, chosen, phoneMode] =
        TestRow(kPasswordCases);
    if (master) QVERIFY(WriteMasterPassword("boss", true));
    if (*phone) QVERIFY(WritePhonePassword(phone));
    QVERIFY(WriteUserPassword("Adams", "apple"));
    QVERIFY(WriteProtectedAreas("Adams", kAreaMessages));
    passwords->answers = {typed};
    auto d = Open(mode, false, area);
    Choose(*d, name);
    QCOMPARE(passwords->asked.size(), size_t(master ? 1 : 0));
    if (result == 0) QCOMPARE(passwords->asked, std::vector<std::string>{"Password:"});
    QCOMPARE(Outcome(*d), QString("%1|%2").arg(result).arg(chosen));
    QCOMPARE(PhonePasswordMode(), phoneMode);
  }

  // ---- SELECT_MEMBERS ----

  void theMemberListShowsPeopleOnlyUnderTheCaptionMembers() {
    auto d = OpenMembers();
    QCOMPARE(d->windowTitle(), QString("Members"));
    QCOMPARE(PageNames(*d->List()),
             (std::vector<std::string>{"Adams", "Baker", "Barnes", "Carter"}));
    // The space bar toggles the focused person.
    TypeSearch(d->Search(), "Ca");
    QTest::keyClick(d->List()->ListBox(), Qt::Key_Space);
    QCOMPARE(d->Members(), Numbers({"Carter"}));
  }

  void clicksToggleMembershipOkWritesTheListAndCancelLeavesIt() {
    office->SetMembers("*Sales", Numbers({"Baker"}));
    auto d = OpenMembers();
    for (const char* name : {"Adams", "Baker", "Carter"}) ClickRow(*d->List(), name);
    QCOMPARE(office->Members("*Sales"), Numbers({"Baker"}));
    DialogScript::Press(*d, kIdOk);
    QCOMPARE(d->Result(), 1);
    // Baker's freed slot, the first, went to Carter.
    QCOMPARE(office->Members("*Sales"), Numbers({"Carter", "Adams"}));
    d = OpenMembers();
    ClickRow(*d->List(), "Baker");
    DialogScript::Press(*d, kIdCancel);
    QCOMPARE(d->Result(), 0);
    QCOMPARE(office->Members("*Sales"), Numbers({"Carter", "Adams"}));
  }

  void theHundredAndFirstMemberIsRefused() {
    const std::vector<int32_t> hundred = office->AddPeople(100);
    office->SetMembers("*Sales", hundred);
    auto d = OpenMembers();
    TypeSearch(d->Search(), "Adams");
    ClickRow(*d->List(), 0);
    QCOMPARE(Asked(), QStringList{"DESKpost|Maximum of 100 members."});
    DialogScript::Press(*d, kIdOk);
    QCOMPARE(office->Members("*Sales"), hundred);
    // Freeing a slot makes room again.
    d = OpenMembers();
    for (const char* name : {"P000", "Adams"}) {
      TypeSearch(d->Search(), name);
      ClickRow(*d->List(), 0);
    }
    DialogScript::Press(*d, kIdOk);
    std::vector<int32_t> expected = hundred;
    expected[0] = office->Number("Adams");
    QCOMPARE(office->Members("*Sales"), expected);
  }

  void selectMembersOfAPersonOrEverybodyAnswersOneAtOnce() {
    QCOMPARE(SelectMembers(nullptr, "Adams"), 1);
    QCOMPARE(SelectMembers(nullptr, "* - ALL"), 1);
    QVERIFY(script->opened.empty());
    // For a group it answers one only when saved.
    script->Then([](TBaseDialog& d) { DialogScript::Press(d, kIdOk); });
    QCOMPARE(SelectMembers(nullptr, "*Sales"), 1);
    script->Cancel();
    QCOMPARE(SelectMembers(nullptr, "*Sales"), 0);
  }

  void aGroupRemovedWhileItsMembersAreChosenIsShownAndNotWritten() {
    auto d = OpenMembers();
    ClickRow(*d->List(), 0);
    {
      NameTable h;
      QVERIFY(NameOpen(h));
      QVERIFY(NameRemove(h, "*Sales"));
      NameClose(h);
    }
    DialogScript::Press(*d, kIdOk);
    QVERIFY(d->IsOpen());
    QCOMPARE(prompts->Questions().size(), size_t(1));
    QVERIFY(prompts->Questions()[0].text.startsWith("Could not locate record"));
    d->reject();
  }

  // ---- The ways in ----

  void selectNameRunsThePickerAndAnswersItsResult() {
    script->Then([](TBaseDialog& d) { Choose(static_cast<NamePickerDialog&>(d), "Carter"); });
    Request req(kPickEverything, false, 0, nullptr);
    QCOMPARE(SelectName(nullptr, req.request, *passwords), 1);
    QCOMPARE(req.request.slot.Name(), std::string("Carter"));
    // The recipient fields' picker starts from the typed text.
    script->Then([](TBaseDialog& d) {
      QCOMPARE(static_cast<NamePickerDialog&>(d).Search()->text(), QString("Bar"));
      DialogScript::Press(d, kIdOk);
    });
    uint8_t record[records::name::kRecordSize] = {};
    int32_t tags[kTagSetSize] = {};
    DialogNamePicker picker;
    QVERIFY(picker.PickName(record, tags, kPickEverything, "Bar"));
    QCOMPARE(FieldText(record, records::name::kName), std::string("Barnes"));
    QCOMPARE(FieldI32(record, records::name::kNumber), office->Number("Barnes"));
    script->Cancel();
    QVERIFY(!picker.PickName(record, tags, kPickEverything, "Ad"));
    QCOMPARE(FieldText(record, records::name::kName), std::string());
  }

  void aNameTableThatCannotBeOpenedOrIsEmptyIsShownAndAnswersZero() {
    for (bool remove : {true, false}) {
      office.reset();
      office = std::make_unique<NameOffice>();
      if (remove) QVERIFY(std::remove(office->dir.File("NAME.DAT").c_str()) == 0);
      prompts->Clear();
      Request req(kPickEverything, false, 0, nullptr);
      QCOMPARE(SelectName(nullptr, req.request, *passwords), 0);
      QCOMPARE(prompts->Questions().size(), size_t(1));
      QVERIFY(script->opened.empty());
    }
  }
};

QTEST_MAIN(NamePickerTest)
#include "name_picker_test.moc"
