// The phone message's quick list on a real phone list: it opens while the
// company (or, with "FROM search", the caller) is typed, takes an entry
// into the slip with Enter, asks before it overwrites a phone number, and
// "&Add" puts the caller into the list; and the fly-out tip of "&List".
// It is the phone list window's list of one phone list, without tags:
// "&List" opens it at the first entry not less than the company typed so
// far, Home and End stay inside the selected phone list while other lists
// lie before and after it in the index, and a click selects without
// tagging.
#include "messaging/quick_list.h"

#include <QPushButton>

#include "messaging/flyout_tip.h"
#include "messaging/take_window.h"
#include "storage/records/phone.h"
#include "tests/messaging/messaging_office.h"
#include "tests/support/test_rows.h"

namespace ph = records::phone;

namespace {

QString SelectedName(TakeWindow& w) {
  TPhoneQuickList* list = w.QuickList()->List();
  PhoneEntry entry;
  if (!list || !list->Selected(&entry)) return QString();
  return QString::fromStdString(entry.Listname());
}

// Enter in the list over a phone number typed before, and the answer to
// overwriting it.
struct EnterCase {
  const char *name, *phoneBefore;
  bool overwrite;
  const char *phoneAfter, *extAfter;
};
constexpr EnterCase kEnterCases[] = {
    {"empty phone", "", false, "555-0100", "12"},
    {"phone there, yes", "555-9999", true, "555-0100", "12"},
    {"phone there, no", "555-9999", false, "555-9999", ""},
};

// "&List" over the company typed, in the phone list of the owner (""
// common): the entry selected as it opens, after End and after Home.
struct ListCase {
  const char *name, *owner, *company, *opened, *atEnd, *atHome;
};
constexpr ListCase kListCases[] = {
    {"common, a prefix", "", "Zen", "Zenith Labs", "Zenith Labs", "Acme Corp"},
    // No entry starts so: the next one is still chosen, to be taken.
    {"common, between", "", "B", "Johnson, Pat", "Zenith Labs", "Acme Corp"},
    {"common, past the end", "", "zz", "Acme Corp", "Zenith Labs", "Acme Corp"},
    {"ANNE's, blank", "ANNE", "", "Acme Annex", "Anne's garage", "Acme Annex"},
    {"ANNE's, a prefix", "ANNE", "anne's g", "Anne's garage", "Anne's garage", "Acme Annex"},
};

}  // namespace

class QuickListTest : public QObject, MessagingTest {
  Q_OBJECT

  std::unique_ptr<TakeWindow> w;

  // The phone list: the common one, then ANNE's (never in the common quick
  // list) and BOB's after it in the index.
  void Make(uint8_t fromSearch) {
    w.reset();
    Begin({.fromSearch = fromSearch});
    QVERIFY(AddPhoneEntry(0, "Acme Corp", "Acme Corporation", "555-0100", "12"));
    QVERIFY(AddPhoneEntry(0, "Johnson, Pat", "Bolt & Nut Supply", "555-0199"));
    QVERIFY(AddPhoneEntry(0, "Zenith Labs", "Zenith", "555-0300", "7"));
    for (const char* name : {"Acme Annex", "Anne's dentist", "Anne's garage"})
      QVERIFY(AddPhoneEntry(office->numbers["ANNE"], name, "", "555-0400"));
    QVERIFY(AddPhoneEntry(office->numbers["BOB"], "Bob's bank", "", "555-0300"));
    OpenTake();
  }
  void OpenTake() {
    w = std::make_unique<TakeWindow>(nullptr, kTakePhone, nullptr);
    w->OpenModeless();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
  }
  QLineEdit* Edit(int id) { return FindControlAs<QLineEdit>(w.get(), id); }

 private slots:
  void init() { Make(0); }
  void cleanup() {
    w.reset();
    PhoneSetCurrentList(PhoneList());
    End(true);
  }

  // The list opens on the first entry not less than the typed company when
  // that entry begins with it, follows the typing, and closes when nothing
  // begins with it.
  void typingTheCompanyOpensAndFollowsTheList() {
    // The entry selected, none when the list is closed.
    const char* cases[][2] = {{"ac", "Acme Corp"},
                              {"Jo", "Johnson, Pat"},
                              {"Acx", ""},
                              {"zz", ""},
                              {"Acme An", ""}};  // another person's list
    for (const auto& [typed, selected] : cases) {
      Edit(TakeWindow::kIdCompany)->clear();
      TypeKeys(w.get(), TakeWindow::kIdCompany, typed);
      QCOMPARE(w->QuickList()->IsOpen(), *selected != 0);
      QCOMPARE(SelectedName(*w), QString(selected));
      if (!*selected) continue;
      TPhoneQuickList* list = w->QuickList()->List();
      QCOMPARE(list->property("controlId").toInt(), TPhoneQuickList::kId);
      // Only the common list's entries.
      for (int i = 0; i < list->RowsFilled(); ++i)
        QVERIFY(FieldI32(list->EntryOfRow(i), ph::x1::kList) == 0);
    }
  }

  // Down arrow goes into the list, Enter takes the entry: the company's
  // list name, the phone and extension (asking first when a phone number
  // is there), and the focus goes on to the message.
  void enterTakesTheEntryIntoTheSlip_data() { AddRows(kEnterCases); }
  void enterTakesTheEntryIntoTheSlip() {
    const EnterCase& c = TestRow(kEnterCases);
    const QString phoneBefore(c.phoneBefore);
    Edit(TakeWindow::kIdPhone)->setText(phoneBefore);
    if (!phoneBefore.isEmpty()) prompts->Answer(c.overwrite);
    TypeKeys(w.get(), TakeWindow::kIdCompany, "ac");
    QVERIFY(w->QuickList()->IsOpen());
    QTest::keyClick(Edit(TakeWindow::kIdCompany), Qt::Key_Down);
    QWidget* box = w->QuickList()->List()->ListBox();
    QVERIFY(box->hasFocus());
    QTest::keyClick(box, Qt::Key_Return);
    QVERIFY(!w->QuickList()->IsOpen());
    QCOMPARE(LineText(w.get(), TakeWindow::kIdCompany), QString("Acme Corp"));
    QCOMPARE(LineText(w.get(), TakeWindow::kIdPhone), QString(c.phoneAfter));
    QCOMPARE(LineText(w.get(), TakeWindow::kIdExt), QString(c.extAfter));
    QVERIFY(FindControl(w.get(), TakeWindow::kIdPhoneText)->hasFocus());
    QCOMPARE(Asked(*prompts), phoneBefore.isEmpty()
                                  ? QStringList()
                                  : QStringList{"DESKpost|Overwrite phone number?"});
    // Taking the entry did not open the list again.
    QCoreApplication::processEvents();
    QVERIFY(!w->QuickList()->IsOpen());
  }

  // With "FROM search" the caller's name completes too: From takes the list
  // name (20 characters) and Company the entry's company.
  void theCallerCompletesWithFromSearch() {
    Make(1);
    TypeKeys(w.get(), TakeWindow::kIdPhoneFrom, "john");
    QCOMPARE(SelectedName(*w), QString("Johnson, Pat"));
    QTest::keyClick(Edit(TakeWindow::kIdPhoneFrom), Qt::Key_Down);
    QTest::keyClick(w->QuickList()->List()->ListBox(), Qt::Key_Return);
    QCOMPARE(LineText(w.get(), TakeWindow::kIdPhoneFrom), QString("Johnson, Pat"));
    QCOMPARE(LineText(w.get(), TakeWindow::kIdCompany), QString("Bolt & Nut Supply"));
    QCOMPARE(LineText(w.get(), TakeWindow::kIdPhone), QString("555-0199"));
  }

  void escapeClosesTheListAndKeepsTheWindow() {
    TypeKeys(w.get(), TakeWindow::kIdCompany, "z");
    QTest::keyClick(Edit(TakeWindow::kIdCompany), Qt::Key_Down);
    QTest::keyClick(w->QuickList()->List()->ListBox(), Qt::Key_Escape);
    QVERIFY(!w->QuickList()->IsOpen());
    QVERIFY(w->isVisible());
    QVERIFY(Edit(TakeWindow::kIdCompany)->hasFocus());
    QCOMPARE(LineText(w.get(), TakeWindow::kIdPhone), QString());
  }

  // "&List" opens the list at the company typed so far, keeping the focus
  // in Company; End and Home stay in the current phone list, a click
  // selects and tags nothing, and another field taking the focus closes it.
  void theListButtonAndItsKeysStayInTheSelectedList_data() { AddRows(kListCases); }
  void theListButtonAndItsKeysStayInTheSelectedList() {
    const ListCase& c = TestRow(kListCases);
    PhoneList list;
    if (*c.owner) list = {office->numbers[c.owner], c.owner};
    PhoneSetCurrentList(list);
    OpenTake();
    Edit(TakeWindow::kIdCompany)->setText(c.company);
    w->QuickList()->Close();
    QTest::mouseClick(FindControlAs<QPushButton>(w.get(), TakeWindow::kIdList), Qt::LeftButton);
    TPhoneQuickList* quick = w->QuickList()->List();
    QVERIFY(quick);
    QVERIFY(!quick->Tagging());
    QCOMPARE(SelectedName(*w), QString(c.opened));
    QVERIFY(Edit(TakeWindow::kIdCompany)->hasFocus());
    quick->HandleKey(Qt::Key_End, Qt::NoModifier);
    QCOMPARE(SelectedName(*w), QString(c.atEnd));
    quick->HandleKey(Qt::Key_Home, Qt::NoModifier);
    QCOMPARE(SelectedName(*w), QString(c.atHome));
    for (int row = 0; row < quick->RowsFilled(); ++row)
      QCOMPARE(FieldI32(quick->EntryOfRow(row), ph::x1::kList), list.number);
    quick->ClickRow(quick->RowsFilled() - 1, Qt::ControlModifier, Qt::LeftButton);
    QCOMPARE(quick->Tags().Count(), 0);
    QCOMPARE(SelectedName(*w), QString(c.atEnd));
    Edit(TakeWindow::kIdExt)->setFocus();
    QCoreApplication::processEvents();
    QVERIFY(!w->QuickList()->IsOpen());
  }

  // "&Add": nothing for a blank slip, the caller added once, then "Entry
  // already exists.".
  void addPutsTheCallerIntoThePhoneListOnce() {
    w->AddToPhoneList();
    QVERIFY(Asked(*prompts).isEmpty());
    Edit(TakeWindow::kIdPhoneFrom)->setText("Lee Nash");
    Edit(TakeWindow::kIdCompany)->setText("Nash Freight");
    w->QuickList()->Close();
    Edit(TakeWindow::kIdPhone)->setText("555-0777");
    w->AddToPhoneList();
    w->AddToPhoneList();
    QCOMPARE(Asked(*prompts), QStringList({"|Entry added.", "DESKpost|Entry already exists."}));
    PhoneTable phones;
    QVERIFY(PhoneOpen(phones));
    PhoneEntry entry;
    QCOMPARE(PhoneFind(phones, 0, "Nash Freight", "555-0777", &entry), 1);
    PhoneRecord r;
    QVERIFY(PhoneRead(phones, entry.RecordNumber(), &r));
    QCOMPARE(r.Text(ph::kContact), std::string("Lee Nash"));
    PhoneClose(phones);
  }

  // The tip of "&List": it shows a moment after the pointer rests on the
  // button, beside the pointer, and a click takes it away.
  void theListButtonHasAFlyoutTip() {
    auto* button = FindControlAs<QPushButton>(w.get(), TakeWindow::kIdList);
    auto* tip = button->findChild<FlyoutTip*>();
    QVERIFY(tip);
    QCOMPARE(tip->Text(), QString("Phone&List"));
    QTest::mouseMove(button, QPoint(5, 5));
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), button->mapToGlobal(QPointF(5, 5)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(button, &move);
    QVERIFY(tip->Waiting());
    // The pointer went elsewhere meanwhile: nothing shows.
    tip->Fire(button->mapToGlobal(QPoint(-50, -50)));
    QVERIFY(!tip->isVisible());
    const QPoint over = button->mapToGlobal(QPoint(5, 5));
    tip->Fire(over);
    QVERIFY(tip->isVisible());
    QCOMPARE(tip->pos(), FlyoutTip::Place(over, tip->size(), button->screen()->geometry()));
    QTest::mousePress(button, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QVERIFY(!tip->isVisible());
    QVERIFY(!tip->Waiting());
    QTest::mouseRelease(button, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    // It stays on the screen: 60 wide, 112 + 60 > 800 moves it back 8 at a
    // time to 736.
    const std::pair<QPoint, QPoint> places[] = {
        {{100, 100}, {112, 112}}, {{780, 100}, {736, 112}}, {{100, 590}, {112, 570}}};
    for (const auto& [pointer, at] : places)
      QCOMPARE(FlyoutTip::Place(pointer, QSize(60, 30), QRect(0, 0, 800, 600)), at);
  }
};

QTEST_MAIN(QuickListTest)
#include "quick_list_test.moc"
