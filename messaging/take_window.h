// The Take window: where a person writes a new phone message (TAKEMESSAGE,
// "Take Message") or memo (TAKEMEMO, "Take Memo") and sends it to a person,
// a group, "* - ALL", the tagged names, or into a folder of their own. The
// window keeps a working message record and its text; Send turns them into
// one stored message per recipient and clears the form for the next one.
// Close only hides the window, so an unsent message waits for its writer.
// The e-mail kind is TTakeEmailClass (take_email.h).
#pragma once

#include <QLabel>
#include <QPointer>
#include <cstdint>
#include <memory>
#include <string>

#include "data/messages/dpmess.h"
#include "data/office/dpname.h"
#include "data/office/name_picking.h"
#include "data/office/passwords.h"
#include "data/phone/dpphone.h"
#include "messaging/quick_list.h"
#include "messaging/take_base.h"
#include "toolkit/base_dialog.h"
#include "toolkit/pickers.h"

class QLineEdit;
class QPushButton;

// The text buffer of a phone message or memo holds 4047 characters.
constexpr int kTakeTextLength = 4047;

class TakeWindow : public TTakeMessageBaseClass {
  Q_OBJECT

 public:
  static constexpr int kIdTo = 141;
  static constexpr int kIdPhoneFrom = 139;
  static constexpr int kIdMemoFrom = 101;
  static constexpr int kIdCompany = 140;
  static constexpr int kIdPhone = 142;
  static constexpr int kIdExt = 104;
  static constexpr int kIdPhoneText = 151;
  static constexpr int kIdMemoText = 152;
  static constexpr int kIdBy = 103;
  static constexpr int kIdRush = 107;
  static constexpr int kIdCallBack = 108;
  static constexpr int kIdReturnedCall = 109;
  static constexpr int kIdWillCall = 110;
  static constexpr int kIdUrgent = 257;
  static constexpr int kIdTime = 300;
  static constexpr int kIdSend = 200;
  static constexpr int kIdNote = 201;
  static constexpr int kIdClear = 215;
  static constexpr int kIdPick = 213;
  static constexpr int kIdList = 214;
  static constexpr int kIdAdd = 204;

  static constexpr int kIdSelectPhoneList = 628;

  // kind: kTakePhone or kTakeMemo. The picker serves the To field and
  // ">>"; a phone message completes the caller's name and company from the
  // current phone list.
  TakeWindow(QWidget* owner, char kind, NamePicker* picker);
  // Answers the phone list password of "&Select PhoneList" (without one
  // that entry is not offered).
  void SetPasswords(PasswordPrompt* passwords) { passwords_ = passwords; }
  ~TakeWindow() override;

  QString UnsentQuestion() const override;

  // The first opening clears the form; later openings show it as it was.
  void Initialise() override;
  // "&Clear", after every send and on the first opening.
  void Clear();
  // "&Send": to the recipient of To. False when nothing was sent (the
  // form is then kept).
  bool Send();
  // "Send to &folder": into a folder of the user's own, chosen in FOLDER.
  bool SendToFolder();
  // "&Note": the note editor on the working record's attached note.
  void AttachNote();
  // ">>": the name picker for To.
  void PickRecipient();
  // "&List": the quick list for the Company field.
  void ShowQuickList();
  // "&Add to PhoneList" and "&Add": the caller into the current phone list.
  void AddToPhoneList();
  // "&Select PhoneList": whose phone list the quick list shows.
  void SelectPhoneList();
  TakeQuickList* QuickList() const { return quickList_; }
  void RefreshTitle();
  void RefreshTime() override;

  const MessageRecord& Record() const { return record_; }

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void Build();
  // The form into the working record; answers the long text to keep in a
  // note (empty when the text fits the record).
  std::string Gather();
  // The quick list's entry into the slip.
  void TakeEntry(const PhoneRecord& entry, QLineEdit* from);
  void QuickListMenu(const QPoint& at);

  NamePicker* picker_;
  PasswordPrompt* passwords_ = nullptr;
  TakeQuickList* quickList_ = nullptr;
  bool initialised_ = false;
  MessageRecord record_;
  char text_[kTakeTextLength + 1] = {};
  NameRecord slot_;
  int32_t tags_[kTagSetSize] = {};
  uint8_t ticks_[4] = {};
  uint8_t urgent_ = 0;
  QLabel* time_ = nullptr;
};
