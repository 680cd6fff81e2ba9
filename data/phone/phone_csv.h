// Phone lists as comma-separated text, for moving an office's address book
// in and out: a header row naming the entry fields by the entry dialog's
// labels, then one entry per row. The text is UTF-8; entries are stored in
// the office's code page, so a character the code page lacks refuses its
// row instead of being stored as something else.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/phone/dpphone.h"

// One record of CSV text: its fields and the line it starts on (from 1).
// A record that could not be read has an error and should be refused.
struct CsvRow {
  int line = 0;
  std::vector<std::string> fields;
  std::string error;
};

// Reads CSV records: fields separated by commas, records by CRLF or LF;
// quoted fields may hold commas, doubled quotes and line breaks. A UTF-8
// byte order mark at the start is passed over.
class CsvReader {
 public:
  explicit CsvReader(std::string_view text);
  // False at the end of the text.
  bool Next(CsvRow* row);

 private:
  std::string_view text_;
  size_t pos_ = 0;
  int line_ = 1;
};

// A field as written to CSV: quoted when it holds a comma, a quote or a
// line break (quotes doubled), else as it is.
std::string CsvField(std::string_view value);
// The fields joined by commas, ending "\r\n".
std::string CsvLine(const std::vector<std::string>& fields);

// The columns, by the entry dialog's labels without their colons.
struct PhoneCsvColumn {
  const char* label;
  Field field;
  const char* option;  // the name of dpadmin add-phone's option
};
constexpr int kPhoneCsvColumnCount = 19;
const PhoneCsvColumn* PhoneCsvColumns();
// The column with that label (any letter case, surrounding blanks aside),
// or -1.
int PhoneCsvColumnOf(std::string_view label);

// Which column each CSV field goes to (-1: unknown, skipped).
struct PhoneCsvHeader {
  std::vector<int> columns;
  std::vector<std::string> unknown;  // the unknown labels, as written
};
// Reads the header row; false with a reason when no column is Listname or
// a column is named twice.
bool PhoneCsvReadHeader(const std::vector<std::string>& fields, PhoneCsvHeader* header,
                        std::string* reason);

// Whether every field of a row is blank (such rows are passed over).
bool CsvRowBlank(const CsvRow& row);

// Builds the entry of a data row for the list; false with the reason
// ("Listname is missing", "Company is longer than 40 characters", "E-Mail
// holds "X", which Windows-1252 lacks", ...). Line breaks are kept only in
// Misc info, as its stored line break (a carriage return).
bool PhoneCsvRecord(const PhoneCsvHeader& header, const std::vector<std::string>& fields,
                    int32_t list, PhoneRecord* record, std::string* reason);
// Sets one field of an entry from UTF-8 text, with the checks above.
bool PhoneCsvSetField(int column, std::string_view utf8, PhoneRecord* record, std::string* reason);

// The header row and an entry's row, in column order, as CSV lines.
std::string PhoneCsvHeaderLine();
std::string PhoneCsvEntryLine(const PhoneRecord& record);
