// bench/phone_list: the phone list window over a large list. Opening it,
// the quick find of a late name and End are timed and their index reads
// counted, against the bare index walk that fills the same page in the same
// run; then a search with a category, as the window runs it through the
// data layer. A measuring program, not a test.
//
//   phone_list [entries]     (100000 when not given)
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "data/office/datadir.h"
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

std::string Name(int i) {
  char text[32];
  std::snprintf(text, sizeof text, "Entry %06d", i);
  return text;
}

double Ms(const QElapsedTimer& t) {
  return double(t.nsecsElapsed()) / 1e6;
}

// The bare walk: find the key, then step over a page of entries.
double BareWalk(const std::string& from, int rows) {
  PhoneTable h;
  PhoneOpen(h);
  QElapsedTimer t;
  t.start();
  PhoneEntry e;
  // Not an exact key (the Phone 1 is left out): the search stands on it.
  PhoneFind(h, 0, from, "", &e);
  int ok = 1;
  for (int i = 1; ok && i < rows; ++i) ok = PhoneNextInList(h, 0, &e);
  const double ms = Ms(t);
  PhoneClose(h);
  return ms;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
  QTemporaryDir dir;
  const std::string path = dir.path().toStdString() + "/";
  for (const TableDef* def : {&kPhoneTable, &kCatTable, &kLcTable, &kNoteTable, &kNameTable}) {
    Table t(*def);
    DbCreateTable(t, path, def->version);
  }
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

  list->ResetIndexReads();
  t.restart();
  list->FindText(Name(count - 10));
  const double findMs = Ms(t);
  const long findReads = list->IndexReads();
  const double bareFind = BareWalk(Name(count - 10), rows);

  list->ResetIndexReads();
  t.restart();
  list->HandleKey(Qt::Key_End, Qt::NoModifier);
  const double endMs = Ms(t);
  const long endReads = list->IndexReads();
  const double bareEnd = BareWalk(Name(count - rows), rows);

  std::printf("%-22s %10s %8s %10s %6s\n", "action", "window ms", "reads", "bare ms", "ratio");
  std::printf("%-22s %10.3f %8ld %10.3f %6.2f\n", "quick find, late name", findMs, findReads,
              bareFind, findMs / bareFind);
  std::printf("%-22s %10.3f %8ld %10.3f %6.2f\n", "End", endMs, endReads, bareEnd, endMs / bareEnd);

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
