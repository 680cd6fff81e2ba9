#include "toolkit/base_dialog.h"

#include <QCloseEvent>

#include "storage/check.h"
#include "toolkit/choice_button_accessible.h"
#include "toolkit/help.h"
#include "toolkit/modeless.h"
#include "toolkit/prompts.h"

TBaseDialog::TBaseDialog(QWidget* owner, const QString& caption) : QDialog(owner), owner_(owner) {
  InstallChoiceButtonAccessibility();
  if (!caption.isEmpty()) setWindowTitle(caption);
}

TBaseDialog::~TBaseDialog() {
  UnregisterModeless(this);
  // The bindings go first, in binding order, while their controls exist.
  for (auto& b : bindings_) b.reset();
  bindings_.clear();
}

void TBaseDialog::Opened(bool modeless) {
  modeless_ = modeless;
  open_ = true;
  result_ = 0;
  if (isWindow()) InstallHelpKey(this);
  Initialise();
}

int TBaseDialog::OpenModal() {
  Opened(false);
  setWindowModality(owner_ ? Qt::WindowModal : Qt::ApplicationModal);
  int r = exec();
  open_ = false;
  return result_ = r;
}

void TBaseDialog::OpenModeless() {
  Opened(true);
  setWindowModality(Qt::NonModal);
  RegisterModeless(this);
  show();
}

void TBaseDialog::OpenModelessDisablingOwner(int command) {
  Opened(true);
  ownerCommand_ = command;
  disablesOwner_ = true;
  // Window modality blocks the owner's input without a loop of our own.
  setWindowModality(Qt::WindowModal);
  RegisterModeless(this);
  show();
}

void TBaseDialog::CloseWith(int result) {
  result_ = result;
  if (!open_) return;
  open_ = false;
  if (modeless_) {
    UnregisterModeless(this);
    hide();
    setWindowModality(Qt::NonModal);
    if (disablesOwner_) {
      disablesOwner_ = false;
      emit OwnerCommand(ownerCommand_, result);
    }
  } else {
    done(result);
  }
}

void TBaseDialog::Initialise() {
  TransferIn();
}

void TBaseDialog::Ok() {
  if (TransferOut()) CloseWith(1);
}

void TBaseDialog::reject() {
  CloseWith(0);
}

void TBaseDialog::closeEvent(QCloseEvent* e) {
  CloseWith(0);
  e->accept();
}

TControl* TBaseDialog::Bind(std::unique_ptr<TControl> control) {
  if (!control) return nullptr;
  if (!DP_CHECK(Binding(control->Id()) == nullptr)) return nullptr;
  if (!DP_CHECK(control->Attach(this))) return nullptr;
  bindings_.push_back(std::move(control));
  return bindings_.back().get();
}

TControl* TBaseDialog::Binding(int id) const {
  for (auto& b : bindings_) {
    if (b->Id() == id) return b.get();
  }
  return nullptr;
}

void TBaseDialog::TransferIn() {
  transferring_ = true;
  for (auto& b : bindings_) b->TransferIn();
  transferring_ = false;
  modified_ = 0;
}

bool TBaseDialog::TransferOut() {
  failedId_ = -1;
  for (auto& b : bindings_) {
    if (!b->TransferOut()) {
      failedId_ = b->Id();
      return false;
    }
  }
  return true;
}

void TBaseDialog::Route(TControl* control, Notification n) {
  if (IsValueChange(n)) {
    // A programmatic set, or values being moved in: not the user's change.
    if (control->justSet || transferring_) {
      control->justSet = false;
      return;
    }
    if (!MayEdit()) {
      transferring_ = true;
      control->TransferIn();
      control->justSet = false;
      transferring_ = false;
      return;
    }
  }
  control->HandleNotification(n, modified_);
}

bool TBaseDialog::ConfirmDiscard(const QString& question) {
  if (modified_ == 0) return true;
  if (!Prompter().AskYesNo(question.isEmpty() ? "Changes not saved, are you sure?" : question))
    return false;
  modified_ = 0;
  return true;
}
