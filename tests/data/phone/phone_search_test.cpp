// The phone list search: the record test with its "any of" criteria, exact
// matching with trailing blanks, categories, and the search that stays in
// the current list.
#include "data/phone/phone_search.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <functional>

#include "data/office/datadir.h"
#include "storage/check.h"
#include "storage/index_page.h"
#include "storage/worktable.h"
#include "tests/data/phone/phone_fixture.h"

namespace ph = records::phone;

namespace {

constexpr int32_t kCommon = 0;
constexpr int32_t kAnne = 7;

PhoneRecord Entry(int32_t list, const std::string& listname, const std::string& phone1) {
  PhoneRecord r;
  r.SetText(ph::kListname, listname);
  r.SetText(ph::kPhone1, phone1);
  SetFieldI32(r.bytes, ph::kList, list);
  SetFieldI32(r.bytes, ph::kEntryNumber, 100);
  return r;
}

bool Matches(const PhoneCriteria& c, const PhoneRecord& r) {
  return PhoneRecordMatches(c, r, r.List(), AssignmentPairs{});
}

// A criterion matches a part of its field, or of any of its fields, in
// any case; an exact one the whole text, trailing blanks aside.
TEST(PhoneRecordTest, EachCriterionLooksAtItsFields) {
  PhoneRecord r = Entry(kCommon, "Fischer", "555-0100");
  r.SetText(ph::kFax, "(555) 987-6543");
  r.SetText(ph::kCell, "111-2222");
  r.SetText(ph::kStreet2, "Suite 400");
  r.SetText(ph::kUrl, "www.fischer.example");
  r.SetText(ph::kCompany, "ACME TOOLS   ");
  using C = PhoneCriteria;
  const struct {
    std::string C::*criterion;
    const char* text;
    bool exact, matches;
  } cases[] = {{&C::phone, "987-65", false, true},
               {&C::phone, "555-0100", false, true},
               {&C::phone, "111", false, true},
               {&C::phone, "999", false, false},
               {&C::street, "suite", false, true},
               {&C::street, "Main", false, false},
               {&C::email, "FISCHER.EXAMPLE", false, true},
               {&C::company, "acme tools ", true, true},
               {&C::company, "acme", true, false},
               {&C::company, "acme", false, true}};
  for (const auto& c : cases) {
    PhoneCriteria criteria;
    criteria.*c.criterion = c.text;
    criteria.exact = c.exact;
    EXPECT_EQ(Matches(criteria, r), c.matches) << c.text << (c.exact ? " exact" : "");
  }
  // Another list never matches.
  EXPECT_FALSE(PhoneRecordMatches(PhoneCriteria{}, r, kAnne, AssignmentPairs{}));
}

TEST(PhoneRecordTest, EveryChosenCategoryMustBeAssigned) {
  PhoneRecord r = Entry(kCommon, "Fischer", "1");
  PhoneCriteria c;
  c.categories.Add(3);
  c.categories.Add(4);
  AssignmentPairs assigned{{100, 3}};
  EXPECT_FALSE(PhoneRecordMatches(c, r, kCommon, assigned));
  assigned.insert({100, 4});
  EXPECT_TRUE(PhoneRecordMatches(c, r, kCommon, assigned));
  EXPECT_FALSE(PhoneCriteriaNeedRecords(c));
  c.misc = "x";
  EXPECT_TRUE(PhoneCriteriaNeedRecords(c));
}

class PhoneSearchTest : public PhoneTableTest {
 protected:
  void TearDown() override {
    if (results.IsOpen()) DbCloseWorkTable(results);
    if (picked.IsOpen()) DbCloseWorkTable(picked);
    PhoneTableTest::TearDown();
  }

  int32_t AddFax(int32_t list, const std::string& listname, const std::string& fax) {
    PhoneRecord r = Make(list, listname);
    r.SetText(ph::kFax, fax);
    return Add(r);
  }

  std::vector<std::string> Found(const PhoneCriteria& c, const AssignmentPairs& assigned = {}) {
    EXPECT_EQ(PhoneSearch(phones, kCommon, c, assigned, results), 1) << FormatAppError();
    std::vector<std::string> names;
    for (int32_t row = 0; row < results.scratch; ++row) {
      uint8_t bytes[ph::x1::kLength] = {};
      EXPECT_EQ(DbReadCached(results, row, bytes), 1);
      names.push_back(FieldText(bytes, ph::x1::kListname));
    }
    return names;
  }

  Table results{"Wa9", ph::x1::kLength};
  Table picked{"Wb9", records::lc::x1::kLength};
};

TEST_F(PhoneSearchTest, ListNameOrPhoneSearchesTheCurrentList) {
  Add(kCommon, "Fischer");
  Add(kCommon, "Fisher Bank");
  Add(kCommon, "Lang");
  Add(kAnne, "Fischer");
  PhoneCriteria c;
  c.listname = "fis";
  EXPECT_EQ(Found(c), (std::vector<std::string>{"Fischer", "Fisher Bank"}));
  c.listname = "";
  EXPECT_EQ(Found(c).size(), 3u);
  // The phone criterion finds an entry by its fax.
  AddFax(kCommon, "Lang Ltd", "555-8888");
  AddFax(kAnne, "Other", "555-7777");
  AddFax(kCommon, "Fax only", "555-7777");
  c.phone = "7777";
  EXPECT_EQ(Found(c), (std::vector<std::string>{"Fax only"}));
}

TEST_F(PhoneSearchTest, CategoriesNarrowTheSearchToAssignedEntries) {
  int32_t fischer = Read(Add(kCommon, "Fischer")).EntryNumber();
  int32_t lang = Read(Add(kCommon, "Lang")).EntryNumber();
  AssignmentTable lcs;
  ASSERT_EQ(AssignmentOpen(lcs), 1);
  CategorySet own;
  ASSERT_EQ(CategoryToggle(lcs, fischer, 12, &own), 1);
  // Assignments of categories not asked for are not collected.
  ASSERT_EQ(CategoryToggle(lcs, lang, 13, &own), 1);
  PhoneCriteria c;
  c.categories.Add(12);
  AssignmentPairs assigned;
  ASSERT_EQ(PhoneCollectAssignments(lcs, c.categories, picked, &assigned), 1);
  AssignmentClose(lcs);
  EXPECT_EQ(picked.scratch, 1);
  EXPECT_EQ(assigned, (AssignmentPairs{{fischer, 12}}));
  EXPECT_EQ(Found(c, assigned), (std::vector<std::string>{"Fischer"}));
}

TEST_F(PhoneSearchTest, CancelEndsTheSearchWithTheRowsFoundSoFar) {
  Add(kCommon, "A");
  Add(kCommon, "B");
  Add(kCommon, "C");
  int asked = 0;
  ASSERT_EQ(
      PhoneSearch(phones, kCommon, PhoneCriteria{}, {}, results, [&] { return ++asked <= 2; }), 1);
  EXPECT_EQ(results.scratch, 2);
}

// Another workstation deletes an entry between the search's step to it and
// the read of its record: the entry is passed over and the search goes on.
TEST_F(PhoneSearchTest, AnEntryDeletedElsewhereMidSearchIsPassedOver) {
  for (const char* name : {"A", "B", "C"}) AddFax(kCommon, name, "555-0100");
  PhoneTable other;
  ASSERT_EQ(PhoneOpen(other), 1);
  PhoneEntry b;
  ASSERT_EQ(PhoneFind(other, kCommon, "B", "", &b), 1);
  PhoneCriteria c;
  c.phone = "0100";
  int asked = 0;
  auto deleteB = [&] { return ++asked != 2 || PhoneDelete(other, b.RecordNumber()) == 1; };
  EXPECT_EQ(PhoneSearch(phones, kCommon, c, {}, results, deleteB), 1) << FormatAppError();
  PhoneClose(other);
  EXPECT_EQ(AppErrorCode(), 0);
  EXPECT_EQ(results.scratch, 2);
  EXPECT_EQ(Found(c), (std::vector<std::string>{"A", "C"}));
}

// A search that cannot read its table fails with the reason, and its work
// table holds no half list: exactly the rows it counts.
TEST_F(PhoneSearchTest, ASearchThatCannotReadItsTableFails) {
  struct Case {
    const char* what;
    std::function<void()> damage;  // before the search
    std::function<void()> midway;  // at its first entry
    int code;
    unsigned checks;
  };
  const std::string index = dir.File("PHONE.X1"), records = dir.File("PHONE.DAT");
  const Case cases[] = {
      {"an index root claiming more entries than a page holds",
       [&] {
         // Another program's change, counted so the cached page is dropped.
         std::string bytes = ReadWholeFile(index);
         bytes[kPageCountOffset] = bytes[kPageCountOffset + 1] = '\xff';
         ++bytes[kPagePrevOffset];
         std::fstream(index, std::ios::binary | std::ios::in | std::ios::out) << bytes;
       },
       nullptr, kAppIndexCorrupt, 0},
      {"a record file cut short under the search", nullptr,
       [&] { ASSERT_EQ(truncate(records.c_str(), 0), 0); }, kAppReadError, 0},
      {"a table not opened", [&] { PhoneClose(phones); }, nullptr, 0, 1},
  };
  AddFax(kCommon, "A", "555-0100");
  AddFax(kCommon, "B", "555-0100");
  PhoneCriteria c;
  c.phone = "0100";
  const std::string goodIndex = ReadWholeFile(index), goodRecords = ReadWholeFile(records);
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    ASSERT_EQ(Found(c).size(), 2u);
    if (k.damage) k.damage();
    ClearAppError();
    const unsigned checks = CheckFailureCount();
    auto keepGoing = [&] {
      if (k.midway) k.midway();
      return true;
    };
    EXPECT_EQ(PhoneSearch(phones, kCommon, c, {}, results, keepGoing), 0);
    EXPECT_EQ(AppErrorCode(), k.code) << FormatAppError();
    EXPECT_EQ(CheckFailureCount() - checks, k.checks);
    EXPECT_EQ(results.data.Size(), int64_t(results.scratch) * ph::x1::kLength);
    if (phones.open) PhoneClose(phones);
    std::ofstream(index, std::ios::binary | std::ios::trunc) << goodIndex;
    std::ofstream(records, std::ios::binary | std::ios::trunc) << goodRecords;
    ASSERT_EQ(PhoneOpen(phones), 1);
  }
}

}  // namespace
