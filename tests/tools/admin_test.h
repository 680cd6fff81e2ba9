// What the dpadmin tests share: an office made by the real dpadmin in a
// temporary directory, dpadmin run on it, and a record's field read or
// overwritten straight in its file, as a bad disk or another program would,
// with the table's indexes rebuilt from the records to agree.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "data/office/datadir.h"
#include "data/office/dpname.h"
#include "storage/catalogue.h"
#include "storage/le.h"
#include "storage/records/field.h"
#include "storage/records/name.h"
#include "tests/support/dpadmin_run.h"
#include "tests/support/temp_dir.h"

// Whether text holds part, saying which and showing the text either way.
inline ::testing::AssertionResult Contains(const std::string& text, const std::string& part) {
  const bool in = text.find(part) != std::string::npos;
  return (in ? ::testing::AssertionSuccess() : ::testing::AssertionFailure())
         << "\"" << part << (in ? "\" is in:\n" : "\" is not in:\n") << text;
}

class AdminTest : public ::testing::Test {
 protected:
  DpadminRun Run(const std::vector<std::string>& args, const std::string& input = {}) {
    return RunDpadmin(args, scratch.Path(), input);
  }
  // Runs a command that must succeed and answers its output.
  std::string Expect(const std::vector<std::string>& args, const std::string& input = {}) {
    return Exits(0, args, input).out;
  }
  // Runs a command that must end with the exit status given; answers its run.
  DpadminRun Exits(int status, const std::vector<std::string>& args,
                   const std::string& input = {}) {
    DpadminRun run = Run(args, input);
    std::string command;
    for (const std::string& arg : args) command += " " + arg;
    EXPECT_EQ(run.status, status) << "dpadmin" << command << "\n" << ShowRun(run);
    return run;
  }
  void ExpectCheckClean() {
    EXPECT_TRUE(Contains(Exits(0, {"check", office}).out, "no problems found"));
  }
  // check of the whole office finds one problem, reported on the line given.
  void ExpectOneProblem(const std::string& line) {
    const std::string out = Exits(1, {"check", office}).out;
    EXPECT_TRUE(Contains(out, line));
    EXPECT_TRUE(Contains(out, "1 problem found"));
  }

  // A person's name number, as the office's name table holds it.
  int32_t NumberOf(const std::string& name) {
    SetDataDirectory(office);
    NameRecord record;
    const int32_t number = NameLookup(name, &record) ? record.Number() : 0;
    SetDataDirectory("");
    return number;
  }

  // Turns a person's send-log option on in their name record, as the
  // options window does (the byte is no part of any index key).
  void KeepSendLog(const std::string& name) {
    namespace nm = records::name;
    const std::string all = Records("NAME");
    for (size_t at = nm::kHeaderSize; at + nm::kRecordSize <= all.size(); at += nm::kRecordSize) {
      if (all[at] == 0 && all.compare(at + size_t(nm::kName.offset), name.size() + 1, name.c_str(),
                                      name.size() + 1) == 0)
        return Write("NAME", int((at - nm::kHeaderSize) / nm::kRecordSize), nm::kSendLog, "\1");
    }
    FAIL() << name << " has no record";
  }

  std::string Records(const std::string& table) const {
    return ReadWholeFile(office + table + ".DAT");
  }
  // The last number a table issued: the first field of its header.
  uint32_t LastIssued(const std::string& table) const {
    return GetU32(reinterpret_cast<const uint8_t*>(Records(table).data()));
  }
  // Where a field of record n lies in the table's file.
  static size_t At(const std::string& table, int n, Field field) {
    const TableDef& def = *FindTableDef(table);
    return size_t(def.headerSize) + size_t(n) * size_t(def.recordSize) + size_t(field.offset);
  }
  int32_t Number(const std::string& table, int n, Field field) const {
    const std::string all = Records(table);
    const size_t at = At(table, n, field);
    EXPECT_LE(at + 4, all.size());
    return at + 4 <= all.size() ? GetI32(reinterpret_cast<const uint8_t*>(all.data() + at)) : 0;
  }
  // Overwrites bytes of a record's field (at most its width), then rebuilds
  // the table's indexes from the records.
  void Write(const std::string& table, int n, Field field, const std::string& bytes) {
    ASSERT_LE(bytes.size(), size_t(field.width));
    {
      std::fstream file(office + table + ".DAT", std::ios::in | std::ios::out | std::ios::binary);
      file.seekp(std::streamoff(At(table, n, field)));
      file.write(bytes.data(), std::streamsize(bytes.size()));
      ASSERT_TRUE(file.good());
    }
    DpadminRun reindex = Run({"reindex", office, table});
    ASSERT_EQ(reindex.status, 0) << ShowRun(reindex);
  }
  void WriteNumber(const std::string& table, int n, Field field, int32_t value) {
    uint8_t bytes[4];
    PutI32(bytes, value);
    Write(table, n, field, std::string(reinterpret_cast<const char*>(bytes), 4));
  }

  TempDir scratch;
  std::string office = scratch.File("office/");
};
