// The message windows' note editor (toolkit/notes/note_editor.h), opened
// through the messaging dialogs' runner.
//
//   int32_t note = record.AttachedNote();
//   if (EditNote(this, &note, kNoteEdit)) { ...store note in the record... }
#pragma once

#include <cstdint>

#include "toolkit/notes/note_editor.h"

// Opens the note editor modally on *noteNumber. 1 after OK with
// *noteNumber the note's number (0 when the text was emptied); 0 after
// Cancel or a failure, *noteNumber unchanged.
int EditNote(QWidget* owner, int32_t* noteNumber, int mode);
