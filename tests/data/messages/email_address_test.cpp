#include "data/messages/email_address.h"

#include "data/office/dpname.h"
#include "tests/data/messages/email_fixture.h"

namespace {

std::vector<std::string> Texts(std::string_view list) {
  std::vector<std::string> out;
  for (const RecipientItem& item : RecipientItems(list)) out.push_back(item.text);
  return out;
}

TEST(RecipientItemsTest, CommasSeparateExceptInsideQuotesAndLeadingBlanksGo) {
  EXPECT_EQ(Texts("Bob,  Carl ,x@y.com"), (std::vector<std::string>{"Bob", "Carl ", "x@y.com"}));
  EXPECT_EQ(Texts("\"Smith, Ann\" <ann@example.com>, Bob"),
            (std::vector<std::string>{"\"Smith, Ann\" <ann@example.com>", "Bob"}));
  EXPECT_EQ(Texts("Bob,, ,Carl,"), (std::vector<std::string>{"Bob", "Carl"}));
  EXPECT_TRUE(Texts("").empty());
  // Only the first 255 characters are a list.
  std::string longList = std::string(254, 'a') + ",Bob";
  EXPECT_EQ(Texts(longList), (std::vector<std::string>{std::string(254, 'a')}));
}

TEST(RecipientItemsTest, AnInternetAddressHasOneAtSignNeitherFirstNorLast) {
  EXPECT_TRUE(IsInternetAddress("a@b"));
  EXPECT_TRUE(IsInternetAddress("\"Ann\" <ann@example.com>"));
  EXPECT_FALSE(IsInternetAddress("@b"));
  EXPECT_FALSE(IsInternetAddress("ab@"));
  EXPECT_FALSE(IsInternetAddress("@bc"));
  EXPECT_FALSE(IsInternetAddress("a@b@c"));
  EXPECT_FALSE(IsInternetAddress("Bob"));
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
  EXPECT_TRUE(r[0].local);
  EXPECT_EQ(r[0].text, "Bob");
  EXPECT_EQ(r[0].number, bob);
  EXPECT_FALSE(r[1].local);
  EXPECT_EQ(r[1].text, "\"Smith, Ann\" <ann@x.org>");
  EXPECT_EQ(r[2].text, "Carl Jones");
  EXPECT_EQ(spelled, "Bob, \"Smith, Ann\" <ann@x.org>,Carl Jones");
}

TEST_F(RecipientsTest, AnItemThatIsNeitherIsAnInvalidName) {
  std::vector<Recipient> r;
  for (const char* bad : {"Dora", "x@", "@x", "a@b@c", "*Sales", "An Extremely Long N2"}) {
    EXPECT_EQ(ResolveRecipients(std::string("Bob, ") + bad, &r), 0) << bad;
    EXPECT_EQ(AppErrorCode(), kAppInvalidName);
    EXPECT_EQ(AppErrorName(), bad);
  }
  // A name of 19 characters is still a local name.
  ASSERT_EQ(ResolveRecipients("an extremely long n", &r), 1);
  EXPECT_TRUE(r[0].local);
}

TEST(SplitAddressTest, NameAndAddressAroundTheFirstAtSignOutsideQuotes) {
  std::string name, address;
  SplitAddress("Ann Smith <ann@example.com>", &name, 64, &address, 128);
  EXPECT_EQ(name, "Ann Smith ");
  EXPECT_EQ(address, "ann@example.com");
  SplitAddress("\"ann@home\" <ann@example.com>", &name, 64, &address, 128);
  EXPECT_EQ(name, "\"ann@home\" ");
  EXPECT_EQ(address, "ann@example.com");
  SplitAddress("ann@example.com", &name, 64, &address, 128);
  EXPECT_EQ(name, "");
  EXPECT_EQ(address, "ann@example.com");
  SplitAddress("Ann Smith", &name, 64, &address, 128);
  EXPECT_EQ(name, "Ann Smith");
  EXPECT_EQ(address, "");
  SplitAddress("Ann Smith <ann@example.com>", &name, 4, &address, 6);
  EXPECT_EQ(name, "Ann");
  EXPECT_EQ(address, "ann@e");
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
