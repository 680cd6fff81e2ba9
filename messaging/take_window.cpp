#include "messaging/take_window.h"

#include <QContextMenuEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>
#include <cstring>

#include "data/clock.h"
#include "data/local_time.h"
#include "data/messages/take_send.h"
#include "data/office/dpmain.h"
#include "data/phone/phone_quick_add.h"
#include "messaging/cp1252_guard.h"
#include "messaging/flyout_tip.h"
#include "messaging/folder_dialog.h"
#include "messaging/note_editor.h"
#include "messaging/slip_entry.h"
#include "storage/records/field.h"
#include "storage/records/message.h"
#include "toolkit/accessible_names.h"
#include "toolkit/control_id.h"
#include "toolkit/controls/choice_controls.h"
#include "toolkit/controls/edit_control.h"
#include "toolkit/controls/field_widgets.h"
#include "toolkit/controls/multiline_control.h"
#include "toolkit/controls/picker_controls.h"
#include "toolkit/names/name_picker.h"
#include "toolkit/prompts.h"
#include "toolkit/record_text.h"

namespace msg = records::message;
namespace nm = records::name;

static_assert(TakeWindow::kIdPhoneFrom == slip::kIdFrom &&
              TakeWindow::kIdCompany == slip::kIdCompany &&
              TakeWindow::kIdPhone == slip::kIdPhone && TakeWindow::kIdExt == slip::kIdExt &&
              TakeWindow::kIdPhoneText == slip::kIdText);

namespace {

constexpr Field kTickFields[4] = {msg::kRush, msg::kCallBack, msg::kReturnedCall, msg::kWillCall};
constexpr const char* kTickTexts[4] = {"Rush", "Call back", "Returned call", "Will call"};
constexpr int kTickIds[4] = {TakeWindow::kIdRush, TakeWindow::kIdCallBack,
                             TakeWindow::kIdReturnedCall, TakeWindow::kIdWillCall};

char* TextField(MessageRecord& record, Field f) {
  return reinterpret_cast<char*>(record.bytes + f.offset);
}

FieldLineEdit* LabelledEdit(QWidget* window, QGridLayout* grid, int row, int column,
                            const QString& label, int id, int widthChars) {
  auto* l = new QLabel(label, window);
  auto* e = new FieldLineEdit(window);
  SetControlId(e, id);
  l->setBuddy(e);
  if (widthChars > 0) e->setMinimumWidth(e->fontMetrics().horizontalAdvance('M') * widthChars);
  grid->addWidget(l, row, column);
  grid->addWidget(e, row, column + 1);
  return e;
}

QPushButton* Button(QWidget* window, QBoxLayout* into, const QString& text, int id) {
  auto* b = new QPushButton(text, window);
  b->setAutoDefault(false);
  SetControlId(b, id);
  into->addWidget(b);
  return b;
}

}  // namespace

TakeWindow::TakeWindow(QWidget* owner, char kind, NamePicker* picker)
    : TTakeMessageBaseClass(owner, kind == kTakePhone ? kTakePhone : kTakeMemo,
                            kind == kTakePhone ? "Take Message" : "Take Memo"),
      picker_(picker) {
  setProperty("helpAnchor", "take-message");
  Build();
}

TakeWindow::~TakeWindow() = default;

void TakeWindow::Build() {
  auto* column = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  column->addLayout(top);
  auto* grid = new QGridLayout;
  top->addLayout(grid, 1);
  const bool phone = kind_ == kTakePhone;

  int row = 0;
  LabelledEdit(this, grid, row, 0, "To:", kIdTo, 19);
  auto* pick = new QPushButton(">>", this);
  pick->setAutoDefault(false);
  pick->setAccessibleName("Choose the recipient");
  SetControlId(pick, kIdPick);
  grid->addWidget(pick, row++, 2);
  connect(pick, &QPushButton::clicked, this, [this] { PickRecipient(); });

  const bool fromSearch = FieldByte(CurrentUser().record.bytes, nm::kFromSearch) != 0;
  LabelledEdit(this, grid, row++, 0, "From:", phone ? kIdPhoneFrom : kIdMemoFrom, 20);
  if (phone) {
    FieldLineEdit* company = LabelledEdit(this, grid, row, 0, "Company:", kIdCompany, 29);
    auto* list = new QPushButton("&List", this);
    list->setAutoDefault(false);
    SetControlId(list, kIdList);
    new FlyoutTip(list, "Phone&List");
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list, &QPushButton::clicked, this, [this] { ShowQuickList(); });
    connect(list, &QPushButton::customContextMenuRequested, this,
            [this, list](const QPoint& at) { QuickListMenu(list->mapToGlobal(at)); });
    grid->addWidget(list, row++, 2);
    quickList_ = new TakeQuickList(
        this, company,
        [this](const PhoneRecord& entry, QLineEdit* from) { TakeEntry(entry, from); });
    // "&Add" has no button of its own on the form: its shortcut serves.
    auto* add = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_A), this);
    connect(add, &QShortcut::activated, this, [this] { AddToPhoneList(); });
    LabelledEdit(this, grid, row++, 0, "Phone:", kIdPhone, 20);
    LabelledEdit(this, grid, row++, 0, "Ext:", kIdExt, 10);
  }
  auto* text = new FieldTextEdit(this);
  SetControlId(text, phone ? kIdPhoneText : kIdMemoText);
  text->setAccessibleName("Message");
  text->setTabChangesFocus(true);
  text->setMinimumHeight(text->fontMetrics().lineSpacing() * 8 + 8);
  grid->addWidget(text, row++, 0, 1, 3);
  if (phone) {
    auto* ticks = new QHBoxLayout;
    for (int i = 0; i < 4; ++i) {
      auto* box = new QCheckBox(kTickTexts[i], this);
      SetControlId(box, kTickIds[i]);
      ticks->addWidget(box);
    }
    ticks->addStretch();
    auto* byLabel = new QLabel("By:", this);
    auto* by = new FieldLineEdit(this);
    SetControlId(by, kIdBy);
    byLabel->setBuddy(by);
    by->setMaximumWidth(by->fontMetrics().horizontalAdvance('M') * 5);
    ticks->addWidget(byLabel);
    ticks->addWidget(by);
    grid->addLayout(ticks, row++, 0, 1, 3);
  }
  auto* urgentRow = new QHBoxLayout;
  auto* urgent = new QCheckBox("&Urgent", this);
  SetControlId(urgent, kIdUrgent);
  urgentRow->addWidget(urgent);
  urgentRow->addStretch();
  time_ = new QLabel(this);
  SetControlId(time_, kIdTime);
  time_->setAccessibleName("Date and time");
  urgentRow->addWidget(time_);
  grid->addLayout(urgentRow, row++, 0, 1, 3);

  // The kind buttons, in their frame beside the form.
  top->addLayout(BuildKindButtons());

  auto* buttons = new QHBoxLayout;
  column->addLayout(buttons);
  QPushButton* send = Button(this, buttons, "&Send", kIdSend);
  QPushButton* note = Button(this, buttons, "&Note", kIdNote);
  QPushButton* clear = Button(this, buttons, "&Clear", kIdClear);
  QPushButton* close = Button(this, buttons, "Close", kIdCancel);
  buttons->addStretch();
  connect(send, &QPushButton::clicked, this, [this] { Send(); });
  connect(note, &QPushButton::clicked, this, [this] { AttachNote(); });
  connect(clear, &QPushButton::clicked, this, [this] { Clear(); });
  connect(close, &QPushButton::clicked, this, [this] { reject(); });

  Bind<TToControl>(kIdTo, slot_.bytes, tags_, kPickEverything, picker_);
  char* from = TextField(record_, msg::kFrom);
  const size_t fromSize = size_t(msg::kFrom.width);
  if (phone && fromSearch) {
    Bind<TPhoneListControl>(kIdPhoneFrom, from, fromSize, quickList_);
  } else {
    Bind<TEditControl>(phone ? kIdPhoneFrom : kIdMemoFrom, from, fromSize);
  }
  if (phone) {
    Bind<TPhoneListControl>(kIdCompany, TextField(record_, msg::kCompany),
                            size_t(msg::kCompany.width), quickList_);
    Bind<TPhoneEditControl>(kIdPhone, TextField(record_, msg::kPhone), size_t(msg::kPhone.width));
    Bind<TEditControl>(kIdExt, TextField(record_, msg::kExtension), size_t(msg::kExtension.width));
  }
  Bind<TMultiLineEditControl>(phone ? kIdPhoneText : kIdMemoText, text_, sizeof text_);
  if (phone) {
    Bind<TEditControl>(kIdBy, TextField(record_, msg::kBy), size_t(msg::kBy.width));
    for (int i = 0; i < 4; ++i) Bind<TCheckBoxControl>(kTickIds[i], &ticks_[i]);
  }
  Bind<TCheckBoxControl>(kIdUrgent, &urgent_);

  // "Send to &folder": the window's own menu.
  auto* toFolder = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F), this);
  connect(toFolder, &QShortcut::activated, this, [this] { SendToFolder(); });
  NameControlsByLabels(this);
  GuardCp1252(this);
  RefreshTime();
}

void TakeWindow::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  menu.addSeparator();
  QAction* toFolder = menu.addAction("Send to &folder");
  if (menu.exec(event->globalPos()) == toFolder) SendToFolder();
}

QString TakeWindow::UnsentQuestion() const {
  return kind_ == kTakePhone ? "Phone message not sent, are you sure?"
                             : "Memo not sent, are you sure?";
}

void TakeWindow::Initialise() {
  if (initialised_) return;
  initialised_ = true;
  Clear();
}

void TakeWindow::Clear() {
  record_ = MessageRecord();
  SetFieldByte(record_.bytes, msg::kKind, uint8_t(kind_));
  SetFieldI32(record_.bytes, msg::kTime, ClockNow());
  std::memset(text_, 0, sizeof text_);
  std::memset(tags_, 0, sizeof tags_);
  slot_ = NameRecord();
  std::memset(ticks_, 0, sizeof ticks_);
  urgent_ = 0;
  const UserState& user = CurrentUser();
  if (kind_ == kTakePhone) {
    SetFieldText(record_.bytes, msg::kBy, FieldText(user.record.bytes, nm::kInitials).c_str());
  } else {
    SetFieldText(record_.bytes, msg::kFrom, user.name.c_str());
  }
  TransferIn();
  RefreshTitle();
  if (QWidget* to = FindControl(this, kIdTo)) to->setFocus();
}

std::string TakeWindow::Gather() {
  TransferOut();
  std::string longText = TakeGatherText(record_, std::string(text_, strnlen(text_, sizeof text_)));
  if (kind_ == kTakePhone) {
    TakeGatherFrom(record_);
    for (int i = 0; i < 4; ++i)
      SetFieldText(record_.bytes, kTickFields[i], ticks_[i] ? msg::kTicked : "");
  }
  uint8_t flags = FieldByte(record_.bytes, msg::kFlags);
  flags = urgent_ ? uint8_t(flags | msg::kFlagUrgent) : uint8_t(flags & ~msg::kFlagUrgent);
  SetFieldByte(record_.bytes, msg::kFlags, flags);
  return longText;
}

bool TakeWindow::Send() {
  const std::string longText = Gather();
  const std::string to = slot_.Name();
  if (to.empty()) {
    Prompter().Inform("Please fill in To: field.");
    return false;
  }
  TakeRecipients recipients;
  recipients.to = to;
  recipients.number = slot_.Number();
  for (int32_t tag : tags_)
    if (tag != 0) recipients.tags.push_back(tag);
  const bool group = to[0] == '*';
  if (group) Prompter().Working(true, "Sending messages...");
  GroupSendResult result;
  const int ok = TakeSend(
      record_, longText, recipients, msg::kFolderNew,
      [] { return Prompter().AskYesNo("Attach CC: list?"); }, &result);
  if (group) Prompter().Working(false);
  if (!ok) {
    ShowError();
    // A group send that stored some copies is done: the rest were said.
    if (!group || result.stored == 0) return false;
  }
  Clear();
  return true;
}

bool TakeWindow::SendToFolder() {
  const UserState& user = CurrentUser();
  FolderRecord choice = MakeFolderRecord("", user.number);
  if (!ChooseFolder(this, choice)) return false;
  const std::string longText = Gather();
  TakeRecipients me;
  me.to = user.name;
  me.number = user.number;
  if (!TakeSend(record_, longText, me, choice.Number(), nullptr)) {
    ShowError();
    return false;
  }
  Clear();
  return true;
}

void TakeWindow::AttachNote() {
  int32_t note = FieldI32(record_.bytes, msg::kAttachedNote);
  if (EditNote(this, &note, kNoteEdit)) SetFieldI32(record_.bytes, msg::kAttachedNote, note);
  RefreshTitle();
}

void TakeWindow::PickRecipient() {
  if (!picker_) return;
  picker_->PickName(slot_.bytes, tags_, kPickEverything, std::string());
  if (TControl* to = Binding(kIdTo)) to->TransferIn();
}

void TakeWindow::RefreshTitle() {
  QString title = kind_ == kTakePhone ? "Take Message" : "Take Memo";
  if (FieldI32(record_.bytes, msg::kAttachedNote) != 0) title += " *** NOTE ATTACHED ***";
  setWindowTitle(title);
}

void TakeWindow::RefreshTime() {
  const LocalTime t = ToLocal(ClockNow());
  const std::string text = LocalDateText(t) + "   " + ClockText(t.hour, t.minute, ClockForm::kList);
  time_->setText(FromCp1252(text));
}

void TakeWindow::showEvent(QShowEvent* event) {
  TBaseDialog::showEvent(event);
  // The phone message keeps the phone list open while it shows.
  if (quickList_ && !quickList_->OpenTable()) {
    ShowError();
    CloseWith(0);
  }
}

void TakeWindow::hideEvent(QHideEvent* event) {
  if (quickList_) quickList_->CloseTable();
  TBaseDialog::hideEvent(event);
}

void TakeWindow::ShowQuickList() {
  if (!quickList_ || !quickList_->TableOpen()) return;
  auto* company = FindControlAs<QLineEdit>(this, kIdCompany);
  std::string name;
  if (!quickList_->FindFrom(ToCp1252(company->text()), &name)) name.clear();
  quickList_->Open(company, name);
  company->setFocus();
}

void TakeWindow::QuickListMenu(const QPoint& at) {
  QMenu menu(this);
  menu.setTitle("QuickList");
  QAction* add = menu.addAction("&Add to PhoneList");
  QAction* select = menu.addAction("&Select PhoneList");
  select->setEnabled(passwords_ != nullptr);
  QAction* chosen = menu.exec(at);
  if (chosen == add) AddToPhoneList();
  if (chosen == select) SelectPhoneList();
}

void TakeWindow::TakeEntry(const PhoneRecord& entry, QLineEdit* from) {
  TakeEntryIntoSlip(this, entry, from);
}

void TakeWindow::AddToPhoneList() {
  if (!quickList_ || !quickList_->TableOpen()) return;
  quickList_->Close();
  Gather();
  QuickAdd result = QuickAdd::kNothing;
  if (!PhoneQuickAddMessage(quickList_->Phones(), PhoneCurrentList().number, record_, &result)) {
    Prompter().Inform(kQuickAddFailed);
    return;
  }
  if (result == QuickAdd::kExists) Prompter().Inform(kQuickAddExists);
  if (result == QuickAdd::kAdded) Prompter().Flash(kQuickAddDone);
}

void TakeWindow::SelectPhoneList() {
  if (quickList_) quickList_->Close();
  if (!passwords_) return;
  NamePickRequest request;
  request.mode = kPickOwner;
  request.passwordArea = kAreaPhoneList;
  request.startEmpty = true;
  if (SelectName(this, request, *passwords_) == 0) return;
  PhoneList list;
  if (!PhoneListForName(request.slot.Name(), &list)) {
    ShowError();
    return;
  }
  PhoneSetCurrentList(list);
}
