// The attachments of an e-mail: the table in its header and the stored
// files "<stored name>.ATT" in the data directory's DPE folder.
//
// A stored name is 8 lower-case hexadecimal digits from a process-wide
// counter that starts at the clock, so two workstations rarely try the same
// names; a name is only taken by creating its file exclusively, so two
// workstations that do try the same one never share a file.
//
// Every function answers 1 or 0; on 0 EmailError() holds the sentence to
// show (data/email_error.h).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "data/messages/email_file.h"
#include "storage/file.h"

constexpr int kMaxAttachments = records::email::kMaxAttachments;  // 40

struct Attachment {
  std::string ownName;     // 8.3 name shown to the user, at most 12 bytes
  std::string storedName;  // as found in the header, up to 9 bytes when its NUL is missing
  uint32_t size = 0;
};

// The entries in table order, up to the first empty own name (at most 40).
int AttachmentCount(const EmailHeader& header);
Attachment AttachmentAt(const EmailHeader& header, int index);

// Whether a stored name is exactly what this system writes: 8 lower-case
// hexadecimal digits.
bool IsStoredAttachmentName(std::string_view name);
// "<data directory>DPE/<name>.ATT"; only for names IsStoredAttachmentName
// accepts.
std::string AttachmentFilePath(std::string_view storedName);

// Creates a new, empty file "<DPE>/<8 hex digits>.<extension>" that no
// other process has, and hands it over open. After 10 names already taken:
// "Could not create a unique file.".
int CreateUniqueFile(std::string_view extension, std::string* storedName, File* file);

// The short form of a file's own name as the table keeps it: the last
// component of the path, kept when it is an 8.3 name already, otherwise
// cut to a 6-character stem with "~1" and a 3-character extension.
std::string ShortFileName(std::string_view path);

// Copies the file at sourcePath into a new stored file and enters it in the
// first free entry; *index gets the entry's index. At 40 entries:
// "Maximum of 40 attachments allowed.".
int AttachmentAdd(EmailHeader& header, const std::string& sourcePath, int* index = nullptr);
// Stores the bytes as a new attachment (mail that came from elsewhere): the
// own name is the short form of the name's last component, "/" and "\\"
// both counting as separators, so no name from outside reaches a path. At
// 40 entries: "Maximum of 40 attachments allowed.".
int AttachmentAddBytes(EmailHeader& header, std::string_view name, std::string_view bytes,
                       int* index = nullptr);
// Copies a stored file out to targetPath.
int AttachmentSave(std::string_view storedName, const std::string& targetPath);
// Deletes entry index's stored file and removes the entry (later entries
// move up by one and the last is cleared).
int AttachmentRemove(EmailHeader& header, int index);
// Gives every entry a fresh stored name holding a copy of its file. When
// one fails, the copies already made are deleted and the header is left as
// it was.
int AttachmentsDuplicate(EmailHeader& header);
// Deletes the stored file of every entry; entries whose stored name is not
// of this system's form are refused and left alone (1021), the rest are
// still deleted.
int AttachmentsDeleteFiles(const EmailHeader& header);

// Whether two paths name one existing file, so that copying one onto the
// other would truncate the source before reading it.
bool IsSameFile(const std::string& a, const std::string& b);

// Copies one open file to another in 4096-byte blocks ("Error reading
// file.", "Error writing file.").
int CopyFileContents(File& source, File& target);
