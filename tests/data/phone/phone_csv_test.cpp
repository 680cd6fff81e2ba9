// Phone lists as CSV: reading quoted fields across lines, the header by
// label and the checks that refuse a row. (Rows written and read back are
// the export test's.)
#include "data/phone/phone_csv.h"

#include <gtest/gtest.h>

namespace ph = records::phone;

namespace {

std::vector<CsvRow> ReadAll(std::string_view text) {
  CsvReader reader(text);
  std::vector<CsvRow> rows;
  CsvRow row;
  while (reader.Next(&row)) rows.push_back(row);
  return rows;
}

TEST(CsvReaderTest, QuotedFieldsHoldCommasQuotesAndLineBreaks) {
  auto rows = ReadAll(
      "a,\"b, c\",\"say \"\"hi\"\"\"\r\n"
      "\"two\r\nlines\",x\n"
      "last,,\n");
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].fields, (std::vector<std::string>{"a", "b, c", "say \"hi\""}));
  EXPECT_EQ(rows[1].fields, (std::vector<std::string>{"two\r\nlines", "x"}));
  EXPECT_EQ(rows[1].line, 2);
  EXPECT_EQ(rows[2].line, 4);  // the line break inside the quotes counted
  EXPECT_EQ(rows[2].fields, (std::vector<std::string>{"last", "", ""}));
}

TEST(CsvReaderTest, BrokenQuotesAreReportedForTheirLineAndReadingGoesOn) {
  auto rows = ReadAll("ok,1\n\"bad\"x,2\nnext,3\n\"open,4\n");
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[1].error, "text after a closing quote");
  EXPECT_EQ(rows[1].line, 2);
  EXPECT_EQ(rows[2].fields, (std::vector<std::string>{"next", "3"}));
  EXPECT_EQ(rows[3].error, "quoted field is not closed");
  // A byte order mark is passed over.
  rows = ReadAll("\xEF\xBB\xBFListname\n");
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].fields[0], "Listname");
}

TEST(PhoneCsvTest, HeaderMatchesLabelsInAnyCaseAndOrderAndSkipsOthers) {
  PhoneCsvHeader header;
  std::string reason;
  ASSERT_TRUE(
      PhoneCsvReadHeader({"phone 1", " LISTNAME ", "Birthday", "cell / pager"}, &header, &reason));
  EXPECT_EQ(header.columns, (std::vector<int>{9, 0, -1, 14}));
  EXPECT_EQ(header.unknown, (std::vector<std::string>{"Birthday"}));
  EXPECT_FALSE(PhoneCsvReadHeader({"Listname", "Fax", "FAX"}, &header, &reason));
}

TEST(PhoneCsvTest, AHeaderSeparatedBySemicolonsOrTabsSaysTheSeparatorIsWrong) {
  struct Case {
    std::vector<std::string> fields;
    std::string reason;
  };
  const Case cases[] = {
      {{"Company;Listname", "Fax"},
       "the header's fields are separated by semicolons; the "
       "separator must be a comma"},
      {{"Listname\tCompany"},
       "the header's fields are separated by tabs; the separator must "
       "be a comma"},
      {{"Company;City"}, "no Listname column in the header"},
      {{"Smith; Jones", "City"}, "no Listname column in the header"},
  };
  for (const Case& c : cases) {
    PhoneCsvHeader header;
    std::string reason;
    EXPECT_FALSE(PhoneCsvReadHeader(c.fields, &header, &reason)) << c.fields[0];
    EXPECT_EQ(reason, c.reason) << c.fields[0];
  }
}

class PhoneCsvRowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string reason;
    ASSERT_TRUE(
        PhoneCsvReadHeader({"Listname", "Company", "Misc info", "E-Mail"}, &header, &reason));
  }
  // Why the row cannot be stored; "" when it can.
  std::string Why(const std::vector<std::string>& fields) {
    std::string reason = "(no reason)";
    return PhoneCsvRecord(header, fields, 7, &record, &reason) ? "" : reason;
  }
  PhoneCsvHeader header;
  PhoneRecord record;
};

TEST_F(PhoneCsvRowTest, RowBecomesAnEntryInTheCodePage) {
  ASSERT_EQ(Why({"Z\u00FCrich AG", "Caf\u00E9 \u20AC", "line one\r\nline two\nthree", ""}), "");
  EXPECT_EQ(record.Listname(), "Z\xFCrich AG");
  EXPECT_EQ(record.Text(ph::kCompany), "Caf\xE9 \x80");
  EXPECT_EQ(record.Text(ph::kMisc), "line one\rline two\rthree");
  EXPECT_EQ(record.List(), 7);
}

TEST_F(PhoneCsvRowTest, RowsThatCannotBeStoredSayWhy) {
  EXPECT_EQ(Why({"  ", "Acme"}), "Listname is missing");
  EXPECT_EQ(Why({"Acme", std::string(41, 'x')}), "Company is longer than 40 characters");
  EXPECT_EQ(Why({"Acme", std::string(40, 'x')}), "");
  EXPECT_EQ(Why({"Acme", "", "", "\u6771\u4EAC@example.com"}),
            "E-Mail holds \"\u6771\", which Windows-1252 lacks");
  EXPECT_EQ(Why({"Acme", "caf\xE9"}), "Company is not UTF-8 text");
  EXPECT_EQ(Why({"Acme", "two\nlines"}), "Company holds a line break");
  EXPECT_NE(Why({"Acme", "", "", "", "surplus"}), "");
  EXPECT_EQ(Why({"Acme", "", "", "", ""}), "");  // a trailing comma
  // Multi-byte characters count as the one byte each they become.
  EXPECT_EQ(Why({"Acme", "\u00E9" + std::string(39, 'e')}), "");
}

}  // namespace
