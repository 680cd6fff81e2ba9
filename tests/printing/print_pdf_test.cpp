// What comes out of the printer, read back from PDF files: message slips
// with their box, heading and notes, memos' heights and the 60-line pages,
// the phone list pages with letter headings and their range, labels three
// across, the text exports and their failures, and the print job's abort
// box and printer settings. Offices are made and printed by the real
// dpadmin; the PDF files are read with pdftotext and pdftoppm.
#include <QApplication>
#include <QImage>
#include <QPushButton>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "data/messages/dpmess.h"
#include "data/messages/dpnote.h"
#include "data/office/datadir.h"
#include "printing/line_printer.h"
#include "printing/print_job.h"
#include "printing/scripted_print_dialogs.h"
#include "storage/errors.h"
#include "tests/printing/text_pieces.h"
#include "tests/support/dpadmin_run.h"
#include "tests/support/pdf_text.h"
#include "tests/support/temp_dir.h"

namespace msg = records::message;

namespace {

// The first page as an image at 60 dots to the inch; null when pdftoppm
// cannot make it.
QImage PdfImage(const std::string& pdf, const std::string& stem) {
  const std::string command =
      "pdftoppm -png -r 60 -f 1 -l 1 -singlefile '" + pdf + "' '" + stem + "'";
  return std::system(command.c_str()) == 0 ? QImage(QString::fromStdString(stem + ".png"))
                                           : QImage();
}

bool Dark(const QImage& image, int x, int y) {
  return qGray(image.pixel(x, y)) < 128;
}

// The longest run of dark pixels along any row (or along any column).
int LongestRun(const QImage& image, bool columns = false) {
  const int lines = columns ? image.width() : image.height();
  const int length = columns ? image.height() : image.width();
  int best = 0;
  for (int a = 0; a < lines; ++a) {
    for (int b = 0, run = 0; b < length; ++b) {
      run = (columns ? Dark(image, a, b) : Dark(image, b, a)) ? run + 1 : 0;
      best = std::max(best, run);
    }
  }
  return best;
}

}  // namespace

class PrintPdfTest : public QObject {
  Q_OBJECT

 private:
  TempDir scratch_;
  std::string office_;

  DpadminRun Admin(const std::vector<std::string>& args) {
    return RunDpadmin(args, scratch_.Path());
  }
  // dpadmin, which must succeed.
  void Ok(const std::vector<std::string>& args) {
    const DpadminRun run = Admin(args);
    QVERIFY2(run.status == 0, ShowRun(run).c_str());
  }
  void MakeOffice() {
    office_ = scratch_.File("office");
    std::filesystem::remove_all(office_);
    Ok({"create", office_});
    Ok({"add-name", office_, "ANNE", "BOB"});
  }
  void Send(std::vector<std::string> args) {
    args.insert(args.begin(), {"send", office_});
    Ok(args);
  }
  // Gives message number n a note of its own (the attached note or the
  // return-call log), as the view window stores one.
  void GiveNote(int32_t number, Field which, const std::string& text) {
    SetDataDirectory(office_ + "/");
    DbSetErrorReporter(TranslateEngineError);
    MessageTable messages;
    QVERIFY(MsgOpen(messages));
    int32_t count = 0;
    QVERIFY(DbRecordCount(messages.table, &count));
    for (int32_t rn = 0; rn < count; ++rn) {
      MessageRecord r;
      QVERIFY(MsgRead(messages, rn, &r));
      if (r.Number() != number) continue;
      int32_t note = 0;
      QVERIFY(NoteNew(&note));
      QVERIFY(NoteWrite(note, text));
      SetFieldI32(r.bytes, which, note);
      QVERIFY(MsgWrite(messages, rn, r));
    }
    MsgClose(messages);
  }
  std::string PrintFolder(const std::string& file, const std::string& option = "--pdf") {
    const std::string path = scratch_.File(file);
    const DpadminRun run = Admin({"print", office_, "folder", "ANNE", "new", option, path});
    if (run.status != 0) qWarning("%s", ShowRun(run).c_str());
    return path;
  }
  std::string Memo(int marker, int lines) {
    std::string text = "MEMO-" + std::to_string(marker);
    for (int i = 2; i <= lines; ++i) text += "\nline " + std::to_string(i);
    return text;
  }

 private slots:
  void aPhoneMessagePrintsAsABoxedSlipUnderItsHeadingWithItsNotes() {
    MakeOffice();
    Send({"--from", "BOB", "--to", "ANNE", "--caller", "Mr. Fischer", "--company", "Fischer & Sons",
          "--phone", "555-0142", "--extension", "17", "--text", "Wants to move Thursday's meeting.",
          "--call-back", "--will-call", "--by", "BOB"});
    GiveNote(1, msg::kAttachedNote, "Bring the contract.");
    GiveNote(1, msg::kLogNote, "Called back at noon, no answer.");
    const std::string pdf = PrintFolder("slip.pdf");
    const std::string text = PdfText(pdf);
    QCOMPARE(Missing(text,
                     {"NEW MESSAGES FOR: ANNE", "From: Mr. Fischer", "Company: Fischer & Sons",
                      "Phone: 555-0142", "Ext:         17", "Wants to move Thursday's meeting.",
                      "[ ] Urgent [X] Call back [ ] Returned call [X] Will call", "ATTACHED NOTE",
                      "Bring the contract.", "RETURN CALL LOG", "Called back at noon, no answer."}),
             std::string());
    // The date and time sit at the right of the From line.
    const std::vector<std::string> lines = Lines(text);
    const auto from = std::find_if(lines.begin(), lines.end(), [](const std::string& l) {
      return l.find("From: Mr. Fischer") != std::string::npos;
    });
    QVERIFY(from != lines.end());
    QVERIFY2(from->find("M") != std::string::npos && from->size() > 60, from->c_str());
    // The frame is drawn, not written: no box character is text, and the
    // box's sides are long straight lines on the page.
    QCOMPARE(Count(text, "\u2502") + Count(text, "\u2500"), 0);
    const QImage page = PdfImage(pdf, scratch_.File("slip"));
    QVERIFY(!page.isNull());
    // 75 columns of 10-point type are over 5 inches: 300 dots at 60 to the
    // inch; the slip's sides run its 12 lines, over 1.5 inches.
    QVERIFY2(LongestRun(page) > 300, std::to_string(LongestRun(page)).c_str());
    QVERIFY2(LongestRun(page, true) > 90, std::to_string(LongestRun(page, true)).c_str());
  }

  void aMemoTakesAtLeastEightLines() {
    struct Case {
      int lines;
      int slipLines;  // top, the "Memo from" line, the text, the bottom
    };
    const Case cases[] = {{1, 11}, {8, 11}, {9, 12}, {12, 15}};
    for (const Case& c : cases) {
      MakeOffice();
      Send({"--from", "BOB", "--to", "ANNE", "--kind", "memo", "--text", Memo(1, c.lines)});
      const std::string text = ReadWholeFile(PrintFolder("memo.txt", "--text"));
      const std::vector<std::string> lines = Lines(text);
      // The slip's corners start its first and last line.
      const auto starting = [&lines](const char* corner) {
        return std::find_if(lines.begin(), lines.end(),
                            [corner](const std::string& l) { return l.rfind(corner, 0) == 0; });
      };
      const auto top = starting("\u250C"), bottom = starting("\u2514");
      QVERIFY2(top != lines.end() && bottom != lines.end(), text.c_str());
      QCOMPARE(int(bottom - top) + 1, c.slipLines);
      QVERIFY(top[1].find("Memo from: BOB") != std::string::npos);
      QVERIFY(top[2].find("MEMO-1") != std::string::npos);
      QCOMPARE(Count(text, "line "), c.lines - 1);
    }
  }

  void pagesHoldSixtyLinesHeadingIncluded() {
    // The heading takes 4 lines; memos of up to 8 lines take 11. A slip
    // that would end past line 60 starts the next page under the heading.
    struct Case {
      const char* what;
      std::vector<int> memoLines;
      std::vector<int> pageOf;  // the page each memo lands on, from 1
    };
    const Case cases[] = {
        {"the fifth ends on line 60", {8, 8, 8, 8, 9}, {1, 1, 1, 1, 1}},
        {"the fifth would end on line 61", {8, 8, 8, 8, 10}, {1, 1, 1, 1, 2}},
        // A slip longer than a page runs on over the next page by itself;
        // the slip after it starts a page of its own under the heading.
        {"a slip longer than a page", {60, 8}, {1, 3}},
    };
    for (const Case& c : cases) {
      MakeOffice();
      for (size_t i = 0; i < c.memoLines.size(); ++i)
        Send({"--from", "BOB", "--to", "ANNE", "--kind", "memo", "--text",
              Memo(int(i) + 1, c.memoLines[i])});
      const std::vector<std::string> pages = PdfPages(PrintFolder("pages.pdf"));
      const int last = *std::max_element(c.pageOf.begin(), c.pageOf.end());
      QVERIFY2(int(pages.size()) >= last, c.what);
      for (size_t i = 0; i < c.pageOf.size(); ++i) {
        const std::string marker = "MEMO-" + std::to_string(i + 1) + "\n";
        const std::string markerEnd = "MEMO-" + std::to_string(i + 1) + " ";
        const std::string& page = pages[size_t(c.pageOf[i] - 1)];
        QVERIFY2(
            page.find(marker) != std::string::npos || page.find(markerEnd) != std::string::npos,
            (std::string(c.what) + ": memo " + std::to_string(i + 1)).c_str());
      }
      // Every page a slip starts on begins with the heading.
      for (int p : c.pageOf)
        QVERIFY2(pages[size_t(p - 1)].find("NEW MESSAGES FOR: ANNE") != std::string::npos, c.what);
    }
  }

  void aPhoneListPrintsUnderLetterHeadingsWithItsRange() {
    MakeOffice();
    const char* names[] = {"ABBOT, AMY", "ADAMS, AL", "BAKER, BEN", "DAVIS, DAN", "7-ELEVEN"};
    for (const char* n : names)
      Ok({"add-phone", office_, "COMMON", "--listname", n, "--company", std::string(n) + " Ltd",
          "--phone", "555-0100"});
    const std::string pdf = scratch_.File("list.pdf");
    Ok({"print", office_, "phonelist", "--pdf", pdf});
    const std::vector<std::string> pages = PdfPages(pdf);
    QCOMPARE(int(pages.size()), 1);
    const std::vector<std::string> lines = Lines(pages[0]);
    // The title and the range ("%3s-%3s": the first and last headings of
    // the page) share the top line.
    QVERIFY2(lines[0].find("COMMON's PhoneList") != std::string::npos, lines[0].c_str());
    QVERIFY2(lines[0].find("7-E-DAV") != std::string::npos, lines[0].c_str());
    // One letter heading a letter, only for letters: A once for two
    // entries, none for the entry starting with a digit.
    auto alone = [&](const std::string& letter) {
      int n = 0;
      for (const std::string& l : lines) {
        const size_t at = l.find_first_not_of(' ');
        if (at != std::string::npos && l.substr(at) == letter) ++n;
      }
      return n;
    };
    std::string headings;
    for (const char* h : {"A", "B", "C", "D", "7"}) headings += std::to_string(alone(h));
    QCOMPARE(headings, std::string("11010"));
    QCOMPARE(Missing(pages[0], {"Page 1", "ADAMS, AL", "BAKER, BEN Ltd"}), std::string());
  }

  void aLongPhoneListRunsOverPagesEachWithItsOwnRange() {
    MakeOffice();
    // 150 entries: more than two columns of a page hold.
    const std::string csv = scratch_.File("many.csv");
    {
      std::ofstream out(csv);
      out << "Listname,Company,Phone 1\n";
      for (int i = 0; i < 150; ++i) {
        const char letter = char('A' + i / 6);
        out << letter << letter << letter << " ENTRY " << 100 + i << ",Co " << i << ",555-"
            << 1000 + i << "\n";
      }
    }
    Ok({"import-phone", office_, "COMMON", csv});
    const std::string pdf = scratch_.File("many.pdf");
    Ok({"print", office_, "phonelist", "--pdf", pdf});
    const std::vector<std::string> pages = PdfPages(pdf);
    QVERIFY2(pages.size() >= 2, std::to_string(pages.size()).c_str());
    QVERIFY(Lines(pages[0])[0].find("AAA-") != std::string::npos);
    QVERIFY(Lines(pages.back())[0].find("-YYY") != std::string::npos);
    for (size_t p = 0; p < pages.size(); ++p) {
      QVERIFY(pages[p].find("Page " + std::to_string(p + 1)) != std::string::npos);
      // The range's first heading is the page's first entry.
      const std::string top = Lines(pages[p])[0];
      const size_t dash = top.rfind('-');
      QVERIFY(dash != std::string::npos && dash >= 3);
      const std::string first = top.substr(dash - 3, 3);
      QVERIFY2(pages[p].find(first + " ENTRY") != std::string::npos, top.c_str());
    }
    // Every entry printed once.
    std::string all;
    for (const std::string& p : pages) all += p;
    for (int i = 0; i < 150; ++i)
      QVERIFY2(Count(all, " ENTRY " + std::to_string(100 + i)) == 1, std::to_string(i).c_str());
  }

  void labelsPrintThreeAcrossWithAndWithoutContact() {
    MakeOffice();
    for (int i = 1; i <= 4; ++i) {
      const std::string n = std::to_string(i);
      Ok({"add-phone", office_, "COMMON", "--listname", "ENTRY " + n, "--company", "Company " + n,
          "--contact", "Contact " + n, "--street1", n + " Main St", "--city", "Springfield",
          "--state", "IL", "--zip", "6270" + n});
    }
    for (bool contact : {true, false}) {
      const std::string pdf = scratch_.File("labels.pdf");
      std::vector<std::string> args = {"print", office_, "labels", "3 across, 30 a sheet",
                                       "--pdf", pdf};
      if (contact) args.push_back("--contact");
      Ok(args);
      const std::string text = PdfText(pdf);
      // Three labels side by side, the fourth alone on the next row.
      QCOMPARE(LineWith(text, "Company 1"), std::string("Company 1 Company 2 Company 3"));
      QCOMPARE(LineWith(text, "62701"),
               std::string("Springfield IL 62701 Springfield IL 62702 Springfield IL 62703"));
      QCOMPARE(LineWith(text, "Company 4"), std::string("Company 4"));
      QCOMPARE(Count(text, "Contact "), contact ? 4 : 0);
      if (contact) QVERIFY(text.find("Contact 1") < text.find("Company 1"));
    }
  }

  void exportsWriteWholeFilesOrSayWhyNot() {
    MakeOffice();
    Ok({"add-phone", office_, "COMMON", "--listname", "ORTIZ", "--company", "Ortiz Travel",
        "--contact", "Ana Ortiz", "--phone", "555-0110"});
    for (const auto& [option, expected] :
         {std::pair<std::string, std::string>{"--text", "Ortiz Travel"},
          {"--csv", "\"Ortiz Travel\",\"Ana Ortiz\",\"555-0110\",\"\"\n"}}) {
      const std::string path = scratch_.File("export" + option);
      Ok({"print", office_, "phonelist", option, path});
      QVERIFY2(Has(ReadWholeFile(path), expected), option.c_str());
      QVERIFY(!std::filesystem::exists(path + ".part"));
    }
    // A file that cannot be written is named with its message.
    const std::string nowhere = scratch_.File("nowhere/list.csv");
    DpadminRun run = Admin({"print", office_, "phonelist", "--csv", nowhere});
    QCOMPARE(run.status, 2);
    QVERIFY2(Has(run.err, "PATH OR FILE DOES NOT EXIST: " + nowhere), run.err.c_str());
    // An unknown label format is named, with the formats there are.
    run = Admin({"print", office_, "labels", "4 across", "--text", scratch_.File("l.txt")});
    QCOMPARE(run.status, 1);
    QVERIFY2(Has(run.err, "unknown label format: 4 across") && Has(run.err, "3 across, 30 a sheet"),
             run.err.c_str());
    QVERIFY(!std::filesystem::exists(scratch_.File("l.txt")));
  }

  void cancelInTheAbortBoxStopsThePrint() {
    QWidget owner;
    const std::string pdf = scratch_.File("cancelled.pdf");
    auto job = PrintJob::ToPdf(pdf);
    QVERIFY(job->Start(&owner));
    QVERIFY(PrintJob::Running());
    // One print at a time.
    auto second = PrintJob::ToPdf(scratch_.File("second.pdf"));
    QVERIFY(!second->Start(&owner));
    QVERIFY(job->AbortBox());
    QCOMPARE(job->AbortBox()->objectName(), QString("ABORTDLG"));
    LinePrinter printer(*job);
    QVERIFY(printer.Output("\r\nfirst line"));
    auto* cancel = job->AbortBox()->findChild<QPushButton*>();
    QVERIFY(cancel);
    QCOMPARE(cancel->text(), QString("Cancel"));
    QTest::mouseClick(cancel, Qt::LeftButton);
    QVERIFY(!printer.Output("\r\nsecond line"));
    QVERIFY(!job->End());
    QVERIFY(!PrintJob::Running());
  }

  void printerSetupChoosesWhereJobsGo() {
    ScriptedPrintDialogs dialogs;
    FreePrinterSettings();
    // Setup cancelled: nothing chosen. Without a printer on this machine a
    // print asks for a PDF file; Cancel there prints nothing.
    dialogs.AnswerSetup("");
    QVERIFY(!PrinterSetup(nullptr));
    if (PrinterSettings().printerName().isEmpty()) {
      QVERIFY(!PrintJob::ToPrinter(nullptr));
      QCOMPARE(dialogs.PdfsAsked(), 1);
      const std::string chosen = scratch_.File("chosen.pdf");
      dialogs.AnswerPdf(QString::fromStdString(chosen));
      auto job = PrintJob::ToPrinter(nullptr);
      QVERIFY(job && job->Start());
      LinePrinter(*job).Output("\r\nto the chosen file");
      QVERIFY(job->End());
      QVERIFY(PdfText(chosen).find("to the chosen file") != std::string::npos);
    }
    // Printer setup chose a PDF file: every job goes there without asking.
    const std::string setup = scratch_.File("setup.pdf");
    dialogs.AnswerSetup(QString::fromStdString(setup));
    QVERIFY(PrinterSetup(nullptr));
    const int asked = dialogs.PdfsAsked();
    auto job = PrintJob::ToPrinter(nullptr);
    QVERIFY(job && job->Start());
    LinePrinter(*job).Output("\r\nby the setup");
    QVERIFY(job->End());
    QCOMPARE(dialogs.PdfsAsked(), asked);
    QVERIFY(PdfText(setup).find("by the setup") != std::string::npos);
    FreePrinterSettings();
  }
};

QTEST_MAIN(PrintPdfTest)
#include "print_pdf_test.moc"
