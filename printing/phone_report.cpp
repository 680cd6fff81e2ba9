#include "printing/phone_report.h"

#include <algorithm>

#include "printing/print_text.h"

namespace ph = records::phone;

namespace {

std::string F(const PhoneRecord& r, Field f) {
  return r.Text(f);
}

std::string Trimmed(const PhoneRecord& r, Field f) {
  return std::string(TrimRight(r.Text(f)));
}

bool Blank(std::string_view text) {
  return TrimRight(text).empty();
}

// "%s %s %s" of the parts, as the report joins City, State and ZIP.
std::string Joined(std::initializer_list<std::string> parts) {
  std::string out;
  bool first = true;
  for (const std::string& p : parts) {
    if (!first) out += ' ';
    out += p;
    first = false;
  }
  return out;
}

std::string Quoted(std::string_view cp1252) {
  std::string out = "\"";
  for (char c : Utf8(TrimRight(cp1252))) {
    if (c == '"') out += '"';
    // A line break of Misc info stays a line break inside the quotes.
    if (c == '\r') {
      out += "\r\n";
      continue;
    }
    out += c;
  }
  return out + "\"";
}

std::string Csv(std::initializer_list<std::string> fields, const char* end) {
  std::string out;
  bool first = true;
  for (const std::string& f : fields) {
    if (!first) out += ',';
    out += Quoted(f);
    first = false;
  }
  return out + end;
}

}  // namespace

bool SelectionTakes(ReportSelection selection, bool tagged) {
  switch (selection) {
    case ReportSelection::kAll:
      return true;
    case ReportSelection::kTagged:
      return tagged;
    case ReportSelection::kNotTagged:
      return !tagged;
  }
  return true;
}

std::string DefaultReportTitle(ReportType type, ReportTarget target, const std::string& listName) {
  if (target == ReportTarget::kPrinter) return listName + "'s PhoneList";
  switch (type) {
    case ReportType::kPhoneList:
      return "PHONE LIST";
    case ReportType::kMailingList:
      return "MAILING LIST";
    case ReportType::kFullReport:
      return "FULL REPORT";
  }
  return "";
}

ReportLines ReportLinesOf(ReportType type, const ReportEntry& entry) {
  const PhoneRecord& r = entry.record;
  ReportLines page;
  page.heading = r.Listname();
  auto line = [&](const std::string& label, const std::string& value) {
    if (!Blank(value)) page.body += label + value + "\r";
  };
  auto pair = [](const std::string& a, const std::string& b) {
    return Blank(a) && Blank(b) ? std::string() : a + " " + b;
  };
  line("", F(r, ph::kContact));
  line("", F(r, ph::kCompany));
  switch (type) {
    case ReportType::kPhoneList:
      line("Phone1:\t\t", pair(F(r, ph::kPhone1), F(r, ph::kExt1)));
      line("Phone2:\t\t", pair(F(r, ph::kPhone2), F(r, ph::kExt2)));
      line("Fax:\t\t", F(r, ph::kFax));
      line("Cell:\t\t", F(r, ph::kCell));
      break;
    case ReportType::kMailingList:
    case ReportType::kFullReport: {
      line("", F(r, ph::kStreet1));
      line("", F(r, ph::kStreet2));
      const std::string place =
          Joined({F(r, ph::kCity), F(r, ph::kState), F(r, ph::kZip), F(r, ph::kCountry)});
      line("", place);
      if (type == ReportType::kMailingList) break;
      line("\rID: ", F(r, ph::kId));
      line("Phone1: \t", pair(F(r, ph::kPhone1), F(r, ph::kExt1)));
      line("Phone2: \t", pair(F(r, ph::kPhone2), F(r, ph::kExt2)));
      line("Fax: ", F(r, ph::kFax));
      line("Cell: ", F(r, ph::kCell));
      line("URL: ", F(r, ph::kUrl));
      line("E-mail: ", F(r, ph::kEmail));
      line("\rMisc: ", F(r, ph::kMisc));
      line("\rNote: ", entry.note);
      break;
    }
  }
  return page;
}

std::string DelimitedLine(ReportType type, const PhoneRecord& r) {
  switch (type) {
    case ReportType::kPhoneList:
      return Csv({F(r, ph::kCompany), F(r, ph::kContact), F(r, ph::kPhone1), F(r, ph::kExt1)},
                 "\n");
    case ReportType::kMailingList:
      return Csv({F(r, ph::kCompany), F(r, ph::kContact), F(r, ph::kStreet1), F(r, ph::kStreet2),
                  Joined({Trimmed(r, ph::kCity), Trimmed(r, ph::kState), Trimmed(r, ph::kZip)}),
                  F(r, ph::kCountry)},
                 "\r\n");
    case ReportType::kFullReport:
      return Csv({F(r, ph::kListname), F(r, ph::kId), F(r, ph::kCompany), F(r, ph::kStreet1),
                  F(r, ph::kStreet2), F(r, ph::kCity), F(r, ph::kState), F(r, ph::kZip),
                  F(r, ph::kCountry), F(r, ph::kContact), F(r, ph::kPhone1), F(r, ph::kExt1),
                  F(r, ph::kPhone2), F(r, ph::kExt2), F(r, ph::kFax), F(r, ph::kCell),
                  F(r, ph::kEmail), F(r, ph::kUrl), F(r, ph::kMisc)},
                 "\r\n");
  }
  return "";
}

TextReport::TextReport(TextOutput& out, ReportType type, std::string title, std::string date)
    : out_(out), type_(type), title_(std::move(title)), date_(std::move(date)) {}

int TextReport::EntriesPerPage(ReportType type) {
  switch (type) {
    case ReportType::kPhoneList:
      return 18;
    case ReportType::kMailingList:
      return 9;
    case ReportType::kFullReport:
      return 3;
  }
  return 1;
}

bool TextReport::Header() {
  const size_t before = title_.size() / 2 < 40 ? 40 - title_.size() / 2 : 0;
  const std::string centred = std::string(before, ' ') + title_;
  ok_ = ok_ && out_.Output("\r\n\r\n" + Utf8(centred) + "\r\n" + std::string(35, ' ') +
                           Utf8(date_) + "\r\n");
  return ok_;
}

bool TextReport::Add(const ReportEntry& entry) {
  if (!ok_) return false;
  if (onPage_ == 0 && !Header()) return false;
  const PhoneRecord& r = entry.record;
  std::string text;
  switch (type_) {
    case ReportType::kPhoneList:
      text = "\r\n" + PadRight(F(r, ph::kCompany), 40) + "      " + PadLeft(F(r, ph::kPhone1), 20) +
             " " + PadLeft(F(r, ph::kExt1), 10) + "\r\n" + PadRight(F(r, ph::kContact), 44) +
             "\r\n";
      break;
    case ReportType::kMailingList: {
      // Every entry takes the height of the fullest: company, contact, two
      // streets, the town's line and the country, then a blank line.
      constexpr int kLines = 7;
      std::vector<std::string> lines = {F(r, ph::kCompany), F(r, ph::kContact), F(r, ph::kStreet1)};
      if (!Blank(F(r, ph::kStreet2))) lines.push_back(F(r, ph::kStreet2));
      lines.push_back(Joined({F(r, ph::kCity), F(r, ph::kState), F(r, ph::kZip)}));
      if (!Blank(F(r, ph::kCountry))) lines.push_back(F(r, ph::kCountry));
      while (int(lines.size()) < kLines) lines.emplace_back();
      for (const std::string& l : lines) text += "\r\n" + l;
      break;
    }
    case ReportType::kFullReport: {
      text = "\r\nLISTNAME: " + F(r, ph::kListname) + "\r\nID: " + F(r, ph::kId) +
             "\r\nNAME: " + F(r, ph::kCompany) + "\r\nSTREET: " + F(r, ph::kStreet1) +
             "\r\n        " + F(r, ph::kStreet2) + "\r\nCITY: " + F(r, ph::kCity) +
             " STATE: " + F(r, ph::kState) + " ZIP: " + F(r, ph::kZip) +
             "\r\nCOUNTRY: " + F(r, ph::kCountry) + "\r\nCONTACT: " + F(r, ph::kContact) +
             "\r\nPHONE: " + F(r, ph::kPhone1) + " EXT: " + F(r, ph::kExt1) +
             "\r\nPHONE2: " + F(r, ph::kPhone2) + " EXT: " + F(r, ph::kExt2) +
             "\r\nFAX: " + F(r, ph::kFax) + " CELL: " + F(r, ph::kCell) +
             "\r\nEMAIL: " + F(r, ph::kEmail) + "\r\nURL: " + F(r, ph::kUrl) + "\r\nMISC:";
      std::vector<std::string> misc = BreakLines(F(r, ph::kMisc), 52);
      while (misc.size() < 3) misc.emplace_back();
      for (const std::string& l : misc) text += "\r\n" + l;
      text += "\r\n";
      break;
    }
  }
  ok_ = out_.Output(Utf8(text));
  ++entries_;
  if (ok_ && ++onPage_ == EntriesPerPage(type_)) {
    ok_ = out_.Output(std::string(1, kFormFeed));
    onPage_ = 0;
  }
  return ok_;
}

bool TextReport::Finish() {
  if (!ok_) return false;
  if (entries_ == 0) return Header();
  if (onPage_ > 0) ok_ = out_.Output(std::string(1, kFormFeed));
  return ok_;
}
