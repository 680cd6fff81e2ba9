#include "tools/gallery/messaging_windows.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "data/messages/attachments.h"
#include "data/messages/dpnote.h"
#include "data/office/datadir.h"
#include "data/office/empty_office.h"
#include "messaging/attach_dialog.h"
#include "messaging/cc_list_dialog.h"
#include "messaging/email_compose.h"
#include "messaging/email_dialogs.h"
#include "messaging/folder_dialog.h"
#include "messaging/folder_list.h"
#include "messaging/mail_copy.h"
#include "messaging/mail_reply.h"
#include "messaging/note_editor.h"
#include "messaging/select_mail_to.h"
#include "messaging/take_email.h"
#include "messaging/take_window.h"
#include "storage/catalogue.h"
#include "storage/records/field.h"
#include "storage/records/name.h"
#include "toolkit/control_id.h"
#include "toolkit/notes/call_timer.h"

namespace {

int32_t Add(NameTable& names, const char* name) {
  NameEntry entry;
  return NameAdd(names, name) && NameFind(names, name, &entry) ? entry.Number() : 0;
}

void SetText(QWidget* window, int id, const char* text) {
  if (auto* e = FindControlAs<QLineEdit>(window, id)) e->setText(QString::fromUtf8(text));
  if (auto* e = FindControlAs<QPlainTextEdit>(window, id)) e->setPlainText(QString::fromUtf8(text));
}

}  // namespace

GalleryMessagingWindows::GalleryMessagingWindows() {
  const std::string path = dir_.path().toStdString() + "/";
  before_ = DataDirectory();
  if (!CreateEmptyOffice(path)) return;
  SetDataDirectory(path);
  NameTable names;
  int32_t anne = 0;
  if (NameOpen(names)) {
    Add(names, "Reception");
    anne = Add(names, "Anne Archer");
    NameClose(names);
  }
  if (FolderOpen(folders_)) {
    for (const char* name : {"Accounts", "Clients", "Projects", "Suppliers"}) {
      FolderRecord r = MakeFolderRecord(name, 0);
      FolderAdd(folders_, r);
    }
    for (const char* name : {"Call backs", "Personal", "Quotes"}) {
      FolderRecord r = MakeFolderRecord(name, anne);
      FolderAdd(folders_, r);
    }
  }
  int32_t log = 0;
  NoteNew(&log) && NoteWrite(log, " 3-14-27  4:10pm: Left a message with his assistant.");

  auto phone = std::make_unique<TakeWindow>(nullptr, kTakePhone, nullptr);
  phone->OpenModeless();
  SetText(phone.get(), TakeWindow::kIdTo, "Anne Archer");
  SetText(phone.get(), TakeWindow::kIdPhoneFrom, "Mary O'Brien");
  SetText(phone.get(), TakeWindow::kIdCompany, "Caf\xC3\xA9 M\xC3\xBCller & S\xC3\xB6hne");
  SetText(phone.get(), TakeWindow::kIdPhone, "617-555-1234");
  SetText(phone.get(), TakeWindow::kIdExt, "212");
  SetText(phone.get(), TakeWindow::kIdBy, "RC");
  SetText(phone.get(), TakeWindow::kIdPhoneText,
          "Please call back about the invoice of last week.\nShe is in until 5.");
  for (int id : {TakeWindow::kIdCallBack, TakeWindow::kIdUrgent})
    if (auto* b = FindControlAs<QAbstractButton>(phone.get(), id)) b->setChecked(true);
  phone->hide();
  dialogs_.emplace_back("take-message", std::move(phone));

  auto memo = std::make_unique<TakeWindow>(nullptr, kTakeMemo, nullptr);
  memo->OpenModeless();
  SetText(memo.get(), TakeWindow::kIdTo, "*Accounts");
  SetText(memo.get(), TakeWindow::kIdMemoFrom, "Reception");
  SetText(memo.get(), TakeWindow::kIdMemoText,
          "The auditors arrive on Monday at 9.\nPlease have the ledgers ready.");
  memo->hide();
  dialogs_.emplace_back("take-memo", std::move(memo));

  auto note = std::make_unique<NoteEditorDialog>(nullptr, log, kNoteReturnCall);
  if (note->Ready()) {
    note->OpenModeless();
    note->hide();
    NoteEditorDialog* editor = note.get();
    dialogs_.emplace_back("note-return-call", std::move(note));
    editor->OpenTimer();
    if (CallTimerDialog* timer = editor->Timer()) {
      SetText(timer, CallTimerDialog::kIdTime, "0:12:37");
      timer->hide();
    }
  }

  choice_ = MakeFolderRecord("", anne);
  auto folder = std::make_unique<FolderDialog>(nullptr, choice_);
  if (folder->Ready()) {
    folder->OpenModeless();
    folder->ChoosePersonal();
    folder->hide();
    dialogs_.emplace_back("folder", std::move(folder));
  }
  personChoice_ = MakeFolderRecord("", anne);
  SetFieldText(slot_.bytes, records::name::x1::kName, "Anne Archer");
  SetFieldI32(slot_.bytes, records::name::x1::kNumber, anne);
  auto withName = std::make_unique<FolderDialog>(nullptr, personChoice_, &slot_, &passwords_);
  if (withName->Ready()) {
    withName->OpenModeless();
    withName->hide();
    dialogs_.emplace_back("folder-and-name", std::move(withName));
  }
  if (folders_.open) {
    auto add = std::make_unique<NewFolderDialog>(nullptr, folders_, anne, anne, false);
    add->OpenModeless();
    SetText(add.get(), NewFolderDialog::kIdName, "Orders 2027");
    add->hide();
    dialogs_.emplace_back("new-folder", std::move(add));
    FolderEntry quotes;
    if (FolderFind(folders_, anne, "Quotes", &quotes)) {
      auto edit = std::make_unique<EditFolderDialog>(nullptr, folders_, quotes);
      edit->OpenModeless();
      edit->hide();
      dialogs_.emplace_back("edit-folder", std::move(edit));
    }
  }
  auto cc = std::make_unique<CCListDialog>(
      nullptr, std::vector<std::string>{"Baker, Tom", "Carter, Ann", "Evans, Mary"});
  cc->OpenModeless();
  cc->hide();
  dialogs_.emplace_back("cc-list", std::move(cc));
  AddEmailWindows(path);
}

void GalleryMessagingWindows::AddEmailWindows(const std::string& path) {
  // Two files to attach, stored the way the Send E-mail window stores them.
  QDir().mkpath(QString::fromStdString(path + "DPE"));
  for (const auto& [name, size] : {std::pair{"QUOTE.PDF", 48213}, std::pair{"PLAN.XLS", 9120}}) {
    QFile f(QString::fromStdString(path + name));
    if (f.open(QIODevice::WriteOnly)) f.write(QByteArray(size, 'x'));
    f.close();
    AttachmentAdd(mailHeader_, path + name);
  }
  auto keep = [this](const char* name, std::unique_ptr<TBaseDialog> dialog) {
    dialog->hide();
    dialogs_.emplace_back(name, std::move(dialog));
  };
  auto take = std::make_unique<TTakeEmailClass>(nullptr);
  take->OpenModeless();
  SetText(take.get(), EmailComposer::kIdTo, "Anne Archer, orders@acme.example");
  SetText(take.get(), EmailComposer::kIdFrom, "reception@office.example");
  SetText(take.get(), EmailComposer::kIdSubject, "Quote for the new shelving");
  SetText(take.get(), EmailComposer::kIdBody,
          "Dear Sir or Madam,\n\nplease find our quote attached.\n\nKind regards\nReception");
  take->Composer().Header() = mailHeader_;
  take->Composer().RefreshTicks();
  keep("take-email", std::move(take));

  auto reply = std::make_unique<TRespondToMailClass>(
      nullptr, "orders@acme.example", "Quote for the new shelving",
      "\r\n\r\n> Could you send us a quote for\r\n> twelve shelves?\r\n", false);
  reply->OpenModeless();
  keep("reply-email", std::move(reply));

  auto copy = std::make_unique<TGetEmailCopyInfo>(nullptr, nullptr, false);
  copy->OpenModeless();
  SetText(copy.get(), TGetEmailCopyInfo::kIdTo, "Anne Archer");
  keep("copy-email", std::move(copy));

  auto getcc = std::make_unique<TGetCCDialog>(nullptr, "Reception, accounts@acme.example");
  getcc->OpenModeless();
  keep("email-cc", std::move(getcc));

  auto cclist = std::make_unique<EmailCCListDialog>(
      nullptr, "Reception, accounts@acme.example, \"Baker, Tom\" <tom@baker.example>");
  cclist->OpenModeless();
  keep("email-cc-list", std::move(cclist));

  auto signature = std::make_unique<TSignatureDlgClass>(nullptr, 1);
  signature->OpenModeless();
  SetText(signature.get(), TSignatureDlgClass::kIdText1, "Reception\nSmith Tools Ltd.");
  SetText(signature.get(), TSignatureDlgClass::kIdText2, "R.");
  keep("email-signature", std::move(signature));

  auto options = std::make_unique<EmailOptionsDialog>(nullptr, "in0001");
  options->OpenModeless();
  keep("email-options", std::move(options));

  auto from = std::make_unique<GetEmailFromDialog>(nullptr, "reception@office.example");
  from->OpenModeless();
  keep("email-from", std::move(from));

  auto pick = std::make_unique<TSelectMailToClass>(nullptr, 255);
  if (pick->Ready()) {
    pick->OpenModeless();
    pick->UsePhoneList(false);
    keep("select-email-to", std::move(pick));
  }

  auto attach = std::make_unique<TAttachDialog>(nullptr, mailHeader_);
  attach->OpenModeless();
  keep("attachments", std::move(attach));
}

GalleryMessagingWindows::~GalleryMessagingWindows() {
  // The dialogs go first: the folder dialogs read the folder table.
  dialogs_.clear();
  if (folders_.open) FolderClose(folders_);
  SetDataDirectory(before_);
}

std::vector<std::pair<const char*, QWidget*>> GalleryMessagingWindows::Windows() {
  std::vector<std::pair<const char*, QWidget*>> windows;
  for (auto& [name, dialog] : dialogs_) {
    windows.emplace_back(name, dialog.get());
    if (auto* note = dynamic_cast<NoteEditorDialog*>(dialog.get()); note && note->Timer())
      windows.emplace_back("call-timer", note->Timer());
  }
  return windows;
}

void GalleryMessagingWindows::Close() {
  for (auto& entry : dialogs_)
    if (entry.second->IsOpen()) entry.second->CloseWith(0);
}
