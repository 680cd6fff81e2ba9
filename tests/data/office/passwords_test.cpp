// Passwords: the office passwords in the name table header, each person's
// password and protected areas, the password check with its results 0 to 4
// and the area check with its cache.
#include "data/office/passwords.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <deque>

#include "tests/data/office/startup_fixture.h"
#include "tests/support/lock_holder.h"

namespace nm = records::name;

namespace {

// Answers the password dialog from a script; an exhausted script fails the
// test, since it means a password was asked where none should be.
class ScriptedPassword : public PasswordPrompt {
 public:
  std::optional<std::string> Ask(const std::string& prompt) override {
    asked.push_back(prompt);
    if (answers.empty()) {
      ADD_FAILURE() << "password asked unexpectedly";
      return std::nullopt;
    }
    std::optional<std::string> a = answers.front();
    answers.pop_front();
    return a;
  }
  void Answer(std::optional<std::string> a) { answers.push_back(std::move(a)); }
  std::deque<std::optional<std::string>> answers;
  std::vector<std::string> asked;
};

class PasswordTest : public StartupTest {
 protected:
  void SetUp() override {
    StartupTest::SetUp();
    ForgetPasswordCache();
    AddName("Alice");
    AddName("Bob");
    AddName("Carol");
    AddName("*Sales");
    ASSERT_EQ(OpenDataDirectory(dir.Path()), 1) << FormatAppError();
  }

  // One check with one typed answer (nothing: cancelled).
  int Check(const std::string& name, int area, std::optional<std::string> typed) {
    ScriptedPassword p;
    p.Answer(std::move(typed));
    int result = CheckPassword(name, PasswordFormFor(name), area, p);
    EXPECT_EQ(p.asked, std::vector<std::string>{"Password:"}) << name << " area " << area;
    return result;
  }
  // One check that must not ask.
  int CheckUnasked(const std::string& name, int area) {
    ScriptedPassword p;
    int result = CheckPassword(name, PasswordFormFor(name), area, p);
    EXPECT_TRUE(p.asked.empty()) << name << " area " << area;
    return result;
  }
  std::vector<uint8_t> Header() {
    Table names(kNameTable);
    std::vector<uint8_t> header(nm::kHeaderSize);
    EXPECT_EQ(DbOpenTable(names, dir.Path()), 1);
    EXPECT_EQ(DbReadHeader(names, header.data()), 1);
    DbCloseTable(names);
    return header;
  }
};

TEST_F(PasswordTest, WithoutAMasterPasswordEveryCheckAnswersFourWithoutAsking) {
  ASSERT_EQ(WriteUserPassword("Alice", "alicepw"), 1);
  ASSERT_EQ(WriteProtectedAreas("Alice", kStoredAreas), 1);
  ASSERT_EQ(WritePhonePassword("phone"), 1);
  for (int area : {kAreaMessages, kAreaPhoneList, kAreaScheduler, kAreaTodo, kAreaUserPassword}) {
    EXPECT_EQ(CheckUnasked("Alice", area), kPasswordNotNeeded);
    EXPECT_EQ(CheckUnasked("*Sales", area), kPasswordNotNeeded);
    EXPECT_EQ(CheckUnasked("* - ALL", area), kPasswordNotNeeded);
  }
}

TEST_F(PasswordTest, ThePasswordMatrix) {
  // Alice protects messages and the scheduler; Bob has a password and
  // protects nothing; Carol has no password.
  ASSERT_EQ(WriteMasterPassword("Boss", false), 1);
  ASSERT_EQ(WritePhonePassword("Desk"), 1);
  ASSERT_EQ(WriteUserPassword("Alice", "AlicePW"), 1);
  ASSERT_EQ(WriteProtectedAreas("Alice", kAreaMessages | kAreaScheduler), 1);
  ASSERT_EQ(WriteUserPassword("Bob", "bobpw"), 1);
  struct Case {
    const char* name;
    int area;
    bool asks;
    std::optional<std::string> typed;
    int expected;
  };
  const std::nullopt_t none = std::nullopt;
  const Case cases[] = {
      // Every password opens messages, each with its own result.
      {"Alice", kAreaMessages, true, "bOSS", kPasswordMaster},
      {"Alice", kAreaMessages, true, "DESK", kPasswordPhone},
      {"Alice", kAreaMessages, true, "alicepw", kPasswordOwn},
      {"Alice", kAreaMessages, true, "wrong", kPasswordRefused},
      {"Alice", kAreaMessages, true, "", kPasswordRefused},
      {"Alice", kAreaMessages, true, none, kPasswordRefused},
      // The phone password opens only messages.
      {"Alice", kAreaScheduler, true, "desk", kPasswordRefused},
      {"Alice", kAreaPhoneList, false, none, kPasswordNotNeeded},
      // A password without protected areas is asked only in the
      // user-password dialog, which is always protected.
      {"Bob", kAreaMessages, false, none, kPasswordNotNeeded},
      {"Bob", kAreaUserPassword, true, "BOBPW", kPasswordOwn},
      // Without a password a person is open and owns the user-password dialog.
      {"Carol", kAreaMessages, false, none, kPasswordNotNeeded},
      {"Carol", kAreaUserPassword, false, none, kPasswordOwn},
      // The office lists need no password.
      {"COMMON", kAreaPhoneList, false, none, kPasswordNotNeeded},
      {"* COMMON", kAreaScheduler, false, none, kPasswordNotNeeded},
      // The group form knows only the master and phone passwords.
      {"*Sales", kAreaMessages, true, "boss", kPasswordMaster},
      {"*Sales", kAreaMessages, true, "desk", kPasswordPhone},
      {"*Sales", kAreaUserPassword, true, "desk", kPasswordRefused},
      {"*Sales", kAreaMessages, true, "anything", kPasswordRefused},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.asks ? Check(c.name, c.area, c.typed) : CheckUnasked(c.name, c.area), c.expected)
        << c.name << " area " << c.area << " typed " << c.typed.value_or("(cancel)");
  }
  // A name checked in the group form need not be in the table.
  ScriptedPassword p;
  p.Answer("BOSS");
  EXPECT_EQ(CheckPassword("* - ALL", PasswordForm::kGroup, kAreaUserPassword, p), kPasswordMaster);
  // A group asked for in the person form has no password of its own.
  ScriptedPassword q;
  q.Answer("");
  EXPECT_EQ(CheckPassword("*Sales", PasswordForm::kPerson, kAreaMessages, q), kPasswordRefused);
}

TEST_F(PasswordTest, APhonePasswordEqualToTheMasterOrEmptyCountsAsNotSet) {
  ASSERT_EQ(WriteMasterPassword("Boss", true), 1);
  OfficePasswords office;
  ASSERT_EQ(ReadOfficePasswords(&office), 1);
  EXPECT_EQ(office.phone, "Boss");
  EXPECT_FALSE(office.PhoneSet());
  ASSERT_EQ(WritePhonePassword("BOSS"), 1);
  EXPECT_EQ(Check("*Sales", kAreaMessages, "boss"), kPasswordMaster);
  // An empty phone password never opens anything.
  ASSERT_EQ(WritePhonePassword(""), 1);
  ASSERT_EQ(WriteUserPassword("Alice", "pw"), 1);
  ASSERT_EQ(WriteProtectedAreas("Alice", kAreaMessages), 1);
  EXPECT_EQ(Check("Alice", kAreaMessages, ""), kPasswordRefused);
  EXPECT_EQ(Check("*Sales", kAreaMessages, ""), kPasswordRefused);
}

TEST_F(PasswordTest, OfficePasswordsLieInTheHeaderAndMarkItWritten) {
  std::vector<uint8_t> before = Header();
  EXPECT_EQ(before[nm::kPasswordsWritten.offset], 0);
  ASSERT_EQ(WriteMasterPassword("AVeryLongMasterPassword", true), 1);
  std::vector<uint8_t> after = Header();
  EXPECT_EQ(FieldText(after.data(), nm::kMasterPassword), "AVeryLongMasterPass");
  EXPECT_EQ(FieldText(after.data(), nm::kPhonePassword), "AVeryLongMasterPass");
  EXPECT_EQ(after[nm::kPasswordsWritten.offset], 1);
  // The number counter and the version are untouched.
  EXPECT_EQ(FieldU32(after.data(), kHeaderUniqueNumber),
            FieldU32(before.data(), kHeaderUniqueNumber));
  EXPECT_EQ(after[4], 1);
  // Disabling stores an empty master password and keeps the phone password.
  ASSERT_EQ(WriteMasterPassword("", false), 1);
  OfficePasswords office;
  ASSERT_EQ(ReadOfficePasswords(&office), 1);
  EXPECT_FALSE(office.MasterSet());
  EXPECT_EQ(office.phone, "AVeryLongMasterPass");
}

TEST_F(PasswordTest, UserPasswordAndAreasChangeOnlyTheirOwnBytes) {
  NameRecord before;
  ASSERT_EQ(NameLookup("Alice", &before), 1);
  ASSERT_EQ(WriteUserPassword("alice", "Secret"), 1);
  ASSERT_EQ(WriteProtectedAreas("ALICE", 0xff), 1);
  UserPassword user;
  ASSERT_EQ(ReadUserPassword("Alice", &user), 1);
  EXPECT_EQ(user.password, "Secret");
  EXPECT_EQ(user.areas, kStoredAreas);
  NameRecord after;
  ASSERT_EQ(NameLookup("Alice", &after), 1);
  for (int i = 0; i < nm::kRecordSize - 1; ++i) {
    if (i >= nm::kPassword.offset && i < nm::kPassword.End()) continue;
    if (i == nm::kProtectedAreas.offset) continue;
    EXPECT_EQ(after.bytes[i], before.bytes[i]) << "byte " << i;
  }
  EXPECT_TRUE(Fails(ReadUserPassword("Ghost", &user), kAppNotFound));
  EXPECT_EQ(WriteUserPassword("*Sales", "x"), 0);
}

// Another workstation holds the name table's header, or Alice's record.
TEST_F(PasswordTest, WhatAnotherWorkstationHoldsIsNotChanged) {
  FastTicks fast;
  ASSERT_EQ(WriteMasterPassword("Old", true), 1);
  NameEntry alice;
  {
    NameTable names;
    ASSERT_EQ(NameOpen(names), 1);
    ASSERT_EQ(NameFind(names, "Alice", &alice), 1);
    NameClose(names);
  }
  {
    LockHolder header(dir.File("NAME.DAT"), 0);
    ASSERT_TRUE(header.Held());
    EXPECT_TRUE(Fails(WriteMasterPassword("New", true), kAppLockError));
  }
  LockHolder editor(dir.File("NAME.DAT"),
                    RecordLockByte(nm::kHeaderSize, nm::kRecordSize, alice.RecordNumber()));
  ASSERT_TRUE(editor.Held());
  EXPECT_TRUE(Fails(WriteUserPassword("Alice", "x"), kAppLockError));
  editor.Release();
  OfficePasswords office;
  ASSERT_EQ(ReadOfficePasswords(&office), 1);
  EXPECT_EQ(office.master, "Old");
  UserPassword user;
  ASSERT_EQ(ReadUserPassword("Alice", &user), 1);
  EXPECT_EQ(user.password, "");
  EXPECT_EQ(OpenTableCount(), 0);
}

TEST_F(PasswordTest, AnUnknownPersonIsShownAndRefused) {
  ASSERT_EQ(WriteMasterPassword("Boss", true), 1);
  EXPECT_EQ(CheckUnasked("Ghost", kAreaMessages), kPasswordRefused);
  EXPECT_EQ(prompts.shown, std::vector<std::string>{"DESKpost|Could not locate record: Ghost"});
}

TEST_F(PasswordTest, TheAreaCheckRemembersOneNamePerAreaThatNeededNoPassword) {
  ASSERT_EQ(WriteMasterPassword("Boss", true), 1);
  ASSERT_EQ(WriteUserPassword("Alice", "pw"), 1);
  ScriptedPassword p;
  EXPECT_TRUE(CheckArea("Alice", kAreaScheduler, p));
  // Now protected, but remembered for the scheduler (in any letter case).
  ASSERT_EQ(WriteProtectedAreas("Alice", kAreaScheduler | kAreaMessages), 1);
  EXPECT_TRUE(CheckArea("ALICE", kAreaScheduler, p));
  EXPECT_TRUE(p.asked.empty());
  // Not remembered for messages: asked, and an opening with a password is
  // not remembered.
  p.Answer("pw");
  EXPECT_TRUE(CheckArea("Alice", kAreaMessages, p));
  p.Answer("nope");
  EXPECT_FALSE(CheckArea("Alice", kAreaMessages, p));
  EXPECT_EQ(p.asked.size(), 2u);
  // Forgetting: the scheduler is asked again.
  ForgetPasswordCache();
  p.Answer(std::nullopt);
  EXPECT_FALSE(CheckArea("Alice", kAreaScheduler, p));
  EXPECT_EQ(p.asked.size(), 3u);
  // The cache holds one name per area.
  ForgetPasswordCache();
  p.asked.clear();
  EXPECT_TRUE(CheckArea("Alice", kAreaTodo, p));
  EXPECT_TRUE(CheckArea("Bob", kAreaTodo, p));
  ASSERT_EQ(WriteProtectedAreas("Alice", kAreaTodo), 1);
  // Bob took Alice's place for the to-do list.
  p.Answer("pw");
  EXPECT_TRUE(CheckArea("Alice", kAreaTodo, p));
  EXPECT_EQ(p.asked.size(), 1u);
}

TEST_F(PasswordTest, AMasterPasswordSetOnAnotherWorkstationTakesEffectAtOnce) {
  EXPECT_EQ(CheckUnasked("*Sales", kAreaMessages), kPasswordNotNeeded);
  CloseDataDirectory();
  ASSERT_EQ(InChild([&] {
              if (!OpenDataDirectory(dir.Path())) return 1;
              int ok = WriteMasterPassword("Boss", true);
              CloseDataDirectory();
              return ok ? 0 : 2;
            }),
            0);
  ASSERT_EQ(OpenDataDirectory(dir.Path()), 1);
  EXPECT_EQ(Check("*Sales", kAreaMessages, "boss"), kPasswordMaster);
}

}  // namespace
