// The vcard target: a file of vCards from anywhere, read as a phone list
// import reads it.
//
// Beyond "no crash": the reader ends; every card it accepts makes an entry
// with a Listname, text fields that end inside their widths and no
// character a stored field may not hold; and that entry, written as a card
// of either version, folds to lines of at most 75 bytes and reads back as
// the same entry with nothing refused and nothing noted.
#include <cstring>
#include <string>

#include "data/phone/phone_transfer.h"
#include "data/phone/phone_vcard.h"
#include "fuzz/harness.h"
#include "fuzz/harness_support.h"

namespace {

namespace ph = records::phone;

constexpr Field kTextFields[] = {
    ph::kListname, ph::kCompany, ph::kStreet1, ph::kStreet2, ph::kCity,   ph::kState, ph::kZip,
    ph::kCountry,  ph::kContact, ph::kPhone1,  ph::kExt1,    ph::kPhone2, ph::kExt2,  ph::kFax,
    ph::kCell,     ph::kUrl,     ph::kEmail,   ph::kId,      ph::kMisc,
};

void CheckEntry(const PhoneRecord& r, const std::string& where, harness::Verdict* verdict) {
  if (r.Listname().empty()) verdict->Fault(where + ": an entry without a Listname");
  for (const Field& f : kTextFields) {
    if (std::memchr(r.bytes + f.offset, 0, size_t(f.width)) == nullptr)
      verdict->Fault(where + ": a field without its NUL at offset " + std::to_string(f.offset));
    for (char c : r.Text(f)) {
      const bool lineBreak = c == '\r' && f.offset == ph::kMisc.offset;
      if (uint8_t(c) < 0x20 && !lineBreak)
        verdict->Fault(where + ": a control character at offset " + std::to_string(f.offset));
    }
  }
}

bool SameText(const PhoneRecord& a, const PhoneRecord& b, std::string* field) {
  for (const Field& f : kTextFields) {
    if (a.Text(f) != b.Text(f)) {
      *field = std::to_string(f.offset) + " (\"" + a.Text(f) + "\" became \"" + b.Text(f) + "\")";
      return false;
    }
  }
  return true;
}

void CheckRoundTrip(const PhoneRecord& r, const std::string& where, harness::Verdict* verdict) {
  for (VCardVersion v : {VCardVersion::k30, VCardVersion::k40}) {
    const std::string name = where + (v == VCardVersion::k30 ? " as 3.0" : " as 4.0");
    const std::string text = PhoneVCard(r, v);
    size_t from = 0;
    while (from < text.size()) {
      size_t end = text.find("\r\n", from);
      if (end == std::string::npos) {
        verdict->Fault(name + ": a line without CRLF");
        break;
      }
      if (end - from > 75) verdict->Fault(name + ": a line longer than 75 bytes");
      from = end + 2;
    }
    VCardReader reader(text);
    VCardCard back;
    if (!reader.Next(&back)) {
      verdict->Fault(name + ": the written card is not read");
      continue;
    }
    if (!back.error.empty()) verdict->Fault(name + ": the written card is refused: " + back.error);
    if (!back.notes.empty()) verdict->Fault(name + ": reading it back notes " + back.notes[0]);
    std::string field;
    if (back.error.empty() && !SameText(r, back.record, &field))
      verdict->Fault(name + ": the field at " + field);
    if (reader.Next(&back)) verdict->Fault(name + ": one card reads as two");
  }
}

}  // namespace

std::string RunVCardInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  harness::Verdict verdict;
  VCardReader reader(text);
  VCardCard card;
  size_t cards = 0;
  while (reader.Next(&card)) {
    // Each card begins on a line of its own, so there are never more cards
    // than lines.
    if (++cards > size) {
      verdict.Fault("the reader does not end");
      break;
    }
    if (!card.error.empty()) continue;
    const std::string where = "the card of line " + std::to_string(card.line);
    CheckEntry(card.record, where, &verdict);
    CheckRoundTrip(card.record, where, &verdict);
    if (verdict.Failed()) break;
  }
  // The import reads the same text as cards or as CSV without failing.
  PhoneImportPlan plan = PhoneImportRead(text, 0);
  for (const auto& row : plan.rows) CheckEntry(row.record, "an imported row", &verdict);
  return verdict.Text();
}
