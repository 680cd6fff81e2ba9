#include "data/dpmess_email.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "data/datadir.h"
#include "data/dpmess_internal.h"
#include "storage/errors.h"
#include "storage/file.h"
#include "storage/records/message.h"

namespace msg = records::message;
using dpmess::FirstFailure;

namespace {

constexpr const char* kEmailFolder = "DPE/";
constexpr const char* kSendLogFolder = "SENDLOG/";

bool IsLowerHex(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

// Removes a file; one that is already gone counts as removed.
bool Remove(const std::string& path) {
  return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

int FailRemove(const std::string& path) {
  SetAppError(AppCodeForWriteFailure(ReasonFromErrno(errno)), path);
  return 0;
}

}  // namespace

std::string MsgEmailPath(int32_t messageNumber, bool sendLog) {
  return DataDirectory() + (sendLog ? kSendLogFolder : kEmailFolder) +
         std::to_string(messageNumber) + ".DPE";
}

bool MsgIsStoredAttachmentName(std::string_view name) {
  if (name.size() != 8) return false;
  for (char c : name)
    if (!IsLowerHex(c)) return false;
  return true;
}

bool MsgIsRawStem(std::string_view stem) {
  if (stem.empty() || stem.find("..") != std::string_view::npos) return false;
  for (char c : stem) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u < 32 || c == '/' || c == '\\' || c == ':') return false;
  }
  return true;
}

int MsgReadEmailBody(const std::string& path, std::string* body, size_t limit, bool* truncated) {
  body->clear();
  if (truncated) *truncated = false;
  File file;
  if (!file.Open(path, OpenMode::kReadOnly)) {
    SetAppError(AppCodeForOpenFailure(File::LastReason()), path);
    return 0;
  }
  int64_t size = file.Size();
  if (size < int64_t(msg_email::kHeaderSize)) {
    SetAppError(AppCodeForReadFailure(SystemReason::kOther), path);
    return 0;
  }
  uint64_t available = uint64_t(size) - msg_email::kHeaderSize;
  size_t wanted = available > limit ? limit : size_t(available);
  body->resize(wanted);
  long got = wanted == 0 ? 0 : file.ReadAt(int64_t(msg_email::kHeaderSize), body->data(), wanted);
  if (got < 0) {
    body->clear();
    SetAppError(AppCodeForReadFailure(File::LastReason()), path);
    return 0;
  }
  // A file cut short by another workstation meanwhile gives what is there.
  body->resize(size_t(got));
  if (truncated) *truncated = available > uint64_t(got);
  return 1;
}

int MsgDeleteEmailFiles(const std::string& path, const uint8_t* record) {
  const std::string folder = DataDirectory() + kEmailFolder;
  FirstFailure failure;
  File file;
  if (file.Open(path, OpenMode::kReadOnly)) {
    std::vector<uint8_t> header(msg_email::kHeaderSize, 0);
    long got = file.ReadAt(0, header.data(), header.size());
    file.Close();
    // A header cut short names no attachment past its end: the missing
    // bytes read as zero, which ends the table.
    if (got < 0) got = 0;
    for (int i = 0; i < msg_email::kMaxAttachments; ++i) {
      const uint8_t* entry =
          header.data() + msg_email::kAttachmentTable + i * msg_email::kAttachmentEntrySize;
      std::string stored = FieldText(entry, msg_email::kStoredName);
      if (stored.empty()) break;
      if (!MsgIsStoredAttachmentName(stored)) {
        SetAppError(kAppInvalidName, stored);
        failure.Note();
        continue;
      }
      if (!Remove(folder + stored + ".ATT")) {
        FailRemove(folder + stored + ".ATT");
        failure.Note();
      }
    }
  } else if (File::LastReason() != SystemReason::kNotFound) {
    SetAppError(AppCodeForOpenFailure(File::LastReason()), path);
    failure.Note();
  }
  std::string stem = FieldText(record, msg::kRawStem);
  if (!stem.empty()) {
    if (!MsgIsRawStem(stem)) {
      SetAppError(kAppInvalidName, stem);
      failure.Note();
    } else if (!Remove(folder + stem + ".RAW")) {
      FailRemove(folder + stem + ".RAW");
      failure.Note();
    }
  }
  if (!Remove(path)) {
    FailRemove(path);
    failure.Note();
  }
  return failure.Result();
}
