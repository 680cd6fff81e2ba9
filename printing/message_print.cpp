#include "printing/message_print.h"

#include <algorithm>
#include <cstdio>
#include <set>

#include "data/local_time.h"
#include "data/messages/dpnote.h"
#include "data/messages/email_file.h"
#include "data/messages/memo_reply.h"
#include "data/table_handle.h"
#include "printing/print_text.h"
#include "storage/errors.h"

namespace msg = records::message;

namespace {

constexpr size_t kSlipInner = 73;  // between the frame's two sides
constexpr size_t kTextWidth = 72;
constexpr size_t kAddressWidth = 64;
constexpr size_t kNoteInner = 52;
constexpr size_t kNoteTextWidth = 50;
constexpr char kNoteIndent[] = "          ";
constexpr int kPhoneTextLines = 4;
constexpr int kMemoTextLines = 8;
constexpr int kEmailTextLines = 6;

constexpr char kEmailReadError[] = "Error reading Email file.";
constexpr char kEmailTooLarge[] = "Email too large to print whole message, printing partial.";

// A frame line around inner text given in Windows-1252.
std::string Framed(const std::string& cp1252) {
  return std::string(box::kVertical) + Utf8(PadRight(cp1252, kSlipInner)) + box::kVertical;
}

std::string Top() {
  return box::kTopLeft + Repeat(box::kHorizontal, kSlipInner) + box::kTopRight;
}

std::string Bottom() {
  return box::kBottomLeft + Repeat(box::kHorizontal, kSlipInner) + box::kBottomRight;
}

// "%2d-%02d-%02d  %2d:%02dAM": the message's date and time, 17 columns.
std::string When(int32_t time) {
  const LocalTime t = ToLocal(time);
  return LocalDateText(t, true) + "  " + ClockText(t.hour, t.minute, ClockForm::kField);
}

std::string Blanks(size_t n) {
  return std::string(n, ' ');
}

std::string Cut(const std::string& text, size_t width) {
  return text.substr(0, std::min(text.size(), width));
}

void TextLines(const std::string& text, int least, std::vector<std::string>* out) {
  std::vector<std::string> lines = BreakLines(text, kTextWidth);
  while (int(lines.size()) < least) lines.emplace_back();
  for (const std::string& l : lines) out->push_back(Framed(" " + l));
}

// An address of up to 128 characters: its line and, when longer than 64,
// one continuation line.
void AddressLines(const char* label, const std::string& text, std::vector<std::string>* out) {
  out->push_back(
      Framed(std::string(" ") + label + PadRight(text.substr(0, kAddressWidth), kAddressWidth)));
  if (text.size() > kAddressWidth)
    out->push_back(Framed("       " + text.substr(kAddressWidth, kAddressWidth)));
}

bool Ticked(const MessageRecord& r, Field f) {
  return FieldText(r.bytes, f) == msg::kTicked;
}

const char* NoteTitle(PrintedMessage::NoteKind kind) {
  switch (kind) {
    case PrintedMessage::kAttached:
      return "ATTACHED NOTE";
    case PrintedMessage::kReturnCallLog:
      return "RETURN CALL LOG";
    case PrintedMessage::kReply:
      return "REPLY";
  }
  return "";
}

}  // namespace

std::string MessageHeading(const MessageHeadingOf& h) {
  const std::string person = Utf8(h.person);
  std::string words;
  if (h.sendLog) {
    words = h.view == PrintedView::kArchive ? "                     SEND LOG ARCHIVE FOR: "
                                            : "                             SEND LOG FOR: ";
  } else {
    switch (h.view) {
      case PrintedView::kSearch:
        words = "                      SEARCH MESSAGES FOR: ";
        break;
      case PrintedView::kNew:
        words = "                         NEW MESSAGES FOR: ";
        break;
      case PrintedView::kFolder:
        words = "MESSAGES IN " + Utf8(h.folderName) + " FOR: ";
        break;
      case PrintedView::kArchive:
        words = "                     ARCHIVE MESSAGES FOR: ";
        break;
    }
  }
  return "\r\n" + words + person + "\r\n\r\n";
}

int LoadPrintedMessage(const MessageRecord& record, bool sendLog, PrintedMessage* out) {
  *out = PrintedMessage();
  out->record = record;
  out->sendLog = sendLog;
  const uint8_t kind = record.Kind();
  if (kind != msg::kKindPhone && kind != msg::kKindMemo && kind != msg::kKindEmail) {
    SetAppError(kAppIndexCorrupt, sendLog ? "SENDLOG" : "MESSAGE");
    return 0;
  }
  auto readNote = [&](int32_t number, std::string* text) {
    if (number == 0) return false;
    if (NoteRead(number, text)) return true;
    out->warning = FormatAppError();
    return false;
  };
  if (kind == msg::kKindEmail) {
    out->subject = FieldText(record.bytes, msg::kSubject);
    out->address = FieldText(record.bytes, msg::kSenderAddress);
    EmailHeader header;
    bool truncated = false;
    if (EmailRead(EmailFilePath(record.Number(), sendLog), &header, &out->body, kEmailBodyLimit,
                  &truncated)) {
      if (sendLog) out->address = header.To();
      if (!header.Subject().empty()) out->subject = header.Subject();
      if (truncated) out->warning = kEmailTooLarge;
    } else {
      out->warning = kEmailReadError;
    }
  } else {
    out->text = FieldText(record.bytes, kind == msg::kKindPhone ? msg::kPhoneText : msg::kMemoText);
    std::string whole;
    if (readNote(record.LongTextNote(), &whole)) out->text = whole;
  }
  std::string note;
  if (readNote(FieldI32(record.bytes, msg::kAttachedNote), &note) && !note.empty())
    out->notes.push_back({PrintedMessage::kAttached, note});
  const int32_t log = FieldI32(record.bytes, msg::kLogNote);
  if (kind == msg::kKindPhone) {
    if (readNote(log, &note) && !note.empty())
      out->notes.push_back({PrintedMessage::kReturnCallLog, note});
  } else if (kind == msg::kKindMemo && log != 0) {
    SavedReply reply;
    if (ReadSavedReply(log, &reply)) {
      if (!reply.text.empty()) out->notes.push_back({PrintedMessage::kReply, reply.text});
    } else {
      out->warning = FormatAppError();
    }
  }
  return 1;
}

std::vector<std::string> SlipLines(const PrintedMessage& m) {
  const MessageRecord& r = m.record;
  std::vector<std::string> lines;
  lines.push_back(Top());
  const std::string when = When(r.Time());
  const std::string from = Cut(r.From(), 20);
  const std::string to = Cut(r.To(), 20);
  switch (r.Kind()) {
    case msg::kKindPhone: {
      const std::string company = Cut(FieldText(r.bytes, msg::kCompany), 29);
      const std::string phone = Cut(FieldText(r.bytes, msg::kPhone), 20);
      const std::string ext = Cut(FieldText(r.bytes, msg::kExtension), 10);
      if (m.sendLog) {
        lines.push_back(Framed(" To: " + PadRight(to, 20) + Blanks(27) + when));
        lines.push_back(
            Framed(" From: " + PadRight(from, 20) + Blanks(19) + "Phone: " + PadRight(phone, 20)));
        lines.push_back(
            Framed(" Company: " + PadRight(company, 29) + Blanks(9) + "Ext: " + PadLeft(ext, 10)));
      } else {
        lines.push_back(Framed(" From: " + PadRight(from, 20) + Blanks(25) + when));
        lines.push_back(Framed(" Company: " + PadRight(company, 29) + Blanks(7) +
                               "Phone: " + PadRight(phone, 20)));
        lines.push_back(Framed(Blanks(48) + "Ext: " + PadLeft(ext, 10)));
      }
      TextLines(m.text, kPhoneTextLines, &lines);
      lines.push_back(Framed(""));
      auto tick = [&](Field f) { return std::string(Ticked(r, f) ? "X" : " "); };
      const bool urgent = Ticked(r, msg::kRush) || (r.Flags() & msg::kFlagUrgent) != 0;
      lines.push_back(Framed(" [" + std::string(urgent ? "X" : " ") + "] Urgent [" +
                             tick(msg::kCallBack) + "] Call back [" + tick(msg::kReturnedCall) +
                             "] Returned call [" + tick(msg::kWillCall) + "] Will call" +
                             Blanks(13) + PadLeft(Cut(FieldText(r.bytes, msg::kBy), 3), 3)));
      break;
    }
    case msg::kKindMemo:
      if (m.sendLog)
        lines.push_back(
            Framed(" To: " + PadRight(to, 20) + " From: " + PadRight(from, 20) + "  " + when));
      else
        lines.push_back(Framed(" Memo from: " + PadRight(from, 20) + Blanks(20) + when));
      TextLines(m.text, kMemoTextLines, &lines);
      break;
    default:
      lines.push_back(Framed(" Email" + Blanks(46) + when));
      AddressLines(m.sendLog ? "To:   " : "From: ", m.address, &lines);
      AddressLines("Subj: ", m.subject, &lines);
      TextLines(m.body, kEmailTextLines, &lines);
      break;
  }
  lines.push_back(Bottom());
  return lines;
}

std::vector<std::string> NoteLines(PrintedMessage::NoteKind kind, const std::string& text) {
  std::vector<std::string> lines;
  const std::string title = NoteTitle(kind);
  const size_t gap = 36 - title.size();
  const std::string joint = Repeat(box::kHorizontal, 7);
  lines.push_back(std::string(kNoteIndent) + box::kTopLeft + joint + box::kBottomRight +
                  PadRight("", (gap + 1) / 2) + title + PadRight("", gap / 2) + box::kBottomLeft +
                  joint + box::kTopRight);
  for (const std::string& l : BreakLines(text, kNoteTextWidth))
    lines.push_back(std::string(kNoteIndent) + box::kVertical + " " +
                    Utf8(PadRight(l, kNoteTextWidth)) + " " + box::kVertical);
  lines.push_back(std::string(kNoteIndent) + box::kBottomLeft +
                  Repeat(box::kHorizontal, kNoteInner) + box::kBottomRight);
  return lines;
}

MessagePrinter::MessagePrinter(TextOutput& out, std::string heading)
    : out_(out), heading_(std::move(heading)) {}

bool MessagePrinter::Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& l : lines) text += "\r\n" + l;
  ok_ = ok_ && out_.Output(text);
  used_ += int(lines.size());
  return ok_;
}

bool MessagePrinter::Print(const PrintedMessage& message) {
  if (!ok_) return false;
  const std::vector<std::string> slip = SlipLines(message);
  if (printed_ == 0) {
    ok_ = out_.Output(heading_);
    used_ = kHeadingLines;
  } else if (used_ + int(slip.size()) > kPageLines && used_ > kHeadingLines) {
    ok_ = out_.Output(std::string(1, kFormFeed)) && out_.Output(heading_);
    used_ = kHeadingLines;
  }
  if (!ok_ || !Lines(slip)) return false;
  for (const PrintedMessage::Note& note : message.notes)
    if (!Lines(NoteLines(note.kind, note.text))) return false;
  ++printed_;
  return ok_;
}

bool MessagePrinter::Finish() {
  if (ok_ && printed_ > 0 && used_ < kPageLines) ok_ = out_.Output(std::string(1, kFormFeed));
  return ok_;
}

int PrintMessages(TextOutput& out, const MessageHeadingOf& heading,
                  const std::vector<MessageRef>& messages, std::vector<std::string>* warnings,
                  int* printed) {
  MessageTable inbox;
  SendLogTable sendLog;
  TableHandle& table = heading.sendLog ? static_cast<TableHandle&>(sendLog) : inbox;
  if (!(heading.sendLog ? SendLogOpen(sendLog) : MsgOpen(inbox))) return 0;
  MessagePrinter printer(out, MessageHeading(heading));
  std::set<std::string> said;
  int ok = 1;
  for (const MessageRef& ref : messages) {
    MessageRecord record;
    if (!DbReadRecord(table.table, ref.recordNumber, record.bytes)) {
      TranslateEngineError();
      ok = 0;
      break;
    }
    // A message deleted or replaced since it was listed is passed over.
    if (record.bytes[msg::kMark.offset] != 0 || record.Number() != ref.number) continue;
    PrintedMessage m;
    if (!LoadPrintedMessage(record, heading.sendLog, &m)) continue;
    if (!m.warning.empty() && said.insert(m.warning).second && warnings)
      warnings->push_back(m.warning);
    if (!printer.Print(m)) {
      ClearAppError();
      ok = 0;
      break;
    }
  }
  if (ok && !printer.Finish()) {
    ClearAppError();
    ok = 0;
  }
  if (printed) *printed = printer.Printed();
  heading.sendLog ? SendLogClose(sendLog) : MsgClose(inbox);
  return ok;
}
