// The phone message's quick list is the phone list window's list of one
// phone list, without tags: "&List" opens it at the first entry not less
// than the company typed so far, Home and End stay inside the selected
// phone list while other lists lie before and after it in the index, and
// a click selects without tagging.
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "data/phone/dpphone.h"
#include "messaging/quick_list.h"
#include "messaging/take_window.h"
#include "storage/records/phone.h"
#include "tests/messaging/messaging_office.h"

namespace ph = records::phone;

class QuickListSharedTest : public QObject {
  Q_OBJECT

  std::unique_ptr<MessagingOffice> office;
  std::unique_ptr<MessagingScript> script;
  std::unique_ptr<TakeWindow> w;

  void Add(int32_t list, const char* listname, const char* phone) {
    PhoneTable phones;
    QVERIFY(PhoneOpen(phones));
    PhoneRecord r;
    r.SetText(ph::kListname, listname);
    r.SetText(ph::kPhone1, phone);
    SetFieldI32(r.bytes, ph::kList, list);
    QVERIFY(PhoneAdd(phones, r));
    PhoneClose(phones);
  }

  QString Selected() {
    PhoneEntry entry;
    TPhoneQuickList* list = w->QuickList()->List();
    if (!list || !list->Selected(&entry)) return QString();
    return QString::fromStdString(entry.Listname());
  }

 private slots:
  void init() {
    office = std::make_unique<MessagingOffice>(MessagingOffice::Options());
    QVERIFY(office->ok);
    const int32_t anne = office->numbers["ANNE"];
    const int32_t bob = office->numbers["BOB"];
    // ANNE's list lies between the common list and BOB's in the index.
    for (const char* name : {"Acme Corp", "Johnson, Pat", "Zenith Labs"}) Add(0, name, "555-0100");
    for (const char* name : {"Anne's dentist", "Anne's garage"}) Add(anne, name, "555-0200");
    Add(bob, "Bob's bank", "555-0300");
    script = std::make_unique<MessagingScript>();
  }
  void cleanup() {
    w.reset();
    script.reset();
    PhoneSetCurrentList(PhoneList());
    QCOMPARE(office->prompts.Unanswered(), 0);
    QVERIFY(office->checks.empty());
    office.reset();
  }

  void theListButtonAndItsKeysStayInTheSelectedList_data() {
    QTest::addColumn<QString>("owner");  // whose list the quick list shows
    QTest::addColumn<QString>("company");
    QTest::addColumn<QString>("opened");  // the entry selected on "&List"
    QTest::addColumn<QString>("atEnd");
    QTest::addColumn<QString>("atHome");
    QTest::newRow("common, a prefix") << ""
                                      << "Zen"
                                      << "Zenith Labs"
                                      << "Zenith Labs"
                                      << "Acme Corp";
    // No entry starts so: the next one is still chosen, to be taken.
    QTest::newRow("common, between") << ""
                                     << "B"
                                     << "Johnson, Pat"
                                     << "Zenith Labs"
                                     << "Acme Corp";
    QTest::newRow("common, past the end") << ""
                                          << "zz"
                                          << "Acme Corp"
                                          << "Zenith Labs"
                                          << "Acme Corp";
    QTest::newRow("ANNE's, blank") << "ANNE"
                                   << ""
                                   << "Anne's dentist"
                                   << "Anne's garage"
                                   << "Anne's dentist";
    QTest::newRow("ANNE's, a prefix") << "ANNE"
                                      << "anne's g"
                                      << "Anne's garage"
                                      << "Anne's garage"
                                      << "Anne's dentist";
  }
  void theListButtonAndItsKeysStayInTheSelectedList() {
    QFETCH(QString, owner);
    QFETCH(QString, company);
    QFETCH(QString, opened);
    QFETCH(QString, atEnd);
    QFETCH(QString, atHome);
    PhoneList list;
    if (!owner.isEmpty()) list = {office->numbers[owner.toStdString()], owner.toStdString()};
    PhoneSetCurrentList(list);
    w = std::make_unique<TakeWindow>(nullptr, kTakePhone, nullptr);
    w->OpenModeless();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    auto* field = FindControlAs<QLineEdit>(w.get(), TakeWindow::kIdCompany);
    field->setText(company);
    w->QuickList()->Close();
    QTest::mouseClick(FindControlAs<QPushButton>(w.get(), TakeWindow::kIdList), Qt::LeftButton);
    TPhoneQuickList* quick = w->QuickList()->List();
    QVERIFY(quick);
    QCOMPARE(quick->property("controlId").toInt(), 501);
    QVERIFY(!quick->Tagging());
    QCOMPARE(Selected(), opened);
    quick->HandleKey(Qt::Key_End, Qt::NoModifier);
    QCOMPARE(Selected(), atEnd);
    quick->HandleKey(Qt::Key_Home, Qt::NoModifier);
    QCOMPARE(Selected(), atHome);
    for (int row = 0; row < quick->RowsFilled(); ++row)
      QCOMPARE(FieldI32(quick->EntryOfRow(row), ph::x1::kList), list.number);
    // A click selects and tags nothing.
    quick->ClickRow(quick->RowsFilled() - 1, Qt::ControlModifier, Qt::LeftButton);
    QCOMPARE(quick->Tags().Count(), 0);
    QCOMPARE(Selected(), atEnd);
  }
};

QTEST_MAIN(QuickListSharedTest)
#include "quick_list_shared_test.moc"
