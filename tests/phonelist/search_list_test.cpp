// PHONE_SEARCH and SEARCH_LIST on a real office: criteria and categories
// chosen in the dialog, the results in index order from the user's work
// table, tags on the rows, an entry opened and saved from the results, a
// copy to another list, and "No matches found.".
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <memory>

#include "phone_office.h"
#include "phonelist/category_dialogs.h"
#include "phonelist/phone_entry_points.h"
#include "phonelist/phone_info_dialog.h"
#include "phonelist/phone_search_dialogs.h"
#include "toolkit/live_windows.h"

namespace {

using S = TPhoneSearchClass;

QStringList Rows(TSearchListClass& list) {
  QStringList out;
  QAbstractItemModel* m = list.View()->model();
  for (int i = 0; i < m->rowCount(); ++i) out << m->index(i, 0).data().toString();
  return out;
}

void TypeInto(QWidget& d, int id, const QString& text) {
  auto* e = FindControlAs<QLineEdit>(&d, id);
  QVERIFY2(e, qPrintable(QString::number(id)));
  e->setFocus();
  QTest::keyClicks(e, text);
}

}  // namespace

class SearchListTest : public QObject {
  Q_OBJECT

  std::unique_ptr<PhoneOffice> office;
  std::unique_ptr<ScriptedPrompts> prompts;
  std::unique_ptr<DialogScript> script;
  int32_t clients = 0;

 private slots:
  void init() {
    office = std::make_unique<PhoneOffice>();
    prompts = std::make_unique<ScriptedPrompts>();
    script = std::make_unique<DialogScript>();
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
    script.reset();
    prompts.reset();
    office.reset();
    QCOMPARE(LiveWindowCount(), 0);
  }

  void aCategoryAndAPhoneFindTheEntryWhoseFaxHoldsTheDigits() {
    script->Then([this](TBaseDialog& d) {
      QCOMPARE(d.windowTitle(), QString("PhoneList Search Criteria"));
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

  void theCompanyCriterionMatchesExactlyOrAnywhere_data() {
    QTest::addColumn<bool>("exact");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("exact") << true << QStringList{"      Acme\t617-555-1000"};
    QTest::newRow("anywhere") << false
                              << QStringList{"      Acme\t617-555-1000",
                                             "      Acme Corp\t617-555-2000"};
  }
  void theCompanyCriterionMatchesExactlyOrAnywhere() {
    QFETCH(bool, exact);
    QFETCH(QStringList, rows);
    script->Then([exact](TBaseDialog& d) {
      TypeInto(d, S::kIdCompany, "acme");
      if (exact) FindControlAs<QCheckBox>(&d, S::kIdExact)->setChecked(true);
      DialogScript::Press(d, kIdOk);
    });
    SearchPhoneList(nullptr, 0);
    QVERIFY(SearchResults());
    QCOMPARE(Rows(*SearchResults()), rows);
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

  void theResultRowsAreTaggedOpenedAndCopied() {
    script->Then([](TBaseDialog& d) { DialogScript::Press(d, kIdOk); });
    SearchPhoneList(nullptr, 2);
    TSearchListClass* list = SearchResults();
    QVERIFY(list);
    QCOMPARE(list->Mode(), 2);
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
      auto* e = FindControlAs<QLineEdit>(&d, TPhoneInfoClass::kIdListname);
      e->selectAll();
      QTest::keyClicks(e, "Acme Inc");
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

  void withoutASelectedRowTheButtonsSaySo() {
    script->Then([](TBaseDialog& d) { DialogScript::Press(d, kIdOk); });
    SearchPhoneList(nullptr, 0);
    TSearchListClass* list = SearchResults();
    QVERIFY(list);
    list->View()->setCurrentIndex(QModelIndex());
    Press(list, TSearchListClass::kIdInfo);
    Press(list, TSearchListClass::kIdCat);
    Press(list, TSearchListClass::kIdCopy);
    QCOMPARE(Asked(*prompts), (QStringList{"Info|No entry selected.", "Category|No entry selected.",
                                           "Copy|No entry selected."}));
  }

  void everyControlHasAName() {
    PhoneCriteria criteria;
    S d(nullptr, &criteria);
    QCOMPARE(Unnamed(&d), QStringList());
    QCOMPARE(FindControl(&d, S::kIdStreet)->accessibleName(), QString("Street1&2:"));
    script->Then([](TBaseDialog& s) { DialogScript::Press(s, kIdOk); });
    SearchPhoneList(nullptr, 0);
    QCOMPARE(Unnamed(SearchResults()), QStringList());
  }
};

QTEST_MAIN(SearchListTest)
#include "search_list_test.moc"
