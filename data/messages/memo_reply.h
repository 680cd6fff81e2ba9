// The reply to a memo: how the answered memo is quoted, and the reply a
// user began and closed without sending, kept with the answered memo so
// that the next Reply starts from it.
//
// The kept reply is a note (its number in the memo's log note field) whose
// text is a block of 425 bytes:
//
//   offset width field
//   0      417   reply text (empty when the text is in the long-text note)
//   417    4     the reply's attached note number
//   421    4     the reply's long-text note number (the whole text)
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

constexpr int kSavedReplySize = 425;
constexpr int kSavedReplyText = 417;

// The start of a reply: "> " and the memo's text up to the first carriage
// return within 47 characters, or the whole text when it is shorter, or up
// to the last blank within the 47 (46 characters when there is none); a
// text that begins with ">" is quoted without the prefix, within 49. The
// quote ends "\r\r" when it holds the whole text, else "...\r\r".
std::string QuoteMemo(std::string_view text);

struct SavedReply {
  std::string text;  // the whole text of the reply
  int32_t attachedNote = 0;
  int32_t longTextNote = 0;
};

// Reads the kept reply from its note: the text from the block, or from the
// block's long-text note when the block's text is empty. 1, or 0 with the
// application error.
int ReadSavedReply(int32_t note, SavedReply* reply);
// Keeps the reply: its whole text into its long-text note (a note is taken
// when needed; an empty text removes it), then the block (with an empty
// text) into *note, made when it is 0. 1, or 0 with the application error.
int KeepSavedReply(SavedReply& reply, int32_t* note);
