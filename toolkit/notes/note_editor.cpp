#include "toolkit/notes/note_editor.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <cstring>

#include "data/clock.h"
#include "data/local_time.h"
#include "data/messages/dpnote.h"
#include "data/office/dpmain.h"
#include "toolkit/accessible_names.h"
#include "toolkit/control_id.h"
#include "toolkit/controls/multiline_control.h"
#include "toolkit/form_builder.h"
#include "toolkit/notes/call_timer.h"
#include "toolkit/prompts.h"
#include "toolkit/record_text.h"

std::string ReturnCallStamp(size_t textLength, int32_t time) {
  if (textLength >= size_t(kNoteTextLength) ||
      size_t(kNoteTextLength) - textLength <= size_t(kNoteStampRoom))
    return std::string();
  const LocalTime t = ToLocal(time);
  std::string stamp = textLength > 0 ? "\r\r" : "";
  stamp +=
      LocalDateText(t, true) + " " + ClockText(t.hour, t.minute, ClockForm::kListPadded) + ": ";
  return stamp;
}

NoteEditorDialog::NoteEditorDialog(QWidget* owner, int32_t noteNumber, int mode)
    : TBaseDialog(owner, mode == kNoteReturnCall ? "RETURN CALL LOG" : "Note"),
      number_(noteNumber),
      mode_(mode) {
  setProperty("helpAnchor", "note");
  if (number_ != 0) {
    std::string text;
    if (!NoteRead(number_, &text, kNoteTextLength)) {
      ShowError();
      return;
    }
    std::memcpy(text_, text.data(), std::min(text.size(), size_t(kNoteTextLength)));
  }
  if (mode_ == kNoteReturnCall) {
    const std::string stamp = ReturnCallStamp(std::strlen(text_), ClockNow());
    std::strncat(text_, stamp.c_str(), size_t(kNoteTextLength) - std::strlen(text_));
  }
  ready_ = true;

  FormBuilder form(this);
  FieldTextEdit* edit = form.MultiLine(QString(), kIdText, 14);
  edit->setAccessibleName("Note");
  edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance('M') * 40);
  QPushButton* timer = form.Button("&Timer", kIdTimer);
  timer->setVisible(mode_ == kNoteReturnCall);
  connect(timer, &QPushButton::clicked, this, [this] { OpenTimer(); });
  form.OkCancel(this);
  Bind<TMultiLineEditControl>(kIdText, text_, sizeof text_);
  if (mode_ == kNoteReadOnly) {
    SetReadOnly(true);
    edit->setReadOnly(true);
  }
  NameControlsByLabels(this);
}

NoteEditorDialog::~NoteEditorDialog() {
  delete timer_.data();
}

void NoteEditorDialog::Ok() {
  if (mode_ == kNoteReadOnly) {
    CloseWith(1);
    return;
  }
  TransferOut();
  const size_t length = std::strlen(text_);
  if (length == 0) {
    number_ = 0;
  } else {
    int32_t number = number_;
    if ((number == 0 && !NoteNew(&number)) || !NoteWrite(number, std::string_view(text_, length))) {
      ShowError();
      return;
    }
    number_ = number;
  }
  if (timer_) timer_->reject();
  CloseWith(1);
}

void NoteEditorDialog::reject() {
  if (timer_) timer_->reject();
  TBaseDialog::reject();
}

void NoteEditorDialog::OpenTimer() {
  if (timer_ && timer_->IsOpen()) {
    timer_->raise();
    timer_->activateWindow();
    return;
  }
  delete timer_.data();
  timer_ = new CallTimerDialog(this, [this](const QString& text) { PasteText(text); });
  timer_->OpenModeless();
}

void NoteEditorDialog::PasteText(const QString& text) {
  auto* edit = FindControlAs<QPlainTextEdit>(this, kIdText);
  if (!edit || edit->isReadOnly()) return;
  edit->setFocus();
  edit->textCursor().insertText(text);
}

int RunNoteEditor(QWidget* owner, int32_t* noteNumber, int mode,
                  const std::function<int(TBaseDialog&)>& run) {
  NoteEditorDialog dialog(owner, *noteNumber, mode);
  if (!dialog.Ready()) return 0;
  if (run(dialog) != 1) return 0;
  if (mode != kNoteReadOnly) *noteNumber = dialog.NoteNumber();
  return 1;
}
