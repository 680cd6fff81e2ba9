// The database list read as a screen reader reads it, through Qt's
// accessibility interfaces: a list named by its window, one item per
// visible row named by the text the row shows, the selected (and tagged)
// rows marked, and the rows' actions selecting and opening as the mouse
// does. Paging shows the next names under the same items.
#include "toolkit/list/db_list_accessible.h"

#include <QAccessible>
#include <QSignalSpy>
#include <QTest>
#include <string>
#include <vector>

#include "name_office.h"
#include "storage/database.h"
#include "toolkit/list/name_list.h"

namespace {

constexpr int kRows = 5;

struct ListWindow {
  NameOffice office;
  NameTable names;
  QWidget parent;
  TNameList* list = nullptr;

  ListWindow(const std::vector<std::string>& people, bool tagging) {
    for (const auto& name : people) office.Add(name);
    NameOpen(names);
    DbFirst(names.table);
    list = new TNameList(&parent, QRect(0, 0, 200, 100), 300, names.table, nullptr, tagging);
    list->resize(200, kRows * list->RowHeight());
    list->setAccessibleName("Names");
    parent.resize(220, kRows * list->RowHeight() + 10);
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent));
    list->ListBox()->setFocus();
  }
  ~ListWindow() { NameClose(names); }

  QAccessibleInterface* Box() const {
    return QAccessible::queryAccessibleInterface(list->ListBox());
  }
  std::vector<std::string> Items() const {
    std::vector<std::string> out;
    QAccessibleInterface* box = Box();
    for (int i = 0; i < box->childCount(); ++i)
      out.push_back(box->child(i)->text(QAccessible::Name).toStdString());
    return out;
  }
};

std::vector<std::string> People(int count) {
  std::vector<std::string> out;
  for (int i = 0; i < count; ++i) out.push_back("PERSON " + std::to_string(10 + i));
  return out;
}

}  // namespace

class DbListAccessibleTest : public QObject {
  Q_OBJECT

 private slots:
  void theListReadsAsItsVisibleRowsByTheirText() {
    ListWindow w(People(8), false);
    QAccessibleInterface* box = w.Box();
    QVERIFY(box);
    QCOMPARE(box->role(), QAccessible::List);
    QCOMPARE(box->text(QAccessible::Name), QString("Names"));
    QCOMPARE(w.Items(), (std::vector<std::string>{"PERSON 10", "PERSON 11", "PERSON 12",
                                                  "PERSON 13", "PERSON 14"}));
    QCOMPARE(box->child(0)->role(), QAccessible::ListItem);
    // Row rectangles lie inside the list box, one under the other.
    const QRect first = box->child(0)->rect(), second = box->child(1)->rect();
    QVERIFY(box->rect().contains(first));
    QCOMPARE(second.top(), first.bottom() + 1);
    QCOMPARE(box->childAt(second.center().x(), second.center().y()), box->child(1));

    // Paging: the same items now read the next names.
    QTest::keyClick(w.list->ListBox(), Qt::Key_PageDown);
    QTest::keyClick(w.list->ListBox(), Qt::Key_PageDown);
    const std::vector<std::string> items = w.Items();
    QVERIFY(!items.empty());
    QCOMPARE(items.back(), std::string("PERSON 17"));
    QCOMPARE(int(items.size()), w.list->RowsFilled());
  }

  void theSelectedRowIsMarkedAndItsActionsSelectAndOpen() {
    ListWindow w(People(4), false);
    QAccessibleInterface* box = w.Box();
    QSignalSpy notes(w.list, &TDBList::Notify);
    QAccessibleActionInterface* third = box->child(2)->actionInterface();
    QVERIFY(third);
    QVERIFY(third->actionNames().contains(QAccessibleActionInterface::pressAction()));

    third->doAction(QAccessibleActionInterface::setFocusAction());
    QCOMPARE(w.list->SelectedRow(), 2);
    QVERIFY(box->child(2)->state().selected);
    QVERIFY(box->child(2)->state().focused);
    QVERIFY(!box->child(0)->state().selected);
    QVERIFY(notes.contains({kListSelChanged}));
    QVERIFY(!notes.contains({kListDoubleClick}));

    box->child(1)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(w.list->SelectedRow(), 1);
    QVERIFY(notes.contains({kListDoubleClick}));
  }

  void onlyTheNameOfARowIsItsText() {
    ListWindow w(People(2), false);
    QCOMPARE(w.Box()->child(0)->text(QAccessible::Name), QString("PERSON 10"));
    QCOMPARE(w.Box()->child(0)->text(QAccessible::Description), QString());
  }

  void taggedRowsReadAsChecked() {
    ListWindow w(People(4), true);
    QAccessibleInterface* box = w.Box();
    QTest::mouseClick(w.list->ListBox(), Qt::LeftButton, Qt::ControlModifier,
                      box->child(3)->rect().center() - w.list->ListBox()->mapToGlobal(QPoint()));
    QVERIFY(box->child(3)->state().checkable);
    QVERIFY(box->child(3)->state().checked);
    QVERIFY(!box->child(2)->state().checked);
  }

  void rowsOutsideTheFilledOnesReadEmpty() {
    ListWindow w(People(2), false);
    QCOMPARE(w.Box()->childCount(), 2);
    QVERIFY(w.Box()->child(2) == nullptr);
    QCOMPARE(DbListRowText(*w.list, 2), QString());
    QCOMPARE(DbListRowText(*w.list, -1), QString());
  }
};

QTEST_MAIN(DbListAccessibleTest)
#include "db_list_accessible_test.moc"
