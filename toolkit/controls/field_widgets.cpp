#include "toolkit/controls/field_widgets.h"

#include <QContextMenuEvent>

#include "toolkit/controls/edit_menu.h"

void FieldLineEdit::focusInEvent(QFocusEvent* e) {
  QLineEdit::focusInEvent(e);
  emit focusEntered();
}

void FieldLineEdit::focusOutEvent(QFocusEvent* e) {
  QLineEdit::focusOutEvent(e);
  emit focusLeft();
}

void FieldLineEdit::contextMenuEvent(QContextMenuEvent* e) {
  auto menu = MakeEditMenu(this);
  menu->exec(e->globalPos());
}

void FieldTextEdit::focusInEvent(QFocusEvent* e) {
  QPlainTextEdit::focusInEvent(e);
  emit focusEntered();
}

void FieldTextEdit::focusOutEvent(QFocusEvent* e) {
  QPlainTextEdit::focusOutEvent(e);
  emit focusLeft();
}

void FieldTextEdit::contextMenuEvent(QContextMenuEvent* e) {
  auto menu = MakeEditMenu(this);
  menu->exec(e->globalPos());
}
