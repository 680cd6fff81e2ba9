// The e-mail file: the header block and body of one e-mail, in the data
// directory's DPE folder as "<message number>.DPE" (the send-log copy in
// SENDLOG under the same number). The e-mail gateway reads and writes the
// same files, so this layout is shared with a program outside this system.
//
// File: a 2048-byte header, then the body text directly (single-byte text,
// lines ending "\r\n", no terminating NUL); the body length is the file
// length less 2048.
//
// Header (text fields NUL-terminated within their width):
//
//   offset width field
//   0      1     zero
//   1      256   To: the recipient list (items separated by commas)
//   257    128   From
//   385    128   Subject
//   513    256   CC: a second recipient list
//   769    199   reserved: zero in a header made here, carried unchanged
//                when a header is copied (the gateway may use it)
//   968    1080  attachment table: 40 entries of 27 bytes
//
// Attachment entry (27 bytes):
//
//   offset width field
//   0      13    the file's own name: an 8.3 name with its extension
//   13     9     stored name: 8 lower-case hexadecimal digits and NUL; the
//                file is "<stored name>.ATT" in DPE
//   22     4     size in bytes, unsigned
//   26     1     zero
//
// The table is packed: the first entry with an empty own name ends it.
#pragma once

#include "storage/records/field.h"

namespace records::email {

constexpr int kHeaderSize = 2048;

constexpr Field kZero{0, 1};
constexpr Field kTo{1, 256};
constexpr Field kFrom{257, 128};
constexpr Field kSubject{385, 128};
constexpr Field kCc{513, 256};
constexpr Field kReserved{769, 199};
constexpr Field kAttachments{968, 1080};

constexpr int kMaxAttachments = 40;
constexpr int kEntrySize = 27;

constexpr Field Attachment(int i) {
  return Field{kAttachments.offset + kEntrySize * i, kEntrySize};
}

// Fields of an attachment entry, relative to the entry's start.
namespace entry {
constexpr Field kOwnName{0, 13};
constexpr Field kStoredName{13, 9};
constexpr Field kSize{22, 4};
constexpr Field kZero{26, 1};
static_assert(kZero.End() == kEntrySize);
}  // namespace entry

// Stored names are "%08lx" of a counter: 8 digits, then the NUL.
constexpr int kStoredNameLength = 8;
static_assert(entry::kStoredName.width == kStoredNameLength + 1);

static_assert(kTo.offset == kZero.End());
static_assert(kFrom.offset == kTo.End());
static_assert(kSubject.offset == kFrom.End());
static_assert(kCc.offset == kSubject.End());
static_assert(kReserved.offset == kCc.End());
static_assert(kAttachments.offset == kReserved.End());
static_assert(kAttachments.width == kMaxAttachments * kEntrySize);
static_assert(kAttachments.End() == kHeaderSize);

}  // namespace records::email
