// Printing from the phone list's search results: REPORT and LABEL set up a
// report or labels, which go to text files, comma-delimited files or the
// printer (a PDF file here, chosen through the scripted print dialogs);
// a file output needs its name, a file that cannot be written says so, and
// labels need the office's LABEL.DAT.
#include "phonelist/phone_print.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <fstream>
#include <memory>

#include "data/phone/label_table.h"
#include "phone_office.h"
#include "phonelist/phone_entry_points.h"
#include "phonelist/phone_search_dialogs.h"
#include "printing/scripted_print_dialogs.h"
#include "tests/support/pdf_text.h"
#include "toolkit/live_windows.h"

namespace {

void Choose(QWidget& d, int id, int index) {
  auto* c = FindControlAs<QComboBox>(&d, id);
  QVERIFY2(c, qPrintable(QString::number(id)));
  c->setCurrentIndex(index);
}

void Type(QWidget& d, int id, const std::string& text) {
  auto* e = FindControlAs<QLineEdit>(&d, id);
  QVERIFY2(e, qPrintable(QString::number(id)));
  e->setFocus();
  e->selectAll();
  QTest::keyClicks(e, QString::fromStdString(text));
}

}  // namespace

class PhonePrintTest : public QObject {
  Q_OBJECT

  std::unique_ptr<PhoneOffice> office;
  std::unique_ptr<ScriptedPrompts> prompts;
  std::unique_ptr<DialogScript> script;
  std::unique_ptr<TempDir> out;

  // The search (every entry) in a mode, answered by the script.
  TSearchListClass* Search(int mode) {
    script->Then([](TBaseDialog& d) { DialogScript::Press(d, kIdOk); });
    SearchPhoneList(nullptr, mode);
    return SearchResults();
  }

 private slots:
  void init() {
    office = std::make_unique<PhoneOffice>();
    prompts = std::make_unique<ScriptedPrompts>();
    script = std::make_unique<DialogScript>();
    out = std::make_unique<TempDir>();
    PhoneReportSettings() = ReportSettings();
    PhoneLabelSettings() = LabelSettings();
    office->AddEntry(0, "Acme", "617-555-1000",
                     {{ph::kCompany, "Acme Tools"}, {ph::kContact, "Ann Acme"}});
    office->AddEntry(0, "Baker", "617-555-2000",
                     {{ph::kCompany, "Baker Bread"}, {ph::kContact, "Bob Baker"}});
    office->AddEntry(0, "Carter", "617-555-3000",
                     {{ph::kCompany, "Carter Cars"}, {ph::kContact, "Cy Carter"}});
    std::ofstream(office->dir.File("LABEL.DAT"), std::ios::binary)
        << LabelFileBytes(StandardLabelFormats());
  }
  void cleanup() {
    CloseSearchResults();
    script.reset();
    prompts.reset();
    office.reset();
    out.reset();
    QCOMPARE(LiveWindowCount(), 0);
  }

  void aReportGoesToATextOrDelimitedFileOfTheSelectedRows() {
    struct Case {
      int target;
      int selection;
      std::vector<const char*> present;
      std::vector<const char*> absent;
    };
    const Case cases[] = {
        {1, 0, {"PHONE LIST", "Acme Tools", "Baker Bread", "Carter Cars"}, {}},
        {2, 0, {"\"Acme Tools\",\"Ann Acme\",\"617-555-1000\",\"\"\n"}, {"PHONE LIST"}},
        {2, 1, {"\"Baker Bread\""}, {"Acme Tools", "Carter Cars"}},
        {2, 2, {"\"Acme Tools\"", "\"Carter Cars\""}, {"Baker Bread"}},
    };
    for (const Case& c : cases) {
      TSearchListClass* list = Search(2);
      QVERIFY(list);
      list->View()->Results()->ToggleTag(1);  // Baker
      const std::string path = out->File("report.txt");
      std::remove(path.c_str());
      script->Then([&](TBaseDialog& d) {
        QCOMPARE(d.windowTitle(), QString("Report Setup"));
        Choose(d, TReportSetupClass::kIdPrintTo, c.target);
        Choose(d, TReportSetupClass::kIdSelection, c.selection);
        Type(d, TReportSetupClass::kIdFileName, path);
        DialogScript::Press(d, kIdOk);
      });
      Press(list, TSearchListClass::kIdPrint);
      const std::string text = ReadWholeFile(path);
      for (const char* p : c.present) QVERIFY2(text.find(p) != std::string::npos, p);
      for (const char* a : c.absent) QVERIFY2(text.find(a) == std::string::npos, a);
      CloseSearchResults();
    }
    // The settings are kept for the next report of the run.
    QCOMPARE(PhoneReportSettings().target, 2);
  }

  void aFileOutputNeedsANameAndAFileThatCannotBeWrittenSaysSo() {
    TSearchListClass* list = Search(0);
    QVERIFY(list);
    const std::string nowhere = out->File("none/r.txt");
    script->Then([&](TBaseDialog& d) {
      Choose(d, TReportSetupClass::kIdPrintTo, 1);
      DialogScript::Press(d, kIdOk);
      QVERIFY(d.IsOpen());  // refused: no file name
      Type(d, TReportSetupClass::kIdFileName, nowhere);
      DialogScript::Press(d, kIdOk);
    });
    Press(list, TSearchListClass::kIdPrint);
    QCOMPARE(Asked(*prompts),
             (QStringList{"DESKpost|Please provide filename for export.",
                          "PATH OR FILE DOES NOT EXIST:|" + QString::fromStdString(nowhere)}));
  }

  void labelsListTheOfficesFormatsAndPrintWithOrWithoutContact() {
    for (bool contact : {true, false}) {
      TSearchListClass* list = Search(1);
      QVERIFY(list);
      const std::string path = out->File("labels.txt");
      script->Then([&](TBaseDialog& d) {
        QCOMPARE(d.windowTitle(), QString("Label Setup"));
        auto* types = FindControlAs<QComboBox>(&d, TLabelSetupClass::kIdType);
        QCOMPARE(types->count(), int(StandardLabelFormats().size()));
        QCOMPARE(types->itemText(0), QString("3 across, 30 a sheet"));
        Choose(d, TLabelSetupClass::kIdPrintTo, 1);
        Type(d, TLabelSetupClass::kIdFileName, path);
        FindControlAs<QCheckBox>(&d, TLabelSetupClass::kIdContact)->setChecked(contact);
        DialogScript::Press(d, kIdOk);
      });
      Press(list, TSearchListClass::kIdPrint);
      const std::string text = ReadWholeFile(path);
      QVERIFY2(text.find("Acme Tools") != std::string::npos, text.c_str());
      // Three across: the three companies share a line.
      const size_t line = text.find("Acme Tools");
      const std::string row = text.substr(line, text.find("\r\n", line) - line);
      QVERIFY2(row.find("Carter Cars") != std::string::npos, row.c_str());
      QCOMPARE(text.find("Ann Acme") != std::string::npos, contact);
      CloseSearchResults();
    }
  }

  void labelsWithoutALabelFileSaySoAndOpenNothing() {
    std::remove(office->dir.File("LABEL.DAT").c_str());
    TSearchListClass* list = Search(1);
    QVERIFY(list);
    Press(list, TSearchListClass::kIdPrint);
    const QStringList asked = Asked(*prompts);
    QCOMPARE(asked.size(), 1);
    QVERIFY2(asked[0].contains("LABEL.DAT"), qPrintable(asked[0]));
  }

  void aReportOnThePrinterPrintsThePhoneListPages() {
    ScriptedPrintDialogs dialogs;
    FreePrinterSettings();
    const std::string pdf = out->File("report.pdf");
    dialogs.AnswerSetup(QString::fromStdString(pdf));
    QVERIFY(PrinterSetup(nullptr));
    TSearchListClass* list = Search(2);
    QVERIFY(list);
    script->Then([](TBaseDialog& d) { DialogScript::Press(d, kIdOk); });
    Press(list, TSearchListClass::kIdPrint);
    const std::string text = PdfText(pdf);
    QVERIFY2(text.find("COMMON's PhoneList") != std::string::npos, text.c_str());
    QVERIFY2(text.find("Acm-Car") != std::string::npos, text.c_str());
    QVERIFY(text.find("Baker Bread") != std::string::npos);
    FreePrinterSettings();
  }
};

QTEST_MAIN(PhonePrintTest)
#include "phone_print_test.moc"
