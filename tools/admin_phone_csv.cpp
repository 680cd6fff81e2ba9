// dpadmin import-phone and export-phone: a phone list in and out as CSV
// with a header row of the entry dialog's labels, or as vCard files.
//
// Import adds each data row or card as an entry of the list; one that
// cannot be stored (too long a field, no Listname, a character the office
// code page lacks, an unreadable quote or card) is reported with its line
// number and the rest go on. An entry the list has already (same Listname and Phone 1,
// letter case aside) is reported and not stored twice.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "data/cp1252.h"
#include "data/phone/phone_transfer.h"
#include "storage/errors.h"
#include "tools/admin.h"
#include "tools/admin_office.h"
#include "tools/admin_phone.h"

namespace {

bool ReadFile(const std::string& path, std::string* text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    Complain(path + ": cannot open: " + std::strerror(errno));
    return false;
  }
  std::ostringstream all;
  all << in.rdbuf();
  if (in.bad()) {
    Complain(path + ": cannot read");
    return false;
  }
  *text = all.str();
  return true;
}

struct ImportCounts {
  int added = 0;
  int refused = 0;
  int duplicates = 0;
};

// The file is read whole first, as the phone list window reads it (CSV, or
// vCards by content or by a ".vcf"/".vcard" name): a file that is no phone
// list adds nothing. Every line that is left out or refused is reported
// as "FILE:LINE: reason" on standard error.
int Import(PhoneTable& phones, const std::string& file, const std::string& text, int32_t list) {
  PhoneImportPlan plan = PhoneImportReadFile(file, text, list);
  if (!plan.notPhoneList.empty()) {
    Complain(file + ": not a phone list: " + plan.notPhoneList);
    return kExitError;
  }
  const auto say = [&file](int line, const std::string& text) {
    std::fprintf(stderr, "%s:%d: %s\n", file.c_str(), line, text.c_str());
  };
  for (const PhoneImportLine& l : plan.skippedColumns) say(l.line, l.text);
  // Refusals while reading and while adding come out in line order.
  ImportCounts counts;
  counts.refused = int(plan.refused.size());
  size_t nextRefused = 0;
  const auto refusedBefore = [&](int line) {
    for (; nextRefused < plan.refused.size() && plan.refused[nextRefused].line < line;
         ++nextRefused)
      say(plan.refused[nextRefused].line, plan.refused[nextRefused].text);
  };
  for (PhoneImportPlan::Row& row : plan.rows) {
    refusedBefore(row.line);
    std::string reason;
    bool duplicate = false;
    const int added = PhoneImportAdd(phones, row.record, &reason, &duplicate);
    if (added < 0) {
      say(row.line, reason);
      Complain(file + ": import stopped");
      return kExitError;
    }
    if (added == 1) {
      ++counts.added;
      for (const std::string& note : row.notes)
        say(row.line, Cp1252ToUtf8(row.record.Listname()) + ": " + note);
      continue;
    }
    say(row.line, reason);
    ++counts.refused;
    if (duplicate) ++counts.duplicates;
  }
  refusedBefore(INT_MAX);
  std::printf("%d added, %d refused (%d duplicates)\n", counts.added, counts.refused,
              counts.duplicates);
  return counts.refused > 0 ? kExitProblems : kExitOk;
}

int Export(PhoneTable& phones, const std::string& file, int32_t list) {
  std::string text;
  int count = 0;
  // vCard 3.0, the version address books read most widely, for a card file.
  const PhoneFileFormat format =
      IsVCardFileName(file) ? PhoneFileFormat::kVCard30 : PhoneFileFormat::kCsv;
  if (!PhoneExportText(phones, list, format, &text, &count)) {
    ComplainAppError("PHONE");
    return kExitError;
  }
  // Written whole beside the name and renamed, so a failed export never
  // leaves half a file where a good one was.
  std::string reason;
  if (!WriteFileWhole(file, text, &reason)) {
    Complain(file + ": cannot write: " + reason);
    return kExitError;
  }
  std::printf("%d exported\n", count);
  return kExitOk;
}

int RunPhoneCsv(const std::vector<std::string>& args, bool import) {
  const char* command = import ? "import-phone" : "export-phone";
  if (args.size() != 3) {
    Complain(std::string(command) + " needs a directory, a list and a file: dpadmin " + command +
             " DIR LIST FILE.csv|FILE.vcf");
    return kExitError;
  }
  std::string text;
  if (import && !ReadFile(args[2], &text)) return kExitError;
  OfficeSession session;
  if (!session.Open(args[0])) return kExitError;
  int status = kExitError;
  PhoneList list;
  PhoneTable phones;
  if (RequirePhoneList(args[1], &list)) {
    if (!PhoneOpen(phones)) {
      ComplainAppError("PHONE");
    } else {
      status = import ? Import(phones, args[2], text, list.number)
                      : Export(phones, args[2], list.number);
      PhoneClose(phones);
    }
  }
  return status;
}

}  // namespace

int RunImportPhone(const std::vector<std::string>& args) {
  return RunPhoneCsv(args, true);
}

int RunExportPhone(const std::vector<std::string>& args) {
  return RunPhoneCsv(args, false);
}
