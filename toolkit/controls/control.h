// A field binding: one control of a dialog, found by its control id, tied to
// a buffer in the caller's record. It moves the value into the control and
// back, and turns the control's signals into the notifications the dialog
// routes back to it (where they may mark the dialog modified).
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <cstdint>

#include "toolkit/live_windows.h"

class TBaseDialog;

enum class Notification {
  SetFocus,            // the control got the focus
  KillFocus,           // the control lost the focus
  Change,              // the control's text changed
  SelectionConfirmed,  // a list choice was made
  Clicked,             // a button or check box was clicked
};

// Whether a notification is the user changing the value (the ones a
// read-only dialog undoes).
bool IsValueChange(Notification n);

class TControl : public QObject {
  Q_OBJECT
 public:
  explicit TControl(int id);
  ~TControl() override;

  int Id() const { return id_; }
  QWidget* Widget() const { return widget_; }
  TBaseDialog* Dialog() const { return dialog_; }

  // Finds the control in the dialog and connects its signals; false when
  // there is no control of the right kind with the id.
  bool Attach(TBaseDialog* dialog);

  // Value from the buffer into the control.
  virtual void TransferIn() = 0;
  // Value from the control into the buffer; false when the control's text
  // is refused (an invalid date), the buffer then stays as it was.
  virtual bool TransferOut() = 0;
  // Reacts to a notification; the default marks the dialog modified on
  // every value change.
  virtual void HandleNotification(Notification n, uint32_t& modified);

  // The "All Caps" option: typed letters become capitals.
  bool UpperCase() const { return upperCase_; }
  virtual void SetUpperCase(bool on) { upperCase_ = on; }

  // Set by a programmatic change of the control's value, so the one change
  // notification that follows does not count as the user's.
  bool justSet = false;

 protected:
  // Connects the widget's signals to Notify(); false for a wrong kind.
  virtual bool Connect(QWidget* widget) = 0;
  void Notify(Notification n);

 private:
  int id_;
  QPointer<QWidget> widget_;
  TBaseDialog* dialog_ = nullptr;
  bool upperCase_ = false;
  LiveWindow live_;
};
