#include "messaging/take_windows.h"

#include "data/office/dpmain.h"
#include "storage/records/field.h"
#include "storage/records/name.h"
#include "toolkit/names/name_picker.h"

TakeWindows::TakeWindows(QWidget* owner, NamePicker* picker) : owner_(owner), picker_(picker) {
  if (!picker_) {
    ownPicker_ = std::make_unique<DialogNamePicker>(owner);
    picker_ = ownPicker_.get();
  }
}

void TakeWindows::SetOwner(QWidget* owner) {
  owner_ = owner;
  if (ownPicker_) {
    ownPicker_ = std::make_unique<DialogNamePicker>(owner);
    picker_ = ownPicker_.get();
  }
}

void TakeWindows::SetKindCommand(std::function<void(char kind)> command) {
  kindCommand_ = std::move(command);
}

TakeWindows::~TakeWindows() {
  delete window_.data();
}

char TakeWindows::DefaultKind() {
  const uint8_t kind = FieldByte(CurrentUser().record.bytes, records::name::kDefaultKind);
  return kind == 1 ? kTakeMemo : kind == 2 ? kTakeEmail : kTakePhone;
}

void TakeWindows::BringForward() {
  if (!window_) return;
  if (!window_->IsOpen()) window_->OpenModeless();
  window_->showNormal();
  window_->raise();
  window_->activateWindow();
}

void TakeWindows::Open(char kind) {
  if (window_ && (kind == 0 || kind == window_->Kind())) {
    BringForward();
    return;
  }
  if (window_ && !Close()) return;
  if (kind == 0) kind = DefaultKind();
  if (kind == kTakeEmail) {
    window_ = new TTakeEmailClass(owner_);
  } else if (kind == kTakePhone || kind == kTakeMemo) {
    auto* take = new TakeWindow(owner_, kind, picker_);
    take->SetPasswords(passwords_);
    window_ = take;
  } else {
    return;
  }
  // The window that asks for another kind is closed by it: the request
  // comes back through the loop.
  connect(
      window_, &TTakeMessageBaseClass::KindRequested, this, [this](char k) { Open(k); },
      Qt::QueuedConnection);
  window_->OpenModeless();
  window_->raise();
  window_->activateWindow();
}

bool TakeWindows::Close() {
  if (!window_) return true;
  if (!window_->ConfirmDiscard(window_->UnsentQuestion())) {
    BringForward();
    return false;
  }
  delete window_.data();
  return true;
}

void TakeWindows::RefreshTime() {
  if (window_ && window_->isVisible()) window_->RefreshTime();
}
