#include "data/messages/email_text.h"

#include <cstdio>

#include "data/local_time.h"
#include "storage/records/email.h"

namespace {

constexpr size_t kMaxSubject = records::email::kSubject.width - 1;  // 127
constexpr char kReplyPrefix[] = "Re: ";
constexpr std::string_view kLineEnds = ":.!?,-=\n>";
constexpr size_t kSignatureWidth = 251;
constexpr size_t kMaxCopyNote = 4047;
constexpr size_t kCopyNoteRoom = 45;

char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (AsciiLower(text[i]) != AsciiLower(prefix[i])) return false;
  return true;
}

}  // namespace

std::string ReplySubject(std::string_view subject) {
  if (StartsWithNoCase(subject, kReplyPrefix)) return std::string(subject.substr(0, kMaxSubject));
  return (kReplyPrefix + std::string(subject)).substr(0, kMaxSubject);
}

std::string Reflow(std::string_view body) {
  std::string out;
  out.reserve(body.size());
  for (size_t i = 0; i < body.size(); ++i) {
    bool lineBreak = body[i] == '\r' && i + 1 < body.size() && body[i + 1] == '\n';
    if (!lineBreak) {
      out += body[i];
      continue;
    }
    bool paragraph = body.substr(i + 2, 2) == "\r\n";
    // A break at the very start has no line before it to join.
    bool keep = paragraph || i == 0 || kLineEnds.find(body[i - 1]) != std::string_view::npos;
    if (keep) {
      out += "\r\n";
    } else {
      out += ' ';
    }
    ++i;
  }
  return out;
}

std::string BodyWithSignature(std::string_view body, std::string_view signature) {
  std::string out(body);
  if (!signature.empty()) {
    out += "\r\n\r\n";
    out += signature;
  }
  return out;
}

std::string SignatureFromNote(std::string_view note, int choice) {
  if (choice != 1 && choice != 2) return {};
  size_t start = choice == 1 ? 0 : kSignatureWidth;
  if (note.size() <= start) return {};
  std::string_view text = note.substr(start, kSignatureWidth - 1);
  return std::string(text.substr(0, text.find('\0')));
}

std::string CopyNoteWithHeading(std::string_view note, std::string_view userName, int32_t when) {
  std::string out(note.substr(0, kMaxCopyNote));
  if (kMaxCopyNote - out.size() <= kCopyNoteRoom) return out;
  LocalTime local = ToLocal(when);
  char heading[96];
  std::snprintf(heading, sizeof heading, "%s%sFrom %.19s %s %s: ", out.empty() ? "" : "\r",
                out.empty() ? "" : "\r", std::string(userName).c_str(),
                LocalDateText(local).c_str(),
                ClockText(local.hour, local.minute, ClockForm::kField).c_str());
  out += heading;
  return out.substr(0, kMaxCopyNote);
}
