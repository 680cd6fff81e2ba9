// SELECT_MEMBERS on a real name table: people only, a click toggles a
// membership, 100 members at most, OK writes the list and Cancel leaves it.
#include <QTest>
#include <memory>

#include "name_dialogs.h"
#include "name_office.h"
#include "storage/check.h"
#include "toolkit/live_windows.h"
#include "toolkit/scripted_prompts.h"

class MemberDialogTest : public QObject {
  Q_OBJECT

  std::unique_ptr<NameOffice> office;
  std::unique_ptr<ScriptedPrompts> prompts;
  std::unique_ptr<DialogScript> script;
  int checks = 0;

  std::unique_ptr<MemberDialog> Open(const std::string& group) {
    auto d = std::make_unique<MemberDialog>(nullptr, group);
    d->OpenModeless();
    return d;
  }

 private slots:
  void init() {
    office = std::make_unique<NameOffice>();
    prompts = std::make_unique<ScriptedPrompts>();
    script = std::make_unique<DialogScript>();
    checks = 0;
    SetCheckHandler([this](const char*, unsigned) { ++checks; });
    for (auto n : {"* - ALL", "*Sales", "Adams", "Baker", "Carter"}) office->Add(n);
  }
  void cleanup() {
    SetCheckHandler(nullptr);
    script.reset();
    prompts.reset();
    office.reset();
    QCOMPARE(LiveWindowCount(), 0);
    QCOMPARE(checks, 0);
  }

  void theListShowsPeopleOnlyUnderTheCaptionMembers() {
    auto d = Open("*Sales");
    QCOMPARE(d->windowTitle(), QString("Members"));
    QCOMPARE(PageNames(*d->List()), (std::vector<std::string>{"Adams", "Baker", "Carter"}));
    // The space bar toggles the focused person.
    TypeSearch(d->Search(), "Ca");
    QTest::keyClick(d->List()->ListBox(), Qt::Key_Space);
    QCOMPARE(d->Members(), std::vector<int32_t>{office->Number("Carter")});
  }

  void clicksToggleMembershipAndOkWritesTheList() {
    office->SetMembers("*Sales", {office->Number("Baker")});
    auto d = Open("*Sales");
    TPickerList& list = *d->List();
    ClickRow(list, RowOf(list, "Adams"));
    ClickRow(list, RowOf(list, "Baker"));
    ClickRow(list, RowOf(list, "Carter"));
    QCOMPARE(office->Members("*Sales"), std::vector<int32_t>{office->Number("Baker")});
    DialogScript::Press(*d, kIdOk);
    QCOMPARE(d->Result(), 1);
    // Baker's freed slot, the first, went to Carter.
    QCOMPARE(office->Members("*Sales"),
             (std::vector<int32_t>{office->Number("Carter"), office->Number("Adams")}));
  }

  void cancelLeavesTheMemberListUnchanged() {
    office->SetMembers("*Sales", {office->Number("Baker")});
    auto d = Open("*Sales");
    ClickRow(*d->List(), RowOf(*d->List(), "Adams"));
    DialogScript::Press(*d, kIdCancel);
    QCOMPARE(d->Result(), 0);
    QCOMPARE(office->Members("*Sales"), std::vector<int32_t>{office->Number("Baker")});
  }

  void theHundredAndFirstMemberIsRefused() {
    const std::vector<int32_t> hundred = office->AddPeople(100);
    office->SetMembers("*Sales", hundred);
    auto d = Open("*Sales");
    TypeSearch(d->Search(), "Adams");
    ClickRow(*d->List(), 0);
    QCOMPARE(prompts->Questions().size(), size_t(1));
    QCOMPARE(prompts->Questions()[0].text, QString("Maximum of 100 members."));
    DialogScript::Press(*d, kIdOk);
    QCOMPARE(office->Members("*Sales"), hundred);
    // Freeing a slot makes room again.
    auto again = Open("*Sales");
    TypeSearch(again->Search(), "P000");
    ClickRow(*again->List(), 0);
    TypeSearch(again->Search(), "Adams");
    ClickRow(*again->List(), 0);
    DialogScript::Press(*again, kIdOk);
    std::vector<int32_t> expected = hundred;
    expected[0] = office->Number("Adams");
    QCOMPARE(office->Members("*Sales"), expected);
  }

  void aNameThatIsNotAGroupOrIsEverybodyAnswersOneAtOnce() {
    QCOMPARE(SelectMembers(nullptr, "Adams"), 1);
    QCOMPARE(SelectMembers(nullptr, "* - ALL"), 1);
    QVERIFY(script->opened.empty());
    // For a group it answers one only when saved.
    script->Then([](TBaseDialog& d) { DialogScript::Press(d, kIdOk); });
    QCOMPARE(SelectMembers(nullptr, "*Sales"), 1);
    script->Cancel();
    QCOMPARE(SelectMembers(nullptr, "*Sales"), 0);
  }

  void aGroupRemovedMeanwhileIsShownAndNotWritten() {
    auto d = Open("*Sales");
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
};

QTEST_MAIN(MemberDialogTest)
#include "member_dialog_test.moc"
