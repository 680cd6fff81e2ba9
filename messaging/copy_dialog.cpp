#include "messaging/copy_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <cstring>

#include "data/clock.h"
#include "data/local_time.h"
#include "data/messages/dpnote.h"
#include "data/messages/message_user.h"
#include "data/office/dpmain.h"
#include "toolkit/accessible_names.h"
#include "messaging/cp1252_guard.h"
#include "storage/errors.h"
#include "storage/records/field.h"
#include "toolkit/control_id.h"
#include "toolkit/controls/choice_controls.h"
#include "toolkit/controls/field_widgets.h"
#include "toolkit/controls/multiline_control.h"
#include "toolkit/controls/picker_controls.h"
#include "toolkit/prompts.h"

namespace nm = records::name;

namespace {
// Room the "From" line needs: below this the note is left as it is.
constexpr size_t kFromLineRoom = 45;
}  // namespace

TGetLocalCopyInfo::TGetLocalCopyInfo(QWidget* owner, const MessageRecord* message,
                                     const std::string* presetTo, int32_t presetNumber, bool urgent)
    : TBaseDialog(owner, "Copy Message"), picker_(this) {
  setProperty("helpAnchor", "copy-message");
  setObjectName("COPY");
  oneMessage_ = message != nullptr;
  reply_ = presetTo != nullptr;
  urgent_ = urgent ? 1 : 0;
  if (reply_) {
    SetFieldText(nameRecord_, nm::kName, presetTo->c_str());
    SetFieldI32(nameRecord_, nm::kNumber, presetNumber);
  }

  auto* grid = new QGridLayout(this);
  auto* toButton = new QPushButton("&To:", this);
  SetControlId(toButton, kIdToButton);
  toButton->setAutoDefault(false);
  auto* to = new FieldLineEdit(this);
  SetControlId(to, kIdTo);
  to->setAccessibleName("To:");
  grid->addWidget(toButton, 0, 0);
  grid->addWidget(to, 0, 1, 1, 2);
  auto* attach = new QCheckBox("Attach note", this);
  SetControlId(attach, kIdAttachNote);
  auto* urgentBox = new QCheckBox("Urgent", this);
  SetControlId(urgentBox, kIdUrgent);
  grid->addWidget(attach, 1, 1);
  grid->addWidget(urgentBox, 1, 2);
  noteEdit_ = new FieldTextEdit(this);
  SetControlId(noteEdit_, kIdNote);
  noteEdit_->setAccessibleName("Note");
  grid->addWidget(noteEdit_, 2, 0, 1, 3);
  auto* ok = new QPushButton("OK", this);
  SetControlId(ok, kIdOk);
  ok->setDefault(true);
  auto* cancel = new QPushButton("Cancel", this);
  SetControlId(cancel, kIdCancel);
  cancel->setAutoDefault(false);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  grid->addLayout(buttons, 3, 0, 1, 3);
  connect(ok, &QPushButton::clicked, this, [this] { Ok(); });
  connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
  connect(toButton, &QPushButton::clicked, this, [this] { PickTo(); });
  connect(attach, &QCheckBox::toggled, noteEdit_, &QWidget::setEnabled);
  resize(420, 260);
  GuardCp1252(this);

  if (oneMessage_) {
    // The message's note, and the user's "From" line when there is room.
    std::string text;
    const int32_t attached = FieldI32(message->bytes, records::message::kAttachedNote);
    if (attached != 0 && !NoteRead(attached, &text)) {
      text.clear();
      ClearAppError();
    }
    if (sizeof note_ - 1 - text.size() > kFromLineRoom) {
      const LocalTime now = ToLocal(ClockNow());
      std::string line = "From " + CurrentMessageUser().name + " " + LocalDateText(now) + " " +
                         ClockText(now.hour, now.minute, ClockForm::kList) + ": ";
      text += (text.empty() ? "" : "\r\r") + line;
    }
    std::memcpy(note_, text.data(), std::min(text.size(), sizeof note_ - 1));
  } else {
    setWindowTitle("Copy selected Messages");
    attach->setEnabled(false);
  }
  if (reply_) {
    setWindowTitle("Reply to message sender");
    attach_ = 1;
  }

  Bind<TToControl>(kIdTo, nameRecord_, tags_, kPickEverything, &picker_);
  Bind<TCheckBoxControl>(kIdAttachNote, &attach_);
  Bind<TCheckBoxControl>(kIdUrgent, &urgent_);
  Bind<TMultiLineEditControl>(kIdNote, note_, sizeof note_, true);
}

void TGetLocalCopyInfo::Initialise() {
  TBaseDialog::Initialise();
  noteEdit_->setEnabled(attach_ != 0);
  if (reply_) {
    noteEdit_->setFocus();
    noteEdit_->moveCursor(QTextCursor::End);
  }
}

void TGetLocalCopyInfo::PickTo() {
  if (picker_.PickName(nameRecord_, tags_, kPickEverything, FieldText(nameRecord_, nm::kName)))
    Binding(kIdTo)->TransferIn();
}

std::string TGetLocalCopyInfo::To() const {
  return FieldText(nameRecord_, nm::kName);
}

int32_t TGetLocalCopyInfo::ToNumber() const {
  return FieldI32(nameRecord_, nm::kNumber);
}

void TGetLocalCopyInfo::Ok() {
  if (!TransferOut()) return;
  if (To().empty()) {
    Prompter().Inform("Please enter TO field.");
    return;
  }
  if (attach_ != 0 && note_[0] != 0) {
    if (!NoteNew(&noteNumber_) || !NoteWrite(noteNumber_, note_)) {
      ShowError();
      noteNumber_ = 0;
      return;
    }
  }
  CloseWith(1);
}

void TGetLocalCopyInfo::reject() {
  if (!ConfirmDiscard()) return;
  CloseWith(0);
}
