// EDITSCHED ("Schedule Entry"): a schedule entry added or changed, with
// its note (SCHEDNOTE, "Note"), its repeats and the update memo to the
// schedule's owner. The checks and the save are the data layer's
// (data/schedule/sched_entry_save.h); the dialog reads its fields into the
// values it hands over and shows what comes back.
#pragma once

#include <string>

#include "data/schedule/sched_entry_save.h"
#include "toolkit/base_dialog.h"

class QCheckBox;

// SCHEDNOTE: one multi-line field of up to 181 characters.
class SchedNoteDialog : public TBaseDialog {
  Q_OBJECT
 public:
  static constexpr int kIdNote = 101;
  SchedNoteDialog(QWidget* owner, const std::string& note);
  std::string Note() const { return note_; }

 private:
  char note_[kMaxSchedNote + 1] = {};
};

// The scheduler around the entry dialog.
struct EntryDialogSetup {
  int32_t recordNumber = -1;      // the stored entry, or -1 for a new one
  int32_t presetStart = 0;        // a new entry's start (an empty slot's time), or 0
  bool sendUpdateDefault = true;  // the option SchedSendUpdate
};

class EditSchedDialog : public TBaseDialog {
  Q_OBJECT
 public:
  static constexpr int kIdDate = 101;
  static constexpr int kIdStart = 102;
  static constexpr int kIdEnd = 103;
  static constexpr int kIdAlarm = 104;
  static constexpr int kIdDescription = 105;
  static constexpr int kIdNote = 106;
  static constexpr int kIdRepeat = 107;
  static constexpr int kIdSendUpdate = 200;

  // context: the owner, the user and the current day; its editing field is
  // set from setup. A stored entry that cannot be read is shown as an error
  // and leaves the dialog not Ready().
  EditSchedDialog(QWidget* owner, SchedTable& handle, EntrySaveContext& context,
                  const EntryDialogSetup& setup);
  bool Ready() const { return ready_; }

  void Ok() override;
  // "&Note:" and "&Repeat:".
  void EditNote();
  void ChooseRepeat();

  int RepeatKind() const { return repeatKind_; }
  const std::string& NoteText() const { return note_; }
  // What the save did (valid after a result of 1).
  const EntrySaveResult& Saved() const { return saved_; }

 private:
  SchedTable& handle_;
  EntrySaveContext& context_;
  bool ready_ = true;
  int32_t date_ = 0;
  char start_[9] = {};
  char end_[9] = {};
  char alarm_[9] = {};
  char description_[kMaxSchedDescription + 1] = {};
  uint8_t sendUpdate_ = 0;
  std::string note_;
  int repeatKind_ = 0;
  bool hadGroup_ = false;
  QCheckBox* noteBox_ = nullptr;
  QCheckBox* repeatBox_ = nullptr;
  EntrySaveResult saved_;
};
