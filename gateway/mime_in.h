// What the office keeps of an Internet message: its addresses, subject,
// Message-ID, the text to read and the attached files. GMime parses; the
// texts come out in UTF-8 as GMime decoded them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct IncomingAttachment {
  std::string name;  // as the sender named it (UTF-8), possibly empty or hostile
  std::string bytes;
};

struct IncomingMail {
  std::string from;  // display form, "Ann Smith <ann@example.com>"
  std::string to;    // display forms separated by ", "
  std::string cc;
  std::vector<std::string> recipients;  // addr-specs of To and CC, lower case
  std::string subject;
  std::string messageId;  // without angle brackets; empty when there is none
  std::string body;       // the plain text, or the readable text of the HTML
  // The first keptAttachments files, and how many there were in all.
  std::vector<IncomingAttachment> attachments;
  size_t attachmentCount = 0;
};

// Parses raw; never fails: what cannot be read as MIME is kept as text.
// At most keepAttachments files are kept (the rest are only counted), and
// nesting deeper than a limit is left unopened.
IncomingMail ParseIncoming(std::string_view raw, size_t keepAttachments);
