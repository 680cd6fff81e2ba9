// MEMO_RESPONSE: the reply to a memo. It starts with a quote of the memo,
// or with the reply kept from an earlier Reply; "&Send" sends it like a
// memo from the Take window; closing after a change keeps the reply with
// the answered memo (in its log note field), so its view shows "REPLY
// ATTACHED" and the next Reply starts from it.
#pragma once

#include <string>

#include "data/messages/dpmess.h"
#include "data/messages/memo_reply.h"
#include "data/office/name_picking.h"
#include "storage/records/name.h"
#include "toolkit/base_dialog.h"
#include "toolkit/names/name_picker.h"

class QPushButton;

class TRespondToMemoClass : public TBaseDialog {
  Q_OBJECT
 public:
  static constexpr int kIdTo = 141;
  static constexpr int kIdToButton = 213;
  static constexpr int kIdFrom = 101;
  static constexpr int kIdText = 152;
  static constexpr int kIdUrgent = 257;
  static constexpr int kIdNote = 201;
  static constexpr int kIdSend = 200;
  static constexpr int kIdClose = 2;
  static constexpr int kIdTime = 300;

  // memo: the answered memo as read (its log note field may change).
  TRespondToMemoClass(QWidget* owner, MessageRecord& memo, bool urgent);

  void Send();
  void Note();
  void PickTo();
  void reject() override;
  // Whether the memo's record needs writing back (a reply was kept).
  bool MemoChanged() const { return memoChanged_; }

 protected:
  void Initialise() override;
  void closeEvent(QCloseEvent* e) override;

 private:
  void RefreshTitle();
  // Keeps a changed reply with the memo; then closes.
  void Finish(int result);

  MessageRecord& memo_;
  SavedReply reply_;
  uint8_t nameRecord_[records::name::kRecordSize] = {};
  int32_t tags_[kTagSetSize] = {};
  char from_[21] = {};
  char text_[4048] = {};
  uint8_t urgent_ = 0;
  bool memoChanged_ = false;
  bool finished_ = false;
  DialogNamePicker picker_;
};

// Opens the reply to the memo; true when the memo's record changed (its
// kept reply), for the view to write it back.
bool ReplyToMemo(QWidget* owner, MessageRecord& memo, bool urgent);
