#include "data/phone/phone_address.h"

#include <cstdint>

namespace ph = records::phone;

namespace {

std::string TrimRight(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

// Letter case of the office code page: the accented letters, the
// ligatures and the carons have their pairs; "\xDF" (sharp s) has no capital.
bool IsLower(uint8_t c) {
  return (c >= 'a' && c <= 'z') || c == 0x9A || c == 0x9C || c == 0x9E || c == 0xDF ||
         (c >= 0xE0 && c != 0xF7);
}

uint8_t ToUpper(uint8_t c) {
  if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) return uint8_t(c - 32);
  if (c == 0x9A || c == 0x9C || c == 0x9E) return uint8_t(c - 0x10);
  if (c == 0xFF) return 0x9F;
  return c;
}

uint8_t ToLower(uint8_t c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return uint8_t(c + 32);
  if (c == 0x8A || c == 0x8C || c == 0x8E) return uint8_t(c + 0x10);
  if (c == 0x9F) return 0xFF;
  return c;
}

}  // namespace

std::string CapitaliseCapitals(std::string_view text) {
  for (char c : text)
    if (IsLower(uint8_t(c))) return std::string(text);
  std::string out(text);
  bool wordStart = true;
  for (char& c : out) {
    uint8_t b = uint8_t(c);
    if (b == ' ' || b == '\t') {
      wordStart = true;
      continue;
    }
    c = char(wordStart ? ToUpper(b) : ToLower(b));
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
