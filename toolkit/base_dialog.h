// The base of every dialog: it owns the field bindings, moves values into
// and out of the controls in binding order, keeps the modified flag, and
// opens as a modal, a modeless, or a modeless dialog that disables its
// owner.
//
// A dialog builds its controls in code (form_builder.h), each with its
// control id, then binds them:
//
//   Bind<TEditControl>(kIdCaller, rec.caller, sizeof rec.caller);
//
// Bindings are found and routed by id, and tests find the same controls by
// the same ids.
#pragma once

#include <QDialog>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

#include "toolkit/controls/control.h"
#include "toolkit/live_windows.h"

class TBaseDialog : public QDialog {
  Q_OBJECT
 public:
  explicit TBaseDialog(QWidget* owner, const QString& caption = QString());
  ~TBaseDialog() override;

  // Opening. The modal open runs its own loop and answers the result; the
  // modeless opens answer at once. Each calls Initialise() first.
  int OpenModal();
  void OpenModeless();
  // Modeless, but the owner takes no input while the dialog is open; when
  // it closes the dialog sends `command` with the result to its owner
  // (OwnerCommand).
  void OpenModelessDisablingOwner(int command);
  // Closes with the result: the owner is usable again, a modeless dialog
  // leaves the modeless list, the window goes.
  void CloseWith(int result);
  int Result() const { return result_; }
  bool IsModeless() const { return modeless_; }
  bool IsOpen() const { return open_; }

  // The dialog's own steps, overridden by each window.
  // Initialise: the default moves the bound values into the controls.
  virtual void Initialise();
  // OK: the default moves the values out and closes with 1; a refused value
  // keeps the dialog open.
  virtual void Ok();
  // Whether the user may change fields: true unless read-only.
  virtual bool MayEdit() const { return !readOnly_; }

  // Adds a binding; a second binding of one control id, or an id with no
  // control of the right kind, fails the consistency check and is dropped
  // (the answer is then nullptr).
  TControl* Bind(std::unique_ptr<TControl> control);
  template <class T, class... Args>
  T* Bind(Args&&... args) {
    return static_cast<T*>(Bind(std::make_unique<T>(std::forward<Args>(args)...)));
  }
  TControl* Binding(int id) const;

  // Every binding's value into its control, in binding order; afterwards
  // the dialog is not modified.
  void TransferIn();
  // Every binding's value out of its control, in binding order; false at
  // the first refused value (FailedControlId() names it).
  bool TransferOut();
  int FailedControlId() const { return failedId_; }
  bool TransferInProgress() const { return transferring_; }

  uint32_t Modified() const { return modified_; }
  void SetModified(uint32_t m) { modified_ = m; }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool on) { readOnly_ = on; }

  // Asks before unsaved changes are dropped: yes at once when nothing was
  // changed, else the question (by default "Changes not saved, are you
  // sure?"); yes clears the modified flag.
  bool ConfirmDiscard(const QString& question = QString());

  // A notification from a bound control (called by the bindings).
  void Route(TControl* control, Notification n);

  // Cancel, Escape and the close box: close with 0.
  void reject() override;

 signals:
  // The command a modeless dialog that disabled its owner sends on closing.
  void OwnerCommand(int command, int result);

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  void Opened(bool modeless);

  QWidget* owner_;
  std::vector<std::unique_ptr<TControl>> bindings_;
  uint32_t modified_ = 0;
  bool readOnly_ = false;
  bool transferring_ = false;
  bool modeless_ = false;
  bool open_ = false;
  int result_ = 0;
  int ownerCommand_ = 0;
  bool disablesOwner_ = false;
  int failedId_ = -1;
  LiveWindow live_;
};
