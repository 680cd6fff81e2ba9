#include "toolkit/controls/multiline_control.h"

#include <QScrollBar>
#include <QTextCursor>
#include <algorithm>
#include <cstring>

#include "toolkit/controls/field_widgets.h"
#include "toolkit/field_rules.h"
#include "toolkit/record_text.h"

TMultiLineEditControl::TMultiLineEditControl(int id, char* buffer, size_t size, bool lineBreaks)
    : TControl(id), buffer_(buffer), size_(size), lineBreaks_(lineBreaks) {}

bool TMultiLineEditControl::Connect(QWidget* widget) {
  auto* edit = qobject_cast<QPlainTextEdit*>(widget);
  if (!edit || size_ == 0) return false;
  connect(edit, &QPlainTextEdit::textChanged, this, &TMultiLineEditControl::Changed);
  if (auto* f = qobject_cast<FieldTextEdit*>(widget)) {
    connect(f, &FieldTextEdit::focusEntered, this, [this] { Notify(Notification::SetFocus); });
    connect(f, &FieldTextEdit::focusLeft, this, [this] { Notify(Notification::KillFocus); });
  }
  return true;
}

void TMultiLineEditControl::Changed() {
  QPlainTextEdit* e = Edit();
  if (!fixing_ && e) {
    // Text pasted from elsewhere may hold characters the record cannot;
    // they are shown as "?" at once, which is what will be stored.
    QString text = e->toPlainText();
    if (!FitsCp1252(text) || (UpperCase() && UpperCp1252(text) != text)) {
      fixing_ = true;
      int pos = e->textCursor().position();
      QString fixed = ReplaceNonCp1252(text);
      if (UpperCase()) fixed = UpperCp1252(fixed);
      e->setPlainText(fixed);
      QTextCursor c = e->textCursor();
      c.setPosition(std::min<int>(pos, int(fixed.size())));
      e->setTextCursor(c);
      fixing_ = false;
    }
  }
  if (!fixing_) Notify(Notification::Change);
}

void TMultiLineEditControl::SetTextQuietly(const QString& text) {
  QPlainTextEdit* e = Edit();
  if (!e || e->toPlainText() == text) return;
  justSet = true;
  e->setPlainText(text);
  justSet = false;
}

void TMultiLineEditControl::TransferIn() {
  std::string stored(buffer_, strnlen(buffer_, size_));
  if (!lineBreaks_) {
    SetTextQuietly(FromCp1252(stored));
    return;
  }
  // The edit breaks lines at LF: CR becomes CR LF, then the CR goes.
  QString shown = FromCp1252(StoredToDisplayLines(stored));
  shown.replace("\r\n", "\n");
  SetTextQuietly(shown);
  if (QPlainTextEdit* e = Edit()) e->moveCursor(QTextCursor::End);
}

bool TMultiLineEditControl::TransferOut() {
  QPlainTextEdit* e = Edit();
  if (!e) return true;
  std::string bytes = ToCp1252(e->toPlainText());
  if (lineBreaks_) bytes = DisplayToStoredLines(bytes);
  if (bytes.size() > size_ - 1) bytes.resize(size_ - 1);
  std::memset(buffer_, 0, size_);
  std::memcpy(buffer_, bytes.data(), bytes.size());
  return true;
}

void TMultiLineEditControl::HandleNotification(Notification n, uint32_t& modified) {
  if (n == Notification::SetFocus) {
    QPlainTextEdit* e = Edit();
    QTextCursor c = e->textCursor();
    if (c.hasSelection() && c.selectionStart() == 0 &&
        c.selectionEnd() == e->toPlainText().size()) {
      c.setPosition(0);
      e->setTextCursor(c);
      e->ensureCursorVisible();
    }
    return;
  }
  TControl::HandleNotification(n, modified);
}
