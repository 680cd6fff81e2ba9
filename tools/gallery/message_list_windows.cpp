#include "tools/gallery/message_list_windows.h"

#include <QDir>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <fstream>

#include "data/clock.h"
#include "data/local_time.h"
#include "data/messages/dpnote.h"
#include "data/messages/email_send.h"
#include "data/messages/message_user.h"
#include "data/office/datadir.h"
#include "data/office/dpmain.h"
#include "data/office/dpname.h"
#include "data/office/empty_office.h"
#include "data/phone/dpphone.h"
#include "messaging/copy_dialog.h"
#include "messaging/memo_reply.h"
#include "messaging/message_list.h"
#include "messaging/search_dialog.h"
#include "messaging/view_message.h"
#include "storage/catalogue.h"
#include "storage/records/field.h"
#include "storage/records/message.h"
#include "storage/records/phone.h"
#include "toolkit/control_id.h"

namespace msg = records::message;

namespace {

int32_t g_now = 0;

struct Slip {
  uint8_t kind;
  const char* from;
  const char* company;
  const char* phone;
  const char* text;
  uint8_t flags;
};

void Store(const Slip& s, const char* to, int32_t toNumber, const char* sender,
           int32_t senderNumber, bool keepLog) {
  g_now += 47 * 60;
  MessageRecord r;
  SetFieldByte(r.bytes, msg::kKind, s.kind);
  SetFieldText(r.bytes, msg::kTo, to);
  SetFieldText(r.bytes, msg::kFrom, s.from);
  SetFieldByte(r.bytes, msg::kFlags, s.flags);
  if (s.kind == msg::kKindPhone) {
    SetFieldText(r.bytes, msg::kCompany, s.company);
    SetFieldText(r.bytes, msg::kPhone, s.phone);
    SetFieldText(r.bytes, msg::kPhoneText, s.text);
    SetFieldText(r.bytes, msg::kCallBack, msg::kTicked);
  } else {
    SetFieldText(r.bytes, msg::kMemoText, s.text);
  }
  const MessageUser me = CurrentMessageUser();
  SetMessageUser({sender, senderNumber, keepLog});
  MessageTable h;
  if (MsgOpen(h)) {
    MsgSendOne(&h, r, toNumber, keepLog, msg::kFolderNew);
    MsgClose(h);
  }
  SetMessageUser(me);
}

// An e-mail from a colleague, sent as that colleague's Send E-mail sends it.
void StoreEmail(const char* to, const char* sender, int32_t senderNumber) {
  g_now += 47 * 60;
  const MessageUser me = CurrentMessageUser();
  SetMessageUser({sender, senderNumber, false});
  EmailDraft draft;
  draft.to = to;
  draft.from = "tom.baker@office.example";
  draft.subject = "Quote for the new shelving";
  draft.body =
      "Anne,\r\n\r\nthe quote for the new shelving came in this morning. It is a little over "
      "the budget we agreed, but it includes fitting.\r\n\r\nCould you look at it before "
      "Friday?\r\n\r\nTom";
  std::string said;
  EmailSend(draft, &said);
  SetMessageUser(me);
}

// A few entries of the common phone list, for the view's fly-out.
void AddPhoneEntries() {
  PhoneTable phones;
  if (!PhoneOpen(phones)) return;
  const char* entries[][3] = {
      {"Cafe Central", "Cafe Central", "617-555-0110"},
      {"Caf\xE9 M\xFCller & S\xF6hne", "Caf\xE9 M\xFCller & S\xF6hne", "617-555-1234"},
      {"Carter Tools", "Carter Tools Ltd.", "508-555-0142"},
      {"Hendricks Supply", "Hendricks Supply", "508-555-0199"}};
  for (const auto& e : entries) {
    PhoneRecord r;
    r.SetText(records::phone::kListname, e[0]);
    r.SetText(records::phone::kCompany, e[1]);
    r.SetText(records::phone::kPhone1, e[2]);
    PhoneAdd(phones, r);
  }
  PhoneClose(phones);
}

}  // namespace

GalleryListWindows::GalleryListWindows() {
  const std::string path = dir_.path().toStdString() + "/";
  if (!CreateEmptyOffice(path)) return;
  QDir().mkpath(QString::fromStdString(path + "DPE"));
  SetDataDirectory(path);
  int32_t numbers[3] = {};
  const char* people[3] = {"Anne Archer", "Reception", "Tom Baker"};
  NameTable names;
  if (NameOpen(names)) {
    for (int i = 0; i < 3; ++i) {
      NameEntry e;
      if (NameAdd(names, people[i]) && NameFind(names, people[i], &e)) numbers[i] = e.Number();
    }
    NameClose(names);
  }
  SetDataDirectory("");
  g_now = FromLocal(2027, 3, 15, 8, 10);
  SetClock([] { return g_now; });
  started_ = StartUser(path, "Anne Archer") == 1;
  if (!started_) return;

  const Slip slips[] = {
      {msg::kKindPhone, "Mary O'Brien", "Caf\xE9 M\xFCller & S\xF6hne", "617-555-1234",
       "Please call back about the invoice of last week.\rShe is in until 5.", 0},
      {msg::kKindMemo, "Tom Baker", "", "",
       "The auditors arrive on Monday at 9 and would like to see the ledgers of the last two "
       "quarters first.\rPlease have them ready.",
       0},
      {msg::kKindPhone, "Jim Hendricks", "Hendricks Supply", "508-555-0199",
       "The order ships tomorrow.", msg::kFlagUrgent},
      {msg::kKindMemo, "Reception", "", "", "Lunch is on the house today.", 0},
  };
  for (const Slip& s : slips) {
    const bool fromTom = std::string(s.from) == "Tom Baker";
    Store(s, people[0], numbers[0], fromTom ? people[2] : people[1],
          fromTom ? numbers[2] : numbers[1], false);
  }
  StoreEmail(people[0], people[2], numbers[2]);
  const Slip sent = {msg::kKindMemo, "Anne Archer", "", "", "Can we move the review to Friday?", 0};
  Store(sent, people[2], numbers[2], people[0], numbers[0], true);

  ListRequest inbox;
  inbox.owner = numbers[0];
  inbox.person = people[0];
  inbox.ownerName = people[0];
  auto list = std::make_unique<TMessageListClass>(nullptr, inbox);
  if (!list->Start()) return;
  list->OpenModeless();
  if (!list->PreviewShown()) list->TogglePreview();
  list->SelectRow(3);
  list->Mark(msg::list_row::kActionArchive);
  list->ToggleTag(1);
  list->SelectRow(0);
  list->resize(860, 300);
  list->hide();

  // The views of the first two rows and of the e-mail.
  const std::pair<int, const char*> views[] = {
      {0, "view-message"}, {1, "view-memo"}, {4, "view-email"}};
  for (const auto& [row, name] : views) {
    TViewMessageBaseClass* view = MakeMessageView(nullptr, list->MessageHandle(), list->Row(row),
                                                  row, list->RowCount() - row - 1, inbox, false);
    if (view == nullptr) continue;
    view->OpenModeless();
    view->hide();
    if (row == 1) memo_ = view->Record();
    dialogs_.emplace_back(name, std::unique_ptr<TBaseDialog>(view));
  }
  // The phone message view again, its phone list open at the company.
  AddPhoneEntries();
  if (TViewMessageBaseClass* view = MakeMessageView(nullptr, list->MessageHandle(), list->Row(0), 0,
                                                    list->RowCount() - 1, inbox, false)) {
    view->OpenModeless();
    view->ShowQuickList();
    view->hide();
    dialogs_.emplace_back("view-message-phone-list", std::unique_ptr<TBaseDialog>(view));
  }
  {
    MessageTable h;
    if (MsgOpen(h)) {
      MessageRecord slip;
      MsgRead(h, list->Row(0).RecordNumber(), &slip);
      MsgClose(h);
      auto copy = std::make_unique<TGetLocalCopyInfo>(nullptr, &slip, nullptr, 0, false);
      copy->OpenModeless();
      copy->hide();
      dialogs_.emplace_back("copy", std::move(copy));
    }
  }
  auto reply = std::make_unique<TRespondToMemoClass>(nullptr, memo_, false);
  reply->OpenModeless();
  if (auto* text = FindControlAs<QPlainTextEdit>(reply.get(), TRespondToMemoClass::kIdText)) {
    text->moveCursor(QTextCursor::End);
    text->insertPlainText("They are in the cabinet by the window.");
  }
  reply->hide();
  dialogs_.emplace_back("memo-reply", std::move(reply));
  auto search = std::make_unique<TSearchCriteriaClass>(nullptr, inbox,
                                                       [](const ListRequest&) { return true; });
  search->OpenModeless();
  search->hide();
  dialogs_.emplace_back("search", std::move(search));

  ListRequest log = inbox;
  log.sendLog = true;
  auto sendLog = std::make_unique<TSendlogListClass>(nullptr, log);
  if (sendLog->Start()) {
    sendLog->OpenModeless();
    TViewMessageBaseClass* view =
        MakeMessageView(nullptr, sendLog->MessageHandle(), sendLog->Row(0), 0, 0, log, false);
    sendLog->hide();
    dialogs_.emplace_back("send-log-list", std::move(sendLog));
    if (view) {
      view->OpenModeless();
      view->hide();
      dialogs_.emplace_back("send-log-view", std::unique_ptr<TBaseDialog>(view));
    }
  }
  // The list last: the views above read its table.
  dialogs_.emplace(dialogs_.begin(), "message-list", std::move(list));
}

GalleryListWindows::~GalleryListWindows() {
  // Views before their lists, whose tables they read.
  for (auto it = dialogs_.rbegin(); it != dialogs_.rend(); ++it) it->second.reset();
  dialogs_.clear();
  if (started_) StopUser();
  CloseDataDirectory();
  SetClock(nullptr);
}

std::vector<std::pair<const char*, QWidget*>> GalleryListWindows::Windows() {
  std::vector<std::pair<const char*, QWidget*>> windows;
  for (auto& [name, dialog] : dialogs_) windows.emplace_back(name, dialog.get());
  return windows;
}

void GalleryListWindows::Close() {
  for (auto& entry : dialogs_)
    if (entry.second->IsOpen()) entry.second->CloseWith(0);
}
