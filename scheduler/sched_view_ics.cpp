#include "scheduler/sched_view_ics.h"

#include <QBoxLayout>
#include <QFile>
#include <QMenuBar>

#include "data/office/dpmain.h"
#include "data/office/flags.h"
#include "data/schedule/sched_alarm.h"
#include "data/schedule/sched_ical.h"
#include "scheduler/sched_view.h"
#include "scheduler/scheduler.h"
#include "toolkit/desktop.h"
#include "toolkit/prompts.h"
#include "toolkit/record_text.h"

namespace {

constexpr char kFilter[] = "iCalendar files (*.ics);;All files (*)";

// "* COMMON" is no file name: the common schedule is "COMMON.ics".
QString SuggestedName(const ScheduleOwner& owner) {
  QString name = FromCp1252(owner.name);
  if (owner.number == kCommonScheduleOwner) name = "COMMON";
  return name + ".ics";
}

}  // namespace

void AddCalendarMenu(SchedView* view, QBoxLayout* layout) {
  auto* bar = new QMenuBar(view);
  QMenu* menu = bar->addMenu(kCalendarMenu);
  QObject::connect(menu->addAction(kCalendarExport), &QAction::triggered, view,
                   [view] { view->ExportCalendar(); });
  QObject::connect(menu->addAction(kCalendarImport), &QAction::triggered, view,
                   [view] { view->ImportCalendar(); });
  layout->setMenuBar(bar);
}

void SchedView::ExportCalendar() {
  const ScheduleOwner owner = scheduler_.Owner();
  const QString path = Desktop().SaveFileName("Export Schedule", SuggestedName(owner), kFilter);
  if (path.isEmpty()) return;
  int count = 0;
  ClearAppError();
  if (!SchedExportIcsFile(owner.number, owner.name, QFile::encodeName(path).toStdString(),
                          &count)) {
    ShowError();
    return;
  }
  Prompter().Flash(QString("%1 %2 exported.").arg(count).arg(count == 1 ? "entry" : "entries"));
}

void SchedView::ImportCalendar() {
  const ScheduleOwner owner = scheduler_.Owner();
  const QString path = Desktop().OpenFileName("Import Schedule", QString(), kFilter);
  if (path.isEmpty()) return;
  IcsImportResult result;
  ClearAppError();
  Prompter().Working(true, "Adding schedule items...");
  const int ok = SchedImportIcsFile(owner.number, QFile::encodeName(path).toStdString(), &result);
  Prompter().Working(false);
  if (!ok) ShowError();
  if (ok || result.added > 0) Prompter().Inform(QString::fromStdString(IcsImportSummary(result)));
  if (result.added > 0) {
    // The owner's workstation hears of the change as of any edit by
    // someone else; the user's own next alarm may be among the new ones.
    if (owner.number != CurrentUser().number && owner.number != kCommonScheduleOwner &&
        !SetFlag(kFlagScheduleChanged, true, owner.number))
      ShowError();
    SchedFindNextAlarm(&table_, CurrentUser().number, &CurrentAlarm());
  }
  Refresh(-1);
}
