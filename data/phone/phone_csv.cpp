#include "data/phone/phone_csv.h"

#include <algorithm>

#include "data/cp1252.h"
#include "storage/text_compare.h"

namespace ph = records::phone;

namespace {

constexpr PhoneCsvColumn kColumns[kPhoneCsvColumnCount] = {
    {"Listname", ph::kListname, "listname"},
    {"Company", ph::kCompany, "company"},
    {"Street 1", ph::kStreet1, "street1"},
    {"Street 2", ph::kStreet2, "street2"},
    {"City", ph::kCity, "city"},
    {"State", ph::kState, "state"},
    {"ZIP", ph::kZip, "zip"},
    {"Country", ph::kCountry, "country"},
    {"Contact", ph::kContact, "contact"},
    {"Phone 1", ph::kPhone1, "phone"},
    {"Ext 1", ph::kExt1, "ext"},
    {"Phone 2", ph::kPhone2, "phone2"},
    {"Ext 2", ph::kExt2, "ext2"},
    {"Fax", ph::kFax, "fax"},
    {"Cell / Pager", ph::kCell, "cell"},
    {"URL", ph::kUrl, "url"},
    {"E-Mail", ph::kEmail, "email"},
    {"ID", ph::kId, "id"},
    {"Misc info", ph::kMisc, "misc"},
};
constexpr int kListnameColumn = 0;
constexpr int kMiscColumn = 18;

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool IsBlank(std::string_view s) {
  return Trim(s).empty();
}

// Line breaks in any of the three conventions become the stored one.
std::string StoredLineBreaks(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      out += '\r';
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else if (text[i] == '\n') {
      out += '\r';
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace

CsvReader::CsvReader(std::string_view text) : text_(text) {
  if (text_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;
}

bool CsvReader::Next(CsvRow* row) {
  row->fields.clear();
  row->error.clear();
  if (pos_ >= text_.size()) return false;
  row->line = line_;
  const size_t n = text_.size();
  std::string field;
  while (true) {
    field.clear();
    if (pos_ < n && text_[pos_] == '"') {
      ++pos_;
      bool closed = false;
      while (pos_ < n) {
        char c = text_[pos_++];
        if (c == '"') {
          if (pos_ < n && text_[pos_] == '"') {
            field += '"';
            ++pos_;
            continue;
          }
          closed = true;
          break;
        }
        if (c == '\n') ++line_;
        field += c;
      }
      if (!closed) {
        row->error = "quoted field is not closed";
        row->fields.push_back(field);
        return true;
      }
      bool endsField = pos_ >= n || text_[pos_] == ',' || text_[pos_] == '\n' ||
                       (text_[pos_] == '\r' && pos_ + 1 < n && text_[pos_ + 1] == '\n');
      if (!endsField) {
        row->error = "text after a closing quote";
        while (pos_ < n && text_[pos_] != '\n') ++pos_;
        if (pos_ < n) {
          ++pos_;
          ++line_;
        }
        return true;
      }
    } else {
      while (pos_ < n && text_[pos_] != ',' && text_[pos_] != '\n' &&
             !(text_[pos_] == '\r' && pos_ + 1 < n && text_[pos_ + 1] == '\n'))
        field += text_[pos_++];
    }
    row->fields.push_back(field);
    if (pos_ >= n) return true;
    if (text_[pos_] == ',') {
      ++pos_;
      continue;
    }
    pos_ += text_[pos_] == '\r' ? 2 : 1;
    ++line_;
    return true;
  }
}

std::string CsvField(std::string_view value) {
  if (value.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(value);
  std::string out = "\"";
  for (char c : value) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

std::string CsvLine(const std::vector<std::string>& fields) {
  std::string line;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) line += ',';
    line += CsvField(fields[i]);
  }
  return line + "\r\n";
}

const PhoneCsvColumn* PhoneCsvColumns() {
  return kColumns;
}

int PhoneCsvColumnOf(std::string_view label) {
  std::string wanted(Trim(label));
  for (int i = 0; i < kPhoneCsvColumnCount; ++i)
    if (StrICmp(wanted.c_str(), kColumns[i].label) == 0) return i;
  return -1;
}

bool PhoneCsvReadHeader(const std::vector<std::string>& fields, PhoneCsvHeader* header,
                        std::string* reason) {
  header->columns.clear();
  header->unknown.clear();
  for (const std::string& label : fields) {
    int column = PhoneCsvColumnOf(label);
    if (column < 0 && !IsBlank(label)) header->unknown.push_back(label);
    if (column >= 0 && std::count(header->columns.begin(), header->columns.end(), column)) {
      *reason = std::string("the column ") + kColumns[column].label + " is named twice";
      return false;
    }
    header->columns.push_back(column);
  }
  if (!std::count(header->columns.begin(), header->columns.end(), kListnameColumn)) {
    *reason = "no Listname column in the header";
    // A list saved with semicolons or tabs between its fields (as some
    // spreadsheets do) reads as one field holding every label.
    for (char separator : {';', '\t'}) {
      for (const std::string& label : fields) {
        if (label.find(separator) == std::string::npos) continue;
        bool listname = false;
        for (size_t from = 0; from <= label.size();) {
          size_t end = label.find(separator, from);
          if (end == std::string::npos) end = label.size();
          listname =
              listname || PhoneCsvColumnOf(label.substr(from, end - from)) == kListnameColumn;
          from = end + 1;
        }
        if (listname) {
          *reason = std::string("the header's fields are separated by ") +
                    (separator == ';' ? "semicolons" : "tabs") + "; the separator must be a comma";
          return false;
        }
      }
    }
    return false;
  }
  return true;
}

bool CsvRowBlank(const CsvRow& row) {
  return std::all_of(row.fields.begin(), row.fields.end(),
                     [](const std::string& f) { return IsBlank(f); });
}

bool PhoneCsvSetField(int column, std::string_view utf8, PhoneRecord* record, std::string* reason) {
  const PhoneCsvColumn& col = kColumns[column];
  std::string text;
  std::string bad;
  if (!Utf8ToCp1252(utf8, &text, &bad)) {
    *reason = bad.rfind("\\x", 0) == 0
                  ? std::string(col.label) + " is not UTF-8 text"
                  : std::string(col.label) + " holds \"" + bad + "\", which Windows-1252 lacks";
    return false;
  }
  if (column == kMiscColumn) text = StoredLineBreaks(text);
  for (char c : text) {
    uint8_t b = uint8_t(c);
    if (b >= 0x20 || (column == kMiscColumn && b == '\r')) continue;
    *reason = std::string(col.label) +
              (b == '\r' || b == '\n' ? " holds a line break" : " holds a control character");
    return false;
  }
  if (text.size() > size_t(col.field.width - 1)) {
    *reason = std::string(col.label) + " is longer than " + std::to_string(col.field.width - 1) +
              " characters";
    return false;
  }
  if (column == kListnameColumn && !text.empty() && uint8_t(text[0]) == 0xFF) {
    *reason = "Listname cannot begin with \"\u00FF\"";
    return false;
  }
  record->SetText(col.field, text);
  return true;
}

bool PhoneCsvRecord(const PhoneCsvHeader& header, const std::vector<std::string>& fields,
                    int32_t list, PhoneRecord* record, std::string* reason) {
  *record = PhoneRecord{};
  for (size_t i = header.columns.size(); i < fields.size(); ++i) {
    if (!IsBlank(fields[i])) {
      *reason = std::to_string(fields.size()) + " fields, but the header names " +
                std::to_string(header.columns.size());
      return false;
    }
  }
  for (size_t i = 0; i < fields.size() && i < header.columns.size(); ++i) {
    int column = header.columns[i];
    if (column >= 0 && !PhoneCsvSetField(column, fields[i], record, reason)) return false;
  }
  if (IsBlank(record->Listname())) {
    *reason = "Listname is missing";
    return false;
  }
  SetFieldI32(record->bytes, ph::kList, list);
  return true;
}

std::string PhoneCsvHeaderLine() {
  std::vector<std::string> labels;
  for (const PhoneCsvColumn& c : kColumns) labels.emplace_back(c.label);
  return CsvLine(labels);
}

std::string PhoneCsvEntryLine(const PhoneRecord& record) {
  std::vector<std::string> fields;
  for (const PhoneCsvColumn& c : kColumns) {
    std::string text = record.Text(c.field);
    if (c.field.offset == ph::kMisc.offset) {
      // The stored line break travels as the file's own.
      std::string lines;
      for (char ch : text) lines += ch == '\r' ? std::string("\r\n") : std::string(1, ch);
      text = lines;
    }
    fields.push_back(Cp1252ToUtf8(text));
  }
  return CsvLine(fields);
}
