// The edit widgets of the text fields. Besides what Qt's edits do they tell
// their binding when they get and lose the focus, after Qt has placed the
// caret (so the binding's own caret rule wins), and open the edit context
// menu on a right click.
#pragma once

#include <QLineEdit>
#include <QPlainTextEdit>

class FieldLineEdit : public QLineEdit {
  Q_OBJECT
 public:
  explicit FieldLineEdit(QWidget* parent = nullptr) : QLineEdit(parent) {}

 signals:
  void focusEntered();
  void focusLeft();

 protected:
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void contextMenuEvent(QContextMenuEvent* e) override;
};

class FieldTextEdit : public QPlainTextEdit {
  Q_OBJECT
 public:
  explicit FieldTextEdit(QWidget* parent = nullptr) : QPlainTextEdit(parent) {}

 signals:
  void focusEntered();
  void focusLeft();

 protected:
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void contextMenuEvent(QContextMenuEvent* e) override;
};
