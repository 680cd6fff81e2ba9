// The texts around an e-mail's body: the subject of a reply, the reflowed
// body the view shows with "Auto format" on, the signature appended when
// sending, and the heading a copied e-mail's note gets.
//
// Texts are single-byte (the office's code page) and lines end in "\r\n".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// "Re: " and the subject, cut to 127 characters; a subject that already
// begins with "Re: " in any letter case stays as it is.
std::string ReplySubject(std::string_view subject);

// Joins the lines of a paragraph: every single line break "\r\n" becomes one
// blank, unless another "\r\n" follows it (a paragraph break) or the
// character before it is one of ":.!?,-=\n>" (a line meant to end there: a
// sentence, a list, a quote, the second break of a blank line).
std::string Reflow(std::string_view body);

// The body with the signature appended after a blank line ("\r\n\r\n"), or
// the body alone when the signature is empty.
std::string BodyWithSignature(std::string_view body, std::string_view signature);

// The two signatures are kept together in one note of 502 bytes: signature
// 1 at offset 0 and signature 2 at 251, each at most 250 characters and
// NUL-terminated. The chosen one (1 or 2; anything else gives none).
std::string SignatureFromNote(std::string_view note, int choice);

// The note of a copied e-mail: the existing note with "From <user> <date>
// <time>: " appended (after two carriage returns when the note has text),
// as long as more than 45 characters of the 4,047 remain; otherwise the
// note unchanged. The date is "m-dd-yy" and the time "h:mmAM" of the local
// time.
std::string CopyNoteWithHeading(std::string_view note, std::string_view userName, int32_t when);
