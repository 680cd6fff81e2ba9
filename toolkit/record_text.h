// Text crosses from the record buffers (single-byte Windows-1252, NUL
// terminated within a fixed width) into the widgets (Unicode) here and
// nowhere else. A character that has no Windows-1252 byte is refused as it
// is typed or pasted; where a text arrives by other roads it is replaced by
// "?" where the user can see it, never stored as something else.
#pragma once

#include <QString>
#include <QValidator>
#include <cstddef>
#include <string>

// The text of a buffer of size bytes, read up to its NUL.
QString FromRecordText(const char* buffer, size_t size);
QString FromCp1252(const std::string& bytes);
// Whether every character of the text has a Windows-1252 byte.
bool FitsCp1252(const QString& text);
// The Windows-1252 bytes of text; a character with no byte becomes '?'.
std::string ToCp1252(const QString& text);
// Stores text into a buffer of size bytes: at most size - 1 characters,
// NUL padded.
void ToRecordText(const QString& text, char* buffer, size_t size);
// Upper case, letter by letter, keeping only capitals that Windows-1252
// has (so "ß" and "µ" stay as they are).
QString UpperCp1252(const QString& text);
// Replaces each character without a Windows-1252 byte by '?'.
QString ReplaceNonCp1252(const QString& text);

// Refuses input with a character that has no Windows-1252 byte and, for
// fields with the "All Caps" option, turns typed letters into capitals.
class Cp1252Validator : public QValidator {
  Q_OBJECT

 public:
  explicit Cp1252Validator(bool upperCase, QObject* parent = nullptr)
      : QValidator(parent), upperCase_(upperCase) {}
  State validate(QString& input, int& pos) const override;
  void SetUpperCase(bool on) { upperCase_ = on; }

 private:
  bool upperCase_;
};
