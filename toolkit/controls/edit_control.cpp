#include "toolkit/controls/edit_control.h"

#include "toolkit/controls/field_widgets.h"
#include "toolkit/field_rules.h"
#include "toolkit/record_text.h"

TEditControl::TEditControl(int id, char* buffer, size_t size, bool upperCase)
    : TControl(id), buffer_(buffer), size_(size) {
  TControl::SetUpperCase(upperCase);
}

bool TEditControl::Connect(QWidget* widget) {
  auto* edit = qobject_cast<QLineEdit*>(widget);
  if (!edit || size_ == 0) return false;
  edit->setMaxLength(int(size_ - 1));
  edit->setValidator(new Cp1252Validator(UpperCase(), edit));
  connect(edit, &QLineEdit::textChanged, this, [this] { Notify(Notification::Change); });
  if (auto* f = qobject_cast<FieldLineEdit*>(widget)) {
    connect(f, &FieldLineEdit::focusEntered, this, [this] { Notify(Notification::SetFocus); });
    connect(f, &FieldLineEdit::focusLeft, this, [this] { Notify(Notification::KillFocus); });
  }
  return true;
}

void TEditControl::SetUpperCase(bool on) {
  TControl::SetUpperCase(on);
  if (QLineEdit* e = Edit()) {
    if (auto* v =
            const_cast<Cp1252Validator*>(qobject_cast<const Cp1252Validator*>(e->validator())))
      v->SetUpperCase(on);
  }
}

void TEditControl::SetTextQuietly(const QString& text) {
  QLineEdit* e = Edit();
  if (!e) return;
  QString t = text.left(e->maxLength());
  if (e->text() == t) return;
  // The change notification arrives inside setText, so the flag covers
  // exactly that one.
  justSet = true;
  e->setText(t);
  justSet = false;
  // A field too narrow for its text shows the text's start, where a person
  // begins to read; setText leaves the cursor, and the view, at its end.
  e->setCursorPosition(0);
}

void TEditControl::TransferIn() {
  SetTextQuietly(FromRecordText(buffer_, size_));
}

bool TEditControl::TransferOut() {
  if (QLineEdit* e = Edit()) ToRecordText(e->text(), buffer_, size_);
  return true;
}

void TEditControl::HandleNotification(Notification n, uint32_t& modified) {
  if (n == Notification::SetFocus) {
    if (QLineEdit* e = Edit()) {
      e->deselect();
      e->setCursorPosition(0);
    }
    return;
  }
  TControl::HandleNotification(n, modified);
}

void TPhoneEditControl::HandleNotification(Notification n, uint32_t& modified) {
  if (n == Notification::KillFocus) {
    if (QLineEdit* e = Edit()) SetTextQuietly(FromCp1252(ReformatPhone(ToCp1252(e->text()))));
    return;
  }
  TEditControl::HandleNotification(n, modified);
}

void TTimeEditControl::HandleNotification(Notification n, uint32_t& modified) {
  if (n == Notification::KillFocus) {
    if (QLineEdit* e = Edit()) SetTextQuietly(FromCp1252(NormaliseTime(ToCp1252(e->text()))));
    return;
  }
  TEditControl::HandleNotification(n, modified);
}
