// Address labels from phone list entries, in the rows of a label format
// (data/phone/label_table.h): each row five lines of 80 characters with
// the labels side by side, to the line printer or a text file.
#pragma once

#include <string>
#include <vector>

#include "data/phone/dpphone.h"
#include "data/phone/label_table.h"
#include "printing/text_output.h"

// The (up to five) lines of one entry's label, Windows-1252, each cut to
// the label width: the Contact (with includeContact, when not blank), the
// Company (split at the last blank within the width when longer; its
// second line only when Street 2 is blank or no contact was printed),
// Street 1, Street 2 when set, "City State ZIP", the Country when a line
// is left.
std::vector<std::string> LabelLines(const LabelFormat& format, bool includeContact,
                                    const PhoneRecord& entry);

// Prints the entries as labels: the top margin, then rows of labels, a
// form feed and the top margin after every page of rows (for sheets), the
// blank lines between rows, and a last form feed for a part-filled page.
// False once the output failed.
bool PrintLabels(TextOutput& out, const LabelFormat& format, bool includeContact,
                 const std::vector<PhoneRecord>& entries);
