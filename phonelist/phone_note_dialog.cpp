#include "phonelist/phone_note_dialog.h"

#include "data/messages/dpnote.h"
#include "data/office/dpmain.h"
#include "phonelist/phone_settings.h"

bool EditPhoneNote(QWidget* owner, int32_t* note, bool readOnly) {
  const int32_t before = *note;
  int32_t number = before;
  if (!RunNoteEditor(owner, &number, readOnly ? kNoteReadOnly : kNoteEdit, RunPhoneDialog) ||
      readOnly || number == before)
    return false;
  if (number == 0) {
    NoteTable notes;
    const int ok = NoteOpen(notes) && NoteDelete(notes, before);
    if (notes.open) NoteClose(notes);
    if (!ok) {
      ShowError();
      return false;
    }
  }
  *note = number;
  return true;
}
