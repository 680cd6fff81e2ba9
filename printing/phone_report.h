// Phone list reports: the entries of a search in one of three layouts
// ("Phone list", "Mailing list", "Full report"), to the printer as phone
// list pages (phone_pages.h), or to a text file laid out as the line
// printer would print it, or comma-delimited.
#pragma once

#include <string>

#include "data/phone/dpphone.h"
#include "printing/text_output.h"

enum class ReportType { kPhoneList = 0, kMailingList = 1, kFullReport = 2 };
enum class ReportTarget { kPrinter = 0, kText = 1, kDelimited = 2 };
// Which rows of the search result: every row, the tagged or the others.
enum class ReportSelection { kAll = 0, kTagged = 1, kNotTagged = 2 };

bool SelectionTakes(ReportSelection selection, bool tagged);

// An entry with its note's text (the full report prints it).
struct ReportEntry {
  PhoneRecord record;
  std::string note;
};

// The title of a report without one of its own: on the printer "%s's
// PhoneList" with the list's name, in a file "PHONE LIST", "MAILING LIST"
// or "FULL REPORT". Windows-1252 in and out.
std::string DefaultReportTitle(ReportType type, ReportTarget target, const std::string& listName);

// An entry on the phone list pages: the Listname as its heading line and
// the body lines of the layout, each ending "\r", blank ones left out.
// Windows-1252.
struct ReportLines {
  std::string heading;
  std::string body;
};
ReportLines ReportLinesOf(ReportType type, const ReportEntry& entry);

// One comma-delimited line, UTF-8: every field without its trailing blanks
// in double quotes (a quote inside doubled); the phone list's line ends
// "\n", the others "\r\n".
std::string DelimitedLine(ReportType type, const PhoneRecord& record);

// The text file: the centred title and the date over every page, a fixed
// number of entries a page (18, 9 or 3), a form feed after each page.
class TextReport {
 public:
  // title and date in Windows-1252.
  TextReport(TextOutput& out, ReportType type, std::string title, std::string date);
  bool Add(const ReportEntry& entry);
  // The header of an empty report, or the last page's form feed.
  bool Finish();
  static int EntriesPerPage(ReportType type);

 private:
  bool Header();
  TextOutput& out_;
  ReportType type_;
  std::string title_;
  std::string date_;
  int onPage_ = 0;
  int entries_ = 0;
  bool ok_ = true;
};
