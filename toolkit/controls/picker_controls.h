// The fields that call other windows while the user types: the recipient
// field opens the name picker, the phone-list name field completes from the
// phone list's quick list.
#pragma once

#include "toolkit/controls/edit_control.h"
#include "toolkit/pickers.h"

// Recipient: the name field of a name record. The first keystroke after
// the field was set opens the name picker with the typed text; the chosen
// name is shown and the focus moves on. Typing here does not mark the
// dialog modified (the picker's choice is what counts).
class TToControl : public TEditControl {
  Q_OBJECT
 public:
  // Picker mode 4 shows "* - ALL" as "* COMMON".
  static constexpr int kModeSchedule = 4;
  TToControl(int id, uint8_t* nameRecord, int32_t* tagSet, int mode, NamePicker* picker);
  void TransferIn() override;
  void HandleNotification(Notification n, uint32_t& modified) override;

 private:
  uint8_t* record_;
  int32_t* tagSet_;
  int mode_;
  NamePicker* picker_;
  bool picking_ = false;
};

// Company or caller name completed from the current phone list.
class TPhoneListControl : public TEditControl {
  Q_OBJECT
 public:
  TPhoneListControl(int id, char* buffer, size_t size, PhoneQuickList* quickList);
  void HandleNotification(Notification n, uint32_t& modified) override;

 private:
  PhoneQuickList* quick_;
};
