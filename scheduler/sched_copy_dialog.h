// SCHEDCOPY ("Copy to:"): the selected entry copied into other people's
// schedules: one name, or the tagged names ("* - TAG"), with the update
// memo to each and, for a repeated entry, its repeats along. The copying
// itself is the data layer's (SchedCopyToRecipients).
#pragma once

#include <cstdint>

#include "data/office/name_picking.h"
#include "data/schedule/dpsched.h"
#include "scheduler/sched_options.h"
#include "storage/records/name.h"
#include "toolkit/base_dialog.h"
#include "toolkit/names/name_picker.h"

class SchedCopyDialog : public TBaseDialog {
  Q_OBJECT
 public:
  static constexpr int kIdTo = 101;
  static constexpr int kIdToButton = 102;
  static constexpr int kIdSendMemo = 103;
  static constexpr int kIdCopyRepeats = 104;

  SchedCopyDialog(QWidget* owner, SchedTable& handle, int32_t recordNumber,
                  const ScheduleOwner& scheduleOwner, bool sendMemoDefault);
  bool Ready() const { return ready_; }
  void Ok() override;
  // The tag set the recipient field's picker fills.
  int32_t* Tags() { return tags_; }

 private:
  SchedTable& handle_;
  int32_t recordNumber_;
  ScheduleOwner scheduleOwner_;
  bool ready_ = true;
  uint8_t nameRecord_[records::name::kRecordSize] = {};
  int32_t tags_[kTagSetSize] = {};
  uint8_t sendMemo_ = 0;
  uint8_t copyRepeats_ = 0;
  DialogNamePicker picker_;
};
