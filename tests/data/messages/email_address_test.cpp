#include "data/messages/email_address.h"

#include <tuple>

#include "data/office/dpname.h"
#include "tests/data/messages/email_fixture.h"
#include "tests/data/messages/message_checks.h"

namespace {

using Texts = std::vector<std::string>;

Texts ItemTexts(std::string_view list) {
  Texts out;
  for (const RecipientItem& item : RecipientItems(list)) out.push_back(item.text);
  return out;
}

TEST(RecipientItemsTest, CommasSeparateExceptInsideQuotesAndLeadingBlanksGo) {
  EXPECT_EQ(ItemTexts("Bob,  Carl ,x@y.com"), (Texts{"Bob", "Carl ", "x@y.com"}));
  EXPECT_EQ(ItemTexts("\"Smith, Ann\" <ann@example.com>, Bob"),
            (Texts{"\"Smith, Ann\" <ann@example.com>", "Bob"}));
  EXPECT_EQ(ItemTexts("Bob,, ,Carl,"), (Texts{"Bob", "Carl"}));
  EXPECT_TRUE(ItemTexts("").empty());
  // Only the first 255 characters are a list.
  EXPECT_EQ(ItemTexts(std::string(254, 'a') + ",Bob"), Texts{std::string(254, 'a')});
}

class RecipientsTest : public EmailDirTest {
 protected:
  void SetUp() override {
    EmailDirTest::SetUp();
    bob = AddNames({"Bob", "Carl Jones", "*Sales", "An Extremely Long N"})["Bob"];
  }
  int32_t bob = 0;
};

TEST_F(RecipientsTest, LocalNamesAreSpelledAsStoredAndAddressesKept) {
  std::vector<Recipient> r;
  std::string spelled;
  ASSERT_EQ(ResolveRecipients("bob, \"Smith, Ann\" <ann@x.org>,CARL JONES", &r, &spelled), 1);
  ASSERT_EQ(r.size(), 3u);
  EXPECT_EQ(std::tuple(r[0].local, r[0].text, r[0].number), std::tuple(true, "Bob", bob));
  EXPECT_EQ(std::tuple(r[1].local, r[1].text), std::tuple(false, "\"Smith, Ann\" <ann@x.org>"));
  EXPECT_EQ(std::tuple(r[2].local, r[2].text), std::tuple(true, "Carl Jones"));
  EXPECT_EQ(spelled, "Bob, \"Smith, Ann\" <ann@x.org>,Carl Jones");
}

// An Internet address has one at sign, neither first nor last.
TEST_F(RecipientsTest, AnItemThatIsNeitherIsAnInvalidName) {
  std::vector<Recipient> r;
  for (const char* bad : {"Dora", "x@", "@x", "a@b@c", "*Sales", "An Extremely Long N2"})
    EXPECT_TRUE(Fails(ResolveRecipients(std::string("Bob, ") + bad, &r), kAppInvalidName, bad));
  // A name of 19 characters is still a local name.
  ASSERT_EQ(ResolveRecipients("an extremely long n", &r), 1);
  EXPECT_TRUE(r[0].local);
}

TEST(SplitAddressTest, NameAndAddressAroundTheFirstAtSignOutsideQuotesCutToTheirWidths) {
  auto split = [](const char* text, size_t nameWidth = 64, size_t addressWidth = 128) {
    std::string name = "stale", address = "stale";
    SplitAddress(text, &name, nameWidth, &address, addressWidth);
    return name + "|" + address;
  };
  EXPECT_EQ(split("Ann Smith <ann@example.com>"), "Ann Smith |ann@example.com");
  EXPECT_EQ(split("\"ann@home\" <ann@example.com>"), "\"ann@home\" |ann@example.com");
  EXPECT_EQ(split("ann@example.com"), "|ann@example.com");
  EXPECT_EQ(split("Ann Smith"), "Ann Smith|");
  EXPECT_EQ(split("Ann Smith <ann@example.com>", 4, 6), "Ann|ann@e");
}

TEST(DefaultFromTest, OwnAddressThenNameAtDomainThenNameUntilEdited) {
  EXPECT_EQ(DefaultFrom("Sue Brown", "sue@home.example", "office.example"), "sue@home.example");
  EXPECT_EQ(DefaultFrom("Sue Brown", "   ", "office.example"), "sue brown@office.example");
  EXPECT_EQ(DefaultFrom("Sue Brown", "", ""), "Sue Brown");
  EXPECT_EQ(DefaultFrom("Sue", "", std::string(200, 'd')).size(), 127u);
  // It follows To and CC until edited.
  EXPECT_EQ(RederivedFrom("", "", "kept", "Sue", "sue@o.example"), "kept");
  EXPECT_EQ(RederivedFrom("Bob", "x@y.z", "Sue", "Sue", "sue@o.example"), "sue@o.example");
  EXPECT_EQ(RederivedFrom("Bob", "", "sue@o.example", "Sue", "sue@o.example"), "Sue");
}

}  // namespace
