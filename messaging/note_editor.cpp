#include "messaging/note_editor.h"

#include "messaging/dialog_runner.h"

int EditNote(QWidget* owner, int32_t* noteNumber, int mode) {
  return RunNoteEditor(owner, noteNumber, mode, RunMessagingDialog);
}
