#include "messaging/search_dialog.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstring>

#include "toolkit/accessible_names.h"
#include "messaging/cp1252_guard.h"
#include "toolkit/control_id.h"
#include "toolkit/controls/choice_controls.h"
#include "toolkit/controls/date_control.h"
#include "toolkit/controls/edit_control.h"
#include "toolkit/controls/field_widgets.h"
#include "toolkit/prompts.h"

namespace {
void Copy(char* buffer, size_t size, const std::string& text) {
  std::memset(buffer, 0, size);
  std::memcpy(buffer, text.data(), std::min(text.size(), size - 1));
}
}  // namespace

TSearchCriteriaClass::TSearchCriteriaClass(QWidget* owner, const ListRequest& request,
                                           std::function<bool(const ListRequest&)> find)
    : TBaseDialog(owner, "Find a Message"), request_(request), find_(std::move(find)) {
  setProperty("helpAnchor", "message-search");
  setObjectName("SEARCH");
  request_.search = true;
  // In the send log the first field is the To text of the copies.
  Copy(from_, sizeof from_, request_.sendLog ? std::string() : request_.fromText);
  if (request_.sendLog) request_.person.clear();
  Copy(company_, sizeof company_, request_.companyText);
  Copy(phone_, sizeof phone_, request_.phoneText);
  Copy(text_, sizeof text_, request_.text);
  start_ = request_.start;
  end_ = request_.end;
  phoneKind_ = request_.phone;
  memoKind_ = request_.memo && !request_.phonePassword;
  emailKind_ = request_.email && !request_.phonePassword;
  exact_ = request_.exact;

  auto* outer = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  auto edit = [this, form](const QString& label, int id, int chars) {
    auto* e = new FieldLineEdit(this);
    SetControlId(e, id);
    e->setMaxLength(chars);
    auto* l = new QLabel(label, this);
    l->setBuddy(e);
    form->addRow(l, e);
    return e;
  };
  edit(request_.sendLog ? "To:" : "From:", kIdFrom, 256);
  edit("Company:", kIdCompany, 40);
  edit("Phone:", kIdPhone, 20);
  edit("Start date:", kIdStart, 9);
  edit("End date:", kIdEnd, 9);
  edit("Msg/subj:", kIdText, 79);
  outer->addLayout(form);
  auto* kinds = new QHBoxLayout;
  const std::pair<const char*, int> boxes[] = {{"Phone", kIdPhoneKind},
                                               {"Memo", kIdMemoKind},
                                               {"Email", kIdEmailKind},
                                               {"Exact:", kIdExact}};
  for (const auto& [caption, id] : boxes) {
    auto* box = new QCheckBox(caption, this);
    SetControlId(box, id);
    kinds->addWidget(box);
    if (request_.phonePassword && (id == kIdMemoKind || id == kIdEmailKind)) box->setEnabled(false);
  }
  outer->addLayout(kinds);
  auto* buttons = new QHBoxLayout;
  auto* findButton = new QPushButton("&Find", this);
  SetControlId(findButton, kIdFind);
  findButton->setDefault(true);
  auto* close = new QPushButton("&Close", this);
  SetControlId(close, kIdClose);
  close->setAutoDefault(false);
  buttons->addStretch(1);
  buttons->addWidget(findButton);
  buttons->addWidget(close);
  outer->addLayout(buttons);
  GuardCp1252(this);
  NameControlsByLabels(this);
  connect(findButton, &QPushButton::clicked, this, [this] { Ok(); });
  connect(close, &QPushButton::clicked, this, [this] { reject(); });

  Bind<TEditControl>(kIdFrom, from_, sizeof from_);
  Bind<TEditControl>(kIdCompany, company_, sizeof company_);
  Bind<TEditControl>(kIdPhone, phone_, sizeof phone_);
  Bind<TDateControl>(kIdStart, &start_);
  // The end date counts to the last second of its day.
  Bind<TDateControl>(kIdEnd, &end_, true);
  Bind<TEditControl>(kIdText, text_, sizeof text_);
  Bind<TCheckBoxControl>(kIdPhoneKind, &phoneKind_);
  Bind<TCheckBoxControl>(kIdMemoKind, &memoKind_);
  Bind<TCheckBoxControl>(kIdEmailKind, &emailKind_);
  Bind<TCheckBoxControl>(kIdExact, &exact_);
}

void TSearchCriteriaClass::Ok() {
  if (!TransferOut()) {
    const int failed = FailedControlId();
    Prompter().Inform("Invalid date");
    if (QWidget* field = FindControl(this, failed)) field->setFocus();
    return;
  }
  if (request_.sendLog) {
    request_.person = from_;
  } else {
    request_.fromText = from_;
  }
  request_.companyText = company_;
  request_.phoneText = phone_;
  request_.text = text_;
  request_.start = start_;
  request_.end = end_;
  request_.phone = phoneKind_ != 0;
  request_.memo = memoKind_ != 0;
  request_.email = emailKind_ != 0;
  request_.exact = exact_ != 0;
  if (!find_(request_)) return;
  move(0, 0);
}
