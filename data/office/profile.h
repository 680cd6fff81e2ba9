// Workstation settings in a private profile file (DPDESK.INI): sections in
// brackets, "key=value" lines, ";" comments.
//
// Sections and keys are matched without regard to letter case; the first
// section and the first key of a name count. A value is read with blanks
// around it removed and one pair of matching quotes stripped, up to its
// first NUL byte, and cut to the length the caller asks for. A missing or
// unreadable file reads as all defaults.
//
// Writing a key changes only that key's line (or adds one line, or a
// section at the end): comments, blank lines, unknown keys, other sections,
// their order and each line's own line ending stay byte for byte. The new
// text is written to a temporary file beside the old one and renamed over
// it, so a crash leaves either the old file or the new one.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

constexpr char kDefaultIniName[] = "DPDESK.INI";
// The section of the program's own settings.
constexpr char kMainSection[] = "DESKpost";
// Larger files are not profiles: they read as empty and are never rewritten.
constexpr size_t kMaxProfileBytes = size_t(1) << 20;

// The directory of this user's profile files, ending in '/':
// $XDG_CONFIG_HOME/deskpost/, else $HOME/.config/deskpost/.
std::string ConfigDirectory();
// The INI file of the run. A command line that is not blank names it: a
// bare file name lies in ConfigDirectory(), a name with a '/' is taken as it
// stands. Otherwise ConfigDirectory() + "DPDESK.INI".
std::string IniFilePath(std::string_view commandLine);

// The text of a profile, edited in memory line by line.
class ProfileText {
 public:
  explicit ProfileText(std::string text = {}) : text_(std::move(text)) {}

  // The value of the key, or nothing when the section or key is missing.
  std::optional<std::string> Get(std::string_view section, std::string_view key) const;
  // Sets the key's value; false (and nothing changed) when the section, key
  // or value could not be written back and read again as the same key: an
  // empty name, a line break or NUL anywhere, ']' in a section, '=' in a
  // key, a key starting with ';' or '[' or blanks around it.
  bool Set(std::string_view section, std::string_view key, std::string_view value);
  // Removes the key's line; true when it was there.
  bool Remove(std::string_view section, std::string_view key);

  const std::string& Text() const { return text_; }

 private:
  std::string text_;
};

// Reads the whole file; nothing when it is missing, unreadable or larger
// than kMaxProfileBytes. *missing tells a file that is not there from one
// that could not be read.
std::optional<std::string> ReadProfileFile(const std::string& path, bool* missing = nullptr);

// The value, or the default; either cut to maxLength bytes.
std::string ProfileGetString(const std::string& path, std::string_view section,
                             std::string_view key, std::string_view defaultValue, size_t maxLength);
// The value as a decimal integer: blanks, an optional sign, then digits up
// to the first other character (no digits: 0; beyond the int range: the
// nearest end). A missing key or an empty value gives the default.
int ProfileGetInt(const std::string& path, std::string_view section, std::string_view key,
                  int defaultValue);
// The value when the key is present.
std::optional<std::string> ProfileFind(const std::string& path, std::string_view section,
                                       std::string_view key);

// Writes the key (making the file and its directory when missing); false
// when the value cannot be written (see ProfileText::Set) or the file cannot
// be read or replaced, in which case the file is left as it was.
bool ProfileWriteString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value);
bool ProfileWriteInt(const std::string& path, std::string_view section, std::string_view key,
                     int value);
// Removes the key; true when it is gone afterwards.
bool ProfileDeleteKey(const std::string& path, std::string_view section, std::string_view key);

// Integer parsing shared with the readers of other settings files.
int ParseProfileInt(std::string_view text);
