// The small dialogs around an e-mail: GETCC (the CC text of the one being
// written), EMAIL_CCLIST (the CC items of one being read), SIGNATURE (the
// two signatures and which one goes with this e-mail), EMAIL_OPTIONS
// ("Auto format" and the raw text of mail from the Internet) and
// GET_EMAIL_FROM (one Internet From for copies of e-mails that have none).
#pragma once

#include <string>
#include <vector>

#include "toolkit/base_dialog.h"

// GETCC ("CC:"): OK keeps the text, Cancel the text as it was.
class TGetCCDialog : public TBaseDialog {
  Q_OBJECT
 public:
  static constexpr int kIdCC = 101;
  static constexpr int kIdTo = 213;

  TGetCCDialog(QWidget* owner, const std::string& cc);
  // "&To:": picked addresses appended to the text.
  void PickTo();
  std::string Cc() const { return std::string(cc_); }

 private:
  char cc_[256] = {};
};

// GETCC on cc; true when OK changed nothing or something (the text is then
// in *cc), false on Cancel.
bool EditEmailCC(QWidget* owner, std::string* cc);

// EMAIL_CCLIST ("CC:"): the items of a CC text, one a line, and "OK".
class EmailCCListDialog : public TBaseDialog {
  Q_OBJECT
 public:
  static constexpr int kIdList = 500;
  EmailCCListDialog(QWidget* owner, const std::string& cc);
};

// SIGNATURE ("E-mail Signature"): the two texts, the tick for this e-mail
// and the default tick, one tick at most in each pair.
class TSignatureDlgClass : public TBaseDialog {
  Q_OBJECT
 public:
  static constexpr int kIdText1 = 158;
  static constexpr int kIdText2 = 159;
  static constexpr int kIdUse1 = 200;
  static constexpr int kIdDefault1 = 201;
  static constexpr int kIdUse2 = 202;
  static constexpr int kIdDefault2 = 203;

  // choice: this e-mail's signature (0, 1 or 2).
  TSignatureDlgClass(QWidget* owner, int choice);
  void Ok() override;
  int Choice() const { return use1_ ? 1 : use2_ ? 2 : 0; }

 private:
  char text1_[251] = {};
  char text2_[251] = {};
  uint8_t use1_ = 0, use2_ = 0, default1_ = 0, default2_ = 0;
};

// SIGNATURE for the choice; on OK the texts and the default are stored and
// *choice takes the tick. False on Cancel.
bool ChooseSignature(QWidget* owner, int* choice);
// What the window's "Signature" tick reads for a choice.
QString SignatureCaption(int choice);

// EMAIL_OPTIONS ("Email Options"): "&Auto format" kept with the user's
// settings; "&View raw email" (only when there is a raw file) opens it
// read-only with the desktop's program.
class EmailOptionsDialog : public TBaseDialog {
  Q_OBJECT
 public:
  static constexpr int kIdViewRaw = 301;
  static constexpr int kIdAutoFormat = 302;

  // rawStem: the stem the record names ("" for none).
  EmailOptionsDialog(QWidget* owner, const std::string& rawStem);
  void Ok() override;
  void ViewRaw();

 private:
  std::string rawStem_;
  uint8_t autoFormat_ = 0;
};

// EMAIL_OPTIONS; true when "Auto format" changed.
bool EditEmailOptions(QWidget* owner, const std::string& rawStem);

// GET_EMAIL_FROM ("Email From field"): an Internet From for copies.
class GetEmailFromDialog : public TBaseDialog {
  Q_OBJECT
 public:
  static constexpr int kIdFrom = 101;
  explicit GetEmailFromDialog(QWidget* owner, const std::string& from);
  std::string From() const { return std::string(from_); }

 private:
  char from_[128] = {};
};

bool AskEmailFromDialog(QWidget* owner, std::string* from);
