// bench/message_list: the New list of 30,000 messages in the message list
// window, offscreen, against the bare query of the same rows; the work
// table rows read while paging to the end and back; sorting the rows by
// From. Not a test: it measures.
//
//   message_list [--rows N] [--repeat N]
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench/median.h"
#include "data/clock.h"
#include "data/local_time.h"
#include "data/messages/dpmess.h"
#include "data/messages/message_user.h"
#include "data/office/datadir.h"
#include "data/office/dpmain.h"
#include "data/office/dpname.h"
#include "data/office/empty_office.h"
#include "messaging/message_list.h"
#include "storage/catalogue.h"
#include "storage/records/field.h"
#include "storage/records/message.h"
#include "storage/worktable.h"
#include "toolkit/live_windows.h"
#include "toolkit/scripted_prompts.h"

namespace msg = records::message;

namespace {

using bench::Median;

int32_t g_now = 0;

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// The office: BOB's New folder holds `rows` messages from a few senders.
bool MakeOffice(const std::string& dir, int rows) {
  if (!CreateEmptyOffice(dir)) return false;
  SetDataDirectory(dir);
  DbSetErrorReporter(TranslateEngineError);
  NameTable names;
  int32_t anne = 0, bob = 0;
  if (!NameOpen(names)) return false;
  NameEntry e;
  if (NameAdd(names, "ANNE") && NameFind(names, "ANNE", &e)) anne = e.Number();
  if (NameAdd(names, "BOB") && NameFind(names, "BOB", &e)) bob = e.Number();
  NameClose(names);
  SetMessageUser({"ANNE", anne, false});
  const char* callers[] = {"Mary O'Brien", "tom baker", "Jim Hendricks", "Carol Evans",
                           "ANNE",         "zoe quinn", "Bill Adams",    "Harriet Lane"};
  MessageTable h;
  if (!MsgOpen(h)) return false;
  for (int i = 0; i < rows; ++i) {
    g_now += 37;
    MessageRecord r;
    SetFieldByte(r.bytes, msg::kKind, i % 3 ? msg::kKindPhone : msg::kKindMemo);
    SetFieldText(r.bytes, msg::kTo, "BOB");
    SetFieldText(r.bytes, msg::kFrom, callers[(i * 7) % 8]);
    SetFieldText(r.bytes, msg::kPhoneText, "Please call back about the invoice.");
    SetFieldI32(r.bytes, msg::kTime, g_now);
    SetFieldI32(r.bytes, msg::kFolder, msg::kFolderNew);
    if (!MsgStore(h, r, bob)) return false;
  }
  MsgClose(h);
  SetMessageUser(MessageUser());
  SetDataDirectory("");
  return true;
}

void Paint(QWidget* w) {
  w->repaint();
  QApplication::processEvents();
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  // No box may wait for an answer here; what was said is printed.
  ScriptedPrompts prompts;
  int rows = 30000, repeat = 5;
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "--rows") == 0) rows = std::atoi(argv[i + 1]);
    if (std::strcmp(argv[i], "--repeat") == 0) repeat = std::atoi(argv[i + 1]);
  }
  QTemporaryDir tmp;
  const std::string dir = tmp.path().toStdString() + "/";
  g_now = FromLocal(2027, 3, 1, 8, 0);
  SetClock([] { return g_now; });
  auto made = std::chrono::steady_clock::now();
  if (!MakeOffice(dir, rows)) {
    std::fprintf(stderr, "could not make the office\n");
    return 1;
  }
  std::printf("office: %d messages in BOB's New folder (%.1f s to store)\n", rows, Seconds(made));
  if (!StartUser(dir, "BOB")) {
    std::fprintf(stderr, "could not start BOB\n");
    return 1;
  }

  ListRequest request;
  request.owner = CurrentUser().number;
  request.person = "BOB";
  request.ownerName = "BOB";

  // 1. The bare query, and the window until its first page is painted.
  std::vector<double> query, window;
  for (int i = 0; i < repeat; ++i) {
    MessageTable h;
    MsgOpen(h);
    auto t = std::chrono::steady_clock::now();
    MsgQuery(h, CriteriaOf(request), MessageWorkTable());
    query.push_back(Seconds(t));
    MsgClose(h);

    t = std::chrono::steady_clock::now();
    {
      TMessageListClass list(nullptr, request);
      if (!list.Start()) {
        std::fprintf(stderr, "the list did not open\n");
        return 1;
      }
      list.OpenModeless();
      Paint(&list);
      window.push_back(Seconds(t));
      list.CloseWith(0);
    }
  }
  const double q = Median(query), w = Median(window);
  std::printf("open New list: query %.1f ms, window to first page %.1f ms, ratio %.2f\n", q * 1000,
              w * 1000, w / q);

  // 2. Paging to the end and back: work table rows read against rows shown.
  auto owned = std::make_unique<TMessageListClass>(nullptr, request);
  TMessageListClass& list = *owned;
  list.Start();
  list.OpenModeless();
  list.resize(700, 500);
  Paint(&list);
  QTableView* view = list.List();
  const int perPage = view->viewport()->height() / view->verticalHeader()->defaultSectionSize();
  list.ResetCellReads();
  long pages = 0;
  QScrollBar* bar = view->verticalScrollBar();
  while (bar->value() < bar->maximum()) {
    QKeyEvent key(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
    QApplication::sendEvent(view, &key);
    Paint(view->viewport());
    ++pages;
  }
  while (bar->value() > bar->minimum()) {
    QKeyEvent key(QEvent::KeyPress, Qt::Key_PageUp, Qt::NoModifier);
    QApplication::sendEvent(view, &key);
    Paint(view->viewport());
    ++pages;
  }
  const long reads = list.CellReads();
  const long shown = (pages + 1) * perPage;
  std::printf(
      "paging: %ld pages of %d rows, %ld work-table row reads for %ld rows shown "
      "(%.1f reads per row shown, %zu columns)\n",
      pages, perPage, reads, shown, double(reads) / double(shown), list.Columns().size());

  // 3. Sorting by From.
  std::vector<double> sorts;
  for (int i = 0; i < repeat; ++i) {
    auto t = std::chrono::steady_clock::now();
    list.Sort(1);
    sorts.push_back(Seconds(t));
  }
  std::printf("sort %d rows by From: %.1f ms\n", list.RowCount(), Median(sorts) * 1000);
  std::printf("RATIO open %.2f\nCOUNT reads-per-row %.1f\n", w / q, double(reads) / double(shown));
  list.CloseWith(0);
  for (const auto& q : prompts.Questions())
    std::printf("said: %s\n", q.text.toLocal8Bit().constData());
  // The list closes its tables before the user stops.
  owned.reset();
  StopUser();
  CloseDataDirectory();
  return 0;
}
