// A data directory for the table modules' tests: every catalogue table
// created empty in a temporary directory, which becomes the process's data
// directory, with the start-up's error reporter installed.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "data/messages/dpnote.h"
#include "data/office/datadir.h"
#include "data/office/dpname.h"
#include "data/office/empty_office.h"
#include "storage/catalogue.h"
#include "storage/check.h"
#include "storage/errors.h"
#include "storage/lockwait.h"
#include "tests/support/temp_dir.h"

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
