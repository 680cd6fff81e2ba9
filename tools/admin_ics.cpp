// dpadmin export-ics and import-ics: a person's schedule, or the office's
// ("* COMMON"), as an iCalendar file and back, through the same conversion
// as the scheduler window's Export and Import.
#include <cstdio>
#include <string>
#include <vector>

#include "data/office/flags.h"
#include "data/schedule/sched_ical.h"
#include "storage/errors.h"
#include "tools/admin.h"
#include "tools/admin_office.h"
#include "tools/admin_sched_text.h"

namespace {

constexpr char kExportUsage[] = "usage: dpadmin export-ics DIR NAME FILE.ics";
constexpr char kImportUsage[] = "usage: dpadmin import-ics DIR NAME FILE.ics";

// The office opened and NAME's owner number; an exit status other than 0
// after saying why.
int OpenOwner(const std::vector<std::string>& args, OfficeSession& office, int32_t* owner,
              std::string* name) {
  if (!office.Open(args[0])) return kExitError;
  return AdminOwner(args[1], true, owner, name);
}

}  // namespace

int RunExportIcs(const std::vector<std::string>& args) {
  if (args.size() != 3) {
    Complain(kExportUsage);
    return kExitError;
  }
  OfficeSession office;
  int32_t owner = 0;
  std::string name;
  if (int status = OpenOwner(args, office, &owner, &name)) return status;
  int count = 0;
  if (!SchedExportIcsFile(owner, name, args[2], &count)) {
    ComplainAppError("export-ics");
    return kExitError;
  }
  std::printf("%d event%s written.\n", count, count == 1 ? "" : "s");
  return kExitOk;
}

int RunImportIcs(const std::vector<std::string>& args) {
  if (args.size() != 3) {
    Complain(kImportUsage);
    return kExitError;
  }
  OfficeSession office;
  int32_t owner = 0;
  std::string name;
  if (int status = OpenOwner(args, office, &owner, &name)) return status;
  IcsImportResult result;
  const int ok = SchedImportIcsFile(owner, args[2], &result);
  std::fputs(IcsImportSummary(result).c_str(), stdout);
  if (!ok) {
    ComplainAppError("import-ics");
    return kExitError;
  }
  // The owner's workstation learns of the change as from a colleague's edit.
  if (result.added > 0 && owner != kCommonScheduleOwner &&
      !SetFlag(kFlagScheduleChanged, true, owner)) {
    ComplainAppError("the entries are stored, but the flag file could not be written");
    return kExitError;
  }
  return result.refused.empty() ? kExitOk : kExitProblems;
}
