#include "toolkit/controls/control.h"

#include "toolkit/base_dialog.h"
#include "toolkit/control_id.h"

bool IsValueChange(Notification n) {
  return n == Notification::Change || n == Notification::SelectionConfirmed ||
         n == Notification::Clicked;
}

TControl::TControl(int id) : id_(id) {}

TControl::~TControl() = default;

bool TControl::Attach(TBaseDialog* dialog) {
  dialog_ = dialog;
  widget_ = FindControl(dialog, id_);
  if (widget_ && Connect(widget_)) return true;
  widget_ = nullptr;
  return false;
}

void TControl::HandleNotification(Notification n, uint32_t& modified) {
  if (IsValueChange(n)) modified = 1;
}

void TControl::Notify(Notification n) {
  if (dialog_) dialog_->Route(this, n);
}
