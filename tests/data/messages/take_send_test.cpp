// Send from a gathered Take form: the text cut into its field with the rest
// kept as the long-text note, From from Company, one person, a group with
// and without its CC list, and the question asked only when it should be.
#include "data/messages/take_send.h"

#include <tuple>

#include "tests/data/messages/message_fixture.h"

namespace msg = records::message;

namespace {

class TakeSendTest : public MessageTest {
 protected:
  static MessageRecord Fresh(uint8_t kind) { return Record(kind, "", "ALICE"); }
};

TEST_F(TakeSendTest, TextOfExactlyTheFieldStaysInTheRecordAlone) {
  for (uint8_t kind : {msg::kKindPhone, msg::kKindMemo}) {
    const size_t limit = kind == msg::kKindPhone ? 260 : 416;
    MessageRecord r = Fresh(kind);
    EXPECT_EQ(TakeGatherText(r, std::string(limit, 'x')), "");
    MessageRecord longer = Fresh(kind);
    const std::string text = std::string(limit, 'y') + "z";
    EXPECT_EQ(TakeGatherText(longer, text), text);
    const Field field = kind == msg::kKindPhone ? msg::kPhoneText : msg::kMemoText;
    EXPECT_EQ(FieldText(longer.bytes, field), std::string(limit, 'y'));
  }
}

TEST_F(TakeSendTest, BlankCallerTakesTheFirstTwentyCharactersOfCompany) {
  MessageRecord r = Fresh(msg::kKindPhone);
  SetFieldText(r.bytes, msg::kFrom, "   ");
  SetFieldText(r.bytes, msg::kCompany, "Consolidated Widgets of Springfield");
  TakeGatherFrom(r);
  EXPECT_EQ(r.From(), "Consolidated Widgets");
  SetFieldText(r.bytes, msg::kFrom, "Tom");
  TakeGatherFrom(r);
  EXPECT_EQ(r.From(), "Tom");
}

TEST_F(TakeSendTest, LongTextReachesThePersonAsTheirOwnNoteAndAShortOneDropsIt) {
  MessageRecord r = Fresh(msg::kKindMemo);
  const std::string text(900, 'm');
  const std::string longText = TakeGatherText(r, text);
  ASSERT_EQ(TakeSend(r, longText, {"BOB", bob, {}}, msg::kFolderNew, nullptr), 1)
      << FormatAppError();
  auto stored = Stored();
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_EQ(stored[0].To(), "BOB");
  EXPECT_EQ(stored[0].Time(), now);
  EXPECT_EQ(NoteText(stored[0].LongTextNote()), text);
  EXPECT_EQ(Flag(bob), 1);
  // A short text after a long one drops the old note.
  r = Fresh(msg::kKindMemo);
  int32_t note = 0;
  ASSERT_EQ(NoteNew(&note), 1);
  SetFieldI32(r.bytes, msg::kLongTextNote, note);
  ASSERT_EQ(TakeSend(r, TakeGatherText(r, "short"), {"BOB", bob, {}}, 1, nullptr), 1);
  EXPECT_EQ(Stored()[1].LongTextNote(), 0);
  std::string gone;
  EXPECT_EQ(NoteRead(note, &gone), 0);
}

// Everybody and a group of two are asked about a CC list, a group of one is
// not; declined, the copies go without one.
TEST_F(TakeSendTest, AllAndAGroupOfTwoAreAskedAboutCCAndOneIsNot) {
  int asked = 0;
  bool answer = true;
  auto ask = [&] {
    ++asked;
    return answer;
  };
  MessageRecord r = Fresh(msg::kKindMemo);
  GroupSendResult result;
  ASSERT_EQ(TakeSend(r, "", {"*SALES", 0, {numbers["*SALES"], bob, carol}}, 1, ask, &result), 1);
  EXPECT_EQ(std::tuple(asked, result.stored), std::tuple(1, 2));
  for (const MessageRecord& m : Stored()) EXPECT_TRUE(m.Flags() & msg::kFlagCcList) << m.To();
  r = Fresh(msg::kKindMemo);
  ASSERT_EQ(TakeSend(r, "", {"* - TAG", 0, {bob}}, 1, ask, &result), 1);
  EXPECT_EQ(std::tuple(asked, result.stored), std::tuple(1, 1));
  answer = false;
  r = Fresh(msg::kKindPhone);
  ASSERT_EQ(TakeSend(r, "", {"* - ALL", 0, {}}, 1, ask, &result), 1);
  EXPECT_EQ(std::tuple(asked, result.stored), std::tuple(2, 3));
  std::vector<MessageRecord> stored = Stored();
  ASSERT_EQ(stored.size(), 6u);
  for (size_t i = 2; i < 6; ++i) EXPECT_FALSE(stored[i].Flags() & msg::kFlagCcList) << i;
  // An empty To is refused and nothing stored.
  r = Fresh(msg::kKindMemo);
  EXPECT_EQ(TakeSend(r, std::string(500, 'x'), {"", 0, {}}, 1, nullptr), 0);
  EXPECT_EQ(Stored().size(), 6u);
  EXPECT_EQ(r.LongTextNote(), 0);
}

}  // namespace
