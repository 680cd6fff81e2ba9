// PHONE_SEARCH and SEARCH_LIST on a real office: criteria and categories
// chosen in the dialog, the results in index order from the user's work
// table, tags on the rows, an entry opened and saved from the results, a
// copy to another list, and "No matches found.". Printing from the results:
// REPORT and LABEL set up a report or labels, which go to text files,
// comma-delimited files or the printer (a PDF file here, chosen through the
// scripted print dialogs); a file output needs its name, a file that cannot
// be written says so, and labels need the office's LABEL.DAT.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <fstream>
#include <memory>

#include "data/phone/label_table.h"
#include "phone_office.h"
#include "phonelist/category_dialogs.h"
#include "phonelist/phone_entry_points.h"
#include "phonelist/phone_info_dialog.h"
#include "phonelist/phone_print.h"
#include "phonelist/phone_search_dialogs.h"
#include "printing/scripted_print_dialogs.h"
#include "tests/support/pdf_text.h"

namespace {

using S = TPhoneSearchClass;

QStringList Rows(TSearchListClass& list) {
  QStringList out;
  QAbstractItemModel* m = list.View()->model();
  for (int i = 0; i < m->rowCount(); ++i) out << m->index(i, 0).data().toString();
  return out;
}

void TypeInto(QWidget& d, int id, const std::string& text) {
  auto* e = FindControlAs<QLineEdit>(&d, id);
  QVERIFY2(e, qPrintable(QString::number(id)));
  e->setFocus();
  e->selectAll();
  QTest::keyClicks(e, QString::fromStdString(text));
}

void Choose(QWidget& d, int id, int index) {
  auto* c = FindControlAs<QComboBox>(&d, id);
  QVERIFY2(c, qPrintable(QString::number(id)));
  c->setCurrentIndex(index);
}

}  // namespace

class SearchListTest : public QObject, PhoneWindowSet {
  Q_OBJECT

  int32_t clients = 0;
  std::unique_ptr<TempDir> out;

  // The search (every entry) in a mode, answered by the script.
  TSearchListClass* Search(int mode) {
    script->Then([](TBaseDialog& d) { DialogScript::Press(d, kIdOk); });
    SearchPhoneList(nullptr, mode);
    return SearchResults();
  }
  // What the prints show: three entries with company and contact, in BOB's
  // list, made the current one.
  void PrintEntries() {
    PhoneSetCurrentList({office->bob, "BOB"});
    office->AddEntry(office->bob, "Acme", "617-555-1000",
                     {{ph::kCompany, "Acme Tools"}, {ph::kContact, "Ann Acme"}});
    office->AddEntry(office->bob, "Baker", "617-555-2000",
                     {{ph::kCompany, "Baker Bread"}, {ph::kContact, "Bob Baker"}});
    office->AddEntry(office->bob, "Carter", "617-555-3000",
                     {{ph::kCompany, "Carter Cars"}, {ph::kContact, "Cy Carter"}});
  }

 private slots:
  void init() {
    MakeSet();
    out = std::make_unique<TempDir>();
    PhoneReportSettings() = ReportSettings();
    PhoneLabelSettings() = LabelSettings();
    std::ofstream(office->dir.File("LABEL.DAT"), std::ios::binary)
        << LabelFileBytes(StandardLabelFormats());
    office->AddEntry(0, "Acme", "617-555-1000", {{ph::kCompany, "ACME  "}});
    office->AddEntry(0, "Acme Corp", "617-555-2000", {{ph::kCompany, "ACME CORP"}});
    office->AddEntry(0, "Baker", "", {{ph::kCity, "Boston"}});
    office->AddEntry(0, "Carter", "617-555-3000", {{ph::kFax, "617-555-9999"}});
    office->AddEntry(office->anne, "Carter", "617-555-3000", {{ph::kFax, "617-555-9999"}});
    clients = office->AddCategory(0, "Clients");
    office->AddCategory(0, "Vendors");
    for (const char* n : {"Acme", "Carter"}) {
      PhoneRecord r;
      QVERIFY(office->Find(0, n, n[0] == 'A' ? "617-555-1000" : "617-555-3000", &r));
      QVERIFY(office->Assign(r.EntryNumber(), clients));
    }
  }
  void cleanup() {
    CloseSearchResults();
    out.reset();
    DropSet();
  }

  void aCategoryAndAPhoneFindTheEntryWhoseFaxHoldsTheDigits() {
    script->Then([this](TBaseDialog& d) {
      QCOMPARE(d.windowTitle(), QString("PhoneList Search Criteria"));
      QCOMPARE(Unnamed(&d), QStringList());
      QCOMPARE(FindControl(&d, S::kIdStreet)->accessibleName(), QString("Street1&2:"));
      QVERIFY(FindControlAs<QLabel>(&d, S::kIdCategoryState)->text().isEmpty());
      DialogScript::Press(d, S::kIdCategories);
      QCOMPARE(FindControlAs<QLabel>(&d, S::kIdCategoryState)->text(), QString("Selected..."));
      TypeInto(d, S::kIdPhone, "555-9999");
      DialogScript::Press(d, kIdOk);
    });
    script->Then([](TBaseDialog& d) {
      auto& cats = static_cast<TCategoryDialog&>(d);
      cats.List()->Refresh(0, 0);
      cats.Choose();
      DialogScript::Press(d, kIdOk);
    });
    SearchPhoneList(nullptr, 0);
    TSearchListClass* list = SearchResults();
    QVERIFY(list);
    QCOMPARE(list->windowTitle(), QString("Search result:   1 found"));
    QCOMPARE(Rows(*list), QStringList{"      Carter\t617-555-3000"});
  }

  void theCompanyCriterionMatchesExactlyOrAnywhere() {
    const QString acme = "      Acme\t617-555-1000", corp = "      Acme Corp\t617-555-2000";
    for (const bool exact : {true, false}) {
      script->Then([exact](TBaseDialog& d) {
        TypeInto(d, S::kIdCompany, "acme");
        FindControlAs<QCheckBox>(&d, S::kIdExact)->setChecked(exact);
        DialogScript::Press(d, kIdOk);
      });
      SearchPhoneList(nullptr, 0);
      QVERIFY(SearchResults());
      QCOMPARE(Rows(*SearchResults()), exact ? QStringList{acme} : (QStringList{acme, corp}));
      CloseSearchResults();
    }
  }

  void noMatchesSaySoAndCancelSearchesNothing() {
    script->Then([](TBaseDialog& d) {
      TypeInto(d, S::kIdListname, "Zebra");
      DialogScript::Press(d, kIdOk);
    });
    SearchPhoneList(nullptr, 0);
    QVERIFY(!SearchResults());
    QCOMPARE(Asked(*prompts), QStringList{"DESKpost|No matches found."});
    prompts->Clear();
    script->Cancel();
    SearchPhoneList(nullptr, 0);
    QCOMPARE(Asked(*prompts), QStringList());
  }

  void theResultRowsAreTaggedOpenedAndCopiedButNeedASelection() {
    TSearchListClass* list = Search(2);
    QVERIFY(list);
    QCOMPARE(list->Mode(), 2);
    QCOMPARE(Unnamed(list), QStringList());
    list->View()->setCurrentIndex(QModelIndex());
    Press(list, TSearchListClass::kIdInfo);
    Press(list, TSearchListClass::kIdCat);
    Press(list, TSearchListClass::kIdCopy);
    QCOMPARE(Asked(*prompts), (QStringList{"Info|No entry selected.", "Category|No entry selected.",
                                           "Copy|No entry selected."}));
    QCOMPARE(Rows(*list).size(), 4);
    QCOMPARE(Rows(*list).at(2), QString("      Baker\t "));
    QVERIFY(FindControl(list, TSearchListClass::kIdPrint)->isEnabled());
    SearchResultView* view = list->View();
    SearchResultModel* rows = view->Results();
    const QRect second = view->visualRect(rows->index(1));
    QTest::mouseClick(view->viewport(), Qt::RightButton, Qt::NoModifier, second.center());
    QVERIFY(rows->Tagged(1));
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Space);
    QVERIFY(!rows->Tagged(1));
    // Info saves a new Listname into the row.
    script->Then([](TBaseDialog& d) {
      TypeInto(d, TPhoneInfoClass::kIdListname, "Acme Inc");
      DialogScript::Press(d, TPhoneInfoClass::kIdSave);
    });
    prompts->Answer(1);
    Press(list, TSearchListClass::kIdInfo);
    QCOMPARE(Rows(*list).at(1), QString("      Acme Inc\t617-555-2000"));
    QVERIFY(office->Find(0, "Acme Inc", "617-555-2000"));
    // Copy the selected row to ANNE, where Carter exists already.
    view->setCurrentIndex(rows->index(3));
    ChooseName(*script, "ANNE");
    prompts->Clear();
    prompts->Answer(false);
    Press(list, TSearchListClass::kIdCopy);
    QCOMPARE(Asked(*prompts), QStringList{"DESKpost|Overwrite existing entry? Y/N"});
    view->setCurrentIndex(rows->index(0));
    ChooseName(*script, "ANNE");
    Press(list, TSearchListClass::kIdCopy);
    QVERIFY(office->Find(office->anne, "Acme", "617-555-1000"));
    Press(list, TSearchListClass::kIdDone);
    QVERIFY(!list->IsOpen());
  }

  void aReportGoesToATextOrDelimitedFileOfTheSelectedRows() {
    PrintEntries();
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
        TypeInto(d, TReportSetupClass::kIdFileName, path);
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
      TypeInto(d, TReportSetupClass::kIdFileName, nowhere);
      DialogScript::Press(d, kIdOk);
    });
    Press(list, TSearchListClass::kIdPrint);
    QCOMPARE(Asked(*prompts),
             (QStringList{"DESKpost|Please provide filename for export.",
                          "PATH OR FILE DOES NOT EXIST:|" + QString::fromStdString(nowhere)}));
  }

  void labelsListTheOfficesFormatsPrintWithOrWithoutContactAndNeedLabelDat() {
    PrintEntries();
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
        TypeInto(d, TLabelSetupClass::kIdFileName, path);
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
    // Without the office's LABEL.DAT they say so and open nothing.
    std::remove(office->dir.File("LABEL.DAT").c_str());
    TSearchListClass* list = Search(1);
    QVERIFY(list);
    prompts->Clear();
    Press(list, TSearchListClass::kIdPrint);
    const QStringList asked = Asked(*prompts);
    QCOMPARE(asked.size(), 1);
    QVERIFY2(asked[0].contains("LABEL.DAT"), qPrintable(asked[0]));
  }

  void aReportOnThePrinterPrintsThePhoneListPages() {
    PrintEntries();
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
    QVERIFY2(text.find("BOB's PhoneList") != std::string::npos, text.c_str());
    QVERIFY2(text.find("Acm-Car") != std::string::npos, text.c_str());
    QVERIFY(text.find("Baker Bread") != std::string::npos);
    FreePrinterSettings();
  }
};

QTEST_MAIN(SearchListTest)
#include "search_list_test.moc"
