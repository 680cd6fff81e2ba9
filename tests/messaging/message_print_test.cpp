// Printing from the message lists: which rows "&Print" prints after its
// question, the printed slips under the list's heading, the main window's
// Print New built and printed without a list window, and a view window's
// single message. The printer is a PDF file chosen through the scripted
// print dialogs, read back with pdftotext.
#include <QPushButton>
#include <QTableView>
#include <cstdio>
#include <memory>

#include "messaging/message_list.h"
#include "messaging/message_printing.h"
#include "messaging/message_windows.h"
#include "printing/scripted_print_dialogs.h"
#include "tests/messaging/messaging_office.h"
#include "tests/support/pdf_text.h"
#include "tests/support/temp_dir.h"

class MessagePrintTest : public QObject {
  Q_OBJECT

  std::unique_ptr<MessagingOffice> office;
  std::unique_ptr<ScriptedPrompts> prompts;
  std::unique_ptr<ScriptedPrintDialogs> dialogs;
  std::unique_ptr<TempDir> out;
  std::string pdf;

  std::unique_ptr<TMessageListBaseClass> Open(const ListRequest& r) {
    auto list = std::make_unique<TMessageListClass>(nullptr, r);
    if (!list->Start()) return nullptr;
    list->OpenModeless();
    return list;
  }

 private slots:
  void init() {
    MessagingOffice::Options bob;
    bob.user = "BOB";
    office = std::make_unique<MessagingOffice>(bob);
    QVERIFY(office->ok);
    prompts = std::make_unique<ScriptedPrompts>();
    dialogs = std::make_unique<ScriptedPrintDialogs>();
    out = std::make_unique<TempDir>();
    pdf = out->File("print.pdf");
    FreePrinterSettings();
    dialogs->AnswerSetup(QString::fromStdString(pdf));
    QVERIFY(PrinterSetup(nullptr));
    for (const char* text : {"first memo", "second memo", "third memo"})
      office->Memo("ANNE", "BOB", text);
  }
  void cleanup() {
    MessageWindows::Instance().CloseAll();
    FreePrinterSettings();
    dialogs.reset();
    prompts.reset();
    office.reset();
    out.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  // The question, its offered answers and its default, and what each
  // answer prints.
  void printAsksWhatToPrintAsTheRowsAllow_data() {
    QTest::addColumn<QList<int>>("selected");  // empty: no focused row
    QTest::addColumn<QList<int>>("tagged");
    QTest::addColumn<QString>("offered");  // "" when nothing is asked
    QTest::addColumn<int>("answer");
    QTest::addColumn<QList<int>>("printed");
    QTest::newRow("several selected print without asking")
        << QList<int>{0, 2} << QList<int>{1} << "" << -1 << QList<int>{0, 2};
    QTest::newRow("focused and tagged: this one")
        << QList<int>{1} << QList<int>{2} << "Just this one\nAll\nTagged" << 0 << QList<int>{1};
    QTest::newRow("focused and tagged: tagged")
        << QList<int>{1} << QList<int>{0, 2} << "Just this one\nAll\nTagged" << 2
        << QList<int>{0, 2};
    QTest::newRow("focused, none tagged: all")
        << QList<int>{0} << QList<int>{} << "Just this one\nAll" << 1 << QList<int>{0, 1, 2};
    QTest::newRow("tagged, none focused")
        << QList<int>{} << QList<int>{1} << "All\nTagged" << 1 << QList<int>{1};
    QTest::newRow("neither: all") << QList<int>{} << QList<int>{} << "" << -1
                                  << QList<int>{0, 1, 2};
    QTest::newRow("cancelled") << QList<int>{0} << QList<int>{} << "Just this one\nAll" << -1
                               << QList<int>{};
  }
  void printAsksWhatToPrintAsTheRowsAllow() {
    QFETCH(QList<int>, selected);
    QFETCH(QList<int>, tagged);
    QFETCH(QString, offered);
    QFETCH(int, answer);
    QFETCH(QList<int>, printed);
    auto list = Open(office->Request("BOB"));
    QVERIFY(list);
    for (int row : tagged) list->ToggleTag(row);
    list->List()->clearSelection();
    if (selected.isEmpty()) {
      list->List()->setCurrentIndex(QModelIndex());
    } else {
      list->List()->selectionModel()->setCurrentIndex(list->Model()->index(selected[0], 0),
                                                      QItemSelectionModel::NoUpdate);
      for (int row : selected)
        list->List()->selectionModel()->select(
            list->Model()->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    if (!offered.isEmpty()) prompts->Answer(answer);
    std::remove(pdf.c_str());
    QTest::mouseClick(FindControlAs<QPushButton>(list.get(), TMessageListBaseClass::kIdPrint),
                      Qt::LeftButton);
    QStringList picks;
    for (const auto& a : prompts->AskedList())
      if (a.kind == "PickList") picks << a.caption + "|" + a.text;
    QCOMPARE(picks, offered.isEmpty() ? QStringList() : QStringList{"Print|" + offered});
    const std::string text = PdfText(pdf);
    const char* memos[] = {"first memo", "second memo", "third memo"};
    for (int row = 0; row < 3; ++row)
      QVERIFY2((text.find(memos[row]) != std::string::npos) == printed.contains(row), memos[row]);
    if (!printed.isEmpty())
      QVERIFY2(text.find("NEW MESSAGES FOR: BOB") != std::string::npos, text.c_str());
  }

  void printNewBuildsTheListWithoutAWindowAndPrintsIt() {
    QVERIFY(MessageWindows::Instance().PrintList(nullptr, office->Request("BOB")));
    QVERIFY(!MessageWindows::Instance().List());
    const std::string text = PdfText(pdf);
    for (const char* memo : {"first memo", "second memo", "third memo"})
      QVERIFY2(text.find(memo) != std::string::npos, memo);
    // An empty view prints nothing and says so.
    prompts->Clear();
    QVERIFY(!MessageWindows::Instance().PrintList(nullptr, office->Request("CAROL")));
    QCOMPARE(prompts->Questions().size(), size_t(1));
    QCOMPARE(prompts->Questions()[0].text, QString("No messages"));
  }

  void theHeadingFollowsTheView() {
    struct Case {
      int view;
      bool search;
      bool sendLog;
      PrintedView printed;
    };
    const Case cases[] = {
        {kViewNew, false, false, PrintedView::kNew},
        {kViewArchive, false, false, PrintedView::kArchive},
        {kViewFolder, false, false, PrintedView::kFolder},
        {kViewNew, true, false, PrintedView::kSearch},
        {kViewAllFolders, true, false, PrintedView::kSearch},
        {kViewArchive, false, true, PrintedView::kArchive},
    };
    for (const Case& c : cases) {
      ListRequest r = office->Request("BOB");
      r.view = c.view;
      r.search = c.search;
      r.sendLog = c.sendLog;
      r.folderName = "CLIENTS";
      const MessageHeadingOf h = PrintHeadingOf(r);
      QCOMPARE(int(h.view), int(c.printed));
      QCOMPARE(h.sendLog, c.sendLog);
      QCOMPARE(h.person, std::string("BOB"));
    }
    QCOMPARE(MessageHeading(PrintHeadingOf([&] {
               ListRequest r = office->Request("BOB");
               r.view = kViewFolder;
               r.folderName = "CLIENTS";
               return r;
             }())),
             std::string("\r\nMESSAGES IN CLIENTS FOR: BOB\r\n\r\n"));
  }
};

QTEST_MAIN(MessagePrintTest)
#include "message_print_test.moc"
