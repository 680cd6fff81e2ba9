#include "data/phone_address.h"

#include "data/text_1252.h"

namespace ph = records::phone;

namespace {

std::string TrimRight(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

}  // namespace

std::string CapitaliseCapitals(std::string_view text) {
  for (char c : text)
    if (IsLower1252(uint8_t(c))) return std::string(text);
  std::string out(text);
  bool wordStart = true;
  for (char& c : out) {
    uint8_t b = uint8_t(c);
    if (b == ' ' || b == '\t') {
      wordStart = true;
      continue;
    }
    c = char(wordStart ? ToUpper1252(b) : ToLower1252(b));
    wordStart = false;
  }
  return out;
}

std::string PhoneAddressText(const PhoneRecord& r) {
  std::string text;
  for (Field f : {ph::kContact, ph::kCompany, ph::kStreet1, ph::kStreet2}) {
    std::string line = TrimRight(r.Text(f));
    if (!line.empty()) text += CapitaliseCapitals(line) + "\r\n";
  }
  std::string city = TrimRight(r.Text(ph::kCity));
  std::string state = TrimRight(r.Text(ph::kState));
  if (!city.empty()) text += CapitaliseCapitals(city) + " ";
  if (!state.empty()) text += state + " ";
  text += TrimRight(r.Text(ph::kZip)) + "\r\n";
  if (text.size() > kMaxAddressText) text.resize(kMaxAddressText);
  return text;
}
