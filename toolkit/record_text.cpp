#include "toolkit/record_text.h"

#include <array>
#include <cstring>

#include "data/cp1252.h"

namespace {

// The Unicode character of every Windows-1252 byte, and back.
struct Table {
  std::array<char16_t, 256> unicode{};
  Table() {
    for (int b = 1; b < 256; ++b) {
      QString s = QString::fromUtf8(Cp1252ToUtf8(std::string(1, char(b))));
      unicode[size_t(b)] = s.size() == 1 ? s[0].unicode() : u'?';
    }
  }
  int ByteOf(QChar c) const {
    char16_t u = c.unicode();
    if (u == 0) return -1;
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return u;
    for (int b = 0x80; b < 0xA0; ++b) {
      if (unicode[size_t(b)] == u) return b;
    }
    return -1;
  }
};

const Table& Cp() {
  static const Table table;
  return table;
}

}  // namespace

QString FromCp1252(const std::string& bytes) {
  return QString::fromUtf8(Cp1252ToUtf8(bytes));
}

QString FromRecordText(const char* buffer, size_t size) {
  return FromCp1252(std::string(buffer, strnlen(buffer, size)));
}

bool FitsCp1252(const QString& text) {
  for (QChar c : text) {
    if (Cp().ByteOf(c) < 0) return false;
  }
  return true;
}

std::string ToCp1252(const QString& text) {
  std::string out;
  out.reserve(size_t(text.size()));
  for (QChar c : text) {
    int b = Cp().ByteOf(c);
    out += b < 0 ? '?' : char(b);
  }
  return out;
}

void ToRecordText(const QString& text, char* buffer, size_t size) {
  if (size == 0) return;
  std::string bytes = ToCp1252(text);
  if (bytes.size() > size - 1) bytes.resize(size - 1);
  std::memset(buffer, 0, size);
  std::memcpy(buffer, bytes.data(), bytes.size());
}

QString UpperCp1252(const QString& text) {
  QString out = text;
  for (qsizetype i = 0; i < out.size(); ++i) {
    QString up = QString(out[i]).toUpper();
    if (up.size() == 1 && Cp().ByteOf(up[0]) >= 0) out[i] = up[0];
  }
  return out;
}

QString ReplaceNonCp1252(const QString& text) {
  QString out = text;
  for (qsizetype i = 0; i < out.size(); ++i) {
    if (Cp().ByteOf(out[i]) < 0) out[i] = u'?';
  }
  return out;
}

QValidator::State Cp1252Validator::validate(QString& input, int&) const {
  if (!FitsCp1252(input)) return Invalid;
  if (upperCase_) input = UpperCp1252(input);
  return Acceptable;
}
