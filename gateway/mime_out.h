// An e-mail of the gateway's mailbox as an Internet message: headers and
// body turned from the office's Windows-1252 into UTF-8, non-ASCII header
// text as RFC 2047 encoded words, attachment names as RFC 2231 parameters.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct OutgoingAttachment {
  std::string name;   // Windows-1252, the 8.3 name the table keeps
  std::string bytes;  // the stored file's content
};

struct OutgoingMail {
  // Windows-1252, as the e-mail file holds them. to and cc are recipient
  // lists; only their Internet addresses go into the message.
  std::string from;
  std::string to;
  std::string cc;
  std::string subject;
  std::string body;       // lines end in "\r\n"
  int64_t date = 0;       // seconds since 1970
  std::string messageId;  // without the angle brackets
  std::vector<OutgoingAttachment> attachments;
};

struct BuiltMail {
  std::string data;  // the message, lines ending in "\r\n"
  std::string envelopeFrom;
  std::vector<std::string> recipients;  // every Internet address of To and CC
};

// 0 with *error when From holds no address or no Internet recipient is left.
int BuildMail(const OutgoingMail& mail, BuiltMail* built, std::string* error);
