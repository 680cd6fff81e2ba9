// bench/phone_list: the phone list window over a large list. The quick find
// of a late name and End are timed and their index reads counted, against
// the bare index walk that fills the same page: each case runs many times,
// window and bare walk taking turns so that whatever else the machine does
// weighs on both alike, and the median of each is reported side by side.
// Then a search with a category, as the window runs it through the data
// layer. A measuring program, not a test.
//
//   phone_list [entries [repeats]]     (100000 and 301 when not given)
#include <QApplication>
#include <QElapsedTimer>
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
#include "phonelist/phone_list_view.h"
#include "phonelist/phone_list_window.h"
#include "storage/catalogue.h"
#include "storage/records/phone.h"
#include "storage/worktable.h"

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

  TPhoneListClass window(nullptr);
  window.resize(640, 480);
  QElapsedTimer t;
  t.start();
  window.OpenModeless();
  QApplication::processEvents();
  TPhoneListView* list = window.List();
  const int rows = list->RowsPerPage();
  std::printf("rows per page: %d\n", rows);

  PhoneTable bare;
  PhoneOpen(bare);
  const Case cases[] = {
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

  PhoneCriteria criteria;
  criteria.city = "Boston";
  criteria.categories.Add(tenth.Number());
  t.restart();
  Table picked("Wb0", records::lc::x1::kLength);
  AssignmentPairs assigned;
  PhoneCollectAssignments(links, criteria.categories, picked, &assigned);
  PhoneOpen(phones);
  Table results("Wa0", ph::x1::kLength);
  PhoneSearch(phones, 0, criteria, assigned, results);
  std::printf("search, category and city: %d found in %.0f ms\n", int(results.scratch), Ms(t));
  if (results.IsOpen()) DbCloseWorkTable(results);
  if (picked.IsOpen()) DbCloseWorkTable(picked);
  PhoneClose(phones);
  AssignmentClose(links);
  CategoryClose(cats);
  window.reject();
  return 0;
}
