// The search field (control 141) above a names list: at most 19
// characters, Windows-1252 only; on focus the caret goes to the end of the
// text, so typing goes on from what is there.
#pragma once

#include <QLineEdit>
#include <string>

class NameSearchField : public QLineEdit {
  Q_OBJECT

 public:
  static constexpr int kId = 141;
  explicit NameSearchField(QWidget* parent);
  // The text as record bytes.
  std::string Bytes() const;

 protected:
  void focusInEvent(QFocusEvent* event) override;
};
