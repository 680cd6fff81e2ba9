// EDITTODO ("To-do Entry"): an item's priority (up to 3 characters) and
// its text (up to 245 characters, several lines). A new item belongs to the
// list's owner and the window's current day; an item deleted by another
// workstation while it is edited is added again.
#pragma once

#include <cstdint>

#include "data/schedule/dptodo.h"
#include "toolkit/base_dialog.h"

class EditTodoDialog : public TBaseDialog {
  Q_OBJECT
 public:
  static constexpr int kIdPriority = 101;
  static constexpr int kIdText = 102;

  // recordNumber -1 adds. A stored item that cannot be read is shown as an
  // error and leaves the dialog not Ready().
  EditTodoDialog(QWidget* owner, TodoTable& handle, int32_t recordNumber, int32_t listOwner,
                 int32_t day);
  bool Ready() const { return ready_; }
  void Ok() override;
  // The item as saved (valid after a result of 1).
  const TodoRecord& Saved() const { return saved_; }

 private:
  TodoTable& handle_;
  int32_t recordNumber_;
  int32_t listOwner_;
  int32_t day_;
  bool ready_ = true;
  char priority_[kMaxTodoPriority + 1] = {};
  char text_[kMaxTodoText + 1] = {};
  TodoRecord saved_;
};
