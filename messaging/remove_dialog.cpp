#include "messaging/remove_dialog.h"

#include <QHBoxLayout>
#include <QPushButton>

#include "toolkit/control_id.h"

TRemoveDialog::TRemoveDialog(QWidget* owner, bool sendLog, int defaultId)
    : TBaseDialog(owner, "Remove Message") {
  setProperty("helpAnchor", "message-list");
  auto* row = new QHBoxLayout(this);
  std::vector<std::pair<const char*, int>> buttons;
  if (sendLog) {
    buttons = {{"Archive", kIdArchive}, {"Delete", kIdDelete}, {"Undo", kIdUndo}};
  } else {
    buttons = {{"Delete", kIdDelete},
               {"Archive", kIdArchive},
               {"Folder...", kIdFolder},
               {"Undo", kIdUndo}};
  }
  bool defaultSet = false;
  for (const auto& [text, id] : buttons) {
    auto* b = new QPushButton(text, this);
    SetControlId(b, id);
    const int result = id;
    connect(b, &QPushButton::clicked, this, [this, result] { CloseWith(result); });
    row->addWidget(b);
    if (id == defaultId) {
      b->setDefault(true);
      b->setFocus();
      defaultSet = true;
    }
  }
  if (!defaultSet) {
    auto* first = FindControlAs<QPushButton>(this, buttons.front().second);
    first->setDefault(true);
    first->setFocus();
  }
}
