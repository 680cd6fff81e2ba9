// The message list window on a real office: what its rows and title say,
// tags and marks, sorting, the preview, applying the marks when the list is
// updated or closed, Copy of several messages, the search dialog's dates,
// and rows whose message another workstation changed meanwhile. Printing
// from the lists: which rows "&Print" prints after its question, the main
// window's Print New built and printed without a list window, and the
// heading of each view; the printer is a PDF file chosen through the
// scripted print dialogs, read back with pdftotext.
#include "messaging/message_list.h"

#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <cstdio>
#include <cstring>

#include "messaging/copy_dialog.h"
#include "messaging/message_printing.h"
#include "messaging/remove_dialog.h"
#include "messaging/search_dialog.h"
#include "printing/scripted_print_dialogs.h"
#include "tests/messaging/messaging_office.h"
#include "tests/support/pdf_text.h"
#include "tests/support/test_rows.h"

namespace {

namespace row = msgrec::list_row;

// Selects the rows given as digits, the first of them focused ("": none
// selected or focused).
void Select(TMessageListBaseClass& list, const char* rows) {
  list.List()->clearSelection();
  list.List()->setCurrentIndex(QModelIndex());
  for (const char* r = rows; *r; ++r)
    list.List()->selectionModel()->select(list.Model()->index(*r - '0', 0),
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
  if (*rows)
    list.List()->selectionModel()->setCurrentIndex(list.Model()->index(*rows - '0', 0),
                                                   QItemSelectionModel::NoUpdate);
}

QString Cell(TMessageListBaseClass& list, int rowNumber, const QString& header) {
  for (size_t i = 0; i < list.Columns().size(); ++i)
    if (list.Columns()[i].header == header) return list.CellText(rowNumber, int(i));
  return "?";
}

// The rows tagged and selected, as digits, and the marks after, row by row
// ("." none).
struct MarkCase {
  const char *name, *tagged, *selected, *marked;
};
constexpr MarkCase kMarkCases[] = {
    {"three selected, two others tagged", "34", "012", "...AA"},
    {"none tagged, two selected", "", "12", ".AA.."},
};

// "&Print": the rows selected (the first focused) and tagged, the choices
// offered ("": nothing asked), the answer and the rows printed.
struct PrintCase {
  const char *name, *selected, *tagged, *offered;
  int answer;
  const char* printed;
};
constexpr PrintCase kPrintCases[] = {
    {"several selected print without asking", "02", "1", "", -1, "02"},
    {"focused and tagged: this one", "1", "2", "Just this one\nAll\nTagged", 0, "1"},
    {"focused and tagged: tagged", "1", "02", "Just this one\nAll\nTagged", 2, "02"},
    {"focused, none tagged: all", "0", "", "Just this one\nAll", 1, "012"},
    {"tagged, none focused", "", "1", "All\nTagged", 1, "1"},
    {"neither: all", "", "", "", -1, "012"},
    {"cancelled", "0", "", "Just this one\nAll", -1, ""},
};
constexpr const char* kPrintedMemos[] = {"first memo", "second memo", "third memo"};

}  // namespace

class MessageListTest : public QObject, MessagingTest {
  Q_OBJECT

 private slots:
  void init() { Begin(As("BOB")); }
  void cleanup() {
    End(false);
    FreePrinterSettings();
    printDialogs.reset();
  }

  void anEmptyViewSaysNoMessagesAndOpensNoWindow() {
    QVERIFY(!Open("BOB"));
    QCOMPARE(prompts->Questions().size(), size_t(1));
    QCOMPARE(prompts->Questions()[0].text, QString("No messages"));
  }

  void theTitleCountsTheRowsAndNamesTheViewAndPerson() {
    office->Memo("ANNE", "BOB", "one");
    QVERIFY(Open("BOB"));
    QCOMPARE(list->windowTitle(), QString("1 message in New for BOB"));
    QCOMPARE(list->List()->accessibleName(), QString("Messages"));
    list.reset();
    office->Memo("CAROL", "BOB", "two");
    ListRequest search = office->Request("BOB");
    search.search = true;
    QVERIFY(Open(search));
    QCOMPARE(list->windowTitle(), QString("Found 2 messages in New for BOB"));
  }

  // The rows a mark goes to: the tagged rows when any row is tagged, else
  // the selected rows; the marked rows lose their tags.
  void marksGoToTheTaggedRowsElseTheSelectedOnes_data() { AddRows(kMarkCases); }
  void marksGoToTheTaggedRowsElseTheSelectedOnes() {
    const MarkCase& c = TestRow(kMarkCases);
    const QString marked(c.marked);
    for (int i = 0; i < 5; ++i) office->Memo("ANNE", "BOB", "memo " + std::to_string(i));
    QVERIFY(Open("BOB"));
    for (const char* r = c.tagged; *r; ++r) {
      Select(*list, std::string(1, *r).c_str());
      QTest::keyClick(list->List(), Qt::Key_Space);
    }
    QCOMPARE(list->MarkedCount(), int(std::strlen(c.tagged)));
    Select(*list, c.selected);
    list->Mark(row::kActionArchive);
    QString seen;
    for (int r = 0; r < 5; ++r) {
      const ListRow lr = list->Row(r);
      seen += lr.Action() ? QChar(lr.Action()) : QChar('.');
      QVERIFY2(!lr.Tagged(), "a marked list keeps no tags");
    }
    QCOMPARE(seen, marked);
    QCOMPARE(list->MarkedCount(), 0);
    QCOMPARE(Cell(*list, marked.indexOf('A'), "Received"), QString("-> ARCHIVE"));
  }

  void deleteTwiceLeavesTheRowMarkedForDeletion() {
    office->Memo("ANNE", "BOB", "once");
    QVERIFY(Open("BOB"));
    Select(*list, "0");
    QTest::keyClick(list->List(), Qt::Key_Delete);
    QTest::keyClick(list->List(), Qt::Key_Delete);
    QCOMPARE(list->Row(0).Action(), row::kActionDelete);
    QCOMPARE(Cell(*list, 0, "Received"), QString("-> DELETE"));
  }

  // The Received column's first click shows the newest first when the
  // list runs old to new, and the other way round; the second click
  // reverses it.
  void theReceivedColumnsFirstAndSecondClick() {
    for (const char* from : {"ANNE", "BOB", "CAROL"}) office->Memo(from, "BOB", "x");
    // The senders' initials, row by row.
    auto order = [this] {
      QString s;
      for (int i = 0; i < list->RowCount(); ++i) s += Cell(*list, i, "From")[0];
      return s;
    };
    for (bool newestFirst : {false, true}) {
      const QString listed = newestFirst ? "CBA" : "ABC", reversed = newestFirst ? "ABC" : "CBA";
      ListRequest r = office->Request("BOB");
      r.newestFirst = newestFirst;
      QVERIFY(Open(r));
      QCOMPARE(order(), listed);
      QHeaderView* header = list->List()->horizontalHeader();
      const int received = 2;
      QCOMPARE(list->Columns()[received].header, QString("Received"));
      const QPoint at(header->sectionViewportPosition(received) + 5, 5);
      QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
      QCOMPARE(order(), reversed);
      QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
      QCOMPARE(order(), listed);
    }
  }

  void sortingByFromIgnoresCaseAndTiesGoByTime() {
    office->Memo("carol", "BOB", "1");
    office->Memo("ANNE", "BOB", "2");
    office->Memo("Carol", "BOB", "3");
    QVERIFY(Open("BOB"));
    list->Sort(1);
    QStringList from;
    for (int r = 0; r < 3; ++r) from << Cell(*list, r, "From");
    QCOMPARE(from, QStringList({"ANNE", "carol", "Carol"}));
  }

  void closingTheInBoxListAppliesItsMarks() {
    office->Memo("ANNE", "BOB", "keep");
    office->Memo("ANNE", "BOB", "archive me");
    const MessageRecord gone = office->Memo("ANNE", "BOB", "delete me");
    QVERIFY(Open("BOB"));
    Select(*list, "1");
    list->Mark(row::kActionArchive);
    Select(*list, "2");
    list->Mark(row::kActionDelete);
    list->close();
    list.reset();
    QCOMPARE(office->Texts(1, "BOB"), QStringList({"keep"}));
    QCOMPARE(office->Texts(3, "BOB"), QStringList({"archive me"}));
    QCOMPARE(office->Read(gone).Number(), 0);
  }

  // The send log applies its marks through its Close button only.
  void theSendLogsCloseBoxLeavesItsMarks() {
    office->Send(msgrec::kKindMemo, "BOB", "ANNE", "logged", 0, true);
    for (bool closeButton : {false, true}) {
      QVERIFY(Open(office->Request("BOB", true)));
      QCOMPARE(list->windowTitle(), QString("1 message in Send log for BOB"));
      Select(*list, "0");
      list->Mark(row::kActionArchive);
      QCOMPARE(Cell(*list, 0, "Viewed"), QString("-> ARCHIVE"));
      if (closeButton) {
        Press(&*list, TMessageListBaseClass::kIdClose);
      } else {
        list->close();
      }
    }
    QVERIFY(Open(office->Request("BOB", true, true)));
    QCOMPARE(list->RowCount(), 1);
  }

  void updateAppliesTheMarksAndListsAgain() {
    office->Memo("ANNE", "BOB", "a");
    office->Memo("ANNE", "BOB", "b");
    QVERIFY(Open("BOB"));
    Select(*list, "0");
    list->Mark(row::kActionDelete);
    Press(&*list, TMessageListBaseClass::kIdUpdate);
    QCOMPARE(list->RowCount(), 1);
    QCOMPARE(list->windowTitle(), QString("1 message in New for BOB"));
  }

  // Remove asks with the in-box's four buttons or the send log's three and
  // offers the last choice first; after Undo, Folder... or Delete.
  void removeAsksAndRemembersTheLastChoice() {
    office->Memo("ANNE", "BOB", "a");
    QVERIFY(Open("BOB"));
    QStringList buttons;
    QList<int> defaults;
    auto choose = [&](int id) {
      dialogs->Then([&, id](TBaseDialog& d) {
        buttons.clear();
        for (QPushButton* b : d.findChildren<QPushButton*>()) {
          buttons << b->text();
          if (b->isDefault()) defaults << ControlId(b);
        }
        Press(&d, id);
      });
    };
    choose(TRemoveDialog::kIdArchive);
    choose(TRemoveDialog::kIdUndo);
    choose(TRemoveDialog::kIdDelete);
    Select(*list, "0");
    list->Remove();
    QCOMPARE(buttons, QStringList({"Delete", "Archive", "Folder...", "Undo"}));
    QCOMPARE(list->Row(0).Action(), row::kActionArchive);
    list->Remove();
    QCOMPARE(list->Row(0).Action(), uint8_t(0));
    list->Remove();
    QCOMPARE(dialogs->opened, std::vector<QString>(3, "Remove Message"));
    QCOMPARE(defaults, QList<int>({TRemoveDialog::kIdDelete, TRemoveDialog::kIdArchive,
                                   TRemoveDialog::kIdFolder}));
    QCOMPARE(list->Row(0).Action(), row::kActionDelete);
  }

  void thePreviewShowsTheFocusedMessage() {
    office->Send(msgrec::kKindPhone, "Mr Smith", "BOB", "Call about the lease", 0, false, "ACME");
    office->Memo("ANNE", "BOB", "Lunch?\rAt noon");
    QVERIFY(Open("BOB"));
    // The preview's state is kept for the next list window.
    if (list->PreviewShown()) Press(&*list, TMessageListBaseClass::kIdPreview);
    QVERIFY(!list->PreviewShown());
    Press(&*list, TMessageListBaseClass::kIdPreview);
    QVERIFY(list->PreviewShown());
    QCOMPARE(FindControlAs<QPushButton>(&*list, TMessageListBaseClass::kIdPreview)->text(),
             QString("&<<"));
    auto* from = FindControlAs<QLineEdit>(&*list, TMessageListBaseClass::kIdPreviewFrom);
    auto* text = FindControlAs<QPlainTextEdit>(&*list, TMessageListBaseClass::kIdPreviewText);
    QCOMPARE(text->accessibleName(), QString("Preview"));
    list->SelectRow(0);
    QCOMPARE(from->text(), QString("Mr Smith, ACME"));
    QCOMPARE(from->cursorPosition(), 0);  // a long caller reads from the start
    QCOMPARE(text->toPlainText(), QString("Call about the lease"));
    QTest::keyClick(list->List(), Qt::Key_Down);
    QCOMPARE(from->text(), QString("ANNE"));
    QCOMPARE(text->toPlainText(), QString("Lunch?\nAt noon"));
    QVERIFY(FindControl(&*list, TMessageListBaseClass::kIdPreviewSubject)->isHidden());
  }

  // A row whose message another workstation deleted after the list was
  // made: the preview says so, and the marks apply to the others.
  void aRowDeletedMeanwhileIsSaidAndTheOthersStillApply() {
    const MessageRecord first = office->Memo("ANNE", "BOB", "first");
    office->Memo("ANNE", "BOB", "second");
    QVERIFY(Open("BOB"));
    QVERIFY(DeleteElsewhere(0));
    if (!list->PreviewShown()) Press(&*list, TMessageListBaseClass::kIdPreview);
    list->SelectRow(0);
    QCOMPARE(
        FindControlAs<QPlainTextEdit>(&*list, TMessageListBaseClass::kIdPreviewText)->toPlainText(),
        QString("Error reading message."));
    Select(*list, "01");
    list->Mark(row::kActionArchive);
    list->close();
    QCOMPARE(office->Texts(3, "BOB"), QStringList({"second"}));
    QCOMPARE(office->Read(first).Number(), 0);
  }

  void copyOfSeveralMessagesSendsEachWithoutANote() {
    office->Memo("ANNE", "BOB", "one", msgrec::kFlagUrgent);
    office->Send(msgrec::kKindPhone, "Caller", "BOB", "two");
    QVERIFY(Open("BOB"));
    bool attachEnabled = true;
    dialogs->Then([&](TBaseDialog& d) {
      attachEnabled = FindControl(&d, TGetLocalCopyInfo::kIdAttachNote)->isEnabled();
      Press(&d, TGetLocalCopyInfo::kIdToButton);
      Press(&d, kIdOk);
    });
    dialogs->PickName("CAROL");
    Select(*list, "01");
    Press(&*list, TMessageListBaseClass::kIdCopy);
    QCOMPARE(dialogs->opened.at(0), QString("Copy selected Messages"));
    QVERIFY(!attachEnabled);
    const auto copies = office->Folder(1, "CAROL");
    QCOMPARE(copies.size(), size_t(2));
    for (const MessageRecord& c : copies) {
      QCOMPARE(int(c.Flags()), int(msgrec::kFlagNotViewed));
      QCOMPARE(c.Sender(), office->numbers["BOB"]);
      QCOMPARE(FieldI32(c.bytes, msgrec::kAttachedNote), 0);
    }
  }

  // An end date covers its whole day: 12-31-99 lists a message of 11:59pm
  // that day and not one a minute into the next.
  void theEndDateCountsToTheLastSecondOfItsDay() {
    office->now = FromLocal(1999, 12, 31, 23, 58, 0);
    office->Memo("ANNE", "BOB", "late");  // stored at 23:59:00
    office->now = FromLocal(1999, 12, 31, 23, 59, 58);
    office->Memo("ANNE", "BOB", "next day");  // stored at 00:00:58
    office->now = FromLocal(2000, 1, 5, 12, 0, 0);
    ListRequest r = office->Request("BOB");
    MessageWindows& windows = MessageWindows::Instance();
    windows.OpenSearch(nullptr, r);
    TSearchCriteriaClass* search = windows.Search();
    QVERIFY(search);
    QTest::keyClicks(FindControlAs<QLineEdit>(search, TSearchCriteriaClass::kIdEnd), "12-31-99");
    Press(search, TSearchCriteriaClass::kIdFind);
    QVERIFY(windows.List());
    QCOMPARE(windows.List()->windowTitle(), QString("Found 1 message in New for BOB"));
    QCOMPARE(search->Request().end, FromLocal(1999, 12, 31, 23, 59, 59));
    QVERIFY(search->isVisible());
    // A date that does not exist is refused.
    auto* start = FindControlAs<QLineEdit>(search, TSearchCriteriaClass::kIdStart);
    QTest::keyClicks(start, "2-30-99");
    Press(search, TSearchCriteriaClass::kIdFind);
    QCOMPARE(prompts->Questions().back().text, QString("Invalid date"));
  }

  void theSearchWindowOfThePhonePasswordOffersPhoneMessagesOnly() {
    ListRequest r = office->Request("BOB");
    r.phonePassword = true;
    TSearchCriteriaClass search(nullptr, r, [](const ListRequest&) { return true; });
    search.OpenModeless();
    QCOMPARE(search.windowTitle(), QString("Find a Message"));
    using S = TSearchCriteriaClass;
    for (int id : {S::kIdPhoneKind, S::kIdMemoKind, S::kIdEmailKind})
      QCOMPARE(FindControl(&search, id)->isEnabled(), id == S::kIdPhoneKind);
    search.CloseWith(0);
  }

  void theSystemMenuPostsTheMainWindowsViews() {
    office->Memo("ANNE", "BOB", "a");
    QVERIFY(Open("BOB"));
    QList<int> posted;
    QObject::connect(&*list, &TMessageListBaseClass::MainCommand,
                     [&posted](int c) { posted << c; });
    std::unique_ptr<QMenu> menu(list->SystemMenu());
    QStringList texts;
    for (QAction* a : menu->actions()) {
      if (a->isSeparator()) continue;
      texts << a->text();
      a->trigger();
    }
    QCOMPARE(texts, QStringList({"View &New", "&Folder", "&Archive", "&Sendlog (new)",
                                 "S&endlog (archive)"}));
    QCOMPARE(posted, QList<int>({600, 601, 602, 620, 621}));
  }

  void theCellsOfAGroupListShowToAndTheMarks() {
    office->Memo("ANNE", "BOB", "a", msgrec::kFlagUrgent);
    ListRequest r = office->Request("BOB");
    r.person = "* - ALL";
    r.folder = 1;
    QVERIFY(Open(r));
    QStringList headers;
    for (const ListColumn& c : list->Columns()) headers << c.header;
    QCOMPARE(headers, QStringList({"*", "To", "From", "Received", "Type"}));
    QCOMPARE(QStringList({list->CellPictureName(0, 0), list->CellPictureName(0, 4),
                          Cell(*list, 0, "To"), Cell(*list, 0, "Received")}),
             QStringList({"Urgent", "Memo", "BOB", "3-15-27   9:01am"}));
    list->ToggleTag(0);
    QCOMPARE(list->CellPictureName(0, 0), QString("Tagged"));
  }

  // ---- Printing ----

  // The question, its offered answers and its default, and what each
  // answer prints.
  void printAsksWhatToPrintAsTheRowsAllow_data() { AddRows(kPrintCases); }
  void printAsksWhatToPrintAsTheRowsAllow() {
    const PrintCase& c = TestRow(kPrintCases);
    StartPrinting();
    QVERIFY(Open("BOB"));
    for (const char* r = c.tagged; *r; ++r) list->ToggleTag(*r - '0');
    Select(*list, c.selected);
    if (*c.offered) prompts->Answer(c.answer);
    Press(&*list, TMessageListBaseClass::kIdPrint);
    QStringList picks;
    for (const auto& a : prompts->AskedList())
      if (a.kind == "PickList") picks << a.caption + "|" + a.text;
    QCOMPARE(picks, *c.offered ? QStringList{"Print|" + QString(c.offered)} : QStringList());
    const std::string text = PdfText(pdf);
    for (int row = 0; row < 3; ++row)
      QVERIFY2((text.find(kPrintedMemos[row]) != std::string::npos) ==
                   (std::strchr(c.printed, '0' + row) != nullptr),
               kPrintedMemos[row]);
    if (*c.printed) QVERIFY2(text.find("NEW MESSAGES FOR: BOB") != std::string::npos, text.c_str());
  }

  void printNewBuildsTheListWithoutAWindowAndPrintsIt() {
    StartPrinting();
    QVERIFY(MessageWindows::Instance().PrintList(nullptr, office->Request("BOB")));
    QVERIFY(!MessageWindows::Instance().List());
    const std::string text = PdfText(pdf);
    for (const char* memo : kPrintedMemos) QVERIFY2(text.find(memo) != std::string::npos, memo);
    // An empty view prints nothing and says so.
    prompts->Clear();
    QVERIFY(!MessageWindows::Instance().PrintList(nullptr, office->Request("CAROL")));
    QCOMPARE(Asked(*prompts), QStringList({"DESKpost|No messages"}));
  }

  void theHeadingFollowsTheView() {
    struct Case {
      int view;
      bool search, sendLog;
      PrintedView printed;
    };
    const Case cases[] = {
        {kViewNew, false, false, PrintedView::kNew},
        {kViewArchive, false, true, PrintedView::kArchive},
        {kViewNew, true, false, PrintedView::kSearch},
        {kViewAllFolders, false, false, PrintedView::kSearch},
        {kViewFolder, false, false, PrintedView::kFolder},  // the last: its heading follows
    };
    ListRequest r = office->Request("BOB");
    r.folderName = "CLIENTS";
    for (const Case& c : cases) {
      r.view = c.view;
      r.search = c.search;
      r.sendLog = c.sendLog;
      const MessageHeadingOf h = PrintHeadingOf(r);
      QCOMPARE(int(h.view), int(c.printed));
      QCOMPARE(h.sendLog, c.sendLog);
      QCOMPARE(h.person, std::string("BOB"));
    }
    QCOMPARE(MessageHeading(PrintHeadingOf(r)),
             std::string("\r\nMESSAGES IN CLIENTS FOR: BOB\r\n\r\n"));
  }

 private:
  // Printing goes to a PDF file chosen in the scripted print dialogs; BOB's
  // in-box holds three memos.
  void StartPrinting() {
    pdf = office->dir.File("print.pdf");
    FreePrinterSettings();
    printDialogs = std::make_unique<ScriptedPrintDialogs>();
    printDialogs->AnswerSetup(QString::fromStdString(pdf));
    QVERIFY(PrinterSetup(nullptr));
    std::remove(pdf.c_str());
    for (const char* text : kPrintedMemos) office->Memo("ANNE", "BOB", text);
  }

  std::unique_ptr<ScriptedPrintDialogs> printDialogs;
  std::string pdf;
};

QTEST_MAIN(MessageListTest)
#include "message_list_test.moc"
