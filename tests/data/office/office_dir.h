// A data directory for the table modules' tests: every catalogue table
// created empty in a temporary directory, which becomes the process's data
// directory, with the start-up's error reporter installed.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>
#include <optional>
#include <string>

#include "data/messages/dpnote.h"
#include "data/office/datadir.h"
#include "data/office/dpname.h"
#include "data/office/empty_office.h"
#include "storage/catalogue.h"
#include "storage/check.h"
#include "storage/errors.h"
#include "storage/lockwait.h"
#include "tests/support/file_text.h"
#include "tests/support/temp_dir.h"

// A call that answered 0 with the application error's code, and its name
// when one is given. The error is cleared for the next call, so that a call
// failing without an error of its own is not covered by an older one.
inline ::testing::AssertionResult Fails(int result, int code,
                                        std::optional<std::string> name = std::nullopt) {
  const int got = AppErrorCode();
  const std::string gotName = AppErrorName();
  ClearAppError();
  if (result == 0 && got == code && (!name || gotName == *name))
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "answered " << result << " with error " << got << " \"" << gotName << "\"";
}

// The last byte of a record, which a workstation locks while it edits it.
inline int64_t RecordLockByte(int headerSize, int recordSize, int32_t record) {
  return int64_t(headerSize) + int64_t(record + 1) * recordSize - 1;
}

// Another program or workstation: a forked child doing the work, whose
// answer is its exit code. ChildExit waits for it (-1: it did not exit).
template <typename Work>
pid_t StartChild(Work work) {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(work());
  return child;
}
inline int ChildExit(pid_t child) {
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}
template <typename Work>
int InChild(Work work) {
  return ChildExit(StartChild(work));
}
// In a child, root becomes nobody, whom permissions stop.
inline bool BecomeNobody() {
  return ::geteuid() != 0 || (::setgid(65534) == 0 && ::setuid(65534) == 0);
}

class OfficeDirTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DbSetErrorReporter(TranslateEngineError);
    DbSetLockRetry(nullptr);
    IdxSetLockRetry(nullptr);
    SetCheckHandler([](const char*, unsigned) {});
    ASSERT_TRUE(CreateCatalogueTables(dir.Path()));
    SetDataDirectory(dir.Path());
    ClearAppError();
    openAtStart = OpenTableCount();
  }
  void TearDown() override {
    // Every module closes what it opens.
    EXPECT_EQ(OpenTableCount(), openAtStart);
    SetDataDirectory("");
    SetCheckHandler(nullptr);
    DbSetErrorReporter(nullptr);
  }

  int32_t RecordCount(const TableDef& def) {
    Table t(def);
    int32_t count = -1;
    if (DbOpenTable(t, dir.Path())) DbRecordCount(t, &count);
    DbCloseTable(t);
    return count;
  }

  // A new note holding the text; its number.
  int32_t NewNote(const std::string& text) {
    int32_t number = 0;
    EXPECT_EQ(NoteNew(&number), 1);
    EXPECT_EQ(NoteWrite(number, text), 1);
    return number;
  }

  // Adds people (or groups) to the name table; their name numbers by name.
  std::map<std::string, int32_t> AddNames(std::initializer_list<const char*> names) {
    std::map<std::string, int32_t> numbers;
    NameTable table;
    EXPECT_EQ(NameOpen(table), 1);
    for (const char* name : names) {
      NameEntry entry;
      EXPECT_EQ(NameAdd(table, name), 1) << name;
      EXPECT_EQ(NameFind(table, name, &entry), 1) << name;
      numbers[name] = entry.Number();
    }
    NameClose(table);
    return numbers;
  }

  TempDir dir;
  int openAtStart = 0;
};
