// Printed messages: each message as a boxed slip 75 characters wide under
// a heading naming the view and the person, its notes in boxes of their
// own below it, 60 lines to a page.
//
//   ExportFile or LinePrinter out;
//   MessagePrinter printer(out, MessageHeading(heading));
//   for (...) printer.Print(message);     // PrintedMessage from LoadPrintedMessage
//   printer.Finish();
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/messages/dpmess.h"
#include "printing/text_output.h"

// Which list the messages were printed from: the heading's words.
enum class PrintedView { kSearch, kNew, kFolder, kArchive };

struct MessageHeadingOf {
  PrintedView view = PrintedView::kNew;
  bool sendLog = false;    // the user's send log (New or Archive)
  std::string person;      // Windows-1252, as stored
  std::string folderName;  // for a folder
};
// The heading that starts every page, four lines: "\r\n", the centred
// words, two line breaks.
std::string MessageHeading(const MessageHeadingOf& heading);

// One message with everything its slip shows, read from the files.
struct PrintedMessage {
  MessageRecord record;
  bool sendLog = false;
  std::string text;     // a phone message's or memo's whole text
  std::string address;  // an e-mail's From (in the send log its To)
  std::string subject;
  std::string body;  // an e-mail's body
  enum NoteKind { kAttached, kReturnCallLog, kReply };
  struct Note {
    NoteKind kind;
    std::string text;
  };
  std::vector<Note> notes;
  // What could not be read whole, to be said once the print is done:
  // "Error reading Email file." or "Email too large to print whole
  // message, printing partial.".
  std::string warning;
};
// Reads the message's whole text (its long-text note), an e-mail's file
// and the notes that go with it. A note or e-mail file that cannot be read
// leaves its part out with a warning; 0 only when the record itself is
// unusable (an unknown kind).
int LoadPrintedMessage(const MessageRecord& record, bool sendLog, PrintedMessage* out);

// The slip's lines, UTF-8, each 75 columns, without line breaks.
std::vector<std::string> SlipLines(const PrintedMessage& message);
// A note's box, indented 10 columns, 54 wide.
std::vector<std::string> NoteLines(PrintedMessage::NoteKind kind, const std::string& text);

class MessagePrinter {
 public:
  static constexpr int kPageLines = 60;
  static constexpr int kHeadingLines = 4;

  MessagePrinter(TextOutput& out, std::string heading);
  // Prints the slip (on a new page when it would reach past the page's 60
  // lines and the page holds more than its heading) and its notes. False
  // once the output failed.
  bool Print(const PrintedMessage& message);
  // The last page's form feed. False when the output failed.
  bool Finish();
  int Printed() const { return printed_; }

 private:
  bool Lines(const std::vector<std::string>& lines);
  TextOutput& out_;
  std::string heading_;
  int used_ = 0;
  int printed_ = 0;
  bool ok_ = true;
};

// A message of a list: its record in "MESSAGE" (or "SENDLOG") and the
// number it must still carry.
struct MessageRef {
  int32_t recordNumber = 0;
  int32_t number = 0;
};
// Prints the messages in order, each read afresh; one deleted since it was
// listed is passed over. *warnings gets the warnings, once each. 0 with
// the application error when the table cannot be read (after printing
// what could be), or when the output failed (code 0).
int PrintMessages(TextOutput& out, const MessageHeadingOf& heading,
                  const std::vector<MessageRef>& messages, std::vector<std::string>* warnings,
                  int* printed = nullptr);
