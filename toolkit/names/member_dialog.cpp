#include "toolkit/names/member_dialog.h"

#include <QMouseEvent>
#include <QPushButton>
#include <algorithm>
#include <utility>

#include "data/office/dpmain.h"
#include "toolkit/control_id.h"
#include "toolkit/names/name_dialog_runner.h"
#include "toolkit/names/picker_layout.h"
#include "toolkit/names/picker_list.h"
#include "toolkit/names/search_field.h"
#include "toolkit/prompts.h"

namespace {

constexpr QSize kListSize(260, 240);

}  // namespace

MemberDialog::MemberDialog(QWidget* owner, const std::string& group)
    : TBaseDialog(owner, "Members"), group_(group) {
  setProperty("helpAnchor", "name-picker");
  NameRecord record;
  if (!NameLookup(group_, &record)) {
    ShowError();
    return;
  }
  const std::vector<int32_t> members = GroupMembers(record);
  // A record holds at most 100 members; GroupMembers reads no more.
  std::copy_n(members.begin(), std::min<size_t>(members.size(), kTagSetSize), members_);
  if (!NameOpen(names_)) {
    ShowError();
    return;
  }
  if (!NameFirst(names_)) {
    ShowError();
    NameClose(names_);
    return;
  }
  ready_ = true;

  const PickerLayout layout =
      BuildPickerLayout(this, kListSize, names_.table, kPickPeople, members_, false);
  search_ = layout.search;
  list_ = layout.list;
  list_->onAct = [this](const uint8_t* entry) { ToggleMember(entry); };
  list_->ListBox()->installEventFilter(this);
  QPushButton* ok = AddPickerButton(layout, this, "OK", kIdOk);
  ok->setDefault(true);
  QPushButton* cancel = AddPickerButton(layout, this, "Cancel", kIdCancel);
  layout.buttons->addStretch();
  connect(ok, &QPushButton::clicked, this, [this] { Ok(); });
  connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
  search_->setFocus();
}

MemberDialog::~MemberDialog() {
  // The list reads the table: it goes first, and no event of its dying
  // list box reaches the filter.
  TPickerList* list = std::exchange(list_, nullptr);
  if (list) list->ListBox()->removeEventFilter(this);
  delete list;
  if (names_.open) NameClose(names_);
}

void MemberDialog::ToggleMember(const uint8_t* entry) {
  if (ToggleNameTag(members_, EntryNumber(entry)) == TagChange::kSetFull)
    Prompter().Inform("Maximum of 100 members.");
  list_->ListBox()->update();
}

bool MemberDialog::eventFilter(QObject* watched, QEvent* event) {
  // A left click selects the row and toggles its membership.
  if (list_ && watched == list_->ListBox() && event->type() == QEvent::MouseButtonPress) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() == Qt::LeftButton) {
      list_->ListBox()->setFocus(Qt::MouseFocusReason);
      const int y = int(mouse->position().y());
      const int row = y < 0 ? -1 : y / list_->RowHeight();
      list_->ClickRow(row, mouse->modifiers(), Qt::LeftButton);
      if (row >= 0 && row < list_->RowsFilled()) ToggleMember(list_->EntryOfRow(row));
      return true;
    }
  }
  return TBaseDialog::eventFilter(watched, event);
}

void MemberDialog::Ok() {
  // The record is read again so that nothing else in it is overwritten
  // with what was read when the dialog opened; a handle of its own leaves
  // the list's position alone.
  NameTable handle;
  if (!NameOpen(handle)) {
    ShowError();
    return;
  }
  NameRecord record;
  const int ok = NameFind(handle, group_) && NameReadCurrent(handle, &record) &&
                 SetGroupMembers(record, Members()) && NameWriteCurrent(handle, record);
  if (!ok) ShowError();
  NameClose(handle);
  if (ok) CloseWith(1);
}

int SelectMembers(QWidget* owner, const std::string& group) {
  if (!NameIsGroup(group) || NameIsEverybody(group)) return 1;
  MemberDialog dialog(owner, group);
  if (!dialog.Ready()) return 0;
  return RunNameDialog(dialog) == 1 ? 1 : 0;
}
