// The one Take window of the program: the main window opens it ("&Take"
// with no kind, the kind command with one), asks it to close (before the
// program ends, before setup runs) and refreshes its time field from its
// timer. At most one take window exists; Close hides it and keeps it.
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

#include "messaging/take_email.h"
#include "messaging/take_window.h"

class TakeWindows : public QObject {
  Q_OBJECT

 public:
  // owner: the main window; picker answers the To fields (nullptr: the
  // name picker dialog).
  explicit TakeWindows(QWidget* owner, NamePicker* picker = nullptr);
  ~TakeWindows() override;

  // The main window, once it exists: the owner of the take windows.
  void SetOwner(QWidget* owner);
  // Answers the phone list password of the phone message's "&Select
  // PhoneList".
  void SetPasswords(PasswordPrompt* passwords) { passwords_ = passwords; }
  // Where a kind button's request goes: the main window's kind command,
  // which comes back to Open. Without one the request goes to Open.
  void SetKindCommand(std::function<void(char kind)> command);

  // kind 0: bring the open window forward with its content, or open the
  // kind of the user's default message type. Another kind: the open window
  // is closed first (after the unsent question), and when that is refused
  // it stays, brought forward.
  void Open(char kind = 0);
  // True when there is no take window (any more); a changed form first asks
  // the unsent question of its kind, and No brings it forward and answers
  // false.
  bool Close();
  // The current date and time into the open, visible window.
  void RefreshTime();
  // The open phone message or memo window (nullptr for none or an e-mail).
  TakeWindow* Current() const { return qobject_cast<TakeWindow*>(window_.data()); }
  // The open window of any kind.
  TTakeMessageBaseClass* Window() const { return window_; }
  TTakeEmailClass* Email() const { return qobject_cast<TTakeEmailClass*>(window_.data()); }

  // The kind the user's default message type option opens.
  static char DefaultKind();

 private:
  void BringForward();

  QPointer<QWidget> owner_;
  std::unique_ptr<NamePicker> ownPicker_;
  NamePicker* picker_;
  std::function<void(char kind)> kindCommand_;
  PasswordPrompt* passwords_ = nullptr;
  QPointer<TTakeMessageBaseClass> window_;
};
