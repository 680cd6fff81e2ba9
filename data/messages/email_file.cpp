#include "data/messages/email_file.h"

#include <unistd.h>

#include <cerrno>
#include <new>

#include "data/messages/attachments.h"
#include "data/messages/email_error.h"
#include "data/office/datadir.h"
#include "storage/errors.h"
#include "storage/file.h"

namespace email = records::email;

namespace {

constexpr char kEmailFolder[] = "DPE/";
constexpr char kSendLogFolder[] = "SENDLOG/";
constexpr size_t kMaxRawStem = 160;

constexpr char kErrorReadingDpe[] = "Error reading DPE file.";
constexpr char kErrorCreatingEmail[] = "Error creating email file.";
constexpr char kErrorWritingEmail[] = "Error writing email file.";

int FailOpen(const std::string& path, std::string_view sentence = {}) {
  return FailEmailApp(AppCodeForOpenFailure(File::LastReason()), path, sentence);
}
int FailRead(const std::string& path, std::string_view sentence = {}) {
  return FailEmailApp(AppCodeForReadFailure(File::LastReason()), path, sentence);
}
int FailWrite(const std::string& path, std::string_view sentence = {}) {
  return FailEmailApp(AppCodeForWriteFailure(File::LastReason()), path, sentence);
}

// Deletes a file; one that is not there counts as deleted.
int RemoveFile(const std::string& path) {
  if (::unlink(path.c_str()) == 0 || errno == ENOENT) return 1;
  return FailEmailApp(AppCodeForWriteFailure(ReasonFromErrno(errno)), path);
}

int ReadHeader(File& file, const std::string& path, EmailHeader* header) {
  long n = file.ReadAt(0, header->bytes, sizeof header->bytes);
  if (n != long(sizeof header->bytes)) {
    if (n >= 0) SetAppError(kAppReadError, path);  // too short to hold a header
    return n < 0 ? FailRead(path, kErrorReadingDpe) : FailEmail(kErrorReadingDpe);
  }
  return 1;
}

int ReadBody(File& file, const std::string& path, std::string* body, size_t limit,
             bool* truncated) {
  int64_t size = file.Size();
  if (size < email::kHeaderSize) return FailRead(path, kErrorReadingDpe);
  uint64_t length = uint64_t(size - email::kHeaderSize);
  size_t wanted = length < limit ? size_t(length) : limit;
  try {
    body->assign(wanted, '\0');
  } catch (const std::bad_alloc&) {
    return FailEmailApp(kAppNoMemory, path, "Not enough memory.");
  }
  long n = wanted ? file.ReadAt(email::kHeaderSize, body->data(), wanted) : 0;
  if (n < 0) return FailRead(path, kErrorReadingDpe);
  // Another workstation may have cut the file since its size was taken.
  body->resize(size_t(n));
  if (truncated) *truncated = length > limit;
  return 1;
}

int WriteWhole(File& file, const EmailHeader& header, std::string_view body) {
  if (file.WriteAt(0, header.bytes, sizeof header.bytes) != long(sizeof header.bytes)) return 0;
  if (!body.empty() &&
      file.WriteAt(email::kHeaderSize, body.data(), body.size()) != long(body.size()))
    return 0;
  return file.Flush() ? 1 : 0;
}

}  // namespace

std::string EmailHeader::To() const {
  return FieldText(bytes, Field{email::kTo.offset, email::kTo.width - 1});
}
std::string EmailHeader::From() const {
  return FieldText(bytes, Field{email::kFrom.offset, email::kFrom.width - 1});
}
std::string EmailHeader::Subject() const {
  return FieldText(bytes, Field{email::kSubject.offset, email::kSubject.width - 1});
}
std::string EmailHeader::Cc() const {
  return FieldText(bytes, Field{email::kCc.offset, email::kCc.width - 1});
}
void EmailHeader::SetTo(std::string_view text) {
  SetFieldText(bytes, email::kTo, std::string(text).c_str());
}
void EmailHeader::SetFrom(std::string_view text) {
  SetFieldText(bytes, email::kFrom, std::string(text).c_str());
}
void EmailHeader::SetSubject(std::string_view text) {
  SetFieldText(bytes, email::kSubject, std::string(text).c_str());
}
void EmailHeader::SetCc(std::string_view text) {
  SetFieldText(bytes, email::kCc, std::string(text).c_str());
}

std::string EmailFilePath(int32_t number, bool sendLog) {
  return DataDirectory() + (sendLog ? kSendLogFolder : kEmailFolder) + std::to_string(number) +
         ".DPE";
}

bool IsRawStem(std::string_view stem) {
  if (stem.empty() || stem.size() > kMaxRawStem) return false;
  if (stem.find("..") != std::string_view::npos) return false;
  for (char c : stem) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u < ' ' || u == 127) return false;
    if (std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos) return false;
  }
  return true;
}

std::string EmailFolderPath() {
  return DataDirectory() + kEmailFolder;
}

std::string RawFilePath(std::string_view stem) {
  return EmailFolderPath() + std::string(stem) + ".RAW";
}

int EmailWrite(const EmailHeader& header, std::string_view body, int32_t number) {
  return EmailWriteFile(EmailFilePath(number), header, body);
}

int EmailWriteFile(const std::string& path, const EmailHeader& header, std::string_view body) {
  File file;
  if (!file.Open(path, OpenMode::kCreate)) return FailOpen(path);
  if (!WriteWhole(file, header, body)) {
    FailWrite(path);
    file.Close();
    ::unlink(path.c_str());
    return 0;
  }
  return 1;
}

int EmailRewrite(const EmailHeader& header, std::string_view body, int32_t number) {
  std::string path = EmailFilePath(number);
  {
    File existing;
    if (!existing.Open(path, OpenMode::kShared)) return FailOpen(path);
  }
  std::string tempName;
  File temp;
  if (!CreateUniqueFile("TMP", &tempName, &temp)) return 0;
  std::string tempPath = EmailFolderPath() + tempName + ".TMP";
  if (!WriteWhole(temp, header, body)) {
    FailWrite(path);
    temp.Close();
    ::unlink(tempPath.c_str());
    return 0;
  }
  temp.Close();
  if (::rename(tempPath.c_str(), path.c_str()) != 0) {
    FailEmailApp(AppCodeForWriteFailure(ReasonFromErrno(errno)), path);
    ::unlink(tempPath.c_str());
    return 0;
  }
  return 1;
}

int EmailRewriteHeader(const EmailHeader& header, int32_t number, bool sendLog) {
  std::string path = EmailFilePath(number, sendLog);
  File file;
  if (!file.Open(path, OpenMode::kShared)) return FailOpen(path);
  if (file.WriteAt(0, header.bytes, sizeof header.bytes) != long(sizeof header.bytes) ||
      !file.Flush())
    return FailWrite(path);
  return 1;
}

int EmailRead(const std::string& path, EmailHeader* header, std::string* body, size_t limit,
              bool* truncated) {
  File file;
  if (!file.Open(path, OpenMode::kReadOnly)) return FailOpen(path, kErrorReadingDpe);
  EmailHeader scratch;
  if (!ReadHeader(file, path, header ? header : &scratch)) return 0;
  if (truncated) *truncated = false;
  if (body && !ReadBody(file, path, body, limit, truncated)) return 0;
  return 1;
}

int EmailReadBody(const std::string& path, std::string* body, size_t limit, bool* truncated) {
  return EmailRead(path, nullptr, body, limit, truncated);
}

int EmailDeleteFiles(std::span<const uint8_t, records::message::kRecordSize> record,
                     const std::string& path) {
  return EmailDeleteFiles(path, FieldText(record.data(), records::message::kRawStem));
}

int EmailDeleteFiles(const std::string& path, std::string_view rawStem) {
  EmailFirstFailure failure;
  File file;
  bool present = file.Open(path, OpenMode::kReadOnly);
  if (!present && File::LastReason() != SystemReason::kNotFound) {
    FailOpen(path, kErrorReadingDpe);
    failure.Note();
  }
  if (present) {
    EmailHeader header;
    // A header that cannot be read names no attachments to delete; the file
    // itself still goes, since its message is gone.
    if (!ReadHeader(file, path, &header) || !AttachmentsDeleteFiles(header)) failure.Note();
    file.Close();
  }
  if (!rawStem.empty()) {
    if (!IsRawStem(rawStem)) {
      FailEmailApp(kAppInvalidName, rawStem, "Invalid raw file name: " + Printable(rawStem) + ".");
      failure.Note();
    } else if (!RemoveFile(RawFilePath(rawStem))) {
      failure.Note();
    }
  }
  if (present && !RemoveFile(path)) failure.Note();
  return failure.Result();
}

int EmailCopyFile(const std::string& source, const std::string& target,
                  const std::function<void(EmailHeader&)>& edit) {
  File in;
  if (!in.Open(source, OpenMode::kReadOnly)) return FailOpen(source, kErrorReadingDpe);
  EmailHeader header;
  if (!ReadHeader(in, source, &header)) return 0;
  if (IsSameFile(source, target)) return FailEmailApp(kAppWriteError, target, kErrorCreatingEmail);
  if (!AttachmentsDuplicate(header)) return 0;
  const EmailHeader duplicates = header;
  if (edit) edit(header);

  auto undo = [&](File* out) {
    if (out) {
      out->Close();
      ::unlink(target.c_str());
    }
    // Keep the failure's message over anything the clean-up reports.
    std::string sentence = EmailError();
    const AppError kept = CurrentAppError();
    AttachmentsDeleteFiles(duplicates);
    RestoreAppError(kept);
    return FailEmail(sentence);
  };
  File out;
  if (!out.Open(target, OpenMode::kCreate)) {
    FailOpen(target, kErrorCreatingEmail);
    return undo(nullptr);
  }
  if (!CopyFileContents(in, out)) return undo(&out);
  if (out.WriteAt(0, header.bytes, sizeof header.bytes) != long(sizeof header.bytes) ||
      !out.Flush()) {
    FailWrite(target, kErrorWritingEmail);
    return undo(&out);
  }
  return 1;
}
