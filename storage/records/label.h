// The "LABEL" table: the label formats offered by the phone list's label
// printing, one format a record, in LABEL.DAT of the data directory. The
// file has no header and no index; all sizes count characters or lines.
//
// Label format (28 bytes):
//
//   offset width field
//   0      21    name shown in "Label type:" (NUL-terminated)
//   21     1     label width: characters per label line
//   22     1     pitch: columns from the start of one label to the next
//   23     1     label height in lines (5 printed lines, height - 5 blank)
//   24     1     labels across
//   25     1     left margin: column of the first label
//   26     1     top margin: blank lines before the first row of a page
//   27     1     rows per page; below 2 means continuous labels
//
// Unlike the shared tables, the last byte of a record is a field, not a
// lock byte: the file is only ever read, as a plain file.
#pragma once

#include "storage/records/field.h"

namespace records::label {

constexpr int kRecordSize = 28;
constexpr int kHeaderSize = 0;

constexpr Field kName{0, 21};
constexpr Field kWidth{21, 1};
constexpr Field kPitch{22, 1};
constexpr Field kHeight{23, 1};
constexpr Field kAcross{24, 1};
constexpr Field kLeftMargin{25, 1};
constexpr Field kTopMargin{26, 1};
constexpr Field kRowsPerPage{27, 1};
static_assert(kRowsPerPage.End() == kRecordSize);

// A label row is built in lines of this many characters.
constexpr int kLineWidth = 80;
// The lines a label's text fills; the rest of its height is blank.
constexpr int kPrintedLines = 5;

}  // namespace records::label
