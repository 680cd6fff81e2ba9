#include "data/messages/attachments.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "data/clock.h"
#include "data/messages/email_error.h"
#include "storage/errors.h"

namespace email = records::email;

namespace {

constexpr char kAttachmentExtension[] = "ATT";
constexpr int kUniqueNameTries = 10;
constexpr size_t kCopyBlock = 4096;

// Seeded from the clock at each use, raised past every name taken.
uint32_t nameCounter = 0;

Field EntryField(int index, Field f) {
  return Field{email::Attachment(index).offset + f.offset, f.width};
}

std::string EntryText(const EmailHeader& header, int index, Field f) {
  // A field without its NUL is read to width - 1, as it would be written.
  Field inner = EntryField(index, f);
  inner.width -= 1;
  return FieldText(header.bytes, inner);
}

int FailInvalidName(std::string_view name) {
  return FailEmailApp(kAppInvalidName, name, "Invalid attachment name: " + Printable(name) + ".");
}

// A stored file made and filled from source; removed again when the copy
// fails.
int StoreCopy(File& source, std::string* storedName, uint32_t* size) {
  File stored;
  if (!CreateUniqueFile(kAttachmentExtension, storedName, &stored)) return 0;
  std::string path = AttachmentFilePath(*storedName);
  bool copied = CopyFileContents(source, stored);
  int64_t length = copied ? stored.Size() : -1;
  if (length < 0) {
    if (copied) FailEmail("Error writing file.");
    stored.Close();
    ::unlink(path.c_str());
    return 0;
  }
  *size = length > int64_t(UINT32_MAX) ? UINT32_MAX : uint32_t(length);
  return 1;
}

bool Is83Char(unsigned char c) {
  return c > ' ' && c != 127 && !std::strchr("\"*+,./:;<=>?[\\]|", c);
}

std::string Short83Part(std::string_view text, size_t length) {
  std::string out;
  for (char c : text) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u == ' ' || u == '.') continue;
    out += Is83Char(u) ? char(std::toupper(u)) : '_';
    if (out.size() == length) break;
  }
  return out;
}

}  // namespace

int AttachmentCount(const EmailHeader& header) {
  int count = 0;
  while (count < kMaxAttachments &&
         header.bytes[EntryField(count, email::entry::kOwnName).offset] != 0)
    ++count;
  return count;
}

Attachment AttachmentAt(const EmailHeader& header, int index) {
  Attachment a;
  if (index < 0 || index >= kMaxAttachments) return a;
  a.ownName = EntryText(header, index, email::entry::kOwnName);
  // Read to the full width: a name that fills the field without its NUL
  // ("12345678.") must not pass for the 8 digits it begins with.
  a.storedName = FieldText(header.bytes, EntryField(index, email::entry::kStoredName));
  a.size = FieldU32(header.bytes, EntryField(index, email::entry::kSize));
  return a;
}

bool IsStoredAttachmentName(std::string_view name) {
  if (name.size() != size_t(email::kStoredNameLength)) return false;
  for (char c : name)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  return true;
}

std::string AttachmentFilePath(std::string_view storedName) {
  return EmailFolderPath() + std::string(storedName) + "." + kAttachmentExtension;
}

int CreateUniqueFile(std::string_view extension, std::string* storedName, File* file) {
  uint32_t now = uint32_t(ClockNow());
  if (nameCounter < now) nameCounter = now;
  for (int i = 0; i < kUniqueNameTries; ++i) {
    char name[email::kStoredNameLength + 1];
    std::snprintf(name, sizeof name, "%08x", unsigned(nameCounter));
    ++nameCounter;
    std::string path = EmailFolderPath() + name + "." + std::string(extension);
    // Created exclusively: a name is taken only by the workstation that
    // made its file.
    if (file->Open(path, OpenMode::kCreateNew)) {
      *storedName = name;
      return 1;
    }
  }
  SetAppError(AppCodeForOpenFailure(File::LastReason()), EmailFolderPath());
  return FailEmail("Could not create a unique file.");
}

std::string ShortFileName(std::string_view path) {
  size_t slash = path.find_last_of('/');
  std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  size_t dot = name.find_last_of('.');
  std::string_view stem = dot == std::string_view::npos ? name : name.substr(0, dot);
  std::string_view extension = dot == std::string_view::npos ? "" : name.substr(dot + 1);
  bool is83 = !stem.empty() && stem.size() <= 8 && extension.size() <= 3 &&
              (dot == std::string_view::npos || !extension.empty());
  for (char c : stem) is83 = is83 && Is83Char(static_cast<unsigned char>(c));
  for (char c : extension) is83 = is83 && Is83Char(static_cast<unsigned char>(c));
  if (is83) return std::string(name);
  if (stem.empty()) std::swap(stem, extension);  // ".profile"
  std::string shortStem = Short83Part(stem, 6);
  if (shortStem.empty()) shortStem = "_";
  std::string shortExtension = Short83Part(extension, 3);
  return shortStem + "~1" + (shortExtension.empty() ? "" : "." + shortExtension);
}

int AttachmentAdd(EmailHeader& header, const std::string& sourcePath, int* index) {
  int count = AttachmentCount(header);
  if (count >= kMaxAttachments) {
    char text[64];
    std::snprintf(text, sizeof text, "Maximum of %d attachments allowed.", kMaxAttachments);
    return FailEmail(text);
  }
  std::string ownName = ShortFileName(sourcePath);
  File source;
  if (ownName.empty() || !source.Open(sourcePath, OpenMode::kReadOnly))
    return FailEmail("Error opening file.");
  std::string storedName;
  uint32_t size = 0;
  if (!StoreCopy(source, &storedName, &size)) return 0;
  SetFieldText(header.bytes, EntryField(count, email::entry::kOwnName), ownName.c_str());
  SetFieldText(header.bytes, EntryField(count, email::entry::kStoredName), storedName.c_str());
  SetFieldU32(header.bytes, EntryField(count, email::entry::kSize), size);
  SetFieldByte(header.bytes, EntryField(count, email::entry::kZero), 0);
  if (index) *index = count;
  return 1;
}

int AttachmentAddBytes(EmailHeader& header, std::string_view name, std::string_view bytes,
                       int* index) {
  int count = AttachmentCount(header);
  if (count >= kMaxAttachments) {
    char text[64];
    std::snprintf(text, sizeof text, "Maximum of %d attachments allowed.", kMaxAttachments);
    return FailEmail(text);
  }
  // Only the last component of a name from elsewhere counts, whichever
  // separator it uses.
  size_t cut = name.find_last_of("/\\");
  std::string ownName = ShortFileName(cut == std::string_view::npos ? name : name.substr(cut + 1));
  std::string storedName;
  File stored;
  if (!CreateUniqueFile(kAttachmentExtension, &storedName, &stored)) return 0;
  size_t done = 0;
  while (done < bytes.size()) {
    long n = stored.WriteAt(int64_t(done), bytes.data() + done, bytes.size() - done);
    if (n <= 0) {
      stored.Close();
      ::unlink(AttachmentFilePath(storedName).c_str());
      return FailEmail("Error writing file.");
    }
    done += size_t(n);
  }
  const uint32_t size = bytes.size() > UINT32_MAX ? UINT32_MAX : uint32_t(bytes.size());
  SetFieldText(header.bytes, EntryField(count, email::entry::kOwnName), ownName.c_str());
  SetFieldText(header.bytes, EntryField(count, email::entry::kStoredName), storedName.c_str());
  SetFieldU32(header.bytes, EntryField(count, email::entry::kSize), size);
  SetFieldByte(header.bytes, EntryField(count, email::entry::kZero), 0);
  if (index) *index = count;
  return 1;
}

int AttachmentSave(std::string_view storedName, const std::string& targetPath) {
  if (!IsStoredAttachmentName(storedName)) return FailInvalidName(storedName);
  std::string path = AttachmentFilePath(storedName);
  File source;
  if (!source.Open(path, OpenMode::kReadOnly)) return FailEmail("Error opening file.");
  // Saving a stored file over itself would truncate it first.
  if (IsSameFile(path, targetPath)) return FailEmail("Error creating file.");
  File target;
  if (!target.Open(targetPath, OpenMode::kCreate)) return FailEmail("Error creating file.");
  if (!CopyFileContents(source, target)) {
    target.Close();
    ::unlink(targetPath.c_str());
    return 0;
  }
  return 1;
}

int AttachmentRemove(EmailHeader& header, int index) {
  int count = AttachmentCount(header);
  if (index < 0 || index >= count) return FailEmail("No entry selected.");
  std::string storedName = AttachmentAt(header, index).storedName;
  if (!IsStoredAttachmentName(storedName)) return FailInvalidName(storedName);
  std::string path = AttachmentFilePath(storedName);
  if (::unlink(path.c_str()) != 0 && errno != ENOENT)
    return FailEmailApp(AppCodeForWriteFailure(ReasonFromErrno(errno)), path);
  uint8_t* first = header.bytes + email::Attachment(index).offset;
  uint8_t* next = first + email::kEntrySize;
  uint8_t* end = header.bytes + email::kAttachments.End();
  std::memmove(first, next, size_t(end - next));
  std::memset(end - email::kEntrySize, 0, email::kEntrySize);
  return 1;
}

int AttachmentsDuplicate(EmailHeader& header) {
  EmailHeader copy = header;
  int count = AttachmentCount(header);
  int made = 0;
  auto undo = [&]() {
    std::string sentence = EmailError();
    for (int i = 0; i < made; ++i)
      ::unlink(AttachmentFilePath(AttachmentAt(copy, i).storedName).c_str());
    return FailEmail(sentence);
  };
  for (; made < count; ++made) {
    std::string storedName = AttachmentAt(header, made).storedName;
    if (!IsStoredAttachmentName(storedName)) {
      FailInvalidName(storedName);
      return undo();
    }
    File source;
    if (!source.Open(AttachmentFilePath(storedName), OpenMode::kReadOnly)) {
      FailEmail("Error opening file.");
      return undo();
    }
    std::string newName;
    uint32_t size = 0;
    if (!StoreCopy(source, &newName, &size)) return undo();
    SetFieldText(copy.bytes, EntryField(made, email::entry::kStoredName), newName.c_str());
  }
  header = copy;
  return 1;
}

int AttachmentsDeleteFiles(const EmailHeader& header) {
  EmailFirstFailure failure;
  // Entries are walked to the first empty stored name, so a file the table
  // still names is deleted even behind an entry without an own name.
  for (int i = 0; i < kMaxAttachments; ++i) {
    std::string storedName = AttachmentAt(header, i).storedName;
    if (storedName.empty()) break;
    if (!IsStoredAttachmentName(storedName)) {
      FailInvalidName(storedName);
      failure.Note();
      continue;
    }
    std::string path = AttachmentFilePath(storedName);
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
      FailEmailApp(AppCodeForWriteFailure(ReasonFromErrno(errno)), path);
      failure.Note();
    }
  }
  return failure.Result();
}

bool IsSameFile(const std::string& a, const std::string& b) {
  struct stat sa, sb;
  if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

int CopyFileContents(File& source, File& target) {
  char block[kCopyBlock];
  int64_t offset = 0;
  for (;;) {
    long n = source.ReadAt(offset, block, sizeof block);
    if (n < 0) return FailEmail("Error reading file.");
    if (n == 0) break;
    if (target.WriteAt(offset, block, size_t(n)) != n) return FailEmail("Error writing file.");
    offset += n;
  }
  if (!target.Truncate(offset) || !target.Flush()) return FailEmail("Error writing file.");
  return 1;
}
