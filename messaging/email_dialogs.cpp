#include "messaging/email_dialogs.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "data/messages/email_address.h"
#include "data/messages/email_file.h"
#include "data/office/dpmain.h"
#include "messaging/attach_dialog.h"
#include "messaging/cp1252_guard.h"
#include "messaging/dialog_runner.h"
#include "messaging/email_settings.h"
#include "messaging/select_mail_to.h"
#include "toolkit/accessible_names.h"
#include "toolkit/control_id.h"
#include "toolkit/controls/choice_controls.h"
#include "toolkit/controls/edit_control.h"
#include "toolkit/controls/field_widgets.h"
#include "toolkit/controls/multiline_control.h"
#include "toolkit/prompts.h"
#include "toolkit/record_text.h"

namespace {

void CopyInto(char* buffer, size_t size, const std::string& text) {
  std::fill(buffer, buffer + size, '\0');
  std::copy_n(text.data(), std::min(text.size(), size - 1), buffer);
}

QPushButton* AddButton(QWidget* window, QBoxLayout* row, const QString& text, int id) {
  auto* b = new QPushButton(text, window);
  SetControlId(b, id);
  b->setAutoDefault(false);
  row->addWidget(b);
  return b;
}

// "OK" and "Cancel" at the right of the window's last row.
void OkCancel(TBaseDialog* window, QBoxLayout* into, bool cancel = true) {
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  QPushButton* ok = AddButton(window, row, "OK", kIdOk);
  ok->setDefault(true);
  QObject::connect(ok, &QPushButton::clicked, window, [window] { window->Ok(); });
  if (cancel) {
    QPushButton* c = AddButton(window, row, "Cancel", kIdCancel);
    QObject::connect(c, &QPushButton::clicked, window, [window] { window->reject(); });
  }
  into->addLayout(row);
}

FieldLineEdit* LabelledLine(QWidget* window, QGridLayout* grid, int row, const QString& label,
                            int id) {
  auto* l = new QLabel(label, window);
  auto* e = new FieldLineEdit(window);
  SetControlId(e, id);
  l->setBuddy(e);
  grid->addWidget(l, row, 0);
  grid->addWidget(e, row, 1);
  return e;
}

}  // namespace

// ---- GETCC ----

TGetCCDialog::TGetCCDialog(QWidget* owner, const std::string& cc) : TBaseDialog(owner, "CC:") {
  setProperty("helpAnchor", "email");
  setObjectName("GETCC");
  CopyInto(cc_, sizeof cc_, cc);
  auto* column = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  FieldLineEdit* edit = LabelledLine(this, grid, 0, "CC:", kIdCC);
  edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance('M') * 30);
  auto* to = new QPushButton("&To:", this);
  SetControlId(to, kIdTo);
  to->setAutoDefault(false);
  grid->addWidget(to, 0, 2);
  column->addLayout(grid);
  OkCancel(this, column);
  connect(to, &QPushButton::clicked, this, [this] { PickTo(); });
  Bind<TEditControl>(kIdCC, cc_, sizeof cc_);
  NameControlsByLabels(this);
  GuardCp1252(this);
}

void TGetCCDialog::PickTo() {
  TransferOut();
  std::string picked;
  const std::string current = cc_;
  if (!PickEmailAddresses(this, current, &picked)) return;
  const std::string text = AppendAddresses(current, picked);
  if (text.size() > kMaxRecipientList) {
    Prompter().Inform("Not enough room in field.");
    return;
  }
  CopyInto(cc_, sizeof cc_, text);
  if (TControl* c = Binding(kIdCC)) c->TransferIn();
  SetModified(1);
}

bool EditEmailCC(QWidget* owner, std::string* cc) {
  TGetCCDialog dialog(owner, *cc);
  if (RunMessagingDialog(dialog) != 1) return false;
  *cc = dialog.Cc();
  return true;
}

// ---- EMAIL_CCLIST ----

EmailCCListDialog::EmailCCListDialog(QWidget* owner, const std::string& cc)
    : TBaseDialog(owner, "CC:") {
  setProperty("helpAnchor", "email");
  setObjectName("EMAIL_CCLIST");
  auto* column = new QVBoxLayout(this);
  auto* list = new QListWidget(this);
  SetControlId(list, kIdList);
  list->setAccessibleName("CC");
  for (const RecipientItem& item : RecipientItems(cc)) list->addItem(FromCp1252(item.text));
  column->addWidget(list);
  OkCancel(this, column, false);
}

// ---- SIGNATURE ----

QString SignatureCaption(int choice) {
  return choice == 1 ? "Signature 1" : choice == 2 ? "Signature 2" : "Signature";
}

TSignatureDlgClass::TSignatureDlgClass(QWidget* owner, int choice)
    : TBaseDialog(owner, "E-mail Signature") {
  setProperty("helpAnchor", "email");
  setObjectName("SIGNATURE");
  const EmailSignatures s = ReadSignatures();
  CopyInto(text1_, sizeof text1_, s.text[0]);
  CopyInto(text2_, sizeof text2_, s.text[1]);
  use1_ = choice == 1;
  use2_ = choice == 2;
  default1_ = s.defaultChoice == 1;
  default2_ = s.defaultChoice == 2;
  auto* column = new QVBoxLayout(this);
  const struct {
    const char* label;
    int text, use, def;
    const char* useText;
  } rows[] = {{"Signature 1:", kIdText1, kIdUse1, kIdDefault1, "Signature &1"},
              {"Signature 2:", kIdText2, kIdUse2, kIdDefault2, "Signature &2"}};
  for (const auto& r : rows) {
    auto* label = new QLabel(r.label, this);
    auto* text = new FieldTextEdit(this);
    SetControlId(text, r.text);
    text->setTabChangesFocus(true);
    // 250 characters fit in four lines of thirty.
    text->setMinimumWidth(text->fontMetrics().horizontalAdvance('M') * 30);
    text->setFixedHeight(text->fontMetrics().lineSpacing() * 4 + 12);
    label->setBuddy(text);
    column->addWidget(label);
    column->addWidget(text);
    auto* ticks = new QHBoxLayout;
    auto* use = new QCheckBox(r.useText, this);
    SetControlId(use, r.use);
    auto* def = new QCheckBox("Default", this);
    SetControlId(def, r.def);
    def->setAccessibleName(QString("Default ") + r.label[10]);
    ticks->addWidget(use);
    ticks->addWidget(def);
    ticks->addStretch(1);
    column->addLayout(ticks);
  }
  OkCancel(this, column);
  Bind<TMultiLineEditControl>(kIdText1, text1_, sizeof text1_, false);
  Bind<TMultiLineEditControl>(kIdText2, text2_, sizeof text2_, false);
  Bind<TCheckBoxControl>(kIdUse1, &use1_);
  Bind<TCheckBoxControl>(kIdDefault1, &default1_);
  Bind<TCheckBoxControl>(kIdUse2, &use2_);
  Bind<TCheckBoxControl>(kIdDefault2, &default2_);
  // Each pair holds one tick at most: ticking one clears the other.
  const std::pair<int, int> pairs[] = {{kIdUse1, kIdUse2}, {kIdDefault1, kIdDefault2}};
  for (const auto& [a, b] : pairs) {
    auto* boxA = FindControlAs<QCheckBox>(this, a);
    auto* boxB = FindControlAs<QCheckBox>(this, b);
    connect(boxA, &QCheckBox::toggled, boxB, [boxB](bool on) {
      if (on) boxB->setChecked(false);
    });
    connect(boxB, &QCheckBox::toggled, boxA, [boxA](bool on) {
      if (on) boxA->setChecked(false);
    });
  }
  NameControlsByLabels(this);
  GuardCp1252(this);
}

void TSignatureDlgClass::Ok() {
  if (!TransferOut()) return;
  EmailSignatures s;
  s.text[0] = text1_;
  s.text[1] = text2_;
  s.defaultChoice = default1_ ? 1 : default2_ ? 2 : 0;
  if (!SaveSignatures(s)) {
    ShowError();
    return;
  }
  CloseWith(1);
}

bool ChooseSignature(QWidget* owner, int* choice) {
  TSignatureDlgClass dialog(owner, *choice);
  if (RunMessagingDialog(dialog) != 1) return false;
  *choice = dialog.Choice();
  return true;
}

// ---- EMAIL_OPTIONS ----

EmailOptionsDialog::EmailOptionsDialog(QWidget* owner, const std::string& rawStem)
    : TBaseDialog(owner, "Email Options"), rawStem_(rawStem) {
  setProperty("helpAnchor", "email");
  setObjectName("EMAIL_OPTIONS");
  autoFormat_ = AutoFormat() ? 1 : 0;
  auto* column = new QVBoxLayout(this);
  auto* box = new QCheckBox("&Auto format", this);
  SetControlId(box, kIdAutoFormat);
  column->addWidget(box, 0, Qt::AlignLeft);
  auto* row = new QHBoxLayout;
  QPushButton* raw = AddButton(this, row, "&View raw email", kIdViewRaw);
  raw->setEnabled(!rawStem_.empty());
  row->addStretch(1);
  column->addLayout(row);
  OkCancel(this, column);
  connect(raw, &QPushButton::clicked, this, [this] { ViewRaw(); });
  setMinimumWidth(260);
  Bind<TCheckBoxControl>(kIdAutoFormat, &autoFormat_);
}

void EmailOptionsDialog::ViewRaw() {
  if (rawStem_.empty()) return;
  if (!IsRawStem(rawStem_)) {
    Prompter().Inform("Error opening file.");
    return;
  }
  OpenPrivateCopy(RawFilePath(rawStem_), rawStem_ + ".RAW", true);
}

void EmailOptionsDialog::Ok() {
  const bool before = AutoFormat();
  if (!TransferOut()) return;
  if ((autoFormat_ != 0) != before && !SaveAutoFormat(autoFormat_ != 0)) {
    ShowError();
    return;
  }
  CloseWith((autoFormat_ != 0) != before ? 2 : 1);
}

bool EditEmailOptions(QWidget* owner, const std::string& rawStem) {
  EmailOptionsDialog dialog(owner, rawStem);
  return RunMessagingDialog(dialog) == 2;
}

// ---- GET_EMAIL_FROM ----

GetEmailFromDialog::GetEmailFromDialog(QWidget* owner, const std::string& from)
    : TBaseDialog(owner, "Email From field") {
  setProperty("helpAnchor", "email");
  setObjectName("GET_EMAIL_FROM");
  CopyInto(from_, sizeof from_, from);
  auto* column = new QVBoxLayout(this);
  auto* text = new QLabel(
      "One or more selected emails have a non-Internet name in the From field. Please provide a "
      "valid Internet email address to be used for these messages.",
      this);
  text->setWordWrap(true);
  text->setMinimumWidth(340);
  column->addWidget(text);
  auto* grid = new QGridLayout;
  LabelledLine(this, grid, 0, "From:", kIdFrom);
  column->addLayout(grid);
  OkCancel(this, column);
  Bind<TEditControl>(kIdFrom, from_, sizeof from_);
  NameControlsByLabels(this);
  GuardCp1252(this);
}

bool AskEmailFromDialog(QWidget* owner, std::string* from) {
  GetEmailFromDialog dialog(owner, UserDefaultFrom());
  if (RunMessagingDialog(dialog) != 1) return false;
  *from = dialog.From();
  return true;
}
