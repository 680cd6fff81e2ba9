#include "phonelist/phone_note_dialog.h"

#include <QPlainTextEdit>
#include <QPushButton>

#include "data/messages/dpnote.h"
#include "data/office/dpmain.h"
#include "phonelist/phone_settings.h"
#include "toolkit/control_id.h"
#include "toolkit/form_builder.h"
#include "toolkit/prompts.h"
#include "toolkit/record_text.h"

TPhoneNoteDialog::TPhoneNoteDialog(QWidget* owner, const std::string& text, bool readOnly)
    : TBaseDialog(owner, "Note") {
  setProperty("helpAnchor", "phone-entry");
  FormBuilder form(this);
  FieldTextEdit* edit = form.MultiLine("&Note:", kIdText, 10);
  edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance('M') * 40);
  QString shown = FromCp1252(text);
  shown.replace('\r', '\n');
  edit->setPlainText(shown);
  edit->setReadOnly(readOnly);
  SetReadOnly(readOnly);
  form.OkCancel(this);
  NameControlsByLabels(this);
}

std::string TPhoneNoteDialog::Text() const {
  auto* edit = qobject_cast<QPlainTextEdit*>(FindControl(this, kIdText));
  QString text = edit ? edit->toPlainText() : QString();
  text.replace('\n', '\r');
  return ToCp1252(text).substr(0, size_t(kMaxNoteText));
}

void TPhoneNoteDialog::Ok() {
  auto* edit = qobject_cast<QPlainTextEdit*>(FindControl(this, kIdText));
  if (edit && !FitsCp1252(edit->toPlainText())) {
    Prompter().Inform(
        "The note holds characters that cannot be stored; they are now shown as \"?\".");
    edit->setPlainText(ReplaceNonCp1252(edit->toPlainText()));
    return;
  }
  CloseWith(1);
}

bool EditPhoneNote(QWidget* owner, int32_t* note, bool readOnly) {
  std::string text;
  if (*note != 0 && !NoteRead(*note, &text)) {
    ShowError();
    return false;
  }
  TPhoneNoteDialog dialog(owner, text, readOnly);
  if (RunPhoneDialog(dialog) != 1 || readOnly) return false;
  const std::string typed = dialog.Text();
  if (typed == text) return false;
  if (typed.empty()) {
    NoteTable notes;
    int ok = NoteOpen(notes) && NoteDelete(notes, *note);
    if (notes.open) NoteClose(notes);
    if (!ok) {
      ShowError();
      return false;
    }
    *note = 0;
    return true;
  }
  int32_t number = *note;
  if (number == 0 && !NoteNew(&number)) {
    ShowError();
    return false;
  }
  if (!NoteWrite(number, typed)) {
    ShowError();
    return false;
  }
  *note = number;
  return true;
}
