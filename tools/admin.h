// dpadmin: creates, checks, rebuilds and shows the files of a data
// directory. Each command lives in its own admin_<command>.cpp; what they
// share is declared here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "storage/database.h"

// Exit statuses of every command.
constexpr int kExitOk = 0;
constexpr int kExitProblems = 1;  // check found problems, reindex left records out, ...
constexpr int kExitError = 2;     // bad usage, or a file could not be read or written

int RunCreate(const std::vector<std::string>& args);
int RunCheck(const std::vector<std::string>& args);
int RunReindex(const std::vector<std::string>& args);
int RunDump(const std::vector<std::string>& args);
int RunDemo(const std::vector<std::string>& args);
int RunNames(const std::vector<std::string>& args);
int RunAddName(const std::vector<std::string>& args);
int RunRenameName(const std::vector<std::string>& args);
int RunRemoveName(const std::vector<std::string>& args);
int RunAddGroup(const std::vector<std::string>& args);
int RunMembers(const std::vector<std::string>& args);
int RunSend(const std::vector<std::string>& args);
int RunMessages(const std::vector<std::string>& args);
int RunFlags(const std::vector<std::string>& args);
int RunAddEntry(const std::vector<std::string>& args);
int RunAddTodo(const std::vector<std::string>& args);
int RunTodo(const std::vector<std::string>& args);
int RunSchedule(const std::vector<std::string>& args);
int RunPhoneList(const std::vector<std::string>& args);
int RunAddPhone(const std::vector<std::string>& args);
int RunImportPhone(const std::vector<std::string>& args);
int RunExportPhone(const std::vector<std::string>& args);
// dpadmin print DIR daily|weekly|monthly ...: the schedule prints (not in
// the fuzz build, which has no Qt).
bool IsSchedulePrintKind(const std::string& kind);
int AdminPrintSchedule(const std::vector<std::string>& args);
int RunPrint(const std::vector<std::string>& args);
int RunExportIcs(const std::vector<std::string>& args);
int RunImportIcs(const std::vector<std::string>& args);

// The directory argument as the engine wants it: ending in '/'.
std::string WithSlash(const std::string& directory);

// Checks that the directory exists and holds a data directory (DP.EXE or
// CAT.DAT) whose time zone this machine knows, and makes that zone the
// process's; prints why not and returns false otherwise.
bool RequireDataDirectory(const std::string& directory);
// Makes the office's time zone (DPDESK.CFG's TIMEZONE) the process's, so
// dates on the command line are read as the office's days; prints why not
// and returns false when the machine does not know the zone.
bool UseOfficeTimeZone(const std::string& directory);

// The table of that name (any letter case), or nullptr after printing the
// known names.
const TableDef* RequireTable(const std::string& name);

// "<table>.DAT" and "<table>.X<n>" (n from 1), the names problems are
// reported under.
std::string DataFileName(const TableDef& def);
std::string IndexFileName(const TableDef& def, int indexNumber);

// Builds index x's entry for a record exactly as the engine does: a zeroed
// buffer, the key builder, then the record number.
std::vector<uint8_t> BuildEntry(const TableDef& def, int x, const uint8_t* record,
                                int32_t recordNumber);

// Writes "dpadmin: <text>" to standard error.
void Complain(const std::string& text);

// Takes one lock byte with the engine's wait (about 15 seconds, no retry
// question); false when another workstation kept it.
bool LockByte(File& file, int64_t offset);

// Prints problems found in the files, one line each, "<file>: <text>" on
// standard output. After a hundred lines for one file the rest are counted.
class ProblemLog {
 public:
  void Add(const std::string& file, const std::string& text);
  // Prints the count of lines left out for the file, if any.
  void EndFile(const std::string& file);
  int Total() const { return total_; }

 private:
  std::string file_;
  int shownForFile_ = 0;
  int hiddenForFile_ = 0;
  int total_ = 0;
};
