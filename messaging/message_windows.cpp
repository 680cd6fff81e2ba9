#include "messaging/message_windows.h"

#include <QApplication>
#include <cstring>
#include <memory>

#include "data/office/dpmain.h"
#include "data/office/name_picking.h"
#include "messaging/dialog_runner.h"
#include "messaging/folder_dialog.h"
#include "messaging/message_list.h"
#include "messaging/message_printing.h"
#include "messaging/search_dialog.h"
#include "messaging/view_message.h"
#include "storage/errors.h"
#include "storage/records/field.h"
#include "storage/records/message.h"
#include "storage/records/name.h"
#include "toolkit/names/name_picker.h"

namespace msg = records::message;

namespace {
constexpr int kCmdView = 252;
constexpr int kCmdNew = 600;
constexpr int kCmdArchive = 602;
constexpr int kCmdFolder = 601;
constexpr int kSearchFolder = 605;
constexpr int kSearchAll = 603;
constexpr int kSearchNew = 604;
constexpr int kSearchArchive = 606;
constexpr int kSendLogNew = 620;
constexpr int kSendLogArchive = 621;
constexpr int kSearchSendLogNew = 638;
constexpr int kSearchSendLogArchive = 639;
constexpr int kPrintNew = 614;
constexpr int kPrintFolder = 615;
constexpr int kPrintArchive = 616;

ListRequest BaseRequest() {
  ListRequest r;
  r.newestFirst = NewestFirstOption();
  return r;
}
}  // namespace

MessageWindows& MessageWindows::Instance() {
  static MessageWindows windows;
  return windows;
}

bool MessageWindows::ListBusy() const {
  return list_ && list_->OpenViewWindow() != nullptr;
}

bool MessageWindows::ChoosePerson(QWidget* owner, PasswordPrompt& prompt, ListRequest* r) {
  NamePickRequest pick;
  pick.passwordArea = kAreaMessages;
  pick.mode = kPickAllButEverybody;
  SetPhonePasswordMode(false);
  const int result = SelectName(owner, pick, prompt);
  if (result == kPasswordRefused) return false;
  r->owner = pick.slot.Number();
  r->person = pick.slot.Name();
  r->ownerName = r->person;
  r->phonePassword = result == kPasswordPhone;
  return true;
}

bool MessageWindows::OwnUser(PasswordPrompt& prompt, ListRequest* r) {
  const UserState& user = CurrentUser();
  const int result = CheckPassword(user.name, PasswordForm::kPerson, kAreaMessages, prompt);
  if (result == kPasswordRefused) return false;
  r->owner = user.number;
  r->person = user.name;
  r->ownerName = user.name;
  r->phonePassword = result == kPasswordPhone;
  return true;
}

bool MessageWindows::ChooseFolderOfPerson(QWidget* owner, PasswordPrompt& prompt, ListRequest* r) {
  // The user's own check first; the dialog starts at the user's folders.
  if (!OwnUser(prompt, r)) return false;
  NameEntry slot;
  SetFieldI32(slot.bytes, kEntryRecordNumber, -1);
  SetFieldText(slot.bytes, records::name::x1::kName, r->person.c_str());
  SetFieldI32(slot.bytes, records::name::x1::kNumber, r->owner);
  FolderRecord choice = MakeFolderRecord("", r->owner);
  if (!ChooseFolderAndPerson(owner, choice, slot, prompt)) return false;
  r->owner = slot.Number();
  r->person = slot.Name();
  r->ownerName = r->person;
  r->folder = choice.Number();
  r->folderName = choice.Name();
  return true;
}

void MessageWindows::Command(QWidget* owner, int command, PasswordPrompt& prompt) {
  if (command == kCmdView && list_ && openedByView_ && !ListBusy()) {
    // The New view opened by View is still open: View refreshes it.
    list_->Update();
    return;
  }
  // A search window closed by its Close button is only hidden (a modeless
  // window ends without "finished"): it no longer stands in the way.
  if (ListBusy() || (search_ && search_->isVisible())) {
    QApplication::beep();
    return;
  }
  ListRequest r = BaseRequest();
  switch (command) {
    case kCmdView:
    case kCmdNew:
    case kPrintNew:
    case kSearchNew:
      r.view = kViewNew;
      r.folder = msg::kFolderNew;
      break;
    case kCmdArchive:
    case kPrintArchive:
    case kSearchArchive:
      r.view = kViewArchive;
      r.folder = msg::kFolderArchive;
      break;
    case kCmdFolder:
    case kPrintFolder:
    case kSearchFolder:
      r.view = kViewFolder;
      break;
    case kSearchAll:
      r.view = kViewAllFolders;
      r.folder = 0;
      break;
    case kSendLogNew:
    case kSearchSendLogNew:
      r.sendLog = true;
      r.view = kViewNew;
      r.folder = msg::kFolderNew;
      break;
    case kSendLogArchive:
    case kSearchSendLogArchive:
      r.sendLog = true;
      r.view = kViewArchive;
      r.folder = msg::kFolderArchive;
      break;
    default:
      return;
  }
  r.search = command == kSearchAll || command == kSearchNew || command == kSearchArchive ||
             command == kSearchFolder || command == kSearchSendLogNew ||
             command == kSearchSendLogArchive;
  const bool own = command == kCmdView || r.sendLog;
  if (r.view == kViewFolder) {
    if (!ChooseFolderOfPerson(owner, prompt, &r)) return;
  } else if (own ? !OwnUser(prompt, &r) : !ChoosePerson(owner, prompt, &r)) {
    return;
  }
  if (r.search) {
    OpenSearch(owner, r);
    return;
  }
  if (command == kPrintNew || command == kPrintFolder || command == kPrintArchive) {
    PrintList(owner, r);
    return;
  }
  if (OpenList(owner, r)) openedByView_ = command == kCmdView;
}

bool MessageWindows::PrintList(QWidget* owner, const ListRequest& request) {
  // The list is built in the user's work table, which an open list shows:
  // that list goes, as it does for another view.
  if (list_) {
    list_->CloseList();
    delete list_.data();
  }
  openedByView_ = false;
  std::unique_ptr<TMessageListBaseClass> list;
  if (request.sendLog)
    list = std::make_unique<TSendlogListClass>(owner, request);
  else
    list = std::make_unique<TMessageListClass>(owner, request);
  // Nothing listed: "No messages" was said.
  if (!list->Start()) return false;
  std::vector<MessageRef> refs;
  for (int32_t row = 0; row < list->RowCount(); ++row) {
    const ListRow r = list->Row(row);
    refs.push_back({r.RecordNumber(), r.Number()});
  }
  list.reset();
  return PrintMessageRows(owner, request, refs);
}

bool MessageWindows::OpenList(QWidget* owner, const ListRequest& request) {
  if (ListBusy()) {
    QApplication::beep();
    return false;
  }
  if (list_) {
    list_->CloseList();
    delete list_.data();
  }
  openedByView_ = false;
  TMessageListBaseClass* list;
  if (request.sendLog) {
    list = new TSendlogListClass(owner, request);
  } else {
    list = new TMessageListClass(owner, request);
  }
  list->setAttribute(Qt::WA_DeleteOnClose, false);
  if (!list->Start()) {
    delete list;
    return false;
  }
  // Queued: the command may close this list, whose menu is still emitting.
  QObject::connect(
      list, &TMessageListBaseClass::MainCommand, list,
      [this](int command) {
        if (mainCommand) mainCommand(command);
      },
      Qt::QueuedConnection);
  list_ = list;
  list->OpenModeless();
  return true;
}

void MessageWindows::OpenSearch(QWidget* owner, const ListRequest& request) {
  if (search_) delete search_.data();
  auto* search = new TSearchCriteriaClass(
      owner, request, [this, owner](const ListRequest& r) { return OpenList(owner, r); });
  QObject::connect(search, &QDialog::finished, search, &QObject::deleteLater);
  search_ = search;
  search->OpenModeless();
}

void MessageWindows::CloseAll() {
  if (list_) {
    list_->CloseList();
    delete list_.data();
  }
  if (search_) delete search_.data();
}

void MessageWindows::OpenUrgent(QWidget* owner, const MessageEntry& entry) {
  const UserState& user = CurrentUser();
  MessageTable table;
  if (!MsgOpen(table)) {
    ShowError();
    return;
  }
  ListRequest r = BaseRequest();
  r.owner = user.number;
  r.person = user.name;
  r.ownerName = user.name;
  ListRow row(false);
  std::memcpy(row.Bytes(), entry.bytes, sizeof entry.bytes);
  if (TViewMessageBaseClass* view = MakeMessageView(owner, table, row, 0, 0, r, true)) {
    RunMessagingDialog(*view);
    // The marks of the view take effect at once.
    const ListRow marked = view->Row();
    const MessageEntry now = marked.Entry();
    int ok = 1;
    ClearAppError();
    if (marked.Action() == msg::list_row::kActionArchive) {
      ok = MsgMoveToFolder(table, now, msg::kFolderArchive);
    } else if (marked.Action() == msg::list_row::kActionPut) {
      ok = MsgMoveToFolder(table, now, marked.TargetNumber());
    } else if (marked.Action() == msg::list_row::kActionDelete) {
      ok = MsgDelete(table, now);
    }
    if (!ok) ShowError();
    delete view;
  }
  MsgClose(table);
}
