// One-line readable descriptions of records and index entries, for dump and
// for the problems that check and reindex report: text fields as quoted
// text, numbers as numbers, in the order of the layout.
#pragma once

#include <cstdint>
#include <string>

#include "storage/database.h"

std::string DescribeRecord(const TableDef& def, const uint8_t* record);
// The key fields of index x's entry (the record number is left to the
// caller).
std::string DescribeEntry(const TableDef& def, int x, const uint8_t* entry);
// Text in double quotes; quotes, backslashes and bytes outside printable
// ASCII are escaped, so a multi-line text stays on one line.
std::string Quote(const std::string& text);
