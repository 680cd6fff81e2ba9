// The files an e-mail message keeps beside the message tables, as far as
// the message module needs them: where a message's e-mail file lies, its
// body for a text search, and removing it with its attachments and raw
// text when the message is deleted. The e-mail module owns these files;
// this is the message module's own small reader and remover of them, to be
// replaced by that module's calls once it is there.
//
// E-mail file "<dir>DPE/<number>.DPE" (send log: "<dir>SENDLOG/<number>.DPE"):
//   offset  size   content
//   0       2048   header block (addresses, subject, attachment table)
//   2048    rest   body text
//
// Attachment table of the header (40 entries of 27 bytes from offset 968):
//   entry offset  size  content
//   0             13    the file's own name
//   13            9     stored name: 8 lower-case hexadecimal digits, NUL
//   22            4     size in bytes
//   26            1     zero
// Stored files are "<dir>DPE/<stored name>.ATT"; the raw text of an incoming
// e-mail is "<dir>DPE/<stem>.RAW" with the stem named in the message record.
//
// Stored names and raw stems come from files the e-mail gateway writes, so
// neither is used in a path unless it has exactly the form this system
// writes; anything else is refused and nothing outside the data directory
// is touched.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "storage/records/field.h"

namespace msg_email {
constexpr size_t kHeaderSize = 2048;
constexpr int kAttachmentTable = 968;
constexpr int kAttachmentEntrySize = 27;
constexpr int kMaxAttachments = 40;
constexpr Field kOwnName{0, 13};     // within an attachment entry
constexpr Field kStoredName{13, 9};  // within an attachment entry
static_assert(kAttachmentTable + kMaxAttachments * kAttachmentEntrySize == int(kHeaderSize));
// The largest body a search reads: as much as a view window can show.
constexpr size_t kSearchedBody = 32000;
}  // namespace msg_email

// "<dir>DPE/<number>.DPE", or the SENDLOG one.
std::string MsgEmailPath(int32_t messageNumber, bool sendLog);

// Reads at most limit bytes of the body that follows the header block;
// *truncated tells whether more was there. A file shorter than its header
// block fails (1009 with the path); a missing file fails with the open code.
int MsgReadEmailBody(const std::string& path, std::string* body, size_t limit, bool* truncated);

// Deletes the attachment files named by the header, the raw file the
// message record names, and the e-mail file itself. A missing e-mail file
// leaves nothing to do. A stored name or stem that is not of the system's
// own form is left alone and reported (1021 with the name) after the rest
// has been deleted.
int MsgDeleteEmailFiles(const std::string& path, const uint8_t* record);

// The forms a stored attachment name and a raw-file stem must have.
bool MsgIsStoredAttachmentName(std::string_view name);
bool MsgIsRawStem(std::string_view stem);
