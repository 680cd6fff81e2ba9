// The e-mail kind of the Take window (TAKEMAIL, "Send E-mail"): To with
// "&To:" and "&CC:", From, Subject, the body, "&Urgent", the
// "Attachments" indicator with "&Attach", the "Signature" tick, "&Send",
// "C&lear", "Close" and, in the window's own menu, "Send to &folder".
// Send hands everything to the e-mail send of the data layer and clears
// the form; Close hides the window with the e-mail and its attachments.
#pragma once

#include "messaging/email_compose.h"
#include "messaging/take_base.h"

class TTakeEmailClass : public TTakeMessageBaseClass {
  Q_OBJECT
 public:
  static constexpr int kIdClear = 215;

  explicit TTakeEmailClass(QWidget* owner);
  ~TTakeEmailClass() override;

  QString UnsentQuestion() const override { return "Email not sent, are you sure?"; }
  void RefreshTime() override { composer_->RefreshTime(); }

  // The first opening clears the form; later openings show it as it was.
  void Initialise() override;
  // "C&lear": deletes the unsent e-mail's attachment copies first.
  void ClearForm();
  // "&Send": to the recipients. False when nothing was sent.
  bool Send();
  // "Send to &folder": into a folder of the user's own, chosen in FOLDER.
  bool SendToFolder();
  void RefreshTitle();

  EmailComposer& Composer() { return *composer_; }

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  // The clear after a send and on opening: the attachments went with the
  // e-mail (or there were none).
  void Reset();

  EmailComposer* composer_;
  bool initialised_ = false;
};
