// bench/phone_list: the phone list window over a large list. The quick find
// of a late name and End are timed and their index reads counted, against
// the bare index walk that fills the same page: each case runs many times,
// window and bare walk taking turns so that whatever else the machine does
// weighs on both alike, and the median of each is reported side by side.
// So are the window's opening until its first page is painted, against the
// bare walk of that page, and a search with a category and a city as a
// person runs it (criteria, search, the results window painted) against the
// same search done by the data layer alone. A measuring program, not a test.
//
//   phone_list [entries [repeats]]     (100000 and 301 when not given)
#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "bench/median.h"
#include "data/office/datadir.h"
#include "data/office/empty_office.h"
#include "data/phone/dpphone.h"
#include "data/phone/phone_category.h"
#include "data/phone/phone_search.h"
#include "phonelist/category_dialogs.h"
#include "phonelist/phone_entry_points.h"
#include "phonelist/phone_list_view.h"
#include "phonelist/phone_list_window.h"
#include "phonelist/phone_search_dialogs.h"
#include "storage/catalogue.h"
#include "storage/records/phone.h"
#include "storage/worktable.h"
#include "toolkit/control_id.h"
#include "toolkit/names/name_dialog_runner.h"

namespace ph = records::phone;

namespace {

using bench::Median;

std::string Name(int i) {
  char text[32];
  std::snprintf(text, sizeof text, "Entry %06d", i);
  return text;
}

double Ms(const QElapsedTimer& t) {
  return double(t.nsecsElapsed()) / 1e6;
}

// The bare walk: find the key, then step over a page of entries.
double BareWalk(PhoneTable& h, const std::string& from, int rows) {
  QElapsedTimer t;
  t.start();
  PhoneEntry e;
  // Not an exact key (the Phone 1 is left out): the search stands on it.
  PhoneFind(h, 0, from, "", &e);
  int ok = 1;
  for (int i = 1; ok && i < rows; ++i) ok = PhoneNextInList(h, 0, &e);
  return Ms(t);
}

// One case: the window's action and the bare walk, repeats times each in
// turns; prepare (untimed) puts the window back where the action starts.
struct Case {
  const char* name;
  std::function<void()> prepare;
  std::function<void()> action;
  std::string bareFrom;
};

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
  const int repeats = argc > 2 ? std::max(1, std::atoi(argv[2])) : 301;
  QTemporaryDir dir;
  const std::string path = dir.path().toStdString() + "/";
  CreateCatalogueTables(path);
  SetDataDirectory(path);

  QElapsedTimer fill;
  fill.start();
  PhoneTable phones;
  CategoryTable cats;
  AssignmentTable links;
  PhoneOpen(phones);
  CategoryOpen(cats);
  AssignmentOpen(links);
  CategoryRecord tenth;
  CategoryAdd(cats, 0, "Every tenth", &tenth);
  CategorySet set;
  for (int i = 0; i < count; ++i) {
    PhoneRecord r;
    r.SetText(ph::kListname, Name(i));
    r.SetText(ph::kPhone1, "617-555-" + std::to_string(1000 + i % 9000));
    r.SetText(ph::kCity, i % 2 == 0 ? "Boston" : "Salem");
    PhoneAdd(phones, r);
    if (i % 10 == 0) {
      CategoryLoadSet(links, r.EntryNumber(), &set);
      CategoryToggle(links, r.EntryNumber(), tenth.Number(), &set);
    }
  }
  PhoneClose(phones);
  std::printf("filled %d entries in %.0f ms\n", count, Ms(fill));

  QElapsedTimer t;
  PhoneTable bare;
  PhoneOpen(bare);
  {
    // Opening, until the first page is painted; the bare side opens the
    // table and walks the same page.
    std::vector<double> inWindow, walk;
    int rows = 0;
    for (int i = 0; i < std::max(5, repeats / 20); ++i) {
      t.restart();
      {
        TPhoneListClass opened(nullptr);
        opened.resize(640, 480);
        opened.OpenModeless();
        opened.repaint();
        inWindow.push_back(Ms(t));
        rows = opened.List()->RowsPerPage();
        opened.reject();
      }
      QApplication::processEvents();
      t.restart();
      PhoneTable fresh;
      PhoneOpen(fresh);
      BareWalk(fresh, "", rows);
      PhoneClose(fresh);
      walk.push_back(Ms(t));
    }
    // The first opening also pays for what Qt sets up once (fonts, style).
    std::printf("opening, first page painted: first in the process %.2f ms\n", inWindow.front());
    std::printf(
        "opening, first page painted: window %.2f ms, bare open and walk %.3f ms, ratio %.1f\n",
        Median(inWindow), Median(walk), Median(inWindow) / Median(walk));
  }

  TPhoneListClass window(nullptr);
  window.resize(640, 480);
  window.OpenModeless();
  QApplication::processEvents();
  TPhoneListView* list = window.List();
  const int rows = list->RowsPerPage();
  std::printf("rows per page: %d\n", rows);
  const Case cases[] = {
      // The page an opening fills, without the window's making.
      {"Home", [list] { list->HandleKey(Qt::Key_End, Qt::NoModifier); },
       [list] { list->HandleKey(Qt::Key_Home, Qt::NoModifier); }, ""},
      {"quick find, late name", [list] { list->FindText(Name(0)); },
       [list, count] { list->FindText(Name(count - 10)); }, Name(count - 10)},
      {"End", [list] { list->HandleKey(Qt::Key_Home, Qt::NoModifier); },
       [list] { list->HandleKey(Qt::Key_End, Qt::NoModifier); }, Name(count - rows)},
  };
  std::printf("%d repeats a case; medians\n", repeats);
  std::printf("%-22s %10s %8s %10s %6s\n", "action", "window ms", "reads", "bare ms", "ratio");
  for (const Case& c : cases) {
    std::vector<double> inWindow, walk;
    long reads = 0;
    for (int i = 0; i < repeats; ++i) {
      c.prepare();
      list->ResetIndexReads();
      t.restart();
      c.action();
      inWindow.push_back(Ms(t));
      reads = list->IndexReads();
      walk.push_back(BareWalk(bare, c.bareFrom, rows));
    }
    const double w = Median(inWindow);
    const double b = Median(walk);
    std::printf("%-22s %10.4f %8ld %10.4f %6.2f\n", c.name, w, reads, b, w / b);
  }
  PhoneClose(bare);

  // The search as a person runs it: the criteria dialog filled (the city,
  // then the category in its own dialog), the search, the results window
  // painted. Against it, the data layer's collection and search alone.
  SetNameDialogRunner([](TBaseDialog& d) {
    d.OpenModeless();
    if (auto* cats = dynamic_cast<TCategoryDialog*>(&d)) {
      cats->List()->Refresh(0, 0);
      cats->Choose();
    } else {
      FindControlAs<QLineEdit>(&d, TPhoneSearchClass::kIdCity)->setText("Boston");
      FindControlAs<QAbstractButton>(&d, TPhoneSearchClass::kIdCategories)->click();
    }
    FindControlAs<QAbstractButton>(&d, kIdOk)->click();
    return d.Result();
  });
  PhoneCriteria criteria;
  criteria.city = "Boston";
  criteria.categories.Add(tenth.Number());
  std::vector<double> inWindow, alone;
  int32_t found = 0;
  for (int i = 0; i < 7; ++i) {
    t.restart();
    SearchPhoneList(&window, 0);
    TSearchListClass* shown = SearchResults();
    if (!shown) {
      std::fprintf(stderr, "the window's search found nothing\n");
      return 1;
    }
    shown->repaint();
    inWindow.push_back(Ms(t));
    CloseSearchResults();
    QApplication::processEvents();

    t.restart();
    Table picked("Wb0", records::lc::x1::kLength);
    AssignmentPairs assigned;
    PhoneCollectAssignments(links, criteria.categories, picked, &assigned);
    PhoneOpen(phones);
    Table results("Wa0", ph::x1::kLength);
    PhoneSearch(phones, 0, criteria, assigned, results);
    alone.push_back(Ms(t));
    found = results.scratch;
    if (results.IsOpen()) DbCloseWorkTable(results);
    if (picked.IsOpen()) DbCloseWorkTable(picked);
    PhoneClose(phones);
  }
  SetNameDialogRunner(nullptr);
  std::printf(
      "search, category and city (%d found): window %.0f ms, data layer %.0f ms, ratio %.2f\n",
      int(found), Median(inWindow), Median(alone), Median(inWindow) / Median(alone));
  AssignmentClose(links);
  CategoryClose(cats);
  window.reject();
  return 0;
}
