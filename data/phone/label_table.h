// The label formats of the phone list's label printing: the "LABEL" table
// (LABEL.DAT in the data directory, layout in storage/records/label.h),
// read whole when the label dialog opens, and the formats an office gets
// when its directory is made.
//
// LABEL.DAT is a file an office may edit or copy from elsewhere, so every
// field of every record is checked before a label is laid out with it: a
// format whose labels would not fit in the 80 columns of a label row, or
// whose name has no end, is refused, never printed half.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/field_problem.h"
#include "storage/records/label.h"

struct LabelFormat {
  std::string name;
  int width = 0;        // characters per label line
  int pitch = 0;        // columns from one label's start to the next
  int height = 0;       // lines from one row of labels to the next
  int across = 0;       // labels side by side
  int leftMargin = 0;   // column of the first label
  int topMargin = 0;    // blank lines before the first row of a page
  int rowsPerPage = 0;  // below 2: continuous labels, no page breaks
};

// What a record holds that no label format may: a name without its NUL or
// empty, a width of 0, fewer than 5 lines of height, no labels across, a
// pitch narrower than a label while there are several across, labels
// reaching past column 80, a top margin of more than 60 lines. Empty for a
// record that can be used.
std::vector<FieldProblem> LabelRecordProblems(const uint8_t (&record)[records::label::kRecordSize]);

// The format a record holds (unchecked: check it first).
LabelFormat LabelFormatOf(const uint8_t (&record)[records::label::kRecordSize]);
// The record of a format; names are cut to 20 characters.
void LabelRecordOf(const LabelFormat& format, uint8_t (&record)[records::label::kRecordSize]);

// Reads every format of "<directory>LABEL.DAT" in file order. A missing or
// unreadable file fails with the engine's code and the path; a record with
// a problem fails with 1015 and "LABEL.DAT record <n>: <problem>" as the
// error name, so the office learns which record to mend.
int LabelReadFormats(const std::string& directory, std::vector<LabelFormat>* formats);

// The format of that name, letter case and trailing blanks aside, or
// nullptr.
const LabelFormat* FindLabelFormat(const std::vector<LabelFormat>& formats, std::string_view name);

// The formats delivered with the program: the common sheets of address
// labels for a line printer's 10 characters to the inch and 6 lines to the
// inch, and continuous labels.
std::vector<LabelFormat> StandardLabelFormats();
// The bytes of a LABEL.DAT holding the formats, in order.
std::string LabelFileBytes(const std::vector<LabelFormat>& formats);
