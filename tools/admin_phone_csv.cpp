// dpadmin import-phone and export-phone: a phone list in and out as CSV
// with a header row of the entry dialog's labels.
//
// Import adds each data row as an entry of the list; a row that cannot be
// stored (too long a field, no Listname, a character the office code page
// lacks, an unreadable quote) is reported with its line number and the
// rest go on. An entry the list has already (same Listname and Phone 1,
// letter case aside) is reported and not stored twice.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "data/cp1252.h"
#include "data/phone/phone_csv.h"
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

// 1 to go on, 0 for an engine failure that ends the import.
int ImportRow(PhoneTable& phones, const std::string& file, const PhoneCsvHeader& header,
              const CsvRow& row, int32_t list, ImportCounts* counts) {
  auto refuse = [&](const std::string& reason) {
    std::fprintf(stderr, "%s:%d: %s\n", file.c_str(), row.line, reason.c_str());
    ++counts->refused;
  };
  if (!row.error.empty()) {
    refuse(row.error);
    return 1;
  }
  PhoneRecord record;
  std::string reason;
  if (!PhoneCsvRecord(header, row.fields, list, &record, &reason)) {
    refuse(reason);
    return 1;
  }
  bool duplicate = false;
  const int added = PhoneImportAdd(phones, record, &reason, &duplicate);
  if (added == 1) {
    ++counts->added;
    return 1;
  }
  refuse(reason);
  if (duplicate) ++counts->duplicates;
  return added == 0 ? 1 : 0;
}

int Import(PhoneTable& phones, const std::string& file, const std::string& text, int32_t list) {
  CsvReader reader(text);
  CsvRow row;
  bool haveHeader = false;
  while (!haveHeader && reader.Next(&row)) haveHeader = !CsvRowBlank(row) || !row.error.empty();
  if (!haveHeader) {
    Complain(file + ": no header row");
    return kExitError;
  }
  PhoneCsvHeader header;
  std::string reason;
  if (!row.error.empty()) reason = row.error;
  if (!reason.empty() || !PhoneCsvReadHeader(row.fields, &header, &reason)) {
    Complain(file + ":" + std::to_string(row.line) + ": " + reason);
    return kExitError;
  }
  for (const std::string& label : header.unknown)
    std::fprintf(stderr, "%s:%d: unknown column \"%s\" skipped\n", file.c_str(), row.line,
                 label.c_str());
  ImportCounts counts;
  while (reader.Next(&row)) {
    if (row.error.empty() && CsvRowBlank(row)) continue;
    if (!ImportRow(phones, file, header, row, list, &counts)) {
      Complain(file + ": import stopped");
      return kExitError;
    }
  }
  std::printf("%d added, %d refused (%d duplicates)\n", counts.added, counts.refused,
              counts.duplicates);
  return counts.refused > 0 ? kExitProblems : kExitOk;
}

int Export(PhoneTable& phones, const std::string& file, int32_t list) {
  std::string text;
  int count = 0;
  if (!PhoneExportText(phones, list, PhoneFileFormat::kCsv, &text, &count)) {
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
             " DIR LIST FILE.csv");
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
