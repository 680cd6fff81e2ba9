#include "data/messages/email_text.h"

#include <cstdlib>
#include <ctime>

#include "gtest/gtest.h"

namespace {

TEST(ReplySubjectTest, ReGoesInFrontUnlessItIsThereInAnyCase) {
  EXPECT_EQ(ReplySubject("Lunch"), "Re: Lunch");
  EXPECT_EQ(ReplySubject("RE: Lunch"), "RE: Lunch");
  EXPECT_EQ(ReplySubject("Re:Lunch"), "Re: Re:Lunch");
  EXPECT_EQ(ReplySubject("Regarding lunch"), "Re: Regarding lunch");
  EXPECT_EQ(ReplySubject(""), "Re: ");
  std::string s = ReplySubject(std::string(127, 'x'));
  EXPECT_EQ(s.size(), 127u);
  EXPECT_EQ(s.substr(0, 5), "Re: x");
}

TEST(ReflowTest, LinesOfAParagraphAreJoinedAndBreaksAfterPunctuationOrBlankLinesStay) {
  EXPECT_EQ(Reflow("the quick brown\r\nfox jumps\r\nover"), "the quick brown fox jumps over");
  for (char end : std::string(":.!?,-=>")) {
    std::string body = std::string("line") + end + "\r\nnext";
    EXPECT_EQ(Reflow(body), body) << end;
  }
  EXPECT_EQ(Reflow("one\r\ntwo\r\n\r\nthree\r\nfour\r\n"), "one two\r\n\r\nthree four ");
  EXPECT_EQ(Reflow("a\r\n\r\n\r\nb"), "a\r\n\r\n\r\nb");
  EXPECT_EQ(Reflow("\r\nstart"), "\r\nstart");
  EXPECT_EQ(Reflow("lone\nfeeds\rstay"), "lone\nfeeds\rstay");
}

TEST(SignatureTest, AppendedAfterABlankLineAndTheNoteHoldsTwo) {
  EXPECT_EQ(BodyWithSignature("Hello", "Sue\r\nSales"), "Hello\r\n\r\nSue\r\nSales");
  EXPECT_EQ(BodyWithSignature("Hello", ""), "Hello");
  std::string note(502, '\0');
  note.replace(0, 3, "one");
  note.replace(251, 3, "two");
  EXPECT_EQ(SignatureFromNote(note, 1), "one");
  EXPECT_EQ(SignatureFromNote(note, 2), "two");
  EXPECT_EQ(SignatureFromNote(note, 0), "");
  EXPECT_EQ(SignatureFromNote("one", 2), "");
  std::string full(502, 's');  // no NULs: each is cut to 250
  EXPECT_EQ(SignatureFromNote(full, 1).size(), 250u);
  EXPECT_EQ(SignatureFromNote(full, 2).size(), 250u);
}

TEST(CopyNoteTest, HeadingAppendedWhileThereIsRoom) {
  setenv("TZ", "UTC", 1);
  tzset();
  int32_t when = 1700000000;  // 11-14-23 10:13PM UTC
  EXPECT_EQ(CopyNoteWithHeading("", "Sue", when), "From Sue 11-14-23 10:13PM: ");
  EXPECT_EQ(CopyNoteWithHeading("Call him", "Sue", when),
            "Call him\r\rFrom Sue 11-14-23 10:13PM: ");
  std::string full(4047 - 45, 'n');
  EXPECT_EQ(CopyNoteWithHeading(full, "Sue", when), full);
  std::string roomy(4047 - 46, 'n');
  EXPECT_GT(CopyNoteWithHeading(roomy, "Sue", when).size(), roomy.size());
}

}  // namespace
