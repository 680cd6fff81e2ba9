// The process-wide data directory and the count of open tables.
#include "data/office/datadir.h"

#include <gtest/gtest.h>

#include "storage/catalogue.h"
#include "tests/support/temp_dir.h"

namespace {

class DataDirTest : public ::testing::Test {
 protected:
  void TearDown() override { SetDataDirectory(""); }
  TempDir dir;
};

TEST_F(DataDirTest, DirectoryWithoutTrailingSlashGetsOne) {
  std::string path = dir.Path();
  path.pop_back();
  SetDataDirectory(path);
  EXPECT_EQ(DataDirectory(), dir.Path());
  SetDataDirectory(dir.Path());
  EXPECT_EQ(DataDirectory(), dir.Path());
}

TEST_F(DataDirTest, OpenAndCloseKeepTheCountAndAFailedOpenIsNotCounted) {
  Table fresh(kNoteTable);
  ASSERT_EQ(DbCreateTable(fresh, dir.Path(), kNoteTable.version), 1);
  SetDataDirectory(dir.Path());
  int before = OpenTableCount();
  Table a(kNoteTable), b(kNoteTable);
  ASSERT_EQ(DataOpenTable(a), 1);
  ASSERT_EQ(DataOpenTable(b), 1);
  EXPECT_EQ(OpenTableCount(), before + 2);
  DataCloseTable(a);
  DataCloseTable(a);  // closing twice counts once
  EXPECT_EQ(OpenTableCount(), before + 1);
  DataCloseTable(b);
  EXPECT_EQ(OpenTableCount(), before);
  // A failed open is not counted.
  Table missing(kSchedTable);
  EXPECT_EQ(DataOpenTable(missing), 0);
  EXPECT_EQ(DbGetError(), kDbOpenFailed);
  EXPECT_EQ(OpenTableCount(), before);
}

}  // namespace
