#include "data/phone/phone_vcard.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "data/cp1252.h"
#include "data/phone/phone_csv.h"

namespace ph = records::phone;

namespace {

// The CSV columns, whose checks (code page, length, line breaks) every
// field of a card passes as well.
enum Column {
  kListnameColumn = 0,
  kCompanyColumn = 1,
  kStreet1Column = 2,
  kStreet2Column = 3,
  kCityColumn = 4,
  kStateColumn = 5,
  kZipColumn = 6,
  kCountryColumn = 7,
  kContactColumn = 8,
  kPhone1Column = 9,
  kExt1Column = 10,
  kPhone2Column = 11,
  kExt2Column = 12,
  kFaxColumn = 13,
  kCellColumn = 14,
  kUrlColumn = 15,
  kEmailColumn = 16,
  kIdColumn = 17,
  kMiscColumn = 18,
};

constexpr size_t kFoldWidth = 75;
constexpr char kIdProperty[] = "X-DESKPOST-ID";

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = char(std::toupper(uint8_t(c)));
  return out;
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = char(std::tolower(uint8_t(c)));
  return out;
}

std::string Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return std::string(s);
}

// One content line: [group.]NAME *(;PARAM[=VALUE[,VALUE]]) : value.
struct Property {
  int line = 0;
  std::string name;                                         // upper case, without its group
  std::vector<std::pair<std::string, std::string>> params;  // upper-case name, value
  std::string value;                                        // still escaped
};

bool ParseProperty(const std::string& text, int line, Property* p, std::string* error) {
  p->line = line;
  p->params.clear();
  size_t i = 0;
  const size_t n = text.size();
  while (i < n && text[i] != ';' && text[i] != ':') ++i;
  std::string name = text.substr(0, i);
  if (size_t dot = name.rfind('.'); dot != std::string::npos) name = name.substr(dot + 1);
  p->name = Upper(Trim(name));
  while (i < n && text[i] == ';') {
    ++i;
    size_t start = i;
    while (i < n && text[i] != '=' && text[i] != ';' && text[i] != ':') ++i;
    std::string param = Upper(Trim(text.substr(start, i - start)));
    if (i >= n || text[i] != '=') {
      // A bare parameter ("WORK") is a type, as version 2.1 writes them.
      if (!param.empty()) p->params.emplace_back("TYPE", param);
      continue;
    }
    ++i;
    while (true) {
      std::string value;
      if (i < n && text[i] == '"') {
        size_t close = text.find('"', i + 1);
        if (close == std::string::npos) {
          *error = "line " + std::to_string(line) + ": a quoted parameter is not closed";
          return false;
        }
        value = text.substr(i + 1, close - i - 1);
        i = close + 1;
      } else {
        size_t start2 = i;
        while (i < n && text[i] != ',' && text[i] != ';' && text[i] != ':') ++i;
        value = text.substr(start2, i - start2);
      }
      p->params.emplace_back(param, value);
      if (i < n && text[i] == ',') {
        ++i;
        continue;
      }
      break;
    }
  }
  if (i >= n || text[i] != ':' || p->name.empty()) {
    *error = "line " + std::to_string(line) + ": not a vCard line (no name and colon)";
    return false;
  }
  p->value = text.substr(i + 1);
  return true;
}

// Splits at the separator where it is not escaped; the parts keep their
// escapes.
std::vector<std::string> SplitUnescaped(std::string_view s, char separator) {
  std::vector<std::string> parts(1);
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 1 < s.size()) {
      parts.back() += s[i];
      parts.back() += s[++i];
    } else if (s[i] == separator) {
      parts.emplace_back();
    } else {
      parts.back() += s[i];
    }
  }
  return parts;
}

std::string Unescape(std::string_view s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\' || i + 1 == s.size()) {
      out += s[i];
      continue;
    }
    const char c = s[++i];
    out += (c == 'n' || c == 'N') ? '\n' : c;
  }
  return out;
}

// The parts of a structured value (N, ADR, ORG), each part's list items
// unescaped and joined by joiner.
std::vector<std::string> Components(std::string_view value, std::string_view joiner) {
  std::vector<std::string> out;
  for (const std::string& part : SplitUnescaped(value, ';')) {
    std::string joined;
    for (const std::string& item : SplitUnescaped(part, ',')) {
      std::string text = Trim(Unescape(item));
      if (text.empty()) continue;
      if (!joined.empty()) joined += joiner;
      joined += text;
    }
    out.push_back(joined);
  }
  return out;
}

std::string Component(const std::vector<std::string>& parts, size_t i) {
  return i < parts.size() ? parts[i] : std::string();
}

// The lower-case types of a property (TYPE=work,voice and TYPE="work,voice"
// alike), with "pref" when it is preferred by either version's way.
std::vector<std::string> Types(const Property& p) {
  std::vector<std::string> types;
  for (const auto& [name, value] : p.params) {
    if (name == "PREF") types.push_back("pref");
    if (name != "TYPE") continue;
    for (const std::string& t : SplitUnescaped(value, ',')) types.push_back(Lower(Trim(t)));
  }
  return types;
}

bool HasType(const std::vector<std::string>& types, std::string_view type) {
  return std::find(types.begin(), types.end(), type) != types.end();
}

std::string ParamValue(const Property& p, std::string_view name) {
  for (const auto& [n, v] : p.params)
    if (n == name) return v;
  return {};
}

bool HasParam(const Property& p, std::string_view name) {
  for (const auto& param : p.params)
    if (param.first == name) return true;
  return false;
}

// A parameter value's own escapes (RFC 6868): ^' a quote, ^n a line
// break, ^^ a caret.
std::string CaretEncode(std::string_view s) {
  std::string out;
  for (char c : s) {
    if (c == '^')
      out += "^^";
    else if (c == '"')
      out += "^'";
    else if (c == '\n')
      out += "^n";
    else
      out += c;
  }
  return out;
}

std::string CaretDecode(std::string_view s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '^' && i + 1 < s.size() &&
        (s[i + 1] == '^' || s[i + 1] == '\'' || s[i + 1] == 'n')) {
      ++i;
      out += s[i] == 'n' ? '\n' : s[i] == '\'' ? '"' : '^';
    } else {
      out += s[i];
    }
  }
  return out;
}

// The extension of a number DESKpost wrote where " x" would not read back
// as it was (an extension with a blank, a number that itself holds " x").
constexpr char kExtParam[] = "X-DESKPOST-EXT";

// A number and its extension: "555-1234 x12", "555-1234 ext. 12" and the
// URI form "tel:+1-555-1234;ext=12".
void SplitExtension(std::string value, std::string* number, std::string* ext) {
  ext->clear();
  if (Lower(value.substr(0, 4)) == "tel:") {
    while (Lower(value.substr(0, 4)) == "tel:") value = Trim(value.substr(4));
    const std::string lower = Lower(value);
    size_t at = lower.find(";ext=");
    if (at != std::string::npos) {
      size_t end = value.find(';', at + 1);
      *ext =
          Trim(value.substr(at + 5, end == std::string::npos ? std::string::npos : end - at - 5));
    }
    *number = Trim(value.substr(0, value.find(';')));
    return;
  }
  const std::string lower = Lower(value);
  for (std::string_view mark : {" ext. ", " ext.", " ext ", " x"}) {
    size_t at = lower.rfind(mark);
    if (at == std::string::npos) continue;
    std::string rest = Trim(value.substr(at + mark.size()));
    if (rest.empty() || rest.find(' ') != std::string::npos) continue;
    *ext = rest;
    *number = Trim(value.substr(0, at));
    return;
  }
  *number = Trim(value);
}

// Properties that say nothing about the person or company: passed over
// without a note.
bool Bookkeeping(const std::string& name) {
  static const char* const kNames[] = {"VERSION",      "PRODID",     "UID",  "REV",
                                       "KIND",         "SOURCE",     "NAME", "PROFILE",
                                       "CLIENTPIDMAP", "SORT-STRING"};
  for (const char* k : kNames)
    if (name == k) return true;
  return name.rfind("X-", 0) == 0 && name != kIdProperty;
}

// Builds the entry of a card from its properties.
class CardBuilder {
 public:
  explicit CardBuilder(VCardCard* card) : card_(card) {}

  void Take(const Property& p) {
    const std::string& n = p.name;
    if (n == "FN") {
      Once(fn_, Trim(Unescape(p.value)), "FN");
    } else if (n == "N") {
      if (!haveN_) {
        haveN_ = true;
        n_ = Components(p.value, " ");
      }
    } else if (n == "ORG") {
      if (!haveOrg_) {
        haveOrg_ = true;
        std::vector<std::string> parts = Components(p.value, ", ");
        std::string org;
        for (const std::string& part : parts) {
          if (part.empty()) continue;
          if (!org.empty()) org += ", ";
          org += part;
        }
        org_ = org;
      } else {
        Note("another company (" + Trim(Unescape(p.value)) + ") was not stored");
      }
    } else if (n == "ADR") {
      addresses_.push_back(p);
    } else if (n == "TEL") {
      phones_.push_back(p);
    } else if (n == "EMAIL") {
      emails_.push_back(p);
    } else if (n == "URL") {
      urls_.push_back(p);
    } else if (n == "NOTE") {
      if (!notes_.empty()) notes_ += "\n";
      notes_ += Unescape(p.value);
    } else if (n == kIdProperty) {
      Once(id_, Trim(Unescape(p.value)), "ID");
    } else if (!Bookkeeping(n)) {
      Note(n + " was not stored");
    }
  }

  // Fills the record; false with the card's error.
  bool Finish() {
    PhoneRecord& r = card_->record;
    r = PhoneRecord{};
    std::string contact;
    for (size_t i : {3, 1, 2, 0, 4}) {  // prefix, given, additional, family, suffix
      const std::string part = Component(n_, i);
      if (part.empty()) continue;
      if (!contact.empty()) contact += ' ';
      contact += part;
    }
    std::string listname = !fn_.empty() ? fn_ : !contact.empty() ? contact : org_;
    if (contact == listname) contact.clear();
    if (!Set(kListnameColumn, listname) || !Set(kContactColumn, contact) ||
        !Set(kCompanyColumn, org_) || !Address() || !Phones() ||
        !First(emails_, kEmailColumn, "e-mail address") || !First(urls_, kUrlColumn, "URL") ||
        !Set(kIdColumn, id_) || !Set(kMiscColumn, notes_))
      return false;
    if (Trim(r.Listname()).empty()) {
      card_->error = "the card has no name (FN, N or ORG)";
      return false;
    }
    return true;
  }

 private:
  void Note(const std::string& text) { card_->notes.push_back(text); }

  void Once(std::string& slot, const std::string& value, const char* what) {
    if (slot.empty())
      slot = value;
    else if (!value.empty())
      Note(std::string("another ") + what + " (" + value + ") was not stored");
  }

  bool Set(int column, const std::string& utf8) {
    if (utf8.empty()) return true;
    std::string reason;
    if (PhoneCsvSetField(column, utf8, &card_->record, &reason)) return true;
    card_->error = reason;
    return false;
  }

  // The preferred properties first, the rest in the card's order.
  static std::vector<Property> Preferred(std::vector<Property> list) {
    std::stable_partition(list.begin(), list.end(),
                          [](const Property& p) { return HasType(Types(p), "pref"); });
    return list;
  }

  bool Address() {
    if (addresses_.empty()) return true;
    std::vector<Property> list = Preferred(addresses_);
    const std::vector<std::string> parts = Components(list[0].value, "\n");
    std::vector<std::string> lines;
    for (size_t i : {2, 1, 0}) {  // street, extended address, post office box
      std::string part = Component(parts, i);
      size_t from = 0;
      while (from <= part.size()) {
        size_t end = part.find('\n', from);
        if (end == std::string::npos) end = part.size();
        std::string line = Trim(std::string_view(part).substr(from, end - from));
        if (!line.empty()) lines.push_back(line);
        from = end + 1;
      }
    }
    std::string street2;
    for (size_t i = 1; i < lines.size(); ++i) street2 += (i > 1 ? ", " : "") + lines[i];
    for (size_t i = 1; i < list.size(); ++i)
      Note("another address (" + Trim(Unescape(list[i].value)) + ") was not stored");
    return Set(kStreet1Column, lines.empty() ? "" : lines[0]) && Set(kStreet2Column, street2) &&
           Set(kCityColumn, Component(parts, 3)) && Set(kStateColumn, Component(parts, 4)) &&
           Set(kZipColumn, Component(parts, 5)) && Set(kCountryColumn, Component(parts, 6));
  }

  // Work and voice numbers fill Phone 1 and 2, then the first fax and the
  // first cell or pager number their fields; more are noted.
  bool Phones() {
    int voice = 0;
    bool fax = false;
    bool cell = false;
    for (const Property& p : Preferred(phones_)) {
      const std::vector<std::string> types = Types(p);
      std::string number, ext;
      if (HasParam(p, kExtParam)) {
        number = Trim(Unescape(p.value));
        ext = Trim(CaretDecode(ParamValue(p, kExtParam)));
      } else {
        SplitExtension(Trim(Unescape(p.value)), &number, &ext);
      }
      if (number.empty()) continue;
      int column = -1;
      int extColumn = -1;
      if (HasType(types, "fax")) {
        if (!fax) column = kFaxColumn;
        fax = true;
      } else if (HasType(types, "cell") || HasType(types, "pager")) {
        if (!cell) column = kCellColumn;
        cell = true;
      } else if (voice < 2) {
        column = voice == 0 ? kPhone1Column : kPhone2Column;
        extColumn = voice == 0 ? kExt1Column : kExt2Column;
        ++voice;
      }
      if (column < 0) {
        Note("another phone number (" + Trim(Unescape(p.value)) + ") was not stored");
        continue;
      }
      if (!Set(column, number)) return false;
      if (extColumn >= 0) {
        if (!Set(extColumn, ext)) return false;
      } else if (!ext.empty()) {
        Note("the extension " + ext + " of " + number + " was not stored");
      }
    }
    return true;
  }

  bool First(const std::vector<Property>& props, int column, const std::string& what) {
    if (props.empty()) return true;
    std::vector<Property> list = Preferred(props);
    auto text = [](const Property& p) { return Trim(Unescape(p.value)); };
    for (size_t i = 1; i < list.size(); ++i)
      Note("another " + what + " (" + text(list[i]) + ") was not stored");
    return Set(column, text(list[0]));
  }

  VCardCard* card_;
  std::string fn_;
  std::vector<std::string> n_;
  bool haveN_ = false;
  std::string org_;
  bool haveOrg_ = false;
  std::string id_;
  std::string notes_;
  std::vector<Property> addresses_, phones_, emails_, urls_;
};

bool IsBeginCard(const std::string& line) {
  return Upper(Trim(line)) == "BEGIN:VCARD";
}

}  // namespace

VCardReader::VCardReader(std::string_view text) : text_(text) {
  if (text_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;
}

bool VCardReader::NextLine(Line* line) {
  // A physical line that begins with a blank or a tab continues the one
  // before it (the blank itself is dropped).
  while (pos_ < text_.size()) {
    size_t end = text_.find('\n', pos_);
    if (end == std::string_view::npos) end = text_.size();
    std::string_view physical = text_.substr(pos_, end - pos_);
    if (!physical.empty() && physical.back() == '\r') physical.remove_suffix(1);
    pos_ = end + 1;
    ++lineNumber_;
    if (physical.empty()) continue;
    line->number = lineNumber_;
    line->text = std::string(physical);
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t')) {
      end = text_.find('\n', pos_);
      if (end == std::string_view::npos) end = text_.size();
      std::string_view more = text_.substr(pos_ + 1, end - pos_ - 1);
      if (!more.empty() && more.back() == '\r') more.remove_suffix(1);
      line->text += more;
      pos_ = end + 1;
      ++lineNumber_;
    }
    return true;
  }
  return false;
}

bool VCardReader::Next(VCardCard* card) {
  *card = VCardCard{};
  Line line;
  do {
    if (!NextLine(&line)) return false;
  } while (!IsBeginCard(line.text));
  sawCard_ = true;
  card->line = line.number;
  CardBuilder builder(card);
  std::string error;
  while (true) {
    const size_t before = pos_;
    const int beforeLine = lineNumber_;
    if (!NextLine(&line)) {
      if (error.empty()) error = "the card has no END:VCARD";
      break;
    }
    if (IsBeginCard(line.text)) {
      // A card inside a card (version 2.1's AGENT) or a card left open:
      // the inner one is read on its own next time.
      error = "the card has no END:VCARD before line " + std::to_string(line.number);
      pos_ = before;
      lineNumber_ = beforeLine;
      break;
    }
    Property p;
    if (!ParseProperty(line.text, line.number, &p, &error)) {
      // The rest of the card is read over so the next card starts clean.
      continue;
    }
    if (p.name == "END") break;
    if (!error.empty()) continue;
    if (p.name == "VERSION") {
      const std::string v = Trim(p.value);
      if (v != "2.1" && v != "3.0" && v != "4.0") error = "vCard version " + v + " is not read";
      continue;
    }
    if (Upper(ParamValue(p, "ENCODING")) == "QUOTED-PRINTABLE") {
      error = "line " + std::to_string(p.line) +
              ": quoted-printable text is not read; save the cards as vCard 3.0 or 4.0";
      continue;
    }
    builder.Take(p);
  }
  if (error.empty() && !builder.Finish()) return true;
  if (!error.empty()) card->error = error;
  return true;
}

bool LooksLikeVCard(std::string_view text) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  size_t i = text.find_first_not_of(" \t\r\n");
  if (i == std::string_view::npos) return false;
  std::string start = Upper(text.substr(i, 11));
  return start == "BEGIN:VCARD";
}

std::string VCardEscape(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\\' || c == ',' || c == ';') {
      out += '\\';
      out += c;
    } else if (c == '\r' || c == '\n') {
      out += "\\n";
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out += c;
    }
  }
  return out;
}

std::string VCardFold(std::string_view line) {
  std::string out;
  size_t width = kFoldWidth;
  while (line.size() > width) {
    size_t cut = width;
    // Never inside a UTF-8 character: back up over continuation bytes.
    while (cut > 0 && (uint8_t(line[cut]) & 0xC0) == 0x80) --cut;
    if (cut == 0) cut = width;
    out += line.substr(0, cut);
    out += "\r\n ";
    line.remove_prefix(cut);
    width = kFoldWidth - 1;  // the leading blank counts
  }
  out += line;
  return out + "\r\n";
}

std::string PhoneVCard(const PhoneRecord& record, VCardVersion version) {
  const bool v4 = version == VCardVersion::k40;
  auto text = [&record](Field f) { return Cp1252ToUtf8(record.Text(f)); };
  std::string out = "BEGIN:VCARD\r\n";
  out += v4 ? "VERSION:4.0\r\n" : "VERSION:3.0\r\n";
  out += VCardFold("PRODID:-//DESKpost//PhoneList//EN");
  const std::string listname = text(ph::kListname);
  out += VCardFold("FN:" + VCardEscape(listname));
  // N names the contact person; without one it carries the Listname whole
  // as the family name, which reads back as no contact.
  const std::string contact = text(ph::kContact);
  std::string family = listname, given;
  if (!contact.empty()) {
    // Given names, a blank, the family name; a name that would not read
    // back the same so split goes whole into the family part.
    const size_t blank = contact.rfind(' ');
    family = contact;
    if (blank != std::string::npos && blank > 0 && contact[blank - 1] != ' ' &&
        blank + 1 < contact.size() && contact.front() != ' ') {
      family = contact.substr(blank + 1);
      given = contact.substr(0, blank);
    }
  }
  out += VCardFold("N:" + VCardEscape(family) + ";" + VCardEscape(given) + ";;;");
  if (const std::string company = text(ph::kCompany); !company.empty())
    out += VCardFold("ORG:" + VCardEscape(company));
  const std::string street1 = text(ph::kStreet1), street2 = text(ph::kStreet2);
  const std::string city = text(ph::kCity), state = text(ph::kState), zip = text(ph::kZip),
                    country = text(ph::kCountry);
  if (!(street1 + street2 + city + state + zip + country).empty()) {
    std::string street = VCardEscape(street1);
    if (!street2.empty()) street += "\\n" + VCardEscape(street2);
    out += VCardFold(std::string(v4 ? "ADR;TYPE=work" : "ADR;TYPE=WORK") + ":;;" + street + ";" +
                     VCardEscape(city) + ";" + VCardEscape(state) + ";" + VCardEscape(zip) + ";" +
                     VCardEscape(country));
  }
  auto tel = [&](Field numberField, const Field* extField, const char* types3, const char* types4) {
    const std::string number = text(numberField);
    if (number.empty()) return;
    const std::string ext = extField ? text(*extField) : "";
    // " x" and the extension after the number, as address books show it,
    // when that reads back as the same two; else the extension goes in a
    // parameter of its own.
    std::string value = ext.empty() ? number : number + " x" + ext;
    std::string params = std::string(";TYPE=") + (v4 ? types4 : types3);
    std::string readNumber, readExt;
    SplitExtension(value, &readNumber, &readExt);
    if (readNumber != number || readExt != ext) {
      value = number;
      params += std::string(";") + kExtParam + "=\"" + CaretEncode(ext) + "\"";
    }
    out += VCardFold("TEL" + params + ":" + VCardEscape(value));
  };
  tel(ph::kPhone1, &ph::kExt1, "WORK,VOICE,PREF", "work,voice;PREF=1;VALUE=text");
  tel(ph::kPhone2, &ph::kExt2, "WORK,VOICE", "work,voice;VALUE=text");
  tel(ph::kFax, nullptr, "WORK,FAX", "work,fax;VALUE=text");
  tel(ph::kCell, nullptr, "CELL", "cell;VALUE=text");
  if (const std::string email = text(ph::kEmail); !email.empty())
    out += VCardFold(std::string(v4 ? "EMAIL;TYPE=work:" : "EMAIL;TYPE=INTERNET:") +
                     VCardEscape(email));
  // Escaped like text: readers split a URL at a bare comma as they do text.
  if (const std::string url = text(ph::kUrl); !url.empty())
    out += VCardFold("URL:" + VCardEscape(url));
  if (const std::string misc = text(ph::kMisc); !misc.empty())
    out += VCardFold("NOTE:" + VCardEscape(misc));
  if (const std::string id = text(ph::kId); !id.empty())
    out += VCardFold(std::string(kIdProperty) + ":" + VCardEscape(id));
  return out + "END:VCARD\r\n";
}
