// The category dialogs on a real office: CAT assigns and unassigns as rows
// are chosen, stops at 255 categories, adds, renames and deletes the
// current list's categories; SCAT only toggles the selection set.
#include "phonelist/category_dialogs.h"

#include <QLineEdit>
#include <memory>

#include "phone_office.h"

namespace {

std::vector<std::string> Names(const TCategoryList& list) {
  std::vector<std::string> out;
  for (int i = 0; i < list.RowsFilled(); ++i)
    out.push_back(FieldText(list.EntryOfRow(i), records::cat::x1::kName));
  return out;
}

// ADDCAT or EDITCAT: the name typed, OK.
void TypeCategory(DialogScript& script, const QString& name) {
  script.Then([name](TBaseDialog& d) {
    auto* e = FindControlAs<QLineEdit>(&d, TCategoryNameDialog::kIdName);
    e->selectAll();
    QTest::keyClicks(e, name);
    DialogScript::Press(d, kIdOk);
  });
}

}  // namespace

class CategoryDialogsTest : public QObject, PhoneWindowSet {
  Q_OBJECT

  std::unique_ptr<TCategoryDialog> d;
  int32_t entry = 0;
  std::map<std::string, int32_t> cats;

  void OpenForEntry() {
    d = std::make_unique<TCategoryDialog>(nullptr, entry);
    d->OpenModeless();
  }
  void Choose(int row) {
    d->List()->Refresh(0, row);
    const int h = d->List()->RowHeight();
    QTest::mouseDClick(d->List()->ListBox(), Qt::LeftButton, Qt::NoModifier,
                       QPoint(30, row * h + h / 2));
  }

 private slots:
  void init() {
    MakeSet();
    const int32_t at = office->AddEntry(0, "Acme");
    PhoneRecord r;
    QVERIFY(office->Find(0, "Acme", "", &r));
    entry = r.EntryNumber();
    QVERIFY(at >= 0 && entry > 0);
    for (const char* n : {"Clients", "Friends", "Vendors"}) cats[n] = office->AddCategory(0, n);
    office->AddCategory(office->anne, "Anne's own");
  }
  void cleanup() {
    d.reset();
    cats.clear();
    DropSet();
  }

  void choosingARowAssignsAndUnassignsIt() {
    OpenForEntry();
    QCOMPARE(d->windowTitle(), QString("Categories"));
    QCOMPARE(Unnamed(d.get()), QStringList());
    QCOMPARE(d->Search()->accessibleName(), QString("Search:"));
    QCOMPARE(Names(*d->List()), (std::vector<std::string>{"Clients", "Friends", "Vendors"}));
    Choose(1);
    QVERIFY(office->Assigned(entry).Contains(cats["Friends"]));
    QVERIFY(d->Set().Contains(cats["Friends"]));
    // The space bar chooses too.
    d->List()->ListBox()->setFocus();
    QTest::keyClick(d->List()->ListBox(), Qt::Key_Space);
    QVERIFY(!office->Assigned(entry).Contains(cats["Friends"]));
    // Opened again, the dialog reads what is assigned.
    QVERIFY(office->Assign(entry, cats["Vendors"]));
    d = std::make_unique<TCategoryDialog>(nullptr, entry);
    QVERIFY(d->Set().Contains(cats["Vendors"]));
    QCOMPARE(d->Set().Count(), 1);
  }

  void the256thCategoryOfAnEntryCannotBeChosen() {
    for (int i = 0; i < 253; ++i)
      QVERIFY(office->Assign(entry, office->AddCategory(0, "C" + std::to_string(1000 + i))));
    QVERIFY(office->Assign(entry, cats["Clients"]));
    QVERIFY(office->Assign(entry, cats["Friends"]));
    QCOMPARE(office->Assigned(entry).Count(), 255);
    OpenForEntry();
    QTest::keyClicks(d->Search(), "Vendors");
    QCOMPARE(d->List()->SelectedRow(), 0);
    d->Choose();
    QVERIFY(!office->Assigned(entry).Contains(cats["Vendors"]));
    QCOMPARE(Asked(*prompts), QStringList());
    // One taken away makes room again.
    d->Search()->clear();
    QTest::keyClicks(d->Search(), "Friends");
    d->Choose();
    d->Search()->clear();
    QTest::keyClicks(d->Search(), "Vendors");
    d->Choose();
    QVERIFY(office->Assigned(entry).Contains(cats["Vendors"]));
  }

  void theSearchFieldFindsTheFirstCategoryStartingWithTheText() {
    const struct {
      const char* typed;
      int row;
      std::string first;
    } cases[] = {{"f", 0, "Friends"}, {"VENDORS", 0, "Vendors"}, {"Fz", -1, "Vendors"}};
    OpenForEntry();
    for (const auto& c : cases) {
      d->Search()->clear();
      QTest::keyClicks(d->Search(), c.typed);
      QCOMPARE(d->List()->SelectedRow(), c.row);
      QCOMPARE(Names(*d->List()).front(), c.first);
    }
  }

  void addRefusesABlankNameAndPassesOverOneTheListHas() {
    OpenForEntry();
    script->Then([](TBaseDialog& add) {
      DialogScript::Press(add, kIdOk);
      QVERIFY(add.IsOpen());
      QTest::keyClicks(FindControlAs<QLineEdit>(&add, TCategoryNameDialog::kIdName), "Suppliers");
      DialogScript::Press(add, kIdOk);
    });
    Press(d.get(), TCategoryDialog::kIdAdd);
    QCOMPARE(script->opened.at(0).caption, QString("Add new category"));
    QCOMPARE(script->opened.at(0).maxLength, 20);
    QCOMPARE(Asked(*prompts), QStringList{"DESKpost|Please enter Category."});
    QCOMPARE(Names(*d->List()).front(), std::string("Suppliers"));
    TypeCategory(*script, "CLIENTS");
    Press(d.get(), TCategoryDialog::kIdAdd);
    CategoryTable h;
    QVERIFY(CategoryOpen(h));
    CategoryEntry e;
    int n = 0;
    for (int ok = CategoryFirstOfList(h, 0, &e); ok; ok = CategoryNextInList(h, 0, &e)) ++n;
    CategoryClose(h);
    ClearAppError();
    QCOMPARE(n, 4);
  }

  void editRenamesUnlessTheNameIsTakenAndDeleteKeepsThePlace() {
    OpenForEntry();
    Press(d.get(), TCategoryDialog::kIdEdit);
    Press(d.get(), TCategoryDialog::kIdDelete);
    QCOMPARE(Asked(*prompts),
             (QStringList{"Edit|No entry selected.", "Delete|No entry selected."}));
    prompts->Clear();
    d->List()->Refresh(0, 1);
    TypeCategory(*script, "vendors");
    Press(d.get(), TCategoryDialog::kIdEdit);
    QCOMPARE(script->opened.at(0).caption, QString("Edit category name"));
    QCOMPARE(Asked(*prompts), QStringList{"DESKpost|Category name already exists."});
    TypeCategory(*script, "Family");
    Press(d.get(), TCategoryDialog::kIdEdit);
    QCOMPARE(Names(*d->List()).front(), std::string("Family"));
    CategoryTable h;
    CategoryEntry e;
    QVERIFY(CategoryOpen(h) && CategoryFind(h, 0, "Family", &e));
    CategoryClose(h);
    QCOMPARE(e.Number(), cats["Friends"]);
    // Delete asks, and the row after the deleted one takes its place.
    OpenForEntry();
    d->List()->Refresh(0, 1);
    prompts->Answer(true);
    Press(d.get(), TCategoryDialog::kIdDelete);
    QCOMPARE(Names(*d->List()), (std::vector<std::string>{"Clients", "Vendors"}));
    QCOMPARE(d->List()->SelectedRow(), 1);
  }

  void theSearchsSelectionOnlyTogglesTheSet() {
    CategorySet set;
    d = std::make_unique<TCategoryDialog>(nullptr, &set);
    d->OpenModeless();
    QVERIFY(!FindControl(d.get(), TCategoryDialog::kIdAdd));
    Choose(0);
    Choose(2);
    QVERIFY(set.Contains(cats["Clients"]) && set.Contains(cats["Vendors"]));
    Choose(0);
    QCOMPARE(set.Count(), 1);
    QCOMPARE(office->Assigned(entry).Count(), 0);
    Press(d.get(), kIdOk);
    QVERIFY(!d->IsOpen());
  }
};

QTEST_MAIN(CategoryDialogsTest)
#include "category_dialogs_test.moc"
