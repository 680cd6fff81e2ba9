#include "messaging/cc_list_dialog.h"

#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "data/messages/dpcc.h"
#include "data/office/dpmain.h"
#include "messaging/dialog_runner.h"
#include "toolkit/control_id.h"
#include "toolkit/record_text.h"

CCListDialog::CCListDialog(QWidget* owner, const std::vector<std::string>& names)
    : TBaseDialog(owner, "CC:") {
  setProperty("helpAnchor", "cc-lists");
  auto* column = new QVBoxLayout(this);
  auto* list = new QListWidget(this);
  SetControlId(list, kIdList);
  list->setAccessibleName("CC");
  for (const std::string& name : names) list->addItem(FromCp1252(name));
  if (list->count() > 0) list->setCurrentRow(0);
  column->addWidget(list);
  auto* ok = new QPushButton("OK", this);
  SetControlId(ok, kIdOk);
  ok->setDefault(true);
  column->addWidget(ok, 0, Qt::AlignHCenter);
  connect(ok, &QPushButton::clicked, this, [this] { CloseWith(1); });
}

int ShowCCList(QWidget* owner, int32_t messageNumber) {
  std::vector<std::string> names;
  if (!CCReadNames(messageNumber, &names)) {
    ShowError();
    return 0;
  }
  if (names.empty()) return 0;
  if (names.size() > size_t(kMaxCCNames)) names.resize(size_t(kMaxCCNames));
  CCListDialog dialog(owner, names);
  RunMessagingDialog(dialog);
  return 1;
}
