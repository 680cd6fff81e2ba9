#include "phonelist/phone_detail.h"

#include "storage/records/phone.h"

namespace ph = records::phone;

namespace {

std::string TrimRight(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

bool Blank(const std::string& text) {
  return TrimRight(text).empty();
}

}  // namespace

std::string PhoneDetailText(const PhoneRecord& r) {
  std::string out;
  const auto line = [&out](const std::string& text) {
    if (!Blank(text)) out += TrimRight(text) + "\n";
  };
  const auto text = [&r](Field f) { return r.Text(f); };
  line(text(ph::kListname));
  if (!Blank(text(ph::kCompany)) || !Blank(text(ph::kId)))
    line(text(ph::kCompany) + "\t" + text(ph::kId));
  line(text(ph::kStreet1));
  line(text(ph::kStreet2));
  line(text(ph::kCity) + " " + text(ph::kState) + " " + text(ph::kZip) + " " + text(ph::kCountry));
  out += "\n";
  line(text(ph::kContact));
  if (!Blank(text(ph::kPhone1))) line("Ph 1:\t" + text(ph::kPhone1) + " " + text(ph::kExt1));
  if (!Blank(text(ph::kPhone2))) line("Ph 2:\t" + text(ph::kPhone2) + " " + text(ph::kExt2));
  if (!Blank(text(ph::kFax))) line("Fax:\t" + text(ph::kFax));
  if (!Blank(text(ph::kCell))) line("Cell:\t" + text(ph::kCell));
  out += "\n";
  line(text(ph::kUrl));
  line(text(ph::kEmail));
  out += "\n";
  // Misc info keeps its stored line breaks, single carriage returns.
  const std::string misc = text(ph::kMisc);
  size_t start = 0;
  while (!misc.empty() && start <= misc.size()) {
    const size_t end = misc.find('\r', start);
    const std::string part = misc.substr(start, end == std::string::npos ? end : end - start);
    out += TrimRight(part) + "\n";
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return out;
}
