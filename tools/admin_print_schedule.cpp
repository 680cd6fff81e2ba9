// dpadmin print DIR daily|weekly|monthly NAME DATE: a person's (or the
// common schedule's) day, weeks or month printed on the data directory's
// page templates into a PDF file, as the scheduler's Print puts them on
// paper: letter paper, half-inch margins. A day shows the preset hours of
// the workstation whose INI file --ini names (8 to 17 without one).
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "data/local_time.h"
#include "data/office/profile.h"
#include "printing/schedule_print.h"
#include "tools/admin.h"
#include "tools/admin_office.h"
#include "tools/admin_sched_text.h"

namespace {

constexpr char kUsage[] =
    "usage: dpadmin print DIR daily|weekly|monthly NAME DATE [--to DATE] [--ini FILE] --pdf FILE";

// A painter needs the windowing system's fonts: a program without a screen
// of its own uses the offscreen one.
std::unique_ptr<QGuiApplication> StartFonts() {
  if (QGuiApplication::instance() != nullptr) return nullptr;
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static int argc = 1;
  static char name[] = "dpadmin";
  static char* argv[] = {name, nullptr};
  return std::make_unique<QGuiApplication>(argc, argv);
}

}  // namespace

bool IsSchedulePrintKind(const std::string& kind) {
  return kind == "daily" || kind == "weekly" || kind == "monthly";
}

int AdminPrintSchedule(const std::vector<std::string>& args) {
  ParsedOptions options;
  if (!ParseOptions(args, {"--pdf", "--to", "--ini"}, {}, &options)) return kExitError;
  const std::vector<std::string>& p = options.positional;
  const std::string pdf = options.Value("--pdf");
  if (p.size() != 4 || !IsSchedulePrintKind(p[1]) || pdf.empty()) {
    Complain(kUsage);
    return kExitError;
  }
  const std::string& kind = p[1];
  int32_t day = 0, to = 0;
  if (!ParseAdminDate(p[3], &day)) return ComplainBadDate(p[3]);
  if (options.Given("--to")) {
    if (kind != "weekly") {
      Complain("--to is for weekly prints only");
      return kExitError;
    }
    if (!ParseAdminDate(options.Value("--to"), &to)) return ComplainBadDate(options.Value("--to"));
  }
  OfficeSession office;
  if (!office.Open(p[0])) return kExitError;
  ScheduleRequest request;
  if (int status = AdminOwner(p[2], true, &request.owner, &request.ownerName)) return status;
  request.dataDirectory = WithSlash(p[0]);
  request.day = day;
  request.today = Today();
  if (options.Given("--ini")) {
    const std::string ini = options.Value("--ini");
    if (!std::filesystem::exists(ini)) {
      Complain(ini + ": no such file");
      return kExitError;
    }
    request.presets = PresetHoursFromOptions(ProfileGetInt(ini, "DESKpost", "PresetStart", 8),
                                             ProfileGetInt(ini, "DESKpost", "PresetEnd", 17));
  }

  const auto fonts = StartFonts();
  PrintOutcome outcome;
  {
    QPdfWriter writer(QString::fromStdString(pdf));
    writer.setCreator("DESKpost");
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait,
                                     QMarginsF(0.5, 0.5, 0.5, 0.5), QPageLayout::Inch));
    QPainter painter;
    if (!painter.begin(&writer)) {
      Complain(pdf + ": cannot be written");
      return kExitError;
    }
    PrintTarget target;
    target.painter = &painter;
    target.page =
        QRectF(QPointF(0, 0), writer.pageLayout().paintRectPixels(writer.resolution()).size());
    target.newPage = [&writer] { return writer.newPage(); };
    if (kind == "daily") {
      outcome = PrintDailySchedule(target, request);
    } else if (kind == "weekly") {
      // The range starts at the date's Monday and runs to the Sunday after.
      const int32_t from = PrintWeekMonday(day);
      outcome = PrintWeeklySchedule(target, request, from, to ? to : AddDays(from, 6));
    } else {
      outcome = PrintMonthlySchedule(target, request);
    }
    painter.end();
  }
  for (const std::string& note : outcome.notes) Complain(note);
  if (!outcome.ok) {
    // Nothing is kept of a print that stopped.
    std::error_code ignored;
    std::filesystem::remove(pdf, ignored);
    Complain(outcome.message);
    return kExitProblems;
  }
  std::printf("%s: %d page%s\n", pdf.c_str(), outcome.pages, outcome.pages == 1 ? "" : "s");
  return kExitOk;
}
