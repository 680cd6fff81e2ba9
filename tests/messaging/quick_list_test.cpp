// The phone message's quick list on a real phone list: it opens while the
// company (or, with "FROM search", the caller) is typed, takes an entry
// into the slip with Enter, asks before it overwrites a phone number, and
// "&Add" puts the caller into the list; and the fly-out tip of "&List".
#include "messaging/quick_list.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "data/phone/dpphone.h"
#include "messaging/flyout_tip.h"
#include "messaging/take_window.h"
#include "storage/records/phone.h"
#include "tests/messaging/messaging_office.h"

namespace ph = records::phone;

namespace {

bool AddEntry(int32_t list, const char* listname, const char* company, const char* phone,
              const char* ext) {
  PhoneTable phones;
  if (!PhoneOpen(phones)) return false;
  PhoneRecord r;
  r.SetText(ph::kListname, listname);
  r.SetText(ph::kCompany, company);
  r.SetText(ph::kPhone1, phone);
  r.SetText(ph::kExt1, ext);
  SetFieldI32(r.bytes, ph::kList, list);
  const int ok = PhoneAdd(phones, r);
  PhoneClose(phones);
  return ok == 1;
}

QString TextOf(QWidget& w, int id) {
  return FindControlAs<QLineEdit>(&w, id)->text();
}

QString SelectedName(TakeWindow& w) {
  TPhoneQuickList* list = w.QuickList()->List();
  PhoneEntry entry;
  if (!list || !list->Selected(&entry)) return QString();
  return QString::fromStdString(entry.Listname());
}

void Key(QWidget* to, int key) {
  QTest::keyClick(to, Qt::Key(key));
}

}  // namespace

class QuickListTest : public QObject {
  Q_OBJECT

  std::unique_ptr<MessagingOffice> office;
  std::unique_ptr<MessagingScript> script;
  std::unique_ptr<TakeWindow> w;

  void Make(uint8_t fromSearch) {
    w.reset();
    script.reset();
    office.reset();
    MessagingOffice::Options options;
    options.fromSearch = fromSearch;
    office = std::make_unique<MessagingOffice>(options);
    QVERIFY(office->ok);
    QVERIFY(AddEntry(0, "Acme Corp", "Acme Corporation", "555-0100", "12"));
    QVERIFY(AddEntry(0, "Johnson, Pat", "Bolt & Nut Supply", "555-0199", ""));
    QVERIFY(AddEntry(0, "Zenith Labs", "Zenith", "555-0300", "7"));
    // ANNE's own list: never in the common quick list.
    QVERIFY(AddEntry(office->numbers["ANNE"], "Acme Annex", "", "555-0400", ""));
    script = std::make_unique<MessagingScript>();
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
    script.reset();
    QCOMPARE(office->prompts.Unanswered(), 0);
    QVERIFY(office->checks.empty());
    office.reset();
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
      Edit(TakeWindow::kIdCompany)->setFocus();
      Edit(TakeWindow::kIdCompany)->clear();
      QTest::keyClicks(Edit(TakeWindow::kIdCompany), typed);
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
  void enterTakesTheEntryIntoTheSlip_data() {
    QTest::addColumn<QString>("phoneBefore");
    QTest::addColumn<bool>("overwrite");
    QTest::addColumn<QString>("phoneAfter");
    QTest::addColumn<QString>("extAfter");
    QTest::newRow("empty phone") << "" << false << "555-0100"
                                 << "12";
    QTest::newRow("phone there, yes") << "555-9999" << true << "555-0100"
                                      << "12";
    QTest::newRow("phone there, no") << "555-9999" << false << "555-9999"
                                     << "";
  }
  void enterTakesTheEntryIntoTheSlip() {
    QFETCH(QString, phoneBefore);
    QFETCH(bool, overwrite);
    QFETCH(QString, phoneAfter);
    QFETCH(QString, extAfter);
    Edit(TakeWindow::kIdPhone)->setText(phoneBefore);
    if (!phoneBefore.isEmpty()) office->prompts.Answer(overwrite);
    Edit(TakeWindow::kIdCompany)->setFocus();
    QTest::keyClicks(Edit(TakeWindow::kIdCompany), "ac");
    QVERIFY(w->QuickList()->IsOpen());
    Key(Edit(TakeWindow::kIdCompany), Qt::Key_Down);
    QWidget* box = w->QuickList()->List()->ListBox();
    QVERIFY(box->hasFocus());
    Key(box, Qt::Key_Return);
    QVERIFY(!w->QuickList()->IsOpen());
    QCOMPARE(TextOf(*w, TakeWindow::kIdCompany), QString("Acme Corp"));
    QCOMPARE(TextOf(*w, TakeWindow::kIdPhone), phoneAfter);
    QCOMPARE(TextOf(*w, TakeWindow::kIdExt), extAfter);
    QVERIFY(FindControl(w.get(), TakeWindow::kIdPhoneText)->hasFocus());
    QCOMPARE(Asked(office->prompts), phoneBefore.isEmpty()
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
    Edit(TakeWindow::kIdPhoneFrom)->setFocus();
    QTest::keyClicks(Edit(TakeWindow::kIdPhoneFrom), "john");
    QCOMPARE(SelectedName(*w), QString("Johnson, Pat"));
    Key(Edit(TakeWindow::kIdPhoneFrom), Qt::Key_Down);
    Key(w->QuickList()->List()->ListBox(), Qt::Key_Return);
    QCOMPARE(TextOf(*w, TakeWindow::kIdPhoneFrom), QString("Johnson, Pat"));
    QCOMPARE(TextOf(*w, TakeWindow::kIdCompany), QString("Bolt & Nut Supply"));
    QCOMPARE(TextOf(*w, TakeWindow::kIdPhone), QString("555-0199"));
  }

  void escapeClosesTheListAndKeepsTheWindow() {
    Edit(TakeWindow::kIdCompany)->setFocus();
    QTest::keyClicks(Edit(TakeWindow::kIdCompany), "z");
    Key(Edit(TakeWindow::kIdCompany), Qt::Key_Down);
    Key(w->QuickList()->List()->ListBox(), Qt::Key_Escape);
    QVERIFY(!w->QuickList()->IsOpen());
    QVERIFY(w->isVisible());
    QVERIFY(Edit(TakeWindow::kIdCompany)->hasFocus());
    QCOMPARE(TextOf(*w, TakeWindow::kIdPhone), QString());
  }

  // "&List" opens the list at the company typed so far; another field
  // taking the focus closes it.
  void theListButtonOpensTheListAtTheCompany() {
    Edit(TakeWindow::kIdCompany)->setText("Zen");
    w->QuickList()->Close();
    QTest::mouseClick(FindControlAs<QPushButton>(w.get(), TakeWindow::kIdList), Qt::LeftButton);
    QCOMPARE(SelectedName(*w), QString("Zenith Labs"));
    QVERIFY(Edit(TakeWindow::kIdCompany)->hasFocus());
    Edit(TakeWindow::kIdExt)->setFocus();
    QCoreApplication::processEvents();
    QVERIFY(!w->QuickList()->IsOpen());
  }

  // "&Add": nothing for a blank slip, the caller added once, then "Entry
  // already exists.".
  void addPutsTheCallerIntoThePhoneListOnce() {
    w->AddToPhoneList();
    QVERIFY(Asked(office->prompts).isEmpty());
    Edit(TakeWindow::kIdPhoneFrom)->setText("Lee Nash");
    Edit(TakeWindow::kIdCompany)->setText("Nash Freight");
    w->QuickList()->Close();
    Edit(TakeWindow::kIdPhone)->setText("555-0777");
    w->AddToPhoneList();
    w->AddToPhoneList();
    QCOMPARE(Asked(office->prompts),
             QStringList({"|Entry added.", "DESKpost|Entry already exists."}));
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
  }

  void theTipStaysOnTheScreen_data() {
    QTest::addColumn<QPoint>("pointer");
    QTest::addColumn<QPoint>("at");
    const QRect screen(0, 0, 800, 600);
    QTest::newRow("room") << QPoint(100, 100) << QPoint(112, 112);
    // 60 wide: 112 + 60 > 800 until moved back 8 at a time to 736.
    QTest::newRow("right edge") << QPoint(780, 100) << QPoint(736, 112);
    QTest::newRow("bottom edge") << QPoint(100, 590) << QPoint(112, 570);
  }
  void theTipStaysOnTheScreen() {
    QFETCH(QPoint, pointer);
    QFETCH(QPoint, at);
    QCOMPARE(FlyoutTip::Place(pointer, QSize(60, 30), QRect(0, 0, 800, 600)), at);
  }
};

QTEST_MAIN(QuickListTest)
#include "quick_list_test.moc"
