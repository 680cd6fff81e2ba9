// "Copy E-mail" (TGetEmailCopyInfo): the recipients of copies of one
// e-mail or of the tagged e-mails of a list, with "&To:" and "&CC:", an
// optional From of the user's ("(Use original From field)" otherwise), a
// note for a single e-mail and Urgent. OK makes the checks of the data
// layer; the copies themselves are the data layer's.
#pragma once

#include <string>
#include <vector>

#include "data/messages/dpmess.h"
#include "data/messages/email_send.h"
#include "toolkit/base_dialog.h"

class QLineEdit;

class TGetEmailCopyInfo : public TBaseDialog {
  Q_OBJECT
 public:
  static constexpr int kIdTo = 190;
  static constexpr int kIdToButton = 213;
  static constexpr int kIdCC = 249;
  static constexpr int kIdUseFrom = 202;
  static constexpr int kIdFrom = 101;
  static constexpr int kIdAttachNote = 201;
  static constexpr int kIdNote = 153;
  static constexpr int kIdUrgent = 257;

  // message: the one e-mail copied (its note is offered), or nullptr for
  // several ("Copy selected Emails").
  TGetEmailCopyInfo(QWidget* owner, const MessageRecord* message, bool urgent);

  void Ok() override;
  void reject() override;
  void PickTo();
  void EditCC();
  const EmailCopyRequest& Request() const { return request_; }

 private:
  void ShowFrom();

  EmailCopyRequest request_;
  std::string ownFrom_;
  bool one_ = false;
  char to_[256] = {};
  char from_[128] = {};
  char note_[4048] = {};
  uint8_t useFrom_ = 0;
  uint8_t attach_ = 0;
  uint8_t urgent_ = 0;
};

// Copies one e-mail (a record of "MESSAGE", or of "SENDLOG" with
// fromSendLog); "Email copied." on success. 1 when copied.
int CopyOneEmail(QWidget* owner, const MessageRecord& message, bool fromSendLog, bool urgent);
// Copies the e-mails in order through one dialog, asking GET_EMAIL_FROM
// once when some need an Internet From.
int CopySeveralEmails(QWidget* owner, const std::vector<MessageRecord>& messages, bool fromSendLog);
