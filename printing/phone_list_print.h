// Printed phone list reports on the data directory's phlist.wmf: the
// entries a report supplies, in two columns a page, a letter heading
// before the first entry of each letter, the page's alphabetical range
// and its number.
#pragma once

#include <functional>
#include <string>

#include "printing/schedule_print.h"
#include "printing/template_page.h"

// One entry of a report: its heading line (the Listname, at most 29
// characters) and its body, lines separated by "\r", tabs expanded when
// printed. Windows-1252, as the phone list holds them.
struct PhoneReportEntry {
  std::string heading;
  std::string body;
};

// Gives the next entry of the report; false when there are no more.
using PhoneEntrySupplier = std::function<bool(PhoneReportEntry* entry)>;

// Prints pages of phlist.wmf until the supplier has no more entries. An
// entry that does not fit in what is left of a column goes to the next
// column or page; one that does not fit even an empty column is printed in
// parts. An entry whose heading alone does not fit an empty column stops
// the print ("Phone list entry too large to print.").
PrintOutcome PrintPhoneList(PrintTarget& target, const std::string& dataDirectory,
                            const std::string& title, const PhoneEntrySupplier& next);
