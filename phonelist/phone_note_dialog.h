// The note of a phone list entry, in the note editor the message windows
// use too (toolkit/notes/note_editor.h): mode 0, or read-only while another
// workstation holds the entry.
#pragma once

#include <QWidget>
#include <cstdint>

#include "toolkit/notes/note_editor.h"

// The entry's note dialog is the note editor itself.
using TPhoneNoteDialog = NoteEditorDialog;

// Opens the note of *note (0: none yet) through RunPhoneDialog. OK stores
// the text: a new note is made for a text when there was none; a note
// emptied is deleted, so no text stays behind that no entry names, and
// *note becomes 0. True when *note changed.
bool EditPhoneNote(QWidget* owner, int32_t* note, bool readOnly);
