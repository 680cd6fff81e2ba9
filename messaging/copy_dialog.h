// COPY ("Copy Message"): the recipient of a copy, a note to go with it and
// Urgent. With one message the note starts as the message's attached note
// with a "From" line of the user's; with several there is no note ("Copy
// selected Messages"); a Reply presets the recipient ("Reply to message
// sender") and ticks "Attach note".
#pragma once

#include <QCheckBox>
#include <string>

#include "data/messages/dpmess.h"
#include "data/office/name_picking.h"
#include "storage/records/name.h"
#include "toolkit/base_dialog.h"
#include "toolkit/names/name_picker.h"

class QPlainTextEdit;

class TGetLocalCopyInfo : public TBaseDialog {
  Q_OBJECT
 public:
  static constexpr int kIdTo = 190;
  static constexpr int kIdToButton = 213;
  static constexpr int kIdAttachNote = 201;
  static constexpr int kIdUrgent = 257;
  static constexpr int kIdNote = 153;

  // message: the one message copied (its attached note is offered), or
  // nullptr for several. presetTo: Reply's recipient (may be empty when
  // the sender is gone; nullptr for a plain copy).
  TGetLocalCopyInfo(QWidget* owner, const MessageRecord* message, const std::string* presetTo,
                    int32_t presetNumber, bool urgent);
  // False when the note could not be read into memory (said already).
  bool Ready() const { return ready_; }

  void Ok() override;
  void reject() override;
  void PickTo();

  // The answers after OK.
  std::string To() const;
  int32_t ToNumber() const;
  const int32_t* Tags() const { return tags_; }
  bool Urgent() const { return urgent_ != 0; }
  // The new note's number (0 for none).
  int32_t NoteNumber() const { return noteNumber_; }

 protected:
  void Initialise() override;

 private:
  uint8_t nameRecord_[records::name::kRecordSize] = {};
  int32_t tags_[kTagSetSize] = {};
  uint8_t attach_ = 0;
  uint8_t urgent_ = 0;
  char note_[4048] = {};
  bool ready_ = true;
  bool oneMessage_ = false;
  bool reply_ = false;
  int32_t noteNumber_ = 0;
  DialogNamePicker picker_;
  QPlainTextEdit* noteEdit_ = nullptr;
};
