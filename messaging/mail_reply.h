// MAIL_RESPONSE ("Reply to E-mail", TRespondToMailClass): the answer to an
// e-mail. To is the answered e-mail's From, Subject gets "Re: " (unless it
// has it), the body starts with the quote the view prepared, Urgent as the
// view was opened; the rest is written as in the Send E-mail window.
#pragma once

#include <string>

#include "messaging/email_compose.h"
#include "toolkit/base_dialog.h"

class TRespondToMailClass : public TBaseDialog {
  Q_OBJECT
 public:
  static constexpr int kIdCancel = 2;

  TRespondToMailClass(QWidget* owner, const std::string& to, const std::string& subject,
                      const std::string& body, bool urgent);
  ~TRespondToMailClass() override;

  bool Send();
  void reject() override;
  EmailComposer& Composer() { return *composer_; }

 protected:
  void Initialise() override;

 private:
  EmailComposer* composer_;
  std::string to_, subject_, body_;
  bool urgent_;
};

// Opens the reply; true when it was sent.
bool ReplyToEmail(QWidget* owner, const std::string& to, const std::string& subject,
                  const std::string& quote, bool urgent);
