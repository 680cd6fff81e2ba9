// The view windows of phone messages and memos on a real office: the
// viewed stamp, editing under the record's lock, the marks and Prev/Next,
// the send log's "&Viewed", Reply to a phone message, the memo reply with
// its quote and kept text, and a long text whose note chain is damaged.
// The phone message view and the phone list: the caller and company
// complete as on the Take window ("FROM search" deciding for the caller),
// "&List" is offered where the slip may be edited, "&Dial" dials in the
// in-box and the send log, Alt+A adds the caller; and where the reply's
// "Urgent" starts.
#include "messaging/view_message.h"

#include <QPushButton>
#include <QTableView>

#include "data/messages/memo_reply.h"
#include "messaging/copy_dialog.h"
#include "messaging/memo_reply.h"
#include "messaging/quick_list.h"
#include "phonelist/phone_settings.h"
#include "storage/records/note.h"
#include "tests/messaging/messaging_office.h"
#include "tests/support/lock_holder.h"
#include "tests/support/test_rows.h"

namespace {

namespace row = msgrec::list_row;

using V = TViewMessageBaseClass;

// Typing into Company (or From) of the phone message's view.
struct TypingCase {
  const char* name;
  uint8_t fromSearch;
  int field;
  const char *typed, *from, *company, *phone;  // from "": the list does not open
};
constexpr TypingCase kTypingCases[] = {
    {"company", 0, V::kIdCompany, "ac", "Caller", "Acme Corp", "555-0100"},
    {"caller with FROM search", 1, V::kIdPhoneFrom, "john", "Johnson, Pat", "Bolt & Nut Supply",
     "555-0199"},
    {"caller without FROM search", 0, V::kIdPhoneFrom, "john", "", "", ""},
};

// The view's "&List" and "&Dial" for a phone message in the folder.
struct ButtonCase {
  const char* name;
  int32_t folder;
  bool sendLog, listShown, listEnabled;
};
constexpr ButtonCase kButtonCases[] = {
    {"in-box", msgrec::kFolderNew, false, true, true},
    {"archived", msgrec::kFolderArchive, false, true, false},
    {"send log", msgrec::kFolderNew, true, false, false},
};

}  // namespace

class ViewMessageTest : public QObject, MessagingTest {
  Q_OBJECT

 private slots:
  void init() { Begin(As("BOB")); }
  void cleanup() {
    End(false);
    dialled.clear();
    PhoneSettings() = PhoneListSettings();
  }

  // Opening a message stamps it viewed once, unless it is the mail
  // gateway's or was stored without a sender.
  void openingStampsViewedOnceAndKeepsTheFirstTime() {
    for (const std::string to : {"BOB", "DPMAIL SERVER"}) {
      const bool stamped = to == "BOB";
      const MessageRecord sent = office->Memo("ANNE", to, "hello");
      QVERIFY(Open(to));
      const int32_t firstOpen = office->now;
      QVERIFY(View());
      QCOMPARE(office->Read(sent).ViewedTime(), stamped ? firstOpen : 0);
      QCOMPARE(office->Read(sent).Viewer(), stamped ? office->numbers["BOB"] : 0);
      Press(View(), V::kIdClose);
      office->now += 3600;
      QVERIFY(View());
      QCOMPARE(office->Read(sent).ViewedTime(), stamped ? firstOpen : 0);
      Press(View(), V::kIdClose);
    }
  }

  void theViewShowsTheMessageAndNamesItsControls() {
    office->Send(msgrec::kKindPhone, "Mr Smith", "BOB", "Please call", 0, false, "ACME");
    QVERIFY(Open("BOB"));
    V* v = View();
    QVERIFY(v);
    QCOMPARE(v->windowTitle(), QString("View Message"));
    QCOMPARE(FindControlAs<QLineEdit>(v, V::kIdCompany)->text(), QString("ACME"));
    QCOMPARE(PlainText(v, V::kIdPhoneText), QString("Please call"));
    const std::pair<int, const char*> names[] = {
        {V::kIdPhoneText, "Message"}, {V::kIdTime, "Date and time"}, {V::kIdCompany, "Company:"}};
    for (const auto& [id, name] : names)
      QCOMPARE(FindControl(v, id)->accessibleName(), QString(name));
    QVERIFY(!FindControl(v, V::kIdPrev)->isEnabled());
    QVERIFY(!FindControl(v, V::kIdNext)->isEnabled());
    QVERIFY(FindControl(v, V::kIdPrint)->isEnabled());
    QVERIFY(QApplication::focusWidget() == FindControl(v, V::kIdDelete) ||
            v->focusWidget() == FindControl(v, V::kIdDelete));
  }

  // Another workstation holds the message for editing: a change is
  // refused with "Record in use." and undone; once it lets go, the change
  // is saved.
  void aMessageHeldElsewhereRefusesTheChange() {
    const MessageRecord sent = office->Memo("ANNE", "BOB", "original");
    QVERIFY(Open("BOB"));
    const int32_t rn = list->Row(0).RecordNumber();
    V* v = View();
    auto* text = FindControlAs<QPlainTextEdit>(v, V::kIdMemoText);
    {
      LockHolder other(office->dir.File("MESSAGE.DAT"), office->LockByteOf(rn));
      QVERIFY(other.Held());
      text->moveCursor(QTextCursor::End);
      QTest::keyClicks(text, "!");
      QCOMPARE(prompts->Questions().back().text, QString("Record in use."));
      QCOMPARE(text->toPlainText(), QString("original"));
      QVERIFY(!v->Locked());
    }
    text->moveCursor(QTextCursor::End);
    QTest::keyClicks(text, " and more");
    QVERIFY(v->Locked());
    Press(v, V::kIdSave);
    QCOMPARE(prompts->AskedList().back().text, QString("Message saved."));
    QCOMPARE(FieldText(office->Read(sent).bytes, msgrec::kMemoText),
             std::string("original and more"));
    // While this view holds it, another workstation cannot have it.
    LockHolder after(office->dir.File("MESSAGE.DAT"), office->LockByteOf(rn));
    QVERIFY(!after.Held());
  }

  // The row's message was deleted by another workstation after the list
  // was made: the view says so and does not open.
  void aMessageDeletedMeanwhileOpensNoView() {
    office->Memo("ANNE", "BOB", "soon gone");
    QVERIFY(Open("BOB"));
    QVERIFY(DeleteElsewhere(0));
    QVERIFY(View() == nullptr);
    QCOMPARE(prompts->Questions().back().text,
             QString("Selected record has been deleted: MESSAGE"));
  }

  // Applying a mark to a message another workstation holds says so, and
  // the other marks still apply.
  void aMarkOnAMessageHeldElsewhereIsSaidAndTheOthersApply() {
    office->Memo("ANNE", "BOB", "held");
    office->Memo("ANNE", "BOB", "free");
    QVERIFY(Open("BOB"));
    LockHolder other(office->dir.File("MESSAGE.DAT"),
                     office->LockByteOf(list->Row(0).RecordNumber()));
    QVERIFY(other.Held());
    list->List()->selectAll();
    list->Mark(row::kActionArchive);
    list->ApplyMarks();
    QCOMPARE(prompts->Questions().back().text, QString("Record in use."));
    QCOMPARE(office->Folder(3, "BOB").size(), size_t(1));
    QCOMPARE(office->Folder(1, "BOB").size(), size_t(1));
  }

  void anArchivedMessageIsReadOnly() {
    office->Memo("ANNE", "BOB", "old news");
    QVERIFY(Open("BOB"));
    list->SelectRow(0);
    list->Mark(row::kActionArchive);
    list->Update();
    list.reset();
    QVERIFY(Open(office->Request("BOB", false, true)));
    V* v = View();
    QVERIFY(!FindControl(v, V::kIdSave)->isEnabled());
    QVERIFY(!FindControl(v, V::kIdArchive)->isEnabled());
    auto* text = FindControlAs<QPlainTextEdit>(v, V::kIdMemoText);
    QTest::keyClicks(text, "x");
    QCOMPARE(prompts->Questions().back().text, QString("Sorry, read only."));
    QCOMPARE(text->toPlainText(), QString("old news"));
  }

  // The view's marking buttons toggle: a second press clears the mark;
  // the list shows what the view left when it closes.
  void theMarkingButtonsToggleAndTheListKeepsTheResult() {
    office->Memo("ANNE", "BOB", "a");
    QVERIFY(Open("BOB"));
    V* v = View();
    Press(v, V::kIdArchive);
    QCOMPARE(v->Row().Action(), row::kActionArchive);
    Press(v, V::kIdArchive);
    QCOMPARE(v->Row().Action(), uint8_t(0));
    Press(v, V::kIdDelete);
    QVERIFY(FindControlAs<QPushButton>(v, V::kIdDelete)->isChecked());
    Press(v, V::kIdTag);
    Press(v, V::kIdClose);
    QCOMPARE(list->Row(0).Action(), row::kActionDelete);
    QVERIFY(list->Row(0).Tagged());
    QCOMPARE(list->MarkedCount(), 1);
    QVERIFY(list->OpenViewWindow() == nullptr);
  }

  void nextAndPrevOpenTheNeighbouringRows() {
    const MessageRecord a = office->Memo("ANNE", "BOB", "a");
    const MessageRecord b = office->Memo("ANNE", "BOB", "b");
    QVERIFY(Open("BOB"));
    V* v = View();
    QVERIFY(FindControl(v, V::kIdNext)->isEnabled());
    Press(v, V::kIdNext);
    V* next = View();
    QCOMPARE(next->Record().Number(), b.Number());
    QVERIFY(!FindControl(next, V::kIdNext)->isEnabled());
    Press(next, V::kIdPrev);
    auto* prev = qobject_cast<V*>(list->OpenViewWindow());
    QVERIFY(prev);
    QCOMPARE(prev->Record().Number(), a.Number());
    QCOMPARE(list->FocusedRow(), 0);
  }

  // A long text whose note chain is damaged: the view says what is wrong,
  // shows the text the record keeps, and the note is left as it was.
  void aDamagedNoteChainIsSaidAndNothingIsLost() {
    const std::string whole = std::string(400, 'a') + std::string(300, 'b');
    MessageRecord sent = office->Memo("ANNE", "BOB", whole.substr(0, 416));
    int32_t note = 0;
    QVERIFY(NoteNew(&note) && NoteWrite(note, whole));
    QVERIFY(office->Rewrite(
        sent, [&](MessageRecord& r) { SetFieldI32(r.bytes, msgrec::kLongTextNote, note); }));
    {
      // The chain's second part claims to be another part.
      NoteTable notes;
      NoteOpen(notes);
      int32_t count = 0;
      DbRecordCount(notes.table, &count);
      uint8_t part[records::note::kRecordSize];
      QCOMPARE(DbReadRecord(notes.table, count - 1, part), 1);
      SetFieldByte(part, records::note::kPart, 5);
      QCOMPARE(DbWriteRecord(notes.table, count - 1, part), 1);
      NoteClose(notes);
    }
    QVERIFY(Open("BOB"));
    V* v = View();
    QVERIFY(v);
    QVERIFY(prompts->Questions().back().text.contains("Index is corrupt"));
    QCOMPARE(PlainText(v, V::kIdMemoText), QString::fromStdString(whole.substr(0, 416)));
    Press(v, V::kIdClose);
    QCOMPARE(office->Read(sent).LongTextNote(), note);
  }

  // The send log's view says whether and when the copy was read.
  void theSendLogsViewedSaysWhenAndByWhom() {
    const MessageRecord sent = office->Send(msgrec::kKindMemo, "BOB", "ANNE", "read me", 0, true);
    const ListRequest log = office->Request("BOB", true);
    QVERIFY(Open(log));
    V* v = View();
    QCOMPARE(FindControlAs<QPushButton>(v, V::kIdSave)->text(), QString("&Viewed"));
    QVERIFY(FindControl(v, V::kIdReply)->isHidden());
    Press(v, V::kIdSave);
    QCOMPARE(prompts->Questions().back().text, QString("Message has not been viewed."));
    Press(v, V::kIdClose);
    list.reset();
    // ANNE's workstation opens it a little later.
    office->now = FromLocal(2027, 3, 15, 14, 5);
    {
      const MessageUser me = CurrentMessageUser();
      SetMessageUser({"ANNE", office->numbers["ANNE"], false});
      MessageTable h;
      MsgOpen(h);
      const int32_t rn = office->RecordNumberOf(sent);
      MessageRecord stored;
      QCOMPARE(MsgMarkViewed(h, MessageEntryOf(office->Read(sent), rn), &stored), 1);
      MsgClose(h);
      SetMessageUser(me);
    }
    QVERIFY(Open(log));
    Press(View(), V::kIdSave);
    QCOMPARE(prompts->Questions().back().text,
             QString("Message viewed on: 3-15-27 at 2:05pm\nMachine: ANNE"));
    // The send log's fields are plain text.
    QVERIFY(FindControlAs<QLineEdit>(View(), V::kIdMemoFrom)->isReadOnly());
    QVERIFY(FindControlAs<QPlainTextEdit>(View(), V::kIdMemoText)->isReadOnly());
  }

  // Reply on a phone message goes back to the person who took it (ANNE's
  // desk took the call); when that person was removed from the name table,
  // COPY opens with no recipient.
  void replyToAPhoneMessageGoesToWhoeverTookIt() {
    office->Send(msgrec::kKindPhone, "Mr Smith", "BOB", "Call back");
    for (bool removed : {false, true}) {
      NameTable names;
      if (removed) QVERIFY(NameOpen(names) && NameRemove(names, "ANNE"));
      if (names.open) NameClose(names);
      QVERIFY(Open("BOB"));
      QString shownTo;
      bool attach = false;
      dialogs->Then([&](TBaseDialog& d) {
        shownTo = LineText(&d, TGetLocalCopyInfo::kIdTo);
        attach = Checked(&d, TGetLocalCopyInfo::kIdAttachNote);
        d.CloseWith(0);
      });
      Press(View(), V::kIdReply);
      QCOMPARE(dialogs->opened.back(), QString("Reply to message sender"));
      QCOMPARE(shownTo, QString(removed ? "" : "ANNE"));
      QVERIFY(attach);
    }
  }

  void copyOffersTheNoteWithTheUsersFromLine() {
    office->Memo("ANNE", "BOB", "pass it on");
    QVERIFY(Open("BOB"));
    QString note;
    dialogs->Then([&](TBaseDialog& d) {
      note = PlainText(&d, TGetLocalCopyInfo::kIdNote);
      Press(&d, TGetLocalCopyInfo::kIdToButton);
      QTest::mouseClick(FindControl(&d, TGetLocalCopyInfo::kIdAttachNote), Qt::LeftButton, {},
                        QPoint(5, 5));
      Press(&d, kIdOk);
    });
    dialogs->PickName("CAROL");
    Press(View(), V::kIdCopy);
    QCOMPARE(dialogs->opened.at(0), QString("Copy Message"));
    QCOMPARE(note, QString("From BOB 3-15-27 9:01am: "));
    const auto copies = office->Folder(1, "CAROL");
    QCOMPARE(copies.size(), size_t(1));
    QCOMPARE(FieldText(copies[0].bytes, msgrec::kMemoText), std::string("pass it on"));
    QCOMPARE(NoteText(FieldI32(copies[0].bytes, msgrec::kAttachedNote)),
             std::string("From BOB 3-15-27 9:01am: "));
  }

  // The start of a memo reply quotes the memo: each rule on QuoteMemo, and
  // the reply window showing the quote.
  void theMemoReplyQuotesTheMemo() {
    const std::pair<QString, QString> cases[] = {
        {"The figures for March are in and they look better than hoped",
         "> The figures for March are in and they look...\r\r"},  // 60 with blanks
        {"Lunch at noon today?", "> Lunch at noon today?\r\r"},
        {"Call Tom b\rabout the lease", "> Call Tom b...\r\r"},    // a line break at 10
        {"> earlier words", "> earlier words\r\r"},                // already quoted
        {QString(60, 'x'), "> " + QString(46, 'x') + "...\r\r"}};  // no blank within the width
    for (const auto& [memo, quote] : cases)
      QCOMPARE(QString::fromStdString(QuoteMemo(memo.toStdString())), quote);
    office->Memo("ANNE", "BOB", cases[0].first.toStdString());
    QVERIFY(Open("BOB"));
    QString shown, title;
    dialogs->Then([&](TBaseDialog& d) {
      shown = PlainText(&d, TRespondToMemoClass::kIdText);
      title = d.windowTitle();
    });
    Press(View(), V::kIdReply);
    QCOMPARE(title, QString("Reply to ANNE"));
    QCOMPARE(shown, QString(cases[0].second).replace('\r', '\n'));
  }

  // Closing a reply after typing keeps it with the memo: the memo's title
  // says so and the next Reply starts from it. Send then sends it.
  void aClosedReplyIsKeptAndTheNextReplyStartsWithIt() {
    const MessageRecord memo = office->Memo("ANNE", "BOB", "Lunch?");
    QVERIFY(Open("BOB"));
    dialogs->Then([&](TBaseDialog& d) {
      auto* text = FindControlAs<QPlainTextEdit>(&d, TRespondToMemoClass::kIdText);
      QTest::keyClicks(text, "Yes, at one.");
      Press(&d, TRespondToMemoClass::kIdClose);
    });
    V* v = View();
    Press(v, V::kIdReply);
    QCOMPARE(v->windowTitle(), QString("View Memo *** REPLY ATTACHED ***"));
    QString second;
    dialogs->Then([&](TBaseDialog& d) {
      second = PlainText(&d, TRespondToMemoClass::kIdText);
      Press(&d, TRespondToMemoClass::kIdSend);
    });
    Press(v, V::kIdReply);
    QCOMPARE(second, QString("> Lunch?\n\nYes, at one."));
    const auto sent = office->Folder(1, "ANNE");
    QCOMPARE(sent.size(), size_t(1));
    QCOMPARE(sent[0].From(), std::string("BOB"));
    QCOMPARE(FieldText(sent[0].bytes, msgrec::kMemoText), std::string("> Lunch?\r\rYes, at one."));
    // The reply was kept by another view too: the memo record says so.
    QVERIFY(FieldI32(office->Read(memo).bytes, msgrec::kLogNote) != 0);
  }

  void aReplyWithoutARecipientIsRefused() {
    office->Memo("Someone", "BOB", "who am I?");
    QVERIFY(Open("BOB"));
    bool stillOpen = false;
    dialogs->Then([&](TBaseDialog& d) {
      Press(&d, TRespondToMemoClass::kIdSend);
      stillOpen = d.IsOpen();
    });
    Press(View(), V::kIdReply);
    QCOMPARE(prompts->Questions().back().text, QString("Please fill in To: field."));
    QVERIFY(stillOpen);
  }

  // ---- The phone message view and the phone list ----

  // Typing into Company (and into From with "FROM search") opens the phone
  // list at the entry; Enter takes it into the slip, which the view then
  // saves as its own change.
  void typingCompletesFromThePhoneList_data() { AddRows(kTypingCases); }
  void typingCompletesFromThePhoneList() {
    const TypingCase& c = TestRow(kTypingCases);
    const QString from(c.from), company(c.company);
    OpenSlip(c.fromSearch);
    if (QTest::currentTestFailed()) return;
    QLineEdit* field = FindControlAs<QLineEdit>(View(), c.field);
    field->setFocus();
    field->selectAll();
    prompts->Answer(true);  // "Overwrite phone number?"
    QTest::keyClicks(field, c.typed);
    QCOMPARE(View()->QuickList()->IsOpen(), !from.isEmpty());
    if (from.isEmpty()) return;
    QTest::keyClick(field, Qt::Key_Down);
    QTest::keyClick(View()->QuickList()->List()->ListBox(), Qt::Key_Return);
    QCOMPARE(LineText(View(), V::kIdPhoneFrom), from);
    QCOMPARE(LineText(View(), V::kIdCompany), company);
    QCOMPARE(LineText(View(), V::kIdPhone), QString(c.phone));
    QVERIFY(View()->Locked());
    Press(View(), V::kIdSave);
    QCOMPARE(FieldText(MessagingOffice::Messages()[0].bytes, msgrec::kCompany),
             std::string(c.company));
    QCOMPARE(Asked(*prompts), QStringList({"DESKpost|Overwrite phone number?", "|Message saved."}));
    Press(View(), V::kIdClose);
  }

  // "&List" where the slip may be edited; "&Dial" in the in-box and the send
  // log alike, with the slip's phone for its company.
  void theButtonsFollowTheView_data() { AddRows(kButtonCases); }
  void theButtonsFollowTheView() {
    const ButtonCase& c = TestRow(kButtonCases);
    OpenSlip(0, c.folder, c.sendLog);
    if (QTest::currentTestFailed()) return;
    QPushButton* listButton = FindControlAs<QPushButton>(View(), V::kIdList);
    QCOMPARE(listButton->isVisible(), c.listShown);
    QCOMPARE(listButton->isEnabled(), c.listEnabled);
    QVERIFY(FindControl(View(), V::kIdDial)->isVisible());
    Press(View(), V::kIdDial);
    QCOMPARE(dialled, QList<QUrl>{QUrl("tel:555-0123")});
    if (c.listEnabled) {
      FindControlAs<QLineEdit>(View(), V::kIdCompany)->setText("Acm");
      View()->QuickList()->Close();
      Press(View(), V::kIdList);
      QVERIFY(View()->QuickList()->IsOpen());
      QVERIFY(FindControl(View(), V::kIdCompany)->hasFocus());
      View()->QuickList()->Close();
      View()->SetModified(0);
    }
    Press(View(), V::kIdClose);
  }

  // Alt+A puts the caller into the current phone list, once.
  void altAAddsTheCallerToThePhoneList() {
    OpenSlip(0);
    if (QTest::currentTestFailed()) return;
    FindControlAs<QLineEdit>(View(), V::kIdCompany)->setText("Widgets Inc");
    QTest::keyClick(View(), Qt::Key_A, Qt::AltModifier);
    QTest::keyClick(View(), Qt::Key_A, Qt::AltModifier);
    QCOMPARE(Asked(*prompts), QStringList({"|Entry added.", "|Entry already exists."}));
    PhoneTable phones;
    int32_t entries = 0;
    QVERIFY(PhoneOpen(phones) && DbRecordCount(phones.table, &entries));
    PhoneClose(phones);
    QCOMPARE(entries, 3);
    View()->SetModified(0);
    Press(View(), V::kIdClose);
  }

  // The reply's "Urgent" starts ticked in the urgent alert's own window
  // only, whatever the message's flags say.
  void copyStartsUrgentOnlyFromTheAlert() {
    OpenSlip(0, msgrec::kFolderNew, false, msgrec::kFlagUrgent);
    if (QTest::currentTestFailed()) return;
    Press(View(), V::kIdClose);
    for (bool alertsWindow : {false, true}) {
      std::unique_ptr<V> view(MakeMessageView(nullptr, list->MessageHandle(), list->Row(0), 0, 0,
                                              list->Request(), alertsWindow));
      QVERIFY(view);
      bool urgent = !alertsWindow;
      dialogs->Then([&](TBaseDialog& d) { urgent = Checked(&d, TGetLocalCopyInfo::kIdUrgent); });
      view->Reply();
      QCOMPARE(urgent, alertsWindow);
    }
  }

 private:
  // RECEPTION's phone message from a caller, in her in-box or archive (and,
  // with sendLog, her send log), open in its view over the list; the phone
  // list holds two entries, and dialling is recorded.
  void OpenSlip(uint8_t fromSearch, int32_t folder = msgrec::kFolderNew, bool sendLog = false,
                uint8_t flags = 0) {
    Begin({.fromSearch = fromSearch});
    QVERIFY(AddPhoneEntry(0, "Acme Corp", "Acme Corporation", "555-0100", "12"));
    QVERIFY(AddPhoneEntry(0, "Johnson, Pat", "Bolt & Nut Supply", "555-0199"));
    MessageRecord slip;
    SetFieldByte(slip.bytes, msgrec::kKind, msgrec::kKindPhone);
    SetFieldText(slip.bytes, msgrec::kTo, "RECEPTION");
    SetFieldText(slip.bytes, msgrec::kFrom, "Caller");
    SetFieldText(slip.bytes, msgrec::kPhone, "555-0123");
    SetFieldText(slip.bytes, msgrec::kPhoneText, "Please call.");
    SetFieldByte(slip.bytes, msgrec::kFlags, flags);
    MessageTable h;
    QVERIFY(MsgOpen(h));
    QCOMPARE(MsgSendOne(&h, slip, office->numbers["RECEPTION"], sendLog, folder), 1);
    MsgClose(h);
    QVERIFY(Open(office->Request("RECEPTION", sendLog, folder == msgrec::kFolderArchive)));
    QVERIFY(View());
    View()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(View()));
    PhoneSettings().dial.useTapi = true;
    PhoneSettings().openUrl = [this](const QUrl& url) {
      dialled << url;
      return true;
    };
  }

  QList<QUrl> dialled;
};

QTEST_MAIN(ViewMessageTest)
#include "view_message_test.moc"
