#include "printing/labels.h"

#include "printing/print_text.h"

namespace ph = records::phone;
namespace label = records::label;

namespace {

std::string Blanks(int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += "\r\n";
  return out;
}

}  // namespace

std::vector<std::string> LabelLines(const LabelFormat& format, bool includeContact,
                                    const PhoneRecord& r) {
  const size_t width = size_t(format.width);
  std::vector<std::string> lines;
  auto add = [&](const std::string& text) {
    if (int(lines.size()) < label::kPrintedLines) lines.push_back(text.substr(0, width));
  };
  const std::string contact(TrimRight(r.Text(ph::kContact)));
  const bool withContact = includeContact && !contact.empty();
  if (withContact) add(contact);
  const std::string company(TrimRight(r.Text(ph::kCompany)));
  const std::string street2(TrimRight(r.Text(ph::kStreet2)));
  if (company.size() > width) {
    size_t cut = company.substr(0, width).find_last_of(' ');
    if (cut == std::string::npos || cut == 0) cut = width;
    add(company.substr(0, cut));
    if (street2.empty() || !withContact) {
      std::string rest = company.substr(cut);
      while (!rest.empty() && rest.front() == ' ') rest.erase(0, 1);
      add(rest);
    }
  } else if (!company.empty()) {
    add(company);
  }
  add(std::string(TrimRight(r.Text(ph::kStreet1))));
  if (!street2.empty()) add(street2);
  add(std::string(TrimRight(r.Text(ph::kCity))) + " " + std::string(TrimRight(r.Text(ph::kState))) +
      " " + std::string(TrimRight(r.Text(ph::kZip))));
  const std::string country(TrimRight(r.Text(ph::kCountry)));
  if (!country.empty()) add(country);
  return lines;
}

bool PrintLabels(TextOutput& out, const LabelFormat& format, bool includeContact,
                 const std::vector<PhoneRecord>& entries) {
  const int across = std::max(1, format.across);
  const size_t rows = (entries.size() + size_t(across) - 1) / size_t(across);
  const bool sheets = format.rowsPerPage >= 2;
  const int gap = std::max(0, format.height - label::kPrintedLines);
  if (!out.Output(Blanks(format.topMargin))) return false;
  size_t next = 0;
  int onPage = 0;
  for (size_t row = 0; row < rows; ++row) {
    std::vector<std::string> lines(label::kPrintedLines, std::string(label::kLineWidth, ' '));
    for (int a = 0; a < across && next < entries.size(); ++a, ++next) {
      const size_t column = size_t(format.leftMargin + a * format.pitch);
      const std::vector<std::string> text = LabelLines(format, includeContact, entries[next]);
      for (size_t l = 0; l < text.size(); ++l)
        if (column < lines[l].size()) lines[l].replace(column, text[l].size(), text[l]);
    }
    std::string rowText;
    for (std::string& l : lines) rowText += Utf8(std::string(TrimRight(l))) + "\r\n";
    if (!out.Output(rowText)) return false;
    const bool last = row + 1 == rows;
    if (!sheets) {
      if (!out.Output(Blanks(gap))) return false;
      continue;
    }
    if (++onPage == format.rowsPerPage) {
      onPage = 0;
      if (!out.Output(std::string(1, kFormFeed))) return false;
      if (!last && !out.Output(Blanks(format.topMargin))) return false;
    } else if (!last) {
      if (!out.Output(Blanks(gap))) return false;
    }
  }
  if (sheets && onPage > 0 && !out.Output(std::string(1, kFormFeed))) return false;
  return true;
}
