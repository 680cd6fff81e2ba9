#include "data/messages/memo_reply.h"

#include <cstring>

#include "data/messages/dpnote.h"
#include "storage/records/field.h"

namespace {
constexpr Field kBlockText{0, kSavedReplyText};
constexpr Field kBlockAttachedNote{417, 4};
constexpr Field kBlockLongTextNote{421, 4};
static_assert(kBlockLongTextNote.End() == kSavedReplySize);
}  // namespace

std::string QuoteMemo(std::string_view text) {
  const bool quoted = !text.empty() && text[0] == '>';
  const size_t width = quoted ? 49 : 47;
  size_t end;
  const size_t cr = text.substr(0, width).find('\r');
  if (cr != std::string_view::npos) {
    end = cr;
  } else if (text.size() < width) {
    end = text.size();
  } else {
    const size_t blank = text.substr(0, width).rfind(' ');
    end = blank != std::string_view::npos ? blank : width - 1;
  }
  std::string quote = quoted ? "" : "> ";
  quote += text.substr(0, end);
  quote += end == text.size() ? "\r\r" : "...\r\r";
  return quote;
}

int ReadSavedReply(int32_t note, SavedReply* reply) {
  std::string block;
  if (!NoteReadBytes(note, &block, kSavedReplySize)) return 0;
  block.resize(kSavedReplySize, '\0');
  const auto* b = reinterpret_cast<const uint8_t*>(block.data());
  reply->attachedNote = FieldI32(b, kBlockAttachedNote);
  reply->longTextNote = FieldI32(b, kBlockLongTextNote);
  reply->text = FieldText(b, kBlockText);
  if (reply->text.empty() && reply->longTextNote != 0)
    return NoteRead(reply->longTextNote, &reply->text);
  return 1;
}

int KeepSavedReply(SavedReply& reply, int32_t* note) {
  if (reply.text.empty()) {
    if (reply.longTextNote != 0) {
      NoteTable notes;
      if (!NoteOpen(notes)) return 0;
      const int ok = NoteDelete(notes, reply.longTextNote);
      NoteClose(notes);
      if (!ok) return 0;
      reply.longTextNote = 0;
    }
  } else {
    if (reply.longTextNote == 0 && !NoteNew(&reply.longTextNote)) return 0;
    if (!NoteWrite(reply.longTextNote, reply.text)) return 0;
  }
  uint8_t block[kSavedReplySize] = {};
  SetFieldI32(block, kBlockAttachedNote, reply.attachedNote);
  SetFieldI32(block, kBlockLongTextNote, reply.longTextNote);
  if (*note == 0 && !NoteNew(note)) return 0;
  return NoteWrite(*note, std::string_view(reinterpret_cast<const char*>(block), sizeof block));
}
