// What the dpadmin commands that work on an office's people and messages
// share: opening the data directory the way the program does, acting as one
// of its people, and converting text between the terminal's UTF-8 and the
// files' Windows-1252.
#pragma once

#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "data/office/dpname.h"
#include "storage/records/message.h"
#include "storage/worktable.h"
#include "tools/admin.h"

// The data directory opened with the program's own checks (DP.EXE, locking,
// the directory version, DPE and SENDLOG); closed again when it goes.
class OfficeSession {
 public:
  OfficeSession() = default;
  ~OfficeSession();
  OfficeSession(const OfficeSession&) = delete;
  OfficeSession& operator=(const OfficeSession&) = delete;
  // Prints why not and answers false when the directory cannot be opened.
  bool Open(const std::string& directory);
  // Makes the person the user that sends and whose send-log option counts.
  // A group or an unknown name is refused with a message.
  bool ActAs(const std::string& name, NameRecord* record = nullptr);

 private:
  bool open_ = false;
};

// A command-line text in Windows-1252. A character the files cannot hold is
// refused with a message naming the argument ("--text") and the character.
bool FileText(const std::string& utf8, const std::string& what, std::string* out);
// Line breaks of a message text as the record and its note keep them: a
// single carriage return for each "\n" or "\r\n".
std::string WithStoredLineBreaks(const std::string& text);
// Line breaks of an e-mail body as typed at a desk: "\r\n" for each "\n".
std::string WithCrLf(const std::string& text);
// "12-6-26 7:05pm": the date as the program shows it and the time as its
// lists do, in local time; "-" for none.
std::string ShownTime(int32_t seconds);
// A text from the files for the terminal.
std::string Shown(const std::string& fileText);

// Complains with the current application error after the given words.
void ComplainAppError(const std::string& what);

// Options of the form "--name value", "--flag" and positionals, in order.
struct ParsedOptions {
  std::vector<std::string> positional;
  std::vector<std::pair<std::string, std::string>> values;  // in the order given
  std::vector<std::string> flags;
  bool Has(const std::string& flag) const;
  // The last value given for the option, or def.
  std::string Value(const std::string& option, const std::string& def = std::string()) const;
  std::vector<std::string> All(const std::string& option) const;
  bool Given(const std::string& option) const;
};
// Parses args against the known value options and flags; anything else
// starting with "--" is refused with a message.
bool ParseOptions(const std::vector<std::string>& args, const std::vector<std::string>& valued,
                  const std::vector<std::string>& flags, ParsedOptions* out);

// A person's folder given on the command line: "new", "archive", a folder's
// number or one of the person's folder names (owner's name number).
// Complains and answers false when the person has no such folder.
bool FolderNumber(const std::string& given, int32_t owner, int32_t* folder);

// The list is built in a work table of dpadmin's own, never in the
// person's "W<number>", which their running program may be showing.
class PrivateWorkTable {
 public:
  explicit PrivateWorkTable(int32_t rowSize = records::message::list_row::kLength)
      : table("W", rowSize) {}
  ~PrivateWorkTable() {
    if (table.IsOpen()) DbCloseWorkTable(table);
    if (!directory_.empty()) {
      std::error_code ignored;
      std::filesystem::remove_all(directory_, ignored);
    }
  }
  bool Open() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/dpadmin-XXXXXX";
    if (!mkdtemp(pattern.data())) {
      Complain("cannot make a scratch directory under " + pattern);
      return false;
    }
    directory_ = pattern + "/";
    if (!DbOpenWorkTable(table, directory_)) {
      ComplainAppError("cannot make the list's work table");
      return false;
    }
    return true;
  }
  Table table;

 private:
  std::string directory_;
};
