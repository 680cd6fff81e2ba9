// The phone message view and the phone list, on a real office and phone
// list: the caller and company complete from the phone list as on the Take
// window ("FROM search" deciding for the caller), "&List" is offered where
// the slip may be edited, "&Dial" dials Phone for Company in the in-box and
// the send log, Alt+A adds the caller; and where the reply's "Urgent"
// starts.
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "data/phone/dpphone.h"
#include "messaging/copy_dialog.h"
#include "messaging/message_list.h"
#include "messaging/quick_list.h"
#include "messaging/view_message.h"
#include "phonelist/phone_settings.h"
#include "storage/records/message.h"
#include "storage/records/phone.h"
#include "tests/messaging/messaging_office.h"

namespace msg = records::message;
namespace ph = records::phone;
using V = TViewMessageBaseClass;

namespace {

bool AddEntry(const char* listname, const char* company, const char* phone, const char* ext) {
  PhoneTable phones;
  if (!PhoneOpen(phones)) return false;
  PhoneRecord r;
  r.SetText(ph::kListname, listname);
  r.SetText(ph::kCompany, company);
  r.SetText(ph::kPhone1, phone);
  r.SetText(ph::kExt1, ext);
  const int ok = PhoneAdd(phones, r);
  PhoneClose(phones);
  return ok == 1;
}

// A phone message in RECEPTION's in-box (and, with keepLog, her send log),
// from a caller of the company; filed into the folder.
bool Slip(const char* toName, int32_t to, const char* company, uint8_t flags, bool keepLog, int32_t folder) {
  MessageRecord r;
  SetFieldByte(r.bytes, msg::kKind, msg::kKindPhone);
  SetFieldText(r.bytes, msg::kTo, toName);
  SetFieldText(r.bytes, msg::kFrom, "Caller");
  SetFieldText(r.bytes, msg::kCompany, company);
  SetFieldText(r.bytes, msg::kPhone, "555-0123");
  SetFieldText(r.bytes, msg::kPhoneText, "Please call.");
  SetFieldByte(r.bytes, msg::kFlags, flags);
  MessageTable h;
  if (!MsgOpen(h)) return false;
  const int ok = MsgSendOne(&h, r, to, keepLog, folder);
  MsgClose(h);
  return ok == 1;
}

int Count(PhoneTable& phones) {
  int n = 0;
  DbSetCurrentIndex(phones.table, 0);
  for (int ok = DbFirst(phones.table); ok && DbPositionState(phones.table) != kPosEnd;
       ok = DbNext(phones.table))
    ++n;
  return n;
}

}  // namespace

class ViewCompletionTest : public QObject {
  Q_OBJECT

  std::unique_ptr<MessagingOffice> office;
  std::unique_ptr<MessagingScript> script;
  std::unique_ptr<TMessageListBaseClass> list;
  QList<QUrl> dialled;

  void Make(uint8_t fromSearch, int32_t folder = msg::kFolderNew, bool sendLog = false,
            uint8_t flags = 0) {
    MessagingOffice::Options options;
    options.fromSearch = fromSearch;
    office = std::make_unique<MessagingOffice>(options);
    QVERIFY(office->ok);
    QVERIFY(AddEntry("Acme Corp", "Acme Corporation", "555-0100", "12"));
    QVERIFY(AddEntry("Johnson, Pat", "Bolt & Nut Supply", "555-0199", ""));
    const int32_t me = office->numbers["RECEPTION"];
    QVERIFY(Slip("RECEPTION", me, "", flags, sendLog, folder));
    script = std::make_unique<MessagingScript>();
    ListRequest r;
    r.owner = me;
    r.person = r.ownerName = "RECEPTION";
    r.sendLog = sendLog;
    r.view = folder == msg::kFolderArchive ? kViewArchive : kViewNew;
    r.folder = folder;
    if (sendLog) {
      list = std::make_unique<TSendlogListClass>(nullptr, r);
    } else {
      list = std::make_unique<TMessageListClass>(nullptr, r);
    }
    QVERIFY(list->Start());
    list->OpenModeless();
    list->OpenView(0);
    QVERIFY(View());
    View()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(View()));
    PhoneSettings().dial.useTapi = true;
    PhoneSettings().openUrl = [this](const QUrl& url) {
      dialled << url;
      return true;
    };
  }
  V* View() { return qobject_cast<V*>(list->OpenViewWindow()); }
  QLineEdit* Edit(int id) { return FindControlAs<QLineEdit>(View(), id); }
  QPushButton* Button(int id) { return FindControlAs<QPushButton>(View(), id); }

 private slots:
  void cleanup() {
    dialled.clear();
    list.reset();
    script.reset();
    if (office) QVERIFY(office->checks.empty());
    office.reset();
    PhoneSettings() = PhoneListSettings();
  }

  // Typing into Company (and into From with "FROM search") opens the phone
  // list at the entry; Enter takes it into the slip, which the view then
  // saves as its own change.
  void typingCompletesFromThePhoneList_data() {
    QTest::addColumn<int>("fromSearch");
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("from");  // empty: the list does not open
    QTest::addColumn<QString>("company");
    QTest::addColumn<QString>("phone");
    QTest::newRow("company") << 0 << int(V::kIdCompany) << "ac"
                             << "Caller"
                             << "Acme Corp"
                             << "555-0100";
    QTest::newRow("caller with FROM search") << 1 << int(V::kIdPhoneFrom) << "john"
                                             << "Johnson, Pat"
                                             << "Bolt & Nut Supply"
                                             << "555-0199";
    QTest::newRow("caller without FROM search") << 0 << int(V::kIdPhoneFrom) << "john"
                                                << ""
                                                << ""
                                                << "";
  }
  void typingCompletesFromThePhoneList() {
    QFETCH(int, fromSearch);
    QFETCH(int, field);
    QFETCH(QString, typed);
    QFETCH(QString, from);
    QFETCH(QString, company);
    QFETCH(QString, phone);
    Make(uint8_t(fromSearch));
    if (QTest::currentTestFailed()) return;
    Edit(field)->setFocus();
    Edit(field)->selectAll();
    office->prompts.Answer(true);  // "Overwrite phone number?"
    QTest::keyClicks(Edit(field), typed);
    QCOMPARE(View()->QuickList()->IsOpen(), !from.isEmpty());
    if (from.isEmpty()) return;
    QTest::keyClick(Edit(field), Qt::Key_Down);
    QTest::keyClick(View()->QuickList()->List()->ListBox(), Qt::Key_Return);
    QCOMPARE(Edit(V::kIdPhoneFrom)->text(), from);
    QCOMPARE(Edit(V::kIdCompany)->text(), company);
    QCOMPARE(Edit(V::kIdPhone)->text(), phone);
    QVERIFY(View()->Locked());
    MessagingScript::Press(*View(), V::kIdSave);
    QCOMPARE(FieldText(MessagingOffice::Messages()[0].bytes, msg::kCompany), company.toStdString());
    QCOMPARE(Asked(office->prompts),
             QStringList({"DESKpost|Overwrite phone number?", "|Message saved."}));
    MessagingScript::Press(*View(), V::kIdClose);
  }

  // "&List" where the slip may be edited; "&Dial" in the in-box and the send
  // log alike, with the slip's phone for its company.
  void theButtonsFollowTheView_data() {
    QTest::addColumn<int>("folder");
    QTest::addColumn<bool>("sendLog");
    QTest::addColumn<bool>("listShown");
    QTest::addColumn<bool>("listEnabled");
    QTest::newRow("in-box") << int(msg::kFolderNew) << false << true << true;
    QTest::newRow("archived") << int(msg::kFolderArchive) << false << true << false;
    QTest::newRow("send log") << int(msg::kFolderNew) << true << false << false;
  }
  void theButtonsFollowTheView() {
    QFETCH(int, folder);
    QFETCH(bool, sendLog);
    QFETCH(bool, listShown);
    QFETCH(bool, listEnabled);
    Make(0, folder, sendLog);
    if (QTest::currentTestFailed()) return;
    QCOMPARE(Button(V::kIdList)->isVisible(), listShown);
    QCOMPARE(Button(V::kIdList)->isEnabled(), listEnabled);
    QVERIFY(Button(V::kIdDial)->isVisible());
    MessagingScript::Press(*View(), V::kIdDial);
    QCOMPARE(dialled, QList<QUrl>{QUrl("tel:555-0123")});
    if (listEnabled) {
      Edit(V::kIdCompany)->setText("Acm");
      View()->QuickList()->Close();
      MessagingScript::Press(*View(), V::kIdList);
      QVERIFY(View()->QuickList()->IsOpen());
      QVERIFY(Edit(V::kIdCompany)->hasFocus());
      View()->QuickList()->Close();
      View()->SetModified(0);
    }
    MessagingScript::Press(*View(), V::kIdClose);
  }

  // Alt+A puts the caller into the current phone list, once.
  void altAAddsTheCallerToThePhoneList() {
    Make(0);
    if (QTest::currentTestFailed()) return;
    Edit(V::kIdCompany)->setText("Widgets Inc");
    QTest::keyClick(View(), Qt::Key_A, Qt::AltModifier);
    QTest::keyClick(View(), Qt::Key_A, Qt::AltModifier);
    QCOMPARE(Asked(office->prompts), QStringList({"|Entry added.", "|Entry already exists."}));
    PhoneTable phones;
    QVERIFY(PhoneOpen(phones));
    QCOMPARE(Count(phones), 3);
    PhoneClose(phones);
    View()->SetModified(0);
    MessagingScript::Press(*View(), V::kIdClose);
  }

  // The reply's "Urgent" starts ticked in the urgent alert's own window
  // only, whatever the message's flags say.
  void copyStartsUrgentOnlyFromTheAlert_data() {
    QTest::addColumn<bool>("single");
    QTest::addColumn<bool>("ticked");
    QTest::newRow("the list's view") << false << false;
    QTest::newRow("the urgent alert's window") << true << true;
  }
  void copyStartsUrgentOnlyFromTheAlert() {
    QFETCH(bool, single);
    QFETCH(bool, ticked);
    Make(0, msg::kFolderNew, false, msg::kFlagUrgent);
    if (QTest::currentTestFailed()) return;
    MessagingScript::Press(*View(), V::kIdClose);
    std::unique_ptr<V> view(MakeMessageView(nullptr, list->MessageHandle(), list->Row(0), 0, 0,
                                            list->Request(), single));
    QVERIFY(view);
    bool urgent = !ticked;
    script->Then([&](TBaseDialog& d) {
      urgent = FindControlAs<QAbstractButton>(&d, TGetLocalCopyInfo::kIdUrgent)->isChecked();
    });
    view->Reply();
    QCOMPARE(urgent, ticked);
  }
};

QTEST_MAIN(ViewCompletionTest)
#include "view_completion_test.moc"
