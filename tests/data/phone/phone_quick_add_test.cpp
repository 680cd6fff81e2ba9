// "Add to PhoneList" from a phone message.
#include "data/phone/phone_quick_add.h"

#include <gtest/gtest.h>

#include "tests/data/office/office_dir.h"

namespace ph = records::phone;
namespace msg = records::message;

namespace {

constexpr int32_t kAnne = 7;

class QuickAddTest : public OfficeDirTest {
 protected:
  void SetUp() override {
    OfficeDirTest::SetUp();
    ASSERT_EQ(PhoneOpen(phones), 1);
  }
  void TearDown() override {
    if (phones.open) PhoneClose(phones);
    OfficeDirTest::TearDown();
  }
  PhoneTable phones;
};

MessageRecord Slip(const char* from, const char* company, const char* phone, const char* ext) {
  MessageRecord m;
  SetFieldByte(m.bytes, msg::kKind, msg::kKindPhone);
  SetFieldText(m.bytes, msg::kFrom, from);
  SetFieldText(m.bytes, msg::kCompany, company);
  SetFieldText(m.bytes, msg::kPhone, phone);
  SetFieldText(m.bytes, msg::kExtension, ext);
  return m;
}

TEST_F(QuickAddTest, PhoneMessageBecomesAnEntryNamedByItsCompany) {
  QuickAdd result;
  ASSERT_EQ(PhoneQuickAddMessage(phones, kAnne,
                                 Slip("Mr. Fischer", "Fischer & Sons", "555-0142", "12"), &result),
            1);
  EXPECT_EQ(result, QuickAdd::kAdded);
  PhoneEntry e;
  ASSERT_EQ(PhoneFind(phones, kAnne, "Fischer & Sons", "555-0142", &e), 1);
  PhoneRecord r;
  ASSERT_EQ(PhoneRead(phones, e.RecordNumber(), &r), 1);
  EXPECT_EQ(r.Text(ph::kCompany), "Fischer & Sons");
  EXPECT_EQ(r.Text(ph::kContact), "Mr. Fischer");
  EXPECT_EQ(r.Text(ph::kExt1), "12");
  EXPECT_NE(r.EntryNumber(), 0);

  // The same again is reported, not stored twice.
  ASSERT_EQ(PhoneQuickAddMessage(phones, kAnne, Slip("Someone", "FISCHER & SONS", "555-0142", ""),
                                 &result),
            1);
  EXPECT_EQ(result, QuickAdd::kExists);
  EXPECT_EQ(RecordCount(kPhoneTable), 1);
}

TEST_F(QuickAddTest, WithoutCompanyTheCallerNamesTheEntryAndABlankMessageAddsNothing) {
  QuickAdd result;
  ASSERT_EQ(PhoneQuickAdd(phones, kAnne, "", "Tom", "555-0175", "", &result), 1);
  EXPECT_EQ(result, QuickAdd::kAdded);
  EXPECT_EQ(PhoneFind(phones, kAnne, "Tom", "555-0175"), 1);
  // A blank message adds nothing.
  ASSERT_EQ(PhoneQuickAdd(phones, kAnne, " ", "", "", "99", &result), 1);
  EXPECT_EQ(result, QuickAdd::kNothing);
  EXPECT_EQ(RecordCount(kPhoneTable), 1);
}

}  // namespace
