// dpnote: the "NOTE" table of free texts of up to 4,048 bytes, stored as
// parts of 506 bytes, numbered 0 to 7, under one note number: the note attached to a
// message, the return-call log, the long text of a message.
//
// Note number 0 means "no note" wherever a note number is stored. The
// functions without a handle open "NOTE" themselves, unless a group send
// has begun the shared note handle (NoteBegin), which they then borrow.
// Every function answers 1 or 0 and leaves the application error on 0:
// 1017 for note number 0 or a note that is not there, 1015 "NOTE.IDX"
// for a part whose record carries another note number than its entry,
// 1022 for a text longer than 4,048 bytes, engine failures as translated.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/field_problem.h"
#include "data/table_handle.h"
#include "storage/catalogue.h"
#include "storage/records/note.h"

constexpr int kMaxNoteText = records::note::kMaxText;  // 4,048

struct NoteTable : TableHandle {
  NoteTable() : TableHandle(kNoteTable) {}
};

int NoteOpen(NoteTable& handle);
int NoteClose(NoteTable& handle);

// Takes a new note number and stores its empty first part.
int NoteNew(int32_t* number);
// The note's text, at most size bytes (0 to 4,048), up to its first NUL.
// Parts are read in order 0, 1, ...; a missing part ends the text.
int NoteRead(int32_t number, std::string* text, int size = kMaxNoteText);
// The same bytes with every NUL kept, for notes that hold several texts at
// fixed offsets (the two e-mail signatures).
int NoteReadBytes(int32_t number, std::string* bytes, int size = kMaxNoteText);
// Replaces the note's text: as many parts as the text needs (the first part even
// for an empty text), the parts it no longer needs deleted. The note must
// exist. A text longer than 4,048 bytes is refused as a whole.
int NoteWrite(int32_t number, std::string_view text);
// Deletes every part of the note. Number 0 or a missing note: success.
// A part held by another workstation fails with engine code 9 and 1012.
int NoteDelete(NoteTable& handle, int32_t number);
// Copies every part under a new note number.
int NoteDuplicate(int32_t number, int32_t* newNumber);

// Opens the shared note handle for a group send; the functions above use
// it until the matching NoteEnd. Begin and End nest.
int NoteBegin();
int NoteEnd();
bool NoteBegun();

// What a live part of a note holds that no part can, one problem a field: a
// part number above 7 and a note number outside 1 to lastIssued (the table
// header's last issued number). The text may fill its part without a NUL.
std::vector<FieldProblem> NoteRecordProblems(const uint8_t (&record)[records::note::kRecordSize],
                                             uint32_t lastIssued);
