// The database list: paging through a names index with real keys and
// mouse, the filter, the scroll bar and its tip, tagging, refresh after
// another handle changed the index, the read bound on a large index, and
// the list read as a screen reader reads it, through Qt's accessibility
// interfaces: one item per visible row named by the text it shows, the
// selected and tagged rows marked, the rows' actions selecting and opening.
#include <QAccessible>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "storage/catalogue.h"
#include "storage/check.h"
#include "storage/database.h"
#include "storage/records/name.h"
#include "tests/support/temp_dir.h"
#include "toolkit/control_id.h"
#include "toolkit/list/db_list_accessible.h"
#include "toolkit/list/name_list.h"
#include "toolkit/list/scroll_tip.h"
#include "toolkit/live_windows.h"
#include "toolkit/scripted_prompts.h"

namespace {

namespace nm = records::name;
constexpr int kRows = 10;
constexpr int kListId = 300;

std::string NameOf(const uint8_t* entry) {
  return FieldText(entry, nm::x1::kName);
}

// "A00", "A01", ... "A<count-1>" for the letter.
std::vector<std::string> Series(char letter, int count) {
  std::vector<std::string> out;
  for (int i = 0; i < count; ++i)
    out.push_back(QString::asprintf("%c%02d", letter, i).toStdString());
  return out;
}

// A NAME table written straight through the engine.
struct Names {
  TempDir dir;
  Table table{kNameTable};
  int32_t nextNumber = 1;
  std::vector<int32_t> records;  // of the names given, in order

  explicit Names(const std::vector<std::string>& names) {
    DbCreateTable(table, dir.Path(), 1);
    DbOpenTable(table, dir.Path());
    for (const auto& name : names) records.push_back(AddTo(table, name));
  }
  ~Names() { DbCloseTable(table); }
  int32_t AddTo(Table& t, const std::string& name) {
    uint8_t rec[nm::kRecordSize] = {};
    SetFieldText(rec, nm::kName, name.c_str());
    SetFieldI32(rec, nm::kNumber, nextNumber++);
    int32_t recordNumber = -1;
    DbAppendRecord(t, rec, &recordNumber);
    return recordNumber;
  }
  // Another workstation deletes the names given by their place in the list.
  void DeleteElsewhere(const std::vector<int>& places) {
    Table other(kNameTable);
    QVERIFY(DbOpenTable(other, dir.Path()));
    for (int i : places) {
      uint8_t rec[nm::kRecordSize];
      QVERIFY(DbReadRecord(other, records[size_t(i)], rec));
      QVERIFY(DbDeleteRecord(other, rec, records[size_t(i)]));
    }
    DbCloseTable(other);
  }
};

// A window holding a list of kRows rows over a table of the names.
struct Window {
  Names n;
  QWidget parent;
  TNameList* list;

  // The owner positions the index; these lists start at the first entry.
  explicit Window(const std::vector<std::string>& names, EntryFilter filter = nullptr,
                  bool tagging = false)
      : n(names) {
    DbFirst(n.table);
    list =
        new TNameList(&parent, QRect(0, 0, 220, 200), kListId, n.table, std::move(filter), tagging);
    list->resize(220, kRows * list->RowHeight());
    parent.resize(240, kRows * list->RowHeight() + 10);
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent));
    list->ListBox()->setFocus();
  }
  QWidget* Box() const { return FindControl(&parent, TDBList::kListBoxId); }
  void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::keyClick(Box(), key, mods);
  }
  QPoint RowPoint(int row) const {
    return QPoint(40, row * list->RowHeight() + list->RowHeight() / 2);
  }
  void Click(int row, Qt::KeyboardModifiers mods = Qt::NoModifier,
             Qt::MouseButton button = Qt::LeftButton) {
    QTest::mouseClick(Box(), button, mods, RowPoint(row));
  }
  std::string At(int row) const { return NameOf(list->EntryOfRow(row)); }
  // The names of the visible page, top to bottom.
  std::vector<std::string> Page() const {
    std::vector<std::string> out;
    for (int i = 0; i < list->RowsFilled(); ++i) out.push_back(At(i));
    return out;
  }
  QAccessibleInterface* Accessible() const { return QAccessible::queryAccessibleInterface(Box()); }
  // The names of the accessible items.
  std::vector<std::string> Items() const {
    std::vector<std::string> out;
    for (int i = 0; i < Accessible()->childCount(); ++i)
      out.push_back(Accessible()->child(i)->text(QAccessible::Name).toStdString());
    return out;
  }
};

// The thumb's centre, and the y of a scroll position along the groove.
QPoint ThumbCentre(QScrollBar* bar) {
  QStyleOptionSlider opt;
  opt.initFrom(bar);
  opt.orientation = Qt::Vertical;
  opt.minimum = bar->minimum();
  opt.maximum = bar->maximum();
  opt.sliderPosition = bar->sliderPosition();
  opt.sliderValue = bar->value();
  opt.singleStep = bar->singleStep();
  opt.pageStep = bar->pageStep();
  opt.upsideDown = false;
  return bar->style()
      ->subControlRect(QStyle::CC_ScrollBar, &opt, QStyle::SC_ScrollBarSlider, bar)
      .center();
}

// Drags the thumb to the top (to < 0) or the bottom (to > 0), checks the
// tip's character on the way and releases.
char DragThumb(QScrollBar* bar, int to) {
  const QPoint start = ThumbCentre(bar);
  QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, start);
  const QPoint end(start.x(), to < 0 ? -50 : bar->height() + 50);
  QTest::mouseMove(bar, QPoint(start.x(), (start.y() + end.y()) / 2));
  QTest::mouseMove(bar, end);
  auto* list = static_cast<TDBList*>(bar->parentWidget());
  const char shown = list->ScrollTip() ? list->ScrollTip()->Character() : '?';
  QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, end);
  return shown;
}

}  // namespace

class DbListTest : public QObject {
  Q_OBJECT

  std::unique_ptr<ScriptedPrompts> prompts;

 private slots:
  void init() {
    prompts = std::make_unique<ScriptedPrompts>();
    SetCheckHandler([this](const char* module, unsigned line) {
      prompts->CheckFailed(QString::asprintf("Check failed: %s, line %u\n", module, line));
    });
  }
  void cleanup() {
    SetCheckHandler(nullptr);
    prompts.reset();
    QCOMPARE(LiveWindowCount(), 0);
  }

  void fewerEntriesThanAPageFillOnlyThoseRowsAndNoRowBeyond() {
    Window w({"Baker", "Adams", "Dunn", "Carter"});
    QCOMPARE(w.list->RowsPerPage(), kRows);
    QCOMPARE(w.Page(), (std::vector<std::string>{"Adams", "Baker", "Carter", "Dunn"}));
    QVERIFY(w.list->AtEnd());
    w.Key(Qt::Key_PageDown);
    QCOMPARE(w.list->SelectedRow(), 3);
    QCOMPARE(w.list->RowsFilled(), 4);
    w.Key(Qt::Key_PageUp);
    QCOMPARE(w.list->SelectedRow(), 0);
    // A row outside the page fails the check.
    const unsigned before = CheckFailureCount();
    QCOMPARE(NameOf(w.list->EntryOfRow(4)), std::string());
    QCOMPARE(CheckFailureCount(), before + 1);
    w.list->EntryOfRow(-1);
    QCOMPARE(CheckFailureCount(), before + 2);
    QCOMPARE(prompts->Questions().front().kind, QString("Assert"));
    // An empty table leaves the page empty and nothing selected.
    Window empty({});
    QCOMPARE(empty.list->RowsFilled(), 0);
    for (Qt::Key key : {Qt::Key_Down, Qt::Key_End, Qt::Key_PageDown}) empty.Key(key);
    QCOMPARE(empty.list->SelectedRow(), -1);
  }

  void aListCutOutOfTheMiddleOfTheIndexStaysInsideItsBounds() {
    // Only the "K" names, with names before and after them in the index: a
    // phone list among the other lists.
    std::vector<std::string> names = Series('A', 15);
    for (const auto& group : {Series('K', 14), Series('Z', 15)})
      names.insert(names.end(), group.begin(), group.end());
    Window w(names, [](const uint8_t* e) { return NameOf(e)[0] == 'K' ? 1 : -1; });
    uint8_t key[kEntryBufferSize] = {};
    key[nm::x1::kName.offset] = 'K';
    int exact = 0;
    QVERIFY(DbFind(w.n.table, key, &exact));
    w.list->Refresh(0, 0);
    QCOMPARE(w.At(0), std::string("K00"));
    w.Key(Qt::Key_Up);
    w.Key(Qt::Key_PageUp);
    QCOMPARE(w.At(0), std::string("K00"));
    QCOMPARE(w.list->RowsFilled(), kRows);
    w.Key(Qt::Key_PageDown);
    QCOMPARE(w.At(0), std::string("K10"));
    QCOMPARE(w.list->RowsFilled(), 4);
    QVERIFY(w.list->AtEnd());  // the filter's stop is the list's end
    w.Key(Qt::Key_PageUp);
    w.Key(Qt::Key_PageDown);
    w.Key(Qt::Key_Down);
    QCOMPARE(w.list->RowsFilled(), 4);
    QCOMPARE(w.At(3), std::string("K13"));
    QCOMPARE(w.list->SelectedRow(), 3);
  }

  void hiddenEntriesAreSkippedAndTheRowReused() {
    Window w(Series('K', 30), [](const uint8_t* e) { return (NameOf(e)[2] - '0') % 2 == 0; });
    QCOMPARE(w.list->RowsFilled(), kRows);
    QCOMPARE(w.At(1), std::string("K02"));
    w.Key(Qt::Key_PageDown);
    QCOMPARE(w.At(0), std::string("K20"));
    QCOMPARE(w.list->RowsFilled(), 5);
    w.Key(Qt::Key_PageUp);
    QCOMPARE(w.At(0), std::string("K00"));
  }

  void thumbReleaseSelectsRowZeroWhileEndSelectsTheLastRow() {
    std::vector<std::string> names;
    for (char c = 'A'; c <= 'Z'; ++c)
      for (const auto& s : Series(c, 3)) names.push_back(s);
    Window w(names);
    QScrollBar* bar = FindControlAs<QScrollBar>(&w.parent, TDBList::kScrollBarId);
    QVERIFY(bar);
    QCOMPARE(bar->maximum(), 27);
    QCOMPARE(DragThumb(bar, +1), '+');
    QVERIFY(!w.list->ScrollTip());
    QCOMPARE(w.list->SelectedRow(), 0);
    QCOMPARE(w.Page(), (std::vector<std::string>{"Z02"}));
    QCOMPARE(DragThumb(bar, -1), ' ');
    QCOMPARE(w.list->SelectedRow(), 0);
    QCOMPARE(w.At(0), std::string("A00"));
    QCOMPARE(bar->value(), 1);
    w.Key(Qt::Key_End);
    QCOMPARE(w.list->RowsFilled(), kRows);
    QCOMPARE(w.list->SelectedRow(), kRows - 1);
    QCOMPARE(w.At(kRows - 1), std::string("Z02"));
    QCOMPARE(bar->value(), 26);
    w.Key(Qt::Key_Home);
    QCOMPARE(w.At(0), std::string("A00"));
    QCOMPARE(w.list->SelectedRow(), 0);
    // The tip's letter between the two ends.
    QCOMPARE(ScrollTipCharacter(1), 'A');
    QCOMPARE(ScrollTipCharacter(26), 'Z');
  }

  void pageDownAtTheEndKeepsTheLastRowSelected() {
    Window w(Series('P', 25));
    w.Key(Qt::Key_PageDown);
    QCOMPARE(w.At(0), std::string("P10"));
    QCOMPARE(w.list->SelectedRow(), 0);
    w.Key(Qt::Key_PageDown);
    QCOMPARE(w.Page(), (std::vector<std::string>{"P20", "P21", "P22", "P23", "P24"}));
    QCOMPARE(w.list->SelectedRow(), 4);
    QVERIFY(w.list->AtEnd());
    w.list->ResetIndexReads();
    w.Key(Qt::Key_PageDown);
    QCOMPARE(w.list->SelectedRow(), 4);
    QCOMPARE(w.At(0), std::string("P20"));
    QCOMPARE(w.list->IndexReads(), 0L);
    // Line up at row 0 steps the page back by one.
    w.Key(Qt::Key_PageUp);
    QCOMPARE(w.At(0), std::string("P10"));
    w.Key(Qt::Key_Up);
    QCOMPARE(w.At(0), std::string("P09"));
    QCOMPARE(w.list->SelectedRow(), 0);
  }

  void shiftClickTagsTheSameRangeFromAboveAndBelowTheAnchor() {
    Window w(Series('S', 40), nullptr, true);
    auto tagged = [&] {
      std::vector<bool> out;
      for (int i = 0; i < kRows; ++i) out.push_back(w.list->IsTagged(w.list->EntryOfRow(i)));
      return out;
    };
    w.Click(2);
    w.Click(6, Qt::ShiftModifier);
    const std::vector<bool> down = tagged();
    w.Click(6);
    QCOMPARE(w.list->Tags().Count(), size_t(1));
    w.Click(2, Qt::ShiftModifier);
    QCOMPARE(w.list->Tags().Count(), size_t(5));
    QCOMPARE(tagged(), down);
    QCOMPARE(down, (std::vector<bool>{0, 0, 1, 1, 1, 1, 1, 0, 0, 0}));
    // A range reaching past the page is walked through the index.
    w.Click(1);
    w.Key(Qt::Key_PageDown);
    QCOMPARE(w.list->Tags().Count(), size_t(1));  // a key move without Shift re-anchors
    w.Click(1);
    QCOMPARE(w.At(1), std::string("S11"));
    w.Key(Qt::Key_PageUp, Qt::ShiftModifier);
    QCOMPARE(w.At(0), std::string("S00"));
    QCOMPARE(w.list->Tags().Count(), size_t(12));  // S00 to S11
    w.Click(1, Qt::ShiftModifier);
    QCOMPARE(w.list->Tags().Count(), size_t(11));  // S01 to S11
    QCOMPARE(w.At(0), std::string("S00"));
    QCOMPARE(w.list->SelectedRow(), 1);
    // Ctrl-click toggles one row inside the range; Ctrl+space toggles the
    // focused row.
    w.Click(5, Qt::ControlModifier);
    QCOMPARE(w.list->Tags().Count(), size_t(10));
    w.Click(5, Qt::ControlModifier);
    QCOMPARE(w.list->Tags().Count(), size_t(11));
    w.Key(Qt::Key_Space, Qt::ControlModifier);
    QCOMPARE(w.list->Tags().Count(), size_t(10));
    QVERIFY(!w.list->IsTagged(w.list->EntryOfRow(5)));
    // A screen reader reads the tagged rows as checked.
    QAccessibleInterface* box = w.Accessible();
    QVERIFY(box->child(1)->state().checkable);
    QVERIFY(box->child(1)->state().checked);
    QVERIFY(!box->child(5)->state().checked);
  }

  void notificationsReachTheParent() {
    Window w(Series('N', 5));
    QWidget other(&w.parent);
    other.setFocusPolicy(Qt::StrongFocus);
    other.setGeometry(225, 0, 10, 10);
    other.show();
    QSignalSpy spy(w.list, &TDBList::Notify);
    w.Click(2);
    w.Click(2);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toInt(), kListSelChanged);
    QTest::mouseDClick(w.Box(), Qt::LeftButton, Qt::NoModifier, w.RowPoint(3));
    QCOMPARE(spy.last().at(0).toInt(), kListDoubleClick);
    spy.clear();
    w.list->Refresh(0, 1);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toInt(), kListSelChanged);
    w.list->ListBox()->setFocus();
    other.setFocus();
    QCOMPARE(spy.last().at(0).toInt(), kListKillFocus);
    QCOMPARE(w.list->property("controlId").toInt(), kListId);
  }

  void refreshShowsWhatAnotherHandleInsertedAndDeleted() {
    Window w(Series('R', 30));
    w.Key(Qt::Key_PageDown);
    QCOMPARE(w.At(0), std::string("R10"));
    {
      Table other(kNameTable);
      QVERIFY(DbOpenTable(other, w.n.dir.Path()));
      w.n.AddTo(other, "R105");
      w.n.AddTo(other, "R095");
      DbCloseTable(other);
    }
    w.n.DeleteElsewhere({10, 12});  // R10 is the page's first entry
    QVERIFY(w.list->Refresh(0, 0));
    QCOMPARE(w.Page(), (std::vector<std::string>{"R105", "R11", "R13", "R14", "R15", "R16", "R17",
                                                 "R18", "R19", "R20"}));
    w.Key(Qt::Key_Up);
    QCOMPARE(w.At(0), std::string("R095"));
    // With the entries of the last page deleted, the new last page shows.
    w.Key(Qt::Key_PageDown);
    QCOMPARE(w.At(0), std::string("R20"));
    w.n.DeleteElsewhere({20, 21, 22, 23, 24, 25, 26, 27, 28, 29});
    QVERIFY(w.list->Refresh(0, 0));
    QCOMPARE(w.list->RowsFilled(), kRows);
    QCOMPARE(w.At(0), std::string("R095"));
  }

  void draggingPastTheBottomScrollsOneRowAtATime() {
    Window w(Series('G', 30));
    const int below = kRows * w.list->RowHeight() + 5;
    QTest::mousePress(w.Box(), Qt::LeftButton, Qt::NoModifier, w.RowPoint(7));
    QTest::mouseMove(w.Box(), w.RowPoint(9));
    QCOMPARE(w.list->SelectedRow(), 9);
    QTest::mouseMove(w.Box(), QPoint(40, below));
    QTest::mouseMove(w.Box(), QPoint(41, below + 1));
    QCOMPARE(w.At(0), std::string("G02"));
    QCOMPARE(w.list->SelectedRow(), kRows - 1);
    QTest::mouseMove(w.Box(), QPoint(40, -5));
    QCOMPARE(w.At(0), std::string("G01"));
    QCOMPARE(w.list->SelectedRow(), 0);
    QTest::mouseRelease(w.Box(), Qt::LeftButton, Qt::NoModifier, QPoint(40, -5));
  }

  void theSpaceBarAndTheRightButtonActOnTheEntry() {
    Names n(Series('V', 8));
    struct Acting : TNameList {
      using TNameList::TNameList;
      std::vector<std::string> acted;
      void ActOnEntry(const uint8_t* entry) override { acted.push_back(NameOf(entry)); }
    };
    QWidget parent;
    DbFirst(n.table);
    auto* list = new Acting(&parent, QRect(0, 0, 200, 100), kListId, n.table, nullptr, false);
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent));
    QWidget* box = list->ListBox();
    QTest::mouseClick(box, Qt::RightButton, Qt::NoModifier, QPoint(30, 2 * list->RowHeight() + 3));
    QCOMPARE(list->SelectedRow(), 2);
    QTest::keyClick(box, Qt::Key_Down);
    QTest::keyClick(box, Qt::Key_Space);
    QCOMPARE(list->acted, (std::vector<std::string>{"V02", "V03"}));
  }

  void theNamesListSeeksByTheOneLetterKey() {
    Window w({"*Sales", "adams", "Baker", "mills", "Moore", "Nash", "Ryan", "Young"});
    uint8_t entry[nm::x1::kLength] = {};
    auto pos = [&](const char* name) {
      SetFieldText(entry, nm::x1::kName, name);
      return w.list->ScrollPosition(entry);
    };
    QCOMPARE(pos("*Sales"), 0);
    QCOMPARE(pos("adams"), 1);
    QCOMPARE(pos("Zed"), 26);
    QCOMPARE(pos("\xC9mile"), 27);
    auto seekFirst = [&](int p) {
      w.list->SeekPosition(p);
      w.list->Refresh(0, 0);
      return w.At(0);
    };
    QCOMPARE(seekFirst(13), std::string("mills"));  // "M" either case
    QCOMPARE(seekFirst(17), std::string("Ryan"));   // no "Q": the next name
    QCOMPARE(seekFirst(26), std::string("Young"));  // nothing at "Z": the last
    QCOMPARE(seekFirst(0), std::string("*Sales"));
    QCOMPARE(seekFirst(27), std::string("Young"));
  }

  void resizingKeepsTheSelectionWhenItStillExists() {
    Window w(Series('T', 30));
    w.Click(8);
    w.list->resize(220, 5 * w.list->RowHeight());
    QApplication::processEvents();
    QCOMPARE(w.list->RowsPerPage(), 5);
    QCOMPARE(w.list->SelectedRow(), 4);
    QCOMPARE(w.list->ListBox()->width(), 200);
    QCOMPARE(w.list->ScrollBar()->x(), 200);
  }

  void theTagStoreGrowsAndSaysWhenMemoryRunsOut() {
    TagStore tags;
    QCOMPARE(tags.Capacity(), size_t(1024));
    for (uint32_t v = 1; v <= 1025; ++v) QVERIFY(tags.Set(v, true));
    QCOMPARE(tags.Capacity(), size_t(2048));
    QCOMPARE(tags.Count(), size_t(1025));
    QVERIFY(tags.Set(7, false));
    QVERIFY(!tags.Contains(7));
    QVERIFY(tags.Set(5000, true));  // reuses the freed slot
    QCOMPARE(tags.Capacity(), size_t(2048));
    for (uint32_t v = 6000; tags.Count() < 2048; ++v) tags.Set(v, true);
    tags.FailNextGrowthForTest();
    QVERIFY(!tags.Set(9999, true));
    QVERIFY(!tags.Contains(9999));
    QCOMPARE(prompts->Questions().back().text, QString("Not enough memory."));
    tags.ClearAll();
    QCOMPARE(tags.Count(), size_t(0));
  }

  void aLargeIndexIsPagedWithAPageOfReadsAndAFewSteps() {
    const QByteArray env = qgetenv("DESKPOST_LIST_ENTRIES");
    std::vector<std::string> names;
    for (int i = 0; i < (env.isEmpty() ? 100000 : env.toInt()); ++i)
      names.push_back(QString::asprintf("%c%06d", 'A' + i % 26, i).toStdString());
    Window w(names);
    // A page of reads forwards, a search back, and the stepped count.
    auto check = [&](auto action) {
      w.list->ResetIndexReads();
      action();
      QVERIFY2(w.list->IndexReads() <= 2 * kRows + 6,
               qPrintable(QString::number(w.list->IndexReads())));
    };
    for (Qt::Key key :
         {Qt::Key_End, Qt::Key_Home, Qt::Key_PageDown, Qt::Key_Down, Qt::Key_Up, Qt::Key_PageUp})
      check([&] { w.Key(key); });
    check([&] { DragThumb(w.list->ScrollBar(), +1); });
    QCOMPARE(w.list->SelectedRow(), 0);
    check([&] { w.list->Refresh(0, 3); });
    // Thumb to "M" through the seek the release uses.
    check([&] {
      w.list->SeekPosition(13);
      w.list->Refresh(0, 0);
    });
    QCOMPARE(w.At(0), std::string("M000012"));
  }

  // ---- Read through the accessibility interfaces ----

  void theListReadsAsItsVisibleRowsByTheirText() {
    Window w(Series('P', 25));
    w.list->setAccessibleName("Names");
    QAccessibleInterface* box = w.Accessible();
    QVERIFY(box);
    QCOMPARE(box->role(), QAccessible::List);
    QCOMPARE(box->text(QAccessible::Name), QString("Names"));
    QCOMPARE(w.Items(), Series('P', kRows));
    QCOMPARE(box->child(0)->role(), QAccessible::ListItem);
    QCOMPARE(box->child(0)->text(QAccessible::Description), QString());
    // Row rectangles lie inside the list box, one under the other.
    const QRect first = box->child(0)->rect(), second = box->child(1)->rect();
    QVERIFY(box->rect().contains(first));
    QCOMPARE(second.top(), first.bottom() + 1);
    QCOMPARE(box->childAt(second.center().x(), second.center().y()), box->child(1));
    // Paging: the same items now read the next names.
    w.Key(Qt::Key_PageDown);
    w.Key(Qt::Key_PageDown);
    QCOMPARE(w.Items(), (std::vector<std::string>{"P20", "P21", "P22", "P23", "P24"}));
    // Rows past the filled ones have no item and read empty.
    QVERIFY(box->child(5) == nullptr);
    QCOMPARE(DbListRowText(*w.list, 5), QString());
    QCOMPARE(DbListRowText(*w.list, -1), QString());
  }

  void theSelectedRowIsMarkedAndItsActionsSelectAndOpen() {
    Window w(Series('P', 4));
    QAccessibleInterface* box = w.Accessible();
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
};

QTEST_MAIN(DbListTest)
#include "db_list_test.moc"
