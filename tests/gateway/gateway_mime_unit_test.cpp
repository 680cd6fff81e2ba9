// The gateway's MIME: what it builds from an office e-mail reads back the
// same through GMime's parser, and hostile mail comes out as safe texts.
#include <gtest/gtest.h>

#include "gateway/html_text.h"
#include "gateway/mime_in.h"
#include "gateway/mime_out.h"
#include "tests/gateway/mail_text.h"

namespace {

TEST(GatewayMime, AnOfficeEmailBecomesUtf8WithEncodedWordsAndReadsBackTheSame) {
  OutgoingMail mail;
  mail.from = "Anne M\xFCller <anne@office.example>";
  mail.to = "BOB, friend@example.net, \"Smith, Jo\" <jo@example.org>";
  // An address in To and again in CC is sent to once.
  mail.cc = "carl@example.com, CARL, Friend@Example.NET";
  mail.subject =
      "Gr\xFC\xDF"
      "e f\xFCr 5 \x80";
  mail.body = "Line \xFC\r\nLine \x80\r\n";
  mail.date = 1796670000;
  mail.messageId = "deskpost.7.1796670000@office.example";
  mail.attachments.push_back(
      {"\xFC"
       "ber.txt",
       std::string("a\0b", 3)});
  mail.attachments.push_back({"DATA.BIN", std::string(3000, '\xFF')});
  BuiltMail built;
  std::string error;
  ASSERT_EQ(BuildMail(mail, &built, &error), 1) << error;

  EXPECT_EQ(built.envelopeFrom, "anne@office.example");
  // Only the Internet addresses are recipients; local names stay home.
  EXPECT_EQ(built.recipients,
            (std::vector<std::string>{"friend@example.net", "jo@example.org", "carl@example.com"}));
  // Nothing but ASCII on the wire, lines ending CRLF.
  for (char c : built.data) EXPECT_LT(static_cast<unsigned char>(c), 0x80);
  for (const char* piece : {"Subject: =?", "filename*=UTF-8''%C3%BCber.txt", "charset=utf-8"})
    EXPECT_TRUE(Holds(built.data, piece));
  EXPECT_FALSE(Holds(built.data, "\n\n"));

  IncomingMail back = ParseIncoming(built.data, 40);
  EXPECT_EQ(back.subject,
            "Gr\xC3\xBC\xC3\x9F"
            "e f\xC3\xBCr 5 \xE2\x82\xAC");
  EXPECT_EQ(back.from, "Anne M\xC3\xBCller <anne@office.example>");
  EXPECT_EQ(back.messageId, mail.messageId);
  EXPECT_EQ(back.body, "Line \xC3\xBC\r\nLine \xE2\x82\xAC\r\n");
  ASSERT_EQ(back.attachments.size(), 2u);
  EXPECT_EQ(back.attachments[0].name,
            "\xC3\xBC"
            "ber.txt");
  EXPECT_EQ(back.attachments[0].bytes, std::string("a\0b", 3));
  EXPECT_EQ(back.attachments[1].bytes, std::string(3000, '\xFF'));
  EXPECT_EQ(back.recipients, (std::vector<std::string>{"friend@example.net", "jo@example.org",
                                                       "carl@example.com", "friend@example.net"}));
}

TEST(GatewayMime, AMailWithoutAnInternetSenderOrRecipientIsNotBuilt) {
  struct Case {
    const char* from;
    const char* to;
    const char* error;
  };
  const Case cases[] = {
      {"ANNE", "friend@example.net", "the From field holds no Internet address"},
      {"anne@office.example", "BOB, CARL", "no Internet address among the recipients"},
  };
  for (const Case& c : cases) {
    OutgoingMail mail;
    mail.from = c.from;
    mail.to = c.to;
    BuiltMail built;
    std::string error;
    EXPECT_EQ(BuildMail(mail, &built, &error), 0);
    EXPECT_EQ(error, c.error);
  }
}

TEST(GatewayMime, HostileMailParsesIntoBoundedSafeParts) {
  // Thousands of nested multiparts, a NUL in the text, far more files than
  // are kept, and names that try to climb out of a folder.
  std::string nested = "From: x@y.z\r\nTo: a@b.c\r\nMIME-Version: 1.0\r\n";
  for (int i = 0; i < 2000; ++i)
    nested += "Content-Type: multipart/mixed; boundary=\"n" + std::to_string(i) + "\"\r\n\r\n--n" +
              std::to_string(i) + "\r\n";
  nested += "Content-Type: text/plain\r\n\r\ndeep\r\n";
  IncomingMail deep = ParseIncoming(nested, 40);
  EXPECT_EQ(deep.body, "");  // left unopened beyond the limit

  std::string many =
      "From: x@y.z\r\nMIME-Version: 1.0\r\nContent-Type: multipart/mixed; "
      "boundary=\"b\"\r\n\r\n--b\r\nContent-Type: text/plain\r\n\r\nte";
  many.push_back('\0');
  many += "xt\r\n";
  for (int i = 0; i < 500; ++i)
    many +=
        "--b\r\nContent-Type: application/octet-stream\r\nContent-Disposition: attachment; "
        "filename=\"../../x" +
        std::to_string(i) + "\"\r\n\r\nQ\r\n";
  many += "--b--\r\n";
  IncomingMail wide = ParseIncoming(many, 40);
  EXPECT_EQ(wide.attachmentCount, 500u);
  EXPECT_EQ(wide.attachments.size(), 40u);
  EXPECT_EQ(wide.attachments[3].name, "../../x3");  // the name is made safe where it is stored
  EXPECT_EQ(wide.body, "te xt");                    // the NUL does not end the text

  IncomingMail garbage = ParseIncoming(std::string("\0\xFF\xFE not mail", 12), 40);
  EXPECT_TRUE(garbage.attachments.empty());
}

// What a mail client of today sends: the body is the plain part where there
// is one, in UTF-8 whatever its charset; every other part is a file, named
// by the sender or by its type; a group's members are recipients.
TEST(GatewayMime, IncomingPartsBecomeTheBodyAndFiles) {
  struct Case {
    const char* what;
    std::string raw;  // after the common header lines
    const char* body;
    std::vector<std::string> files;  // "name=first bytes"
  };
  const std::string mixed = "Content-Type: multipart/mixed; boundary=\"b\"\r\n\r\n";
  const Case cases[] = {
      {"plain beside html",
       "Content-Type: multipart/alternative; boundary=\"a\"\r\n\r\n--a\r\n"
       "Content-Type: text/plain\r\n\r\nPlain words\r\n--a\r\n"
       "Content-Type: text/html\r\n\r\n<p>Html words</p>\r\n--a--\r\n",
       "Plain words",
       {}},
      {"html alone",
       "Content-Type: text/html\r\n\r\n<p>Only <b>html</b></p>\r\n",
       "Only html\n",
       {}},
      {"latin-1, quoted-printable",
       "Content-Type: text/plain; charset=iso-8859-1\r\n"
       "Content-Transfer-Encoding: quoted-printable\r\n\r\nGr=FC=DFe\r\n",
       "Gr\xC3\xBC\xC3\x9F"
       "e",
       {}},
      {"a charset nobody knows keeps the bytes",
       "Content-Type: text/plain; charset=x-no-such-set\r\n\r\nAs \xFC sent\r\n",
       "As \xFC sent",
       {}},
      {"a forwarded message stays whole",
       mixed + "--b\r\nContent-Type: text/plain\r\n\r\nSee below\r\n--b\r\n"
               "Content-Type: message/rfc822\r\n\r\nSubject: Inner\r\n\r\nInner text\r\n--b--\r\n",
       "See below",
       {"message.eml=Subject: Inner"}},
      {"a second text and nameless parts are files",
       mixed + "--b\r\nContent-Type: text/plain\r\n\r\nFirst\r\n--b\r\n"
               "Content-Type: text/plain\r\n\r\nSecond\r\n--b\r\n"
               "Content-Type: application/octet-stream\r\n\r\nBYTES\r\n--b--\r\n",
       "First",
       {"part.plain=Second", "part.octet-stream=BYTES"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    IncomingMail mail = ParseIncoming(
        "From: a@example.net\r\nTo: b@example.net\r\nMIME-Version: 1.0\r\n" + c.raw, 40);
    EXPECT_EQ(mail.body.substr(0, std::string(c.body).size()), c.body);
    ASSERT_EQ(mail.attachments.size(), c.files.size());
    EXPECT_EQ(mail.attachmentCount, c.files.size());
    for (size_t i = 0; i < c.files.size(); ++i) {
      const IncomingAttachment& a = mail.attachments[i];
      const std::string first = c.files[i].substr(c.files[i].find('=') + 1);
      EXPECT_EQ(a.name + "=" + a.bytes.substr(0, first.size()), c.files[i]);
    }
  }
}

TEST(GatewayMime, EveryMemberOfAnAddressGroupIsARecipient) {
  IncomingMail mail = ParseIncoming(
      "From: a@example.net\r\nTo: Team: Anne@Office.Example, bob@office.example;\r\n"
      "Cc: undisclosed-recipients:;, <carol@office.example>\r\nSubject: s\r\n\r\nx\r\n",
      40);
  EXPECT_EQ(mail.recipients, (std::vector<std::string>{"anne@office.example", "bob@office.example",
                                                       "carol@office.example"}));
}

TEST(GatewayMime, HtmlBecomesReadableText) {
  struct Case {
    const char* html;
    const char* text;
  };
  const Case cases[] = {
      {"<p>Hello <b>Anne</b></p><p>Bye</p>", "Hello Anne\n\nBye\n"},
      {"a<br>b<br/>c", "a\nb\nc\n"},
      {"<html><head><title>T</title><style>p{}</style></head><body>x</body></html>", "x\n"},
      {"<script>alert(1)</script>safe", "safe\n"},
      {"5&euro; &amp; &lt;tag&gt; &#252; &#xFC; &unknown; &",
       "5\xE2\x82\xAC & <tag> \xC3\xBC \xC3\xBC &unknown; &\n"},
      {"<ul><li>one</li><li>two</li></ul>", "* one\n* two\n"},
      {"  lots   of\n\n  space  ", "lots of space\n"},
      {"<!-- hidden -->shown", "shown\n"},
      {"<td>a</td><td>b</td>", "a b\n"},
      {"<p", ""},
      // A '<' that opens no tag is text, whatever follows.
      {"if a < b and b <= c then <b>a</b> < 5", "if a < b and b <= c then a < 5\n"},
      {"<3 <", "<3 <\n"},
      {"<?xml version=\"1.0\"?><!DOCTYPE html>x</P>y", "x\ny\n"},
      {"&#0;&#xD800;", "??\n"},
      // A reference is at most ten characters from '&' to ';'.
      {"&#00000252; &#000000252;", "\xC3\xBC &#000000252;\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(HtmlToText(c.html), c.text) << c.html;
}

}  // namespace
