// The fields an e-mail is written in, shared by the Send E-mail window
// (TAKEMAIL) and the reply window (MAIL_RESPONSE): To with "&To:" and
// "&CC:", From (re-derived from the addresses until the user edits it),
// Subject, the body, "&Urgent", the "Attachments" indicator and the
// "Signature" tick. The composer keeps the e-mail header (CC list and
// attachment table) and hands everything to the send of the data layer.
#pragma once

#include <QObject>
#include <cstdint>
#include <string>
#include <vector>

#include "data/messages/email_file.h"

class QCheckBox;
class QGridLayout;
class QLabel;
class QPushButton;
class TBaseDialog;

class EmailComposer : public QObject {
  Q_OBJECT
 public:
  static constexpr int kIdTo = 103;
  static constexpr int kIdFrom = 101;
  static constexpr int kIdSubject = 102;
  static constexpr int kIdBody = 157;
  static constexpr int kIdUrgent = 257;
  static constexpr int kIdTime = 300;
  static constexpr int kIdSend = 200;
  static constexpr int kIdAttach = 210;
  static constexpr int kIdPickTo = 213;
  static constexpr int kIdCC = 249;
  static constexpr int kIdAttachments = 202;
  static constexpr int kIdSignature = 204;

  // The body holds 31999 characters.
  static constexpr size_t kBodySize = 32000;

  explicit EmailComposer(TBaseDialog* dialog);

  // The address, subject and body rows; then the row of ticks and the
  // time. The controls are bound to the composer's buffers.
  void BuildFields(QGridLayout* grid, int* row);
  // "&Attach" for the dialog's button row.
  QPushButton* MakeAttachButton();

  // Empties everything: To, Subject, body, CC, the attachment table
  // (deleting the stored copies when dropAttachments), Urgent; From gets
  // the default From and the signature the default choice.
  void Clear(bool dropAttachments);
  // A reply's start: To, Subject and the body (lines ending "\r\n").
  void Start(const std::string& to, const std::string& subject, const std::string& body,
             bool urgent);

  // "&To:": picked addresses appended to To; noRoom is what a full field
  // says.
  void PickTo(const QString& noRoom);
  // "&CC:": GETCC on the header's CC, then From follows.
  void EditCC();
  // "&Attach" and "Attachments".
  void EditAttachments();
  // "Signature".
  void ChooseSignature();
  // From follows To and CC until the user edits it.
  void RederiveFrom();
  // Sends to the recipients (folder 1) or files with the sender (another
  // folder). False when nothing was sent (said already; the form is kept).
  bool Send(int32_t folder);
  // Deletes the stored copies the unsent e-mail holds.
  void DropAttachments();
  void RefreshTime();
  // The "Attachments" and "Signature" ticks as the header and the choice
  // have them.
  void RefreshTicks();

  EmailHeader& Header() { return header_; }
  int SignatureChoice() const { return signature_; }
  bool FromEdited() const { return fromEdited_; }
  std::string To() const { return to_; }
  std::string From() const { return from_; }
  // The body as stored (lines ending "\r\n").
  std::string Body() const;

 private:
  TBaseDialog* dialog_;
  EmailHeader header_;
  char to_[256] = {};
  char from_[128] = {};
  char subject_[128] = {};
  std::vector<char> body_;
  uint8_t urgent_ = 0;
  int signature_ = 0;
  bool fromEdited_ = false;
  QCheckBox* attachments_ = nullptr;
  QCheckBox* signatureBox_ = nullptr;
  QLabel* time_ = nullptr;
};

// "\n" line breaks as the window has them into "\r\n" as an e-mail keeps
// them, and back.
std::string ToEmailLines(const std::string& text);
std::string FromEmailLines(const std::string& text);
