#include "scheduler/sched_search.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <algorithm>
#include <cctype>
#include <climits>

#include "data/local_time.h"
#include "data/office/dpmain.h"
#include "data/schedule/sched_time_text.h"
#include "scheduler/sched_dialogs.h"
#include "storage/errors.h"
#include "toolkit/control_id.h"
#include "toolkit/controls/edit_control.h"
#include "toolkit/form_builder.h"
#include "toolkit/prompts.h"
#include "toolkit/record_text.h"

namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

int SchedSearch(SchedTable& handle, int32_t owner, const std::string& text,
                const std::function<bool()>& keepGoing, std::vector<SchedMatch>* matches) {
  std::string wanted = text;
  while (!wanted.empty() && wanted.back() == ' ') wanted.pop_back();
  wanted = Lower(wanted);
  SchedRecord probe;
  probe.SetOwner(owner);
  probe.SetStart(INT32_MIN);
  SchedKey key;
  int32_t number = -1;
  ClearAppError();
  if (!SchedFindKey(handle, SchedKeyOf(probe, 0), &number, &key)) {
    if (AppErrorCode() == kAppEndOfFile) {
      ClearAppError();
      return 1;
    }
    return 0;
  }
  while (key.Owner() == owner) {
    if (keepGoing && !keepGoing()) return 1;
    SchedRecord record;
    if (SchedRead(handle, key.RecordNumber(), &record)) {
      if (wanted.empty() || Lower(record.Description()).find(wanted) != std::string::npos ||
          Lower(record.Note()).find(wanted) != std::string::npos) {
        SchedMatch match;
        match.recordNumber = key.RecordNumber();
        match.day = DayOf(record.Start());
        match.row = DateText(record.Start()) + "\t" + ListTimeText(record.Start()) + "\t" +
                    record.Description();
        matches->push_back(match);
      }
    } else if (DbGetError() == kDbRecordDeleted) {
      DbClearError();
    } else {
      return 0;
    }
    ClearAppError();
    if (!SchedNext(handle, &key)) {
      if (AppErrorCode() == kAppEndOfFile) {
        ClearAppError();
        return 1;
      }
      return 0;
    }
  }
  return 1;
}

SchedSearchDialog::SchedSearchDialog(QWidget* owner, SchedTable& handle, int32_t scheduleOwner)
    : SchedSearchDialog(
          owner, "Search Schedule", {"Date", "Time", "Description"},
          [&handle, scheduleOwner](const std::string& text, const std::function<bool()>& keepGoing,
                                   std::vector<SchedMatch>* matches) {
            return SchedSearch(handle, scheduleOwner, text, keepGoing, matches);
          }) {}

SchedSearchDialog::SchedSearchDialog(QWidget* owner, const QString& title,
                                     const QStringList& headings, Finder finder)
    : TBaseDialog(owner, title), finder_(std::move(finder)) {
  setProperty("helpAnchor", "schedule-search");
  FormBuilder form(this);
  NameControl(form.Edit("Search for:", kIdText, 30), "Search for:");
  results_ = new QTreeWidget(this);
  results_->setColumnCount(int(headings.size()));
  results_->setHeaderLabels(headings);
  results_->setRootIsDecorated(false);
  results_->setAccessibleName("Matches");
  form.Row(QString(), results_, kIdResults);
  QPushButton* find = form.Button("&Find", kIdFind);
  find->setDefault(true);
  QPushButton* go = form.Button("&Go to", kIdGoTo);
  QPushButton* close = form.Button("Close", kIdCancel);
  connect(find, &QPushButton::clicked, this, [this] { Find(); });
  connect(go, &QPushButton::clicked, this, [this] { GoTo(); });
  connect(close, &QPushButton::clicked, this, [this] { reject(); });
  connect(results_, &QTreeWidget::itemDoubleClicked, this, [this] { GoTo(); });
  Bind<TEditControl>(kIdText, text_, sizeof text_);
  resize(520, 360);
}

void SchedSearchDialog::Find() {
  TransferOut();
  matches_.clear();
  results_->clear();
  const int ok = finder_(
      text_, [] { return Prompter().Searching(false) != 0; }, &matches_);
  Prompter().Searching(true);
  if (!ok) {
    ShowError();
    return;
  }
  for (const SchedMatch& m : matches_) {
    const QStringList parts = FromCp1252(m.row).split('\t');
    results_->addTopLevelItem(new QTreeWidgetItem(parts));
  }
  if (matches_.empty()) {
    Prompter().Inform("No matches found.");
  } else {
    results_->setCurrentItem(results_->topLevelItem(0));
  }
}

void SchedSearchDialog::GoTo() {
  const int row =
      results_->currentItem() ? results_->indexOfTopLevelItem(results_->currentItem()) : -1;
  if (row < 0 || size_t(row) >= matches_.size()) {
    Prompter().Inform("No entry selected.", "Go to");
    return;
  }
  chosenDay_ = matches_[size_t(row)].day;
  chosenRecord_ = matches_[size_t(row)].recordNumber;
  CloseWith(1);
}
