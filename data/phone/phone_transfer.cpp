#include "data/phone/phone_transfer.h"

#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "data/cp1252.h"
#include "data/phone/phone_csv.h"
#include "storage/errors.h"

namespace {

void ReadCsv(std::string_view text, int32_t list, PhoneImportPlan* plan) {
  CsvReader reader(text);
  CsvRow row;
  bool haveHeader = false;
  while (!haveHeader && reader.Next(&row)) haveHeader = !CsvRowBlank(row) || !row.error.empty();
  if (!haveHeader) {
    plan->notPhoneList = "the file is empty";
    return;
  }
  PhoneCsvHeader header;
  std::string reason = row.error;
  if (!reason.empty() || !PhoneCsvReadHeader(row.fields, &header, &reason)) {
    plan->notPhoneList = "line " + std::to_string(row.line) + ": " + reason;
    return;
  }
  for (const std::string& label : header.unknown)
    plan->skippedColumns.push_back({row.line, "unknown column \"" + label + "\" skipped"});
  while (reader.Next(&row)) {
    if (row.error.empty() && CsvRowBlank(row)) continue;
    PhoneImportPlan::Row entry;
    entry.line = row.line;
    reason = row.error;
    if (reason.empty() && PhoneCsvRecord(header, row.fields, list, &entry.record, &reason)) {
      plan->rows.push_back(entry);
    } else {
      plan->refused.push_back({row.line, reason});
    }
  }
}

void ReadVCards(std::string_view text, int32_t list, PhoneImportPlan* plan) {
  VCardReader reader(text);
  VCardCard card;
  while (reader.Next(&card)) {
    if (!card.error.empty()) {
      plan->refused.push_back({card.line, card.error});
      continue;
    }
    SetFieldI32(card.record.bytes, records::phone::kList, list);
    plan->rows.push_back({card.line, card.record, card.notes});
  }
  if (!reader.SawCard()) plan->notPhoneList = "no BEGIN:VCARD in the file";
}

}  // namespace

PhoneImportPlan PhoneImportRead(std::string_view text, int32_t list) {
  PhoneImportPlan plan;
  if (LooksLikeVCard(text))
    ReadVCards(text, list, &plan);
  else
    ReadCsv(text, list, &plan);
  return plan;
}

bool IsVCardFileName(std::string_view path) {
  const auto endsWith = [path](std::string_view ending) {
    if (path.size() < ending.size()) return false;
    const std::string_view tail = path.substr(path.size() - ending.size());
    for (size_t i = 0; i < ending.size(); ++i)
      if (std::tolower(static_cast<unsigned char>(tail[i])) != ending[i]) return false;
    return true;
  };
  return endsWith(".vcf") || endsWith(".vcard");
}

PhoneImportPlan PhoneImportReadFile(std::string_view path, std::string_view text, int32_t list) {
  PhoneImportPlan plan;
  if (IsVCardFileName(path) || LooksLikeVCard(text))
    ReadVCards(text, list, &plan);
  else
    ReadCsv(text, list, &plan);
  return plan;
}

int PhoneImportAdd(PhoneTable& phones, PhoneRecord& record, std::string* reason, bool* duplicate) {
  if (duplicate) *duplicate = false;
  if (PhoneAdd(phones, record)) return 1;
  const int code = AppErrorCode();
  if (code == kAppDuplicate) {
    if (duplicate) *duplicate = true;
    *reason = "duplicate: " + Cp1252ToUtf8(record.Listname()) + " with phone \"" +
              Cp1252ToUtf8(record.Phone1()) + "\" is in the list already";
  } else if (code == kAppInvalidName) {
    *reason = "Listname cannot be stored";
  } else {
    *reason = Cp1252ToUtf8(FormatAppError());
  }
  ClearAppError();
  DbClearError();
  return code == kAppDuplicate || code == kAppInvalidName ? 0 : -1;
}

int PhoneExportText(PhoneTable& phones, int32_t list, PhoneFileFormat format, std::string* text,
                    int* count, const std::function<bool(int done)>& progress) {
  *count = 0;
  *text = format == PhoneFileFormat::kCsv ? PhoneCsvHeaderLine() : std::string();
  PhoneEntry e;
  int ok = PhoneFirstOfList(phones, list, &e);
  for (; ok; ok = PhoneNextInList(phones, list, &e)) {
    PhoneRecord record;
    if (!PhoneRead(phones, e.RecordNumber(), &record)) {
      // Deleted by a workstation since the step to its entry.
      if (DbGetError() == kDbRecordDeleted) {
        ClearAppError();
        DbClearError();
        continue;
      }
      return 0;
    }
    if (format == PhoneFileFormat::kCsv)
      *text += PhoneCsvEntryLine(record);
    else
      *text += PhoneVCard(
          record, format == PhoneFileFormat::kVCard40 ? VCardVersion::k40 : VCardVersion::k30);
    ++*count;
    if (progress && !progress(*count)) return 0;
  }
  if (AppErrorCode() != kAppEndOfFile) return 0;
  ClearAppError();
  DbClearError();
  return 1;
}

bool WriteFileWhole(const std::string& path, std::string_view text, std::string* reason) {
  const std::string scratch = path + ".tmp";
  const int fd = ::open(scratch.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    *reason = std::strerror(errno);
    return false;
  }
  size_t written = 0;
  int error = 0;
  while (written < text.size()) {
    const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
    if (n < 0) {
      if (errno == EINTR) continue;
      error = errno;
      break;
    }
    written += size_t(n);
  }
  if (!error && ::fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && !error) error = errno;
  if (!error && std::rename(scratch.c_str(), path.c_str()) != 0) error = errno;
  if (error) {
    std::remove(scratch.c_str());
    *reason = std::strerror(error);
    return false;
  }
  return true;
}

bool ReadFileWhole(const std::string& path, std::string* text, std::string* reason) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *reason = std::strerror(errno);
    return false;
  }
  std::ostringstream all;
  all << in.rdbuf();
  if (in.bad()) {
    *reason = "cannot be read";
    return false;
  }
  *text = all.str();
  return true;
}
