// Phone list categories: names unique per list letter case aside, renaming
// and deleting, and the selection set of one entry with its 255 limit.
#include "data/phone/phone_category.h"

#include <gtest/gtest.h>

#include "tests/data/office/office_dir.h"

namespace lc = records::lc;

namespace {

constexpr int32_t kCommon = 0;
constexpr int32_t kAnne = 7;

class CategoryTest : public OfficeDirTest {
 protected:
  void SetUp() override {
    OfficeDirTest::SetUp();
    ASSERT_EQ(CategoryOpen(categories), 1);
    ASSERT_EQ(AssignmentOpen(assignments), 1);
  }
  void TearDown() override {
    if (categories.open) CategoryClose(categories);
    if (assignments.open) AssignmentClose(assignments);
    OfficeDirTest::TearDown();
  }

  std::vector<std::string> Names(int32_t list) {
    std::vector<std::string> names;
    CategoryEntry e;
    for (int ok = CategoryFirstOfList(categories, list, &e); ok;
         ok = CategoryNextInList(categories, list, &e))
      names.push_back(e.Name());
    return names;
  }

  // Adds the category expecting a refusal; the reason's code.
  int AddRefused(int32_t list, const std::string& name) {
    EXPECT_EQ(CategoryAdd(categories, list, name), 0) << name;
    return AppErrorCode();
  }

  // Appends assignments straight through the engine, as many workstations
  // would have over the years.
  void Assign(int32_t entryNumber, int32_t from, int32_t count) {
    for (int32_t c = from; c < from + count; ++c) {
      uint8_t record[lc::kRecordSize] = {};
      SetFieldI32(record, lc::kEntryNumber, entryNumber);
      SetFieldI32(record, lc::kCategory, c);
      ASSERT_EQ(DbAppendRecord(assignments.table, record), 1);
    }
  }

  CategoryTable categories;
  AssignmentTable assignments;
};

TEST_F(CategoryTest, NamesDifferingOnlyInCaseClashInOneListButNotInTwoAndBlanksAreRefused) {
  CategoryRecord first;
  ASSERT_EQ(CategoryAdd(categories, kCommon, "Clients", &first), 1);
  EXPECT_NE(first.Number(), 0);
  EXPECT_EQ(AddRefused(kCommon, "CLIENTS"), kAppDuplicate);
  EXPECT_EQ(CategoryAdd(categories, kAnne, "CLIENTS"), 1);
  ASSERT_EQ(CategoryAdd(categories, kCommon, "Airlines"), 1);
  EXPECT_EQ(Names(kCommon), (std::vector<std::string>{"Airlines", "Clients"}));
  EXPECT_EQ(Names(kAnne), (std::vector<std::string>{"CLIENTS"}));
  // Blank and overlong names are refused.
  EXPECT_EQ(AddRefused(kCommon, "   "), kAppInvalidName);
  EXPECT_EQ(AddRefused(kCommon, std::string(21, 'x')), kAppInvalidName);
  EXPECT_EQ(CategoryAdd(categories, kCommon, std::string(20, 'x')), 1);
}

TEST_F(CategoryTest, RenameKeepsTheNumberAndRefusesATakenName) {
  CategoryRecord a;
  ASSERT_EQ(CategoryAdd(categories, kCommon, "Vendors", &a), 1);
  ASSERT_EQ(CategoryAdd(categories, kCommon, "Clients"), 1);
  ASSERT_EQ(CategoryRename(categories, kCommon, "vendors", "Suppliers"), 1);
  CategoryEntry e;
  ASSERT_EQ(CategoryFind(categories, kCommon, "SUPPLIERS", &e), 1);
  EXPECT_EQ(e.Number(), a.Number());
  EXPECT_EQ(CategoryRename(categories, kCommon, "Suppliers", "clients"), 0);
  EXPECT_EQ(AppErrorCode(), kAppDuplicate);
  // A change of letter case alone is the same category.
  EXPECT_EQ(CategoryRename(categories, kCommon, "Suppliers", "SUPPLIERS"), 1);
  ASSERT_EQ(CategoryDelete(categories, kCommon, "suppliers"), 1);
  EXPECT_EQ(Names(kCommon), (std::vector<std::string>{"Clients"}));
}

TEST_F(CategoryTest, SearchFieldFindsTheFirstNameWithThePrefix) {
  for (const char* n : {"Banks", "Bakers", "Couriers"})
    ASSERT_EQ(CategoryAdd(categories, kCommon, n), 1);
  ASSERT_EQ(CategoryAdd(categories, kAnne, "Bazaar"), 1);
  CategoryEntry e;
  ASSERT_EQ(CategoryFindPrefix(categories, kCommon, "ba", &e), 1);
  EXPECT_EQ(e.Name(), "Bakers");
  ASSERT_EQ(CategoryFindPrefix(categories, kCommon, "BAN", &e), 1);
  EXPECT_EQ(e.Name(), "Banks");
  EXPECT_EQ(CategoryFindPrefix(categories, kCommon, "Baz", &e), 0);
  EXPECT_EQ(CategoryFindPrefix(categories, kCommon, "Zoo", &e), 0);
}

TEST_F(CategoryTest, ToggleAddsAndRemovesTheAssignment) {
  CategorySet set;
  ASSERT_EQ(CategoryLoadSet(assignments, 42, &set), 1);
  EXPECT_TRUE(set.Empty());
  ASSERT_EQ(CategoryToggle(assignments, 42, 5, &set), 1);
  ASSERT_EQ(CategoryToggle(assignments, 42, 9, &set), 1);
  CategorySet reloaded;
  ASSERT_EQ(CategoryLoadSet(assignments, 42, &reloaded), 1);
  EXPECT_EQ(reloaded.Count(), 2);
  EXPECT_TRUE(reloaded.Contains(5));
  EXPECT_TRUE(reloaded.Contains(9));

  ASSERT_EQ(CategoryToggle(assignments, 42, 5, &reloaded), 1);
  EXPECT_FALSE(reloaded.Contains(5));
  bool assigned = true;
  ASSERT_EQ(CategoryAssigned(assignments, 42, 5, &assigned), 1);
  EXPECT_FALSE(assigned);
  ASSERT_EQ(CategoryAssigned(assignments, 42, 9, &assigned), 1);
  EXPECT_TRUE(assigned);
}

TEST_F(CategoryTest, AtMost255AssignmentsAreLoadedAndThe256thCannotBeChosen) {
  Assign(42, 1, 300);
  Assign(43, 1, 1);  // the next entry's assignments are not this entry's
  CategorySet set;
  ASSERT_EQ(CategoryLoadSet(assignments, 42, &set), 1);
  EXPECT_EQ(set.Count(), 255);
  EXPECT_TRUE(set.Contains(255));
  EXPECT_FALSE(set.Contains(256));

  int32_t before = RecordCount(kLcTable);
  EXPECT_EQ(CategoryToggle(assignments, 42, 1000, &set), 0);
  EXPECT_EQ(AppErrorCode(), kAppMaxRecords);
  EXPECT_FALSE(set.Contains(1000));
  EXPECT_EQ(RecordCount(kLcTable), before);
  // A selection set holds 255 categories.
  set = CategorySet();
  for (int32_t c = 1; c <= 255; ++c) ASSERT_TRUE(set.Add(c));
  EXPECT_FALSE(set.Add(256));
  set.Remove(17);
  EXPECT_TRUE(set.Add(256));
  EXPECT_TRUE(set.Contains(256));
  EXPECT_FALSE(set.Add(0));
}

}  // namespace
