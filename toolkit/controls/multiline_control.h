// Multi-line text. With the line-break option the stored text uses a single
// carriage return per line break, which the edit shows as a line break and
// gives back as a single CR again.
#pragma once

#include <QPlainTextEdit>

#include "toolkit/controls/control.h"

class TMultiLineEditControl : public TControl {
  Q_OBJECT
 public:
  TMultiLineEditControl(int id, char* buffer, size_t size, bool lineBreaks = true);
  void TransferIn() override;
  bool TransferOut() override;
  void HandleNotification(Notification n, uint32_t& modified) override;
  QPlainTextEdit* Edit() const { return qobject_cast<QPlainTextEdit*>(Widget()); }
  void SetTextQuietly(const QString& text);

 protected:
  bool Connect(QWidget* widget) override;

 private:
  void Changed();
  char* buffer_;
  size_t size_;
  bool lineBreaks_;
  bool fixing_ = false;
};
