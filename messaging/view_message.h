// The view windows of a phone message (VMESSAGE), a memo (VMEMO) and an
// e-mail (VMAIL; its own parts are in view_email.cpp), for a row of the
// in-box or of the send log. Opening stamps an in-box message
// viewed; the first change locks the record ("Record in use." when another
// workstation holds it), "&Save" stores it; the marking buttons and "&Tag"
// change the list's row, which the list writes back when the view closes.
#pragma once

#include <QPointer>
#include <cstdint>
#include <string>
#include <vector>

#include "data/messages/dpmess.h"
#include "data/messages/email_file.h"
#include "messaging/list_request.h"
#include "messaging/list_row.h"
#include "toolkit/base_dialog.h"

class QLabel;
class QPushButton;
class QLineEdit;
class QPlainTextEdit;
class TakeQuickList;

class TViewMessageBaseClass : public TBaseDialog {
  Q_OBJECT
 public:
  // Controls of VMESSAGE and VMEMO.
  static constexpr int kIdTo = 181;
  static constexpr int kIdPhoneFrom = 139;
  static constexpr int kIdCompany = 140;
  static constexpr int kIdPhone = 142;
  static constexpr int kIdExt = 104;
  static constexpr int kIdPhoneText = 151;
  static constexpr int kIdBy = 103;
  static constexpr int kIdRush = 107;
  static constexpr int kIdCallBack = 108;
  static constexpr int kIdReturnedCall = 109;
  static constexpr int kIdWillCall = 110;
  static constexpr int kIdMemoFrom = 101;
  static constexpr int kIdMemoText = 152;
  static constexpr int kIdSave = 200;
  static constexpr int kIdCopy = 232;
  static constexpr int kIdPrint = 220;
  static constexpr int kIdNote = 201;
  static constexpr int kIdReply = 250;
  static constexpr int kIdLog = 248;
  static constexpr int kIdSlip = 219;
  static constexpr int kIdList = 214;
  static constexpr int kIdDial = 221;
  static constexpr int kIdAdd = 204;
  static constexpr int kIdCC = 249;
  static constexpr int kIdPrev = 243;
  static constexpr int kIdNext = 242;
  static constexpr int kIdDelete = 245;
  static constexpr int kIdArchive = 246;
  static constexpr int kIdFolder = 247;
  static constexpr int kIdTag = 244;
  static constexpr int kIdClose = 2;
  static constexpr int kIdTime = 300;
  static constexpr int kIdKindPicture = 260;
  static constexpr int kIdNotePicture = 261;
  // VMAIL.
  static constexpr int kIdMailFrom = 101;
  static constexpr int kIdSubject = 102;
  static constexpr int kIdBody = 157;
  static constexpr int kIdAttachments = 202;
  static constexpr int kIdOptions = 253;

  // table: the list's open "MESSAGE" (in-box) or "SENDLOG" handle.
  TViewMessageBaseClass(QWidget* owner, TableHandle& table, const ListRow& row, int32_t rowNumber,
                        int32_t rowsAfter, const ListRequest& request, bool single);
  ~TViewMessageBaseClass() override;

  // Reads the message and, in the in-box, stamps it viewed; false after a
  // failure was shown (the window is then not opened).
  bool Start();

  const ListRow& Row() const { return row_; }
  const MessageRecord& Record() const { return record_; }
  bool SendLog() const { return row_.SendLog(); }
  bool Single() const { return single_; }
  bool Locked() const { return locked_; }
  bool Archived() const;
  QString Title() const { return windowTitle(); }

  // May-edit: the send log and an archived message are read only; else the
  // record is locked at the first change.
  bool MayEdit() const override;
  void Save();
  void ToggleAction(uint8_t action);
  void Step(int result);
  void CloseView();
  void Note();
  void Log();
  void Copy();
  void Reply();
  void ShowViewed();
  void ShowCC();
  // Phone messages: "&List" opens the phone list's quick list for Company
  // (in-box, when the message may be edited), "&Add" puts the caller into
  // the current phone list, "&Dial" dials Phone for Company.
  void ShowQuickList();
  void AddToPhoneList();
  void Dial();
  TakeQuickList* QuickList() const { return quickList_; }
  // VMAIL: "&Attachments", "Opt&ions", and the send log's "&Sent".
  void ShowAttachments();
  void Options();
  void ShowSent();
  bool Email() const;
  const EmailHeader& Header() const { return header_; }
  // The body as the window shows it (lines ending "\r\n").
  std::string ShownBody() const;
  // Reply's quote: "\r\n\r\n", then "> " and each line as the body
  // field shows it; false when it would not fit the reply's body.
  bool QuoteShownLines(std::string* quote) const;
  void RefreshTitle();
  void reject() override;

 protected:
  void Initialise() override;

 private:
  void Build();
  void QuickListMenu(const QPoint& at);
  std::string FieldTextOf(int id) const;
  bool LockForEditing() const;
  void Unlock();
  void ShowActions();
  bool SaveQuietly();
  bool Phone() const;
  std::string TextOf() const;
  void WriteBack();
  // The e-mail's parts.
  bool StartEmail();
  void BuildEmailFields(class QVBoxLayout* outer);
  bool SaveEmailQuietly();
  void CopyEmail();
  void ReplyEmail();
  void ShowBody(const std::string& body);
  bool SentToInternet() const;

  TableHandle& table_;
  ListRow row_;
  int32_t rowNumber_;
  int32_t rowsAfter_;
  ListRequest request_;
  bool single_;
  mutable bool locked_ = false;
  MessageRecord record_;
  // Bound buffers.
  char to_[21] = {};
  char from_[21] = {};
  char company_[30] = {};
  char phone_[21] = {};
  char ext_[11] = {};
  char by_[4] = {};
  uint8_t rush_ = 0, callBack_ = 0, returnedCall_ = 0, willCall_ = 0;
  char text_[4048] = {};
  QPushButton* delete_ = nullptr;
  QPushButton* archive_ = nullptr;
  QPushButton* folder_ = nullptr;
  QPushButton* tag_ = nullptr;
  QPushButton* save_ = nullptr;
  QLabel* notePicture_ = nullptr;
  TakeQuickList* quickList_ = nullptr;
  // VMAIL's buffers.
  EmailHeader header_;
  char mailTo_[256] = {};
  char mailFrom_[128] = {};
  char subject_[128] = {};
  std::vector<char> body_;
  bool truncated_ = false;
  class QCheckBox* attachments_ = nullptr;
};

// Makes the view of the row's kind; nullptr after a failure was shown.
TViewMessageBaseClass* MakeMessageView(QWidget* owner, TableHandle& table, const ListRow& row,
                                       int32_t rowNumber, int32_t rowsAfter,
                                       const ListRequest& request, bool single);
