// The view windows of phone messages and memos on a real office: the
// viewed stamp, editing under the record's lock, the marks and Prev/Next,
// the send log's "&Viewed", Reply to a phone message, the memo reply with
// its quote and kept text, and a long text whose note chain is damaged.
#include "messaging/view_message.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <memory>

#include "data/messages/dpnote.h"
#include "data/messages/memo_reply.h"
#include "messaging/copy_dialog.h"
#include "messaging/memo_reply.h"
#include "messaging/message_list.h"
#include "storage/records/note.h"
#include "tests/messaging/messaging_office.h"
#include "tests/support/lock_holder.h"

namespace {

namespace row = msgrec::list_row;

using V = TViewMessageBaseClass;

void Press(QWidget* dialog, int id) {
  MessagingScript::Press(*dialog, id);
}

QString TextOf(QWidget* dialog, int id) {
  return FindControlAs<QPlainTextEdit>(dialog, id)->toPlainText();
}

QString Displayed(const std::string& stored) {
  QString s = QString::fromStdString(stored);
  s.replace('\r', '\n');
  return s;
}

}  // namespace

class ViewMessageTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    MessagingOffice::Options bob;
    bob.user = "BOB";
    office = std::make_unique<MessagingOffice>(bob);
    QVERIFY(office->ok);
    prompts = std::make_unique<ScriptedPrompts>();
    dialogs = std::make_unique<MessagingScript>();
  }
  void cleanup() {
    list.reset();
    dialogs.reset();
    prompts.reset();
    QVERIFY(office->checks.empty());
    office.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  // Opening a message stamps it viewed once, unless it is the mail
  // gateway's or was stored without a sender.
  void openingStampsViewedOnceAndKeepsTheFirstTime_data() {
    QTest::addColumn<QString>("to");
    QTest::addColumn<bool>("stamped");
    QTest::newRow("a message to the user") << "BOB" << true;
    QTest::newRow("a message to the mail gateway") << "DPMAIL SERVER" << false;
  }
  void openingStampsViewedOnceAndKeepsTheFirstTime() {
    QFETCH(QString, to);
    QFETCH(bool, stamped);
    const MessageRecord sent = office->Memo("ANNE", to.toStdString(), "hello");
    Open(to.toStdString());
    const int32_t firstOpen = office->now;
    QVERIFY(View(0));
    QCOMPARE(office->Read(sent).ViewedTime(), stamped ? firstOpen : 0);
    QCOMPARE(office->Read(sent).Viewer(), stamped ? office->numbers["BOB"] : 0);
    Press(View(0), V::kIdClose);
    office->now += 3600;
    QVERIFY(View(0));
    QCOMPARE(office->Read(sent).ViewedTime(), stamped ? firstOpen : 0);
    Press(View(0), V::kIdClose);
  }

  void theViewShowsTheMessageAndNamesItsControls() {
    office->Send(msgrec::kKindPhone, "Mr Smith", "BOB", "Please call", 0, false, "ACME");
    Open("BOB");
    V* v = View(0);
    QVERIFY(v);
    QCOMPARE(v->windowTitle(), QString("View Message"));
    QCOMPARE(FindControlAs<QLineEdit>(v, V::kIdCompany)->text(), QString("ACME"));
    QCOMPARE(TextOf(v, V::kIdPhoneText), QString("Please call"));
    const std::pair<int, const char*> names[] = {
        {V::kIdPhoneText, "Message"}, {V::kIdTime, "Date and time"}, {V::kIdCompany, "Company:"}};
    for (const auto& [id, name] : names)
      QCOMPARE(FindControl(v, id)->accessibleName(), QString(name));
    QVERIFY(!FindControl(v, V::kIdPrev)->isEnabled());
    QVERIFY(!FindControl(v, V::kIdNext)->isEnabled());
    QVERIFY(FindControl(v, V::kIdPrint)->isEnabled());
    QCOMPARE(QApplication::focusWidget() == FindControl(v, V::kIdDelete) ||
                 v->focusWidget() == FindControl(v, V::kIdDelete),
             true);
  }

  // Another workstation holds the message for editing: a change is
  // refused with "Record in use." and undone; once it lets go, the change
  // is saved.
  void aMessageHeldElsewhereRefusesTheChange() {
    const MessageRecord sent = office->Memo("ANNE", "BOB", "original");
    Open("BOB");
    const int32_t rn = list->Row(0).RecordNumber();
    V* v = View(0);
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
    Open("BOB");
    {
      MessageTable h;
      MsgOpen(h);
      QCOMPARE(MsgDelete(h, list->Row(0).Entry()), 1);
      MsgClose(h);
    }
    QVERIFY(View(0) == nullptr);
    QCOMPARE(prompts->Questions().back().text,
             QString("Selected record has been deleted: MESSAGE"));
  }

  // Applying a mark to a message another workstation holds says so, and
  // the other marks still apply.
  void aMarkOnAMessageHeldElsewhereIsSaidAndTheOthersApply() {
    office->Memo("ANNE", "BOB", "held");
    office->Memo("ANNE", "BOB", "free");
    Open("BOB");
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
    Open("BOB");
    list->SelectRow(0);
    list->Mark(row::kActionArchive);
    list->Update();
    list.reset();
    ListRequest archive = office->Request("BOB");
    archive.view = kViewArchive;
    archive.folder = msgrec::kFolderArchive;
    OpenRequest(archive);
    V* v = View(0);
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
    Open("BOB");
    V* v = View(0);
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
    Open("BOB");
    V* v = View(0);
    QVERIFY(FindControl(v, V::kIdNext)->isEnabled());
    Press(v, V::kIdNext);
    auto* next = qobject_cast<V*>(list->OpenViewWindow());
    QVERIFY(next);
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
    {
      MessageTable h;
      MsgOpen(h);
      const int32_t rn = office->RecordNumberOf(sent);
      MessageRecord stored;
      MsgRead(h, rn, &stored);
      SetFieldI32(stored.bytes, msgrec::kLongTextNote, note);
      QCOMPARE(MsgWrite(h, rn, stored), 1);
      MsgClose(h);
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
    Open("BOB");
    V* v = View(0);
    QVERIFY(v);
    QVERIFY(prompts->Questions().back().text.contains("Index is corrupt"));
    QCOMPARE(TextOf(v, V::kIdMemoText), QString::fromStdString(whole.substr(0, 416)));
    Press(v, V::kIdClose);
    QCOMPARE(office->Read(sent).LongTextNote(), note);
  }

  // The send log's view says whether and when the copy was read.
  void theSendLogsViewedSaysWhenAndByWhom() {
    const MessageRecord sent = office->Send(msgrec::kKindMemo, "BOB", "ANNE", "read me", 0, true);
    ListRequest log = office->Request("BOB");
    log.sendLog = true;
    OpenRequest(log);
    V* v = View(0);
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
    OpenRequest(log);
    Press(View(0), V::kIdSave);
    QCOMPARE(prompts->Questions().back().text,
             QString("Message viewed on: 3-15-27 at 2:05pm\nMachine: ANNE"));
    // The send log's fields are plain text.
    QVERIFY(FindControlAs<QLineEdit>(View(0), V::kIdMemoFrom)->isReadOnly());
    QVERIFY(FindControlAs<QPlainTextEdit>(View(0), V::kIdMemoText)->isReadOnly());
  }

  // Reply on a phone message goes back to the person who took it; when
  // that person was removed from the name table, COPY opens with no
  // recipient.
  void replyToAPhoneMessageGoesToWhoeverTookIt_data() {
    QTest::addColumn<bool>("removed");
    QTest::addColumn<QString>("to");
    QTest::newRow("taker still there") << false << "CAROL";
    QTest::newRow("taker removed") << true << "";
  }
  void replyToAPhoneMessageGoesToWhoeverTookIt() {
    QFETCH(bool, removed);
    QFETCH(QString, to);
    // CAROL took the call for BOB.
    const MessageUser me = CurrentMessageUser();
    SetMessageUser({"CAROL", office->numbers["CAROL"], false});
    MessageRecord slip;
    SetFieldByte(slip.bytes, msgrec::kKind, msgrec::kKindPhone);
    SetFieldText(slip.bytes, msgrec::kTo, "BOB");
    SetFieldText(slip.bytes, msgrec::kFrom, "Mr Smith");
    SetFieldText(slip.bytes, msgrec::kPhoneText, "Call back");
    MessageTable h;
    MsgOpen(h);
    QCOMPARE(MsgSendOne(&h, slip, office->numbers["BOB"], false, 1), 1);
    MsgClose(h);
    SetMessageUser(me);
    if (removed) {
      NameTable names;
      NameOpen(names);
      QCOMPARE(NameRemove(names, "CAROL"), 1);
      NameClose(names);
    }
    Open("BOB");
    QString shownTo;
    bool attach = false;
    dialogs->Then([&](TBaseDialog& d) {
      shownTo = FindControlAs<QLineEdit>(&d, TGetLocalCopyInfo::kIdTo)->text();
      attach = FindControlAs<QCheckBox>(&d, TGetLocalCopyInfo::kIdAttachNote)->isChecked();
      d.CloseWith(0);
    });
    Press(View(0), V::kIdReply);
    QCOMPARE(dialogs->opened, std::vector<QString>{"Reply to message sender"});
    QCOMPARE(shownTo, to);
    QVERIFY(attach);
  }

  void copyOffersTheNoteWithTheUsersFromLine() {
    office->Memo("ANNE", "BOB", "pass it on");
    Open("BOB");
    QString note;
    dialogs->Then([&](TBaseDialog& d) {
      note = TextOf(&d, TGetLocalCopyInfo::kIdNote);
      Press(&d, TGetLocalCopyInfo::kIdToButton);
      QTest::mouseClick(FindControl(&d, TGetLocalCopyInfo::kIdAttachNote), Qt::LeftButton, {},
                        QPoint(5, 5));
      Press(&d, kIdOk);
    });
    dialogs->PickName("CAROL");
    Press(View(0), V::kIdCopy);
    QCOMPARE(dialogs->opened.at(0), QString("Copy Message"));
    QCOMPARE(note, QString("From BOB 3-15-27 9:01am: "));
    const auto copies = office->Folder(1, "CAROL");
    QCOMPARE(copies.size(), size_t(1));
    QCOMPARE(FieldText(copies[0].bytes, msgrec::kMemoText), std::string("pass it on"));
    std::string copied;
    QVERIFY(NoteRead(FieldI32(copies[0].bytes, msgrec::kAttachedNote), &copied));
    QCOMPARE(copied, std::string("From BOB 3-15-27 9:01am: "));
  }

  // The start of a memo reply quotes the memo.
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
    Open("BOB");
    QString shown, title;
    dialogs->Then([&](TBaseDialog& d) {
      shown = TextOf(&d, TRespondToMemoClass::kIdText);
      title = d.windowTitle();
    });
    Press(View(0), V::kIdReply);
    QCOMPARE(title, QString("Reply to ANNE"));
    QCOMPARE(shown, Displayed(cases[0].second.toStdString()));
  }

  // Closing a reply after typing keeps it with the memo: the memo's title
  // says so and the next Reply starts from it. Send then sends it.
  void aClosedReplyIsKeptAndTheNextReplyStartsWithIt() {
    const MessageRecord memo = office->Memo("ANNE", "BOB", "Lunch?");
    Open("BOB");
    dialogs->Then([&](TBaseDialog& d) {
      auto* text = FindControlAs<QPlainTextEdit>(&d, TRespondToMemoClass::kIdText);
      QTest::keyClicks(text, "Yes, at one.");
      Press(&d, TRespondToMemoClass::kIdClose);
    });
    V* v = View(0);
    Press(v, V::kIdReply);
    QCOMPARE(v->windowTitle(), QString("View Memo *** REPLY ATTACHED ***"));
    QString second;
    dialogs->Then([&](TBaseDialog& d) {
      second = TextOf(&d, TRespondToMemoClass::kIdText);
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
    Open("BOB");
    bool stillOpen = false;
    dialogs->Then([&](TBaseDialog& d) {
      Press(&d, TRespondToMemoClass::kIdSend);
      stillOpen = d.IsOpen();
    });
    Press(View(0), V::kIdReply);
    QCOMPARE(prompts->Questions().back().text, QString("Please fill in To: field."));
    QVERIFY(stillOpen);
  }

 private:
  void OpenRequest(const ListRequest& r) {
    OpenList opened(r);
    QVERIFY(opened.started);
    list = std::move(opened.list);
  }
  void Open(const std::string& person) { OpenRequest(office->Request(person)); }
  // The open view of the row, opened when none is.
  V* View(int rowNumber) {
    if (list->OpenViewWindow() == nullptr) list->OpenView(rowNumber);
    return qobject_cast<V*>(list->OpenViewWindow());
  }

  std::unique_ptr<MessagingOffice> office;
  std::unique_ptr<ScriptedPrompts> prompts;
  std::unique_ptr<MessagingScript> dialogs;
  std::unique_ptr<TMessageListBaseClass> list;
};

QTEST_MAIN(ViewMessageTest)
#include "view_message_test.moc"
