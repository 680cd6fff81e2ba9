// SELECT_NAME on a real name table in a temporary office directory: the
// search field, the modes, the tag set, the pseudo-names, the buttons and
// the password check, driven by control id with real keys and clicks.
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
#include "toolkit/controls/picker_controls.h"
#include "toolkit/form_builder.h"
#include "toolkit/live_windows.h"
#include "toolkit/scripted_prompts.h"

namespace {

constexpr const char* kAccessDenied = "You do not have access rights for this action.";

// A request for the mode, with or without a tag set, the search starting
// empty.
struct Request {
  int32_t tags[kTagSetSize] = {};
  NamePickRequest request;
  explicit Request(uint8_t mode, bool tagging = false, uint8_t area = 0) {
    request.mode = mode;
    request.tagSet = tagging ? tags : nullptr;
    request.passwordArea = area;
    request.startEmpty = true;
  }
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
  std::vector<QString> checks;

  // The questions and boxes, as "caption|text".
  QStringList Asked() const {
    QStringList out;
    for (const auto& a : prompts->Questions()) out << a.caption + "|" + a.text;
    return out;
  }

  std::unique_ptr<NamePickerDialog> Open(Request& r) {
    auto d = std::make_unique<NamePickerDialog>(nullptr, r.request, *passwords);
    d->OpenModeless();
    return d;
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
    for (auto n : {"* - ALL", "Adams", "Baker", "Barnes", "Carter"}) office->Add(n);
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

  void typingTheFirstLettersSelectsTheFirstNameNotLessThanTheText() {
    Request r(kPickEverything);
    auto d = Open(r);
    QCOMPARE(d->windowTitle(), QString("Name:"));
    TypeSearch(d->Search(), "ba");
    QCOMPARE(SelectedName(*d->List()), std::string("Baker"));
    QTest::keyClicks(d->Search(), "r");
    QCOMPARE(SelectedName(*d->List()), std::string("Barnes"));
  }

  void aTextBetweenNamesPositionsTheListButSelectsNothing() {
    Request r(kPickEverything);
    auto d = Open(r);
    TypeSearch(d->Search(), "Bo");
    QCOMPARE(d->List()->SelectedRow(), -1);
    QCOMPARE(PageNames(*d->List()).front(), std::string("Carter"));
  }

  void textAfterTheLastNameSelectsNothing() {
    Request r(kPickEverything);
    auto d = Open(r);
    TypeSearch(d->Search(), "Zz");
    QCOMPARE(d->List()->SelectedRow(), -1);
    // The list still shows the last names rather than an empty page.
    QCOMPARE(PageNames(*d->List()).back(), std::string("Carter"));
  }

  void theSearchStartsWithTheCallersNameUnlessAskedToStartEmpty() {
    Request r(kPickEverything);
    r.request.startEmpty = false;
    SetFieldText(r.request.slot.bytes, records::name::x1::kName, "Barnes");
    auto d = Open(r);
    QCOMPARE(d->Search()->text(), QString("Barnes"));
    QCOMPARE(SelectedName(*d->List()), std::string("Barnes"));
    QCOMPARE(d->Search()->maxLength(), 19);
  }

  void onFocusTheCaretGoesToTheEndOfTheText() {
    Request r(kPickEverything);
    auto d = Open(r);
    TypeSearch(d->Search(), "Bar");
    d->Search()->setCursorPosition(0);
    QFocusEvent focus(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(d->Search(), &focus);
    QCOMPARE(d->Search()->cursorPosition(), 3);
    QVERIFY(!d->Search()->hasSelectedText());
  }

  // ---- Modes ----

  void peopleOnlyListsNoGroupAndModeOneNoEverybody() {
    office->Add("*Sales");
    Request people(kPickPeople);
    auto d = Open(people);
    QCOMPARE(PageNames(*d->List()),
             (std::vector<std::string>{"Adams", "Baker", "Barnes", "Carter"}));
    // A group typed in a people-only list selects nothing.
    TypeSearch(d->Search(), "*Sa");
    QCOMPARE(d->List()->SelectedRow(), -1);
    d.reset();
    Request groups(kPickAllButEverybody);
    d = Open(groups);
    QCOMPARE(PageNames(*d->List()).front(), std::string("*Sales"));
    QCOMPARE(RowOf(*d->List(), "* - ALL"), -1);
  }

  void whoAndEditShowOnlyForAGroupOtherThanEverybody() {
    office->Add("*Sales");
    Request r(kPickEverything);
    auto d = Open(r);
    TypeSearch(d->Search(), "*S");
    QVERIFY(Visible(*d, NamePickerDialog::kIdWho));
    QVERIFY(Visible(*d, NamePickerDialog::kIdEdit));
    TypeSearch(d->Search(), "* - ALL");
    QVERIFY(!Visible(*d, NamePickerDialog::kIdWho));
    QVERIFY(!Visible(*d, NamePickerDialog::kIdEdit));
    ClickRow(*d->List(), RowOf(*d->List(), "*Sales"));
    QVERIFY(Visible(*d, NamePickerDialog::kIdWho));
    ClickRow(*d->List(), RowOf(*d->List(), "Adams"));
    QVERIFY(!Visible(*d, NamePickerDialog::kIdWho));
  }

  // ---- OK, Cancel and double click ----

  void okCopiesTheChosenEntryIntoTheSlot() {
    Request r(kPickEverything);
    auto d = Open(r);
    TypeSearch(d->Search(), "Carter");
    DialogScript::Press(*d, kIdOk);
    QCOMPARE(d->Result(), 1);
    QCOMPARE(r.request.slot.Name(), std::string("Carter"));
    QCOMPARE(r.request.slot.Number(), office->Number("Carter"));
    QVERIFY(r.request.slot.RecordNumber() >= 0);
  }

  void aDoubleClickActsAsOk() {
    Request r(kPickEverything);
    auto d = Open(r);
    // A double click begins with a click.
    const QPoint baker = RowPoint(*d->List(), RowOf(*d->List(), "Baker"));
    QTest::mouseClick(d->List()->ListBox(), Qt::LeftButton, Qt::NoModifier, baker);
    QTest::mouseDClick(d->List()->ListBox(), Qt::LeftButton, Qt::NoModifier, baker);
    QVERIFY(!d->IsOpen());
    QCOMPARE(d->Result(), 1);
    QCOMPARE(r.request.slot.Name(), std::string("Baker"));
  }

  void okWithNoSelectionAndNoTagsReturnsAnEmptyNameAndFails() {
    Request r(kPickEverything, true, kAreaMessages);
    auto d = Open(r);
    TypeSearch(d->Search(), "Zz");
    DialogScript::Press(*d, kIdOk);
    QCOMPARE(d->Result(), 0);
    QCOMPARE(r.request.slot.Name(), std::string());
    QVERIFY(passwords->asked.empty());
  }

  void okWithNoSelectionFailsEvenWithoutAPasswordArea() {
    Request r(kPickEverything);
    auto d = Open(r);
    TypeSearch(d->Search(), "Zz");
    DialogScript::Press(*d, kIdOk);
    QCOMPARE(d->Result(), 0);
  }

  void cancelEmptiesTheNameAndLeavesTheTagSetAsItWas() {
    const int32_t adams = office->Number("Adams");
    Request r(kPickEverything, true);
    SetFieldText(r.request.slot.bytes, records::name::x1::kName, "Baker");
    auto d = Open(r);
    ClickRow(*d->List(), RowOf(*d->List(), "Adams"));
    QTest::keyClick(d->List()->ListBox(), Qt::Key_Space);
    DialogScript::Press(*d, kIdCancel);
    QCOMPARE(d->Result(), 0);
    QCOMPARE(r.request.slot.Name(), std::string());
    QVERIFY(!TagSetContains(r.tags, adams));
  }

  // ---- The tag set ----

  void theSpaceBarTagsAndUntagsTheFocusedName() {
    Request r(kPickEverything, true);
    auto d = Open(r);
    ClickRow(*d->List(), RowOf(*d->List(), "Baker"));
    QTest::keyClick(d->List()->ListBox(), Qt::Key_Space);
    DialogScript::Press(*d, kIdOk);
    QCOMPARE(d->Result(), 1);
    QCOMPARE(r.request.slot.Name(), std::string("* - TAG"));
    QCOMPARE(TagSetNumbers(r.tags), std::vector<int32_t>{office->Number("Baker")});
  }

  void theRightButtonActsOnEveryRowOfASelectionOfTwoOrMore() {
    Request r(kPickEverything, true);
    auto d = Open(r);
    TPickerList& list = *d->List();
    ClickRow(list, RowOf(list, "Adams"));
    ClickRow(list, RowOf(list, "Barnes"), Qt::ShiftModifier);
    ClickRow(list, RowOf(list, "Baker"), Qt::NoModifier, Qt::RightButton);
    QCOMPARE(TagSetCount(r.tags), 0);  // nothing handed back before OK
    DialogScript::Press(*d, kIdOk);
    QCOMPARE(TagSetNumbers(r.tags),
             (std::vector<int32_t>{office->Number("Adams"), office->Number("Baker"),
                                   office->Number("Barnes")}));
  }

  void okWithTwoRowsSelectedAndNothingTaggedTagsThem() {
    Request r(kPickEverything, true);
    auto d = Open(r);
    TPickerList& list = *d->List();
    ClickRow(list, RowOf(list, "Adams"));
    ClickRow(list, RowOf(list, "Carter"), Qt::ControlModifier);
    DialogScript::Press(*d, kIdOk);
    QCOMPARE(r.request.slot.Name(), std::string("* - TAG"));
    QCOMPARE(TagSetNumbers(r.tags),
             (std::vector<int32_t>{office->Number("Adams"), office->Number("Carter")}));
  }

  void taggingTheHundredAndFirstNameIsRefusedAndChangesNothing() {
    const std::vector<int32_t> hundred = office->AddPeople(100);
    Request r(kPickEverything, true);
    std::copy(hundred.begin(), hundred.end(), r.tags);
    auto d = Open(r);
    TypeSearch(d->Search(), "Carter");
    QTest::keyClick(d->List()->ListBox(), Qt::Key_Space);
    QCOMPARE(Asked(), QStringList{"DESKpost|Maximum of 100 tags."});
    DialogScript::Press(*d, kIdOk);
    QCOMPARE(TagSetNumbers(r.tags), hundred);
    QCOMPARE(r.request.slot.Name(), std::string("* - TAG"));
  }

  void aGroupFindingTheSetFullStopsItsMembersWithoutAFullStop() {
    const std::vector<int32_t> people = office->AddPeople(98);
    const int32_t sales = office->Add("*Sales");
    office->SetMembers(
        "*Sales", {office->Number("Adams"), office->Number("Baker"), office->Number("Carter")});
    Request r(kPickEverything, true);
    std::copy(people.begin(), people.end(), r.tags);
    auto d = Open(r);
    TypeSearch(d->Search(), "*Sales");
    QTest::keyClick(d->List()->ListBox(), Qt::Key_Space);
    QCOMPARE(Asked(), QStringList{"DESKpost|Maximum of 100 tags"});
    DialogScript::Press(*d, kIdOk);
    QVERIFY(TagSetContains(r.tags, sales));
    QVERIFY(TagSetContains(r.tags, office->Number("Adams")));
    QVERIFY(!TagSetContains(r.tags, office->Number("Baker")));
  }

  void choosingAGroupWithNothingTaggedReturnsTagWithTheGroupAndItsMembers() {
    const int32_t sales = office->Add("*Sales");
    office->SetMembers("*Sales", {office->Number("Adams"), office->Number("Carter")});
    Request r(kPickEverything, true);
    auto d = Open(r);
    TypeSearch(d->Search(), "*Sales");
    DialogScript::Press(*d, kIdOk);
    QCOMPARE(d->Result(), 1);
    QCOMPARE(r.request.slot.Name(), std::string("* - TAG"));
    QCOMPARE(TagSetNumbers(r.tags),
             (std::vector<int32_t>{sales, office->Number("Adams"), office->Number("Carter")}));
  }

  void choosingEverybodyTheSameWayReturnsEverybody() {
    Request r(kPickEverything, true);
    auto d = Open(r);
    TypeSearch(d->Search(), "* - ALL");
    DialogScript::Press(*d, kIdOk);
    QCOMPARE(d->Result(), 1);
    QCOMPARE(r.request.slot.Name(), std::string("* - ALL"));
    QCOMPARE(r.request.slot.Number(), office->Number("* - ALL"));
    QCOMPARE(TagSetCount(r.tags), 0);
  }

  // ---- Add, Group, Edit, Who ----

  void addPutsTheNewPersonInTheListAndSelectsIt() {
    script->TypeName("Young");
    Request r(kPickEverything);
    auto d = Open(r);
    DialogScript::Press(*d, NamePickerDialog::kIdAdd);
    QCOMPARE(script->opened.size(), size_t(1));
    QCOMPARE(script->opened[0].caption, QString("Add new name"));
    QCOMPARE(script->opened[0].maxLength, 19);
    QVERIFY(office->Exists("Young"));
    QCOMPARE(SelectedName(*d->List()), std::string("Young"));
  }

  void addingANameWithAnAsteriskOpensItsMemberDialog() {
    script->TypeName("*Night shift");
    script->Then([](TBaseDialog& d) {
      auto& members = static_cast<MemberDialog&>(d);
      ClickRow(*members.List(), RowOf(*members.List(), "Baker"));
      DialogScript::Press(d, kIdOk);
    });
    Request r(kPickEverything);
    auto d = Open(r);
    DialogScript::Press(*d, NamePickerDialog::kIdAdd);
    QCOMPARE(script->opened.size(), size_t(2));
    QCOMPARE(script->opened[1].caption, QString("Members"));
    QCOMPARE(office->Members("*Night shift"), std::vector<int32_t>{office->Number("Baker")});
  }

  void aGroupTypedWithoutItsAsteriskIsStoredWithOne() {
    script->TypeName("Sales");
    script->Then([](TBaseDialog& d) { DialogScript::Press(d, kIdOk); });
    Request r(kPickEverything);
    auto d = Open(r);
    DialogScript::Press(*d, NamePickerDialog::kIdGroup);
    QCOMPARE(script->opened[0].caption, QString("Create new group"));
    QCOMPARE(script->opened[0].maxLength, 18);
    QVERIFY(office->Exists("*Sales"));
    QVERIFY(!office->Exists("Sales"));
    QCOMPARE(SelectedName(*d->List()), std::string("*Sales"));
    QCOMPARE(script->opened[1].caption, QString("Members"));
  }

  void aNineteenCharacterGroupTextIsCutSoTheNameHasNineteen() {
    script->TypeName("ABCDEFGHIJKLMNOPQRS");
    Request r(kPickEverything);
    auto d = Open(r);
    DialogScript::Press(*d, NamePickerDialog::kIdGroup);
    QVERIFY(office->Exists("*ABCDEFGHIJKLMNOPQR"));
  }

  void cancellingAddNameAddsNothing() {
    script->Cancel();
    Request r(kPickEverything);
    auto d = Open(r);
    DialogScript::Press(*d, NamePickerDialog::kIdGroup);
    QCOMPARE(script->opened.size(), size_t(1));
    QVERIFY(!office->Exists("*"));
  }

  void editRenamesTheGroupKeepingItsNumberAndMembers() {
    const int32_t sales = office->Add("*Sales");
    office->SetMembers("*Sales", {office->Number("Adams")});
    script->TypeName("Sales team");
    Request r(kPickEverything);
    auto d = Open(r);
    TypeSearch(d->Search(), "*Sales");
    DialogScript::Press(*d, NamePickerDialog::kIdEdit);
    QCOMPARE(script->opened[0].caption, QString("Edit group name"));
    QCOMPARE(script->opened[0].initial, QString("Sales"));
    QVERIFY(!office->Exists("*Sales"));
    QCOMPARE(office->Number("*Sales team"), sales);
    QCOMPARE(office->Members("*Sales team"), std::vector<int32_t>{office->Number("Adams")});
    QCOMPARE(SelectedName(*d->List()), std::string("*Sales team"));
  }

  void whoWithNoSelectionSaysNoGroupSelected() {
    Request r(kPickEverything);
    auto d = Open(r);
    TypeSearch(d->Search(), "Zz");
    d->Who();
    QCOMPARE(Asked(), QStringList{"Group|No group selected."});
    QVERIFY(script->opened.empty());
  }

  void whoOpensTheMembersOfTheSelectedGroup() {
    office->Add("*Sales");
    script->Cancel();
    Request r(kPickEverything);
    auto d = Open(r);
    TypeSearch(d->Search(), "*Sales");
    DialogScript::Press(*d, NamePickerDialog::kIdWho);
    QCOMPARE(script->opened.size(), size_t(1));
    QCOMPARE(script->opened[0].caption, QString("Members"));
  }

  // ---- Delete ----

  void deleteWithoutTheRightSaysSoBeforeAnythingElse() {
    SetNameDeleteAllowed(false);
    Request r(kPickEverything);
    auto d = Open(r);
    TypeSearch(d->Search(), "Zz");
    d->Delete();
    QCOMPARE(Asked(), QStringList{QString("DESKpost|") + kAccessDenied});
    prompts->Clear();
    TypeSearch(d->Search(), "Baker");
    d->Delete();
    QCOMPARE(Asked(), QStringList{QString("DESKpost|") + kAccessDenied});
    QVERIFY(office->Exists("Baker"));
  }

  void deleteWithNoSelectionSaysNoEntrySelected() {
    Request r(kPickEverything);
    auto d = Open(r);
    TypeSearch(d->Search(), "Zz");
    DialogScript::Press(*d, NamePickerDialog::kIdDelete);
    QCOMPARE(Asked(), QStringList{"Delete|No entry selected."});
  }

  void everybodyIsNeverDeletedNorAskedAbout() {
    Request r(kPickEverything);
    auto d = Open(r);
    TypeSearch(d->Search(), "* - ALL");
    DialogScript::Press(*d, NamePickerDialog::kIdDelete);
    QVERIFY(Asked().isEmpty());
    QVERIFY(office->Exists("* - ALL"));
  }

  void deletingAPersonAsksTheWarningAndNoKeepsThem() {
    Request r(kPickEverything);
    auto d = Open(r);
    TypeSearch(d->Search(), "Baker");
    prompts->Answer(0);
    DialogScript::Press(*d, NamePickerDialog::kIdDelete);
    QCOMPARE(Asked(),
             QStringList{"DESKpost|WARNING!\nThis operation removes this person from the system, "
                         "are you sure?"});
    QVERIFY(office->Exists("Baker"));
  }

  void deletingKeepsTheFirstNameInViewAndTheSelectionIndex() {
    Request r(kPickEverything);
    auto d = Open(r);
    TPickerList& list = *d->List();
    const std::string first = PageNames(list).front();
    const int row = RowOf(list, "Baker");
    ClickRow(list, row);
    prompts->Answer(1);
    DialogScript::Press(*d, NamePickerDialog::kIdDelete);
    QVERIFY(!office->Exists("Baker"));
    QCOMPARE(PageNames(list).front(), first);
    QCOMPARE(list.SelectedRow(), row);
    QCOMPARE(SelectedName(list), std::string("Barnes"));
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
    Request r(kPickEverything);
    auto d = Open(r);
    TypeSearch(d->Search(), "Baker");
    prompts->Answer(1);
    DialogScript::Press(*d, NamePickerDialog::kIdDelete);
    DbUnlockRecord(other, baker.RecordNumber());
    DbCloseTable(other);
    QCOMPARE(Asked().size(), 2);
    QCOMPARE(Asked()[1], QString("DESKpost|Error locking file: Baker"));
    QVERIFY(office->Exists("Baker"));
    QCOMPARE(SelectedName(*d->List()), std::string("Baker"));
  }

  void deletingAGroupAsksTheGroupWarning() {
    office->Add("*Sales");
    Request r(kPickEverything);
    auto d = Open(r);
    TypeSearch(d->Search(), "*Sales");
    prompts->Answer(1);
    DialogScript::Press(*d, NamePickerDialog::kIdDelete);
    QCOMPARE(Asked(),
             QStringList{"DESKpost|WARNING!\nThis operation will remove group from the list, "
                         "are you sure?"});
    QVERIFY(!office->Exists("*Sales"));
  }

  void deletingTheFirstNameInViewWhenNothingFollowsShowsTheLastNames() {
    Request r(kPickEverything);
    auto d = Open(r);
    TypeSearch(d->Search(), "Carter");
    QCOMPARE(PageNames(*d->List()).front(), std::string("Carter"));
    prompts->Answer(1);
    DialogScript::Press(*d, NamePickerDialog::kIdDelete);
    QVERIFY(!office->Exists("Carter"));
    QCOMPARE(PageNames(*d->List()).back(), std::string("Barnes"));
  }

  // ---- The password check ----

  void aRefusedPasswordReturnsZeroAndEmptiesTheName() {
    QVERIFY(WriteMasterPassword("boss", true));
    QVERIFY(WriteUserPassword("Adams", "apple"));
    QVERIFY(WriteProtectedAreas("Adams", kAreaMessages));
    passwords->answers = {std::string("pear")};
    Request r(kPickAllButEverybody, false, kAreaMessages);
    auto d = Open(r);
    TypeSearch(d->Search(), "Adams");
    DialogScript::Press(*d, kIdOk);
    QCOMPARE(passwords->asked, std::vector<std::string>{"Password:"});
    QCOMPARE(d->Result(), 0);
    QCOMPARE(r.request.slot.Name(), std::string());
    QVERIFY(!PhonePasswordMode());
  }

  void thePhonePasswordForMessagesReturnsTwoAndSetsPhonePasswordMode() {
    QVERIFY(WriteMasterPassword("boss", true));
    QVERIFY(WritePhonePassword("desk"));
    QVERIFY(WriteUserPassword("Adams", "apple"));
    QVERIFY(WriteProtectedAreas("Adams", kAreaMessages));
    passwords->answers = {std::string("DESK")};
    Request r(kPickAllButEverybody, false, kAreaMessages);
    auto d = Open(r);
    TypeSearch(d->Search(), "Adams");
    DialogScript::Press(*d, kIdOk);
    QCOMPARE(d->Result(), 2);
    QCOMPARE(r.request.slot.Name(), std::string("Adams"));
    QVERIFY(PhonePasswordMode());
  }

  void aGroupIsCheckedInTheGroupForm() {
    QVERIFY(WriteMasterPassword("boss", true));
    office->Add("*Sales");
    passwords->answers = {std::string("boss")};
    Request r(kPickAllButEverybody, false, kAreaScheduler);
    auto d = Open(r);
    TypeSearch(d->Search(), "*Sales");
    DialogScript::Press(*d, kIdOk);
    QCOMPARE(d->Result(), int(kPasswordMaster));
  }

  void withoutAMasterPasswordNothingIsAsked() {
    Request r(kPickOwner, false, kAreaScheduler);
    auto d = Open(r);
    TypeSearch(d->Search(), "Baker");
    DialogScript::Press(*d, kIdOk);
    QCOMPARE(d->Result(), int(kPasswordNotNeeded));
    QVERIFY(passwords->asked.empty());
  }

  // ---- The ways in ----

  void selectNameRunsThePickerAndAnswersItsResult() {
    script->Then([](TBaseDialog& d) {
      auto& picker = static_cast<NamePickerDialog&>(d);
      TypeSearch(picker.Search(), "Carter");
      DialogScript::Press(d, kIdOk);
    });
    Request r(kPickEverything);
    QCOMPARE(SelectName(nullptr, r.request, *passwords), 1);
    QCOMPARE(r.request.slot.Name(), std::string("Carter"));
  }

  void theRecipientFieldsPickerStartsFromTheTypedText() {
    script->Then([](TBaseDialog& d) {
      auto& picker = static_cast<NamePickerDialog&>(d);
      QCOMPARE(picker.Search()->text(), QString("Bar"));
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

  void typingInARecipientFieldOpensThePickerAndShowsTheChoice() {
    uint8_t record[records::name::kRecordSize] = {};
    int32_t tags[kTagSetSize] = {};
    DialogNamePicker picker;
    TBaseDialog form(nullptr, "Take");
    FormBuilder(&form).Edit("&To:", 108);
    form.Bind<TToControl>(108, record, tags, kPickEverything, &picker);
    form.OpenModeless();
    script->Then([](TBaseDialog& d) {
      auto& names = static_cast<NamePickerDialog&>(d);
      QCOMPARE(names.Search()->text(), QString("C"));
      DialogScript::Press(d, kIdOk);
    });
    QTest::keyClicks(FindControlAs<QLineEdit>(&form, 108), "C");
    QCOMPARE(FindControlAs<QLineEdit>(&form, 108)->text(), QString("Carter"));
    QCOMPARE(FieldI32(record, records::name::kNumber), office->Number("Carter"));
    form.CloseWith(0);
  }

  void aNameTableThatCannotBeOpenedIsShownAndAnswersZero() {
    office.reset();
    office = std::make_unique<NameOffice>();
    QVERIFY(std::remove(office->dir.File("NAME.DAT").c_str()) == 0);
    Request r(kPickEverything);
    QCOMPARE(SelectName(nullptr, r.request, *passwords), 0);
    QCOMPARE(prompts->Questions().size(), size_t(1));
    QVERIFY(script->opened.empty());
  }
};

QTEST_MAIN(NamePickerTest)
#include "name_picker_test.moc"
