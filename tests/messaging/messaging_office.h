// The shared window office for the messaging windows' tests: the people
// RECEPTION, ANNE, BOB and CAROL and the group "*SALES" (ANNE and BOB), one
// of them started as this workstation's user (RECEPTION unless asked) with
// the options of his name record, Check failures and boxes recorded, the
// message lists opened as the main window opens them, and every messaging
// dialog and name window answered from a MessagingScript. MessagingTest is
// the set-up every test class here shares.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <memory>
#include <string>
#include <vector>

#include "data/messages/dpnote.h"
#include "data/phone/dpphone.h"
#include "messaging/dialog_runner.h"
#include "messaging/message_list.h"
#include "messaging/message_windows.h"
#include "messaging/view_message.h"
#include "storage/check.h"
#include "storage/records/name.h"
#include "tests/support/window_office.h"
#include "toolkit/names/name_dialog_runner.h"
#include "toolkit/scripted_prompts.h"

namespace msgrec = records::message;

class MessagingOffice : public WindowOffice {
 public:
  // Options of the user's own name record, set before start-up.
  struct Options {
    std::string user = "RECEPTION";
    std::string initials = "RC";
    uint8_t defaultKind = 0;
    uint8_t fromSearch = 0;
    uint8_t sendLog = 0;
    std::string emailFrom = "";
    // The name of a personal folder of the user to make the default folder.
    std::string defaultFolder = "";
  };

  MessagingOffice() : MessagingOffice(Options()) {}
  explicit MessagingOffice(const Options& options)
      : WindowOffice({"RECEPTION", "ANNE", "BOB", "CAROL", "*SALES"}) {
    SetCheckHandler([this](const char* module, unsigned line) {
      checks.push_back(std::string(module) + ":" + std::to_string(line));
    });
    namespace nm = records::name;
    AsOtherWorkstation([&] {
      NameRecord sales, me;
      ok = ok && NameLookup("*SALES", &sales) &&
           SetGroupMembers(sales, {numbers["ANNE"], numbers["BOB"]}) && NameUpdate(sales);
      ok = ok && NameLookup(options.user, &me);
      SetFieldText(me.bytes, nm::kInitials, options.initials.c_str());
      SetFieldByte(me.bytes, nm::kDefaultKind, options.defaultKind);
      SetFieldByte(me.bytes, nm::kFromSearch, options.fromSearch);
      SetFieldByte(me.bytes, nm::kSendLog, options.sendLog);
      SetFieldText(me.bytes, nm::kEmailFrom, options.emailFrom.c_str());
      if (!options.defaultFolder.empty())
        SetFieldI32(me.bytes, nm::kDefaultFolder,
                    AddFolder(options.defaultFolder, numbers[options.user]));
      return ok = ok && NameUpdate(me);
    });
    ok = ok && Start(options.user);
  }
  ~MessagingOffice() { SetCheckHandler(nullptr); }

  // The list of the person's in-box, as the main window asks for it.
  ListRequest Request(const std::string& person) {
    ListRequest r;
    r.owner = numbers.count(person) ? numbers[person] : kMailServerNumber;
    r.person = person;
    r.ownerName = person;
    return r;
  }
  // The person's send log or in-box, in New or the archive.
  ListRequest Request(const std::string& person, bool sendLog, bool archive = false) {
    ListRequest r = Request(person);
    r.sendLog = sendLog;
    if (archive) {
      r.view = kViewArchive;
      r.folder = msgrec::kFolderArchive;
    }
    return r;
  }

  // Rewrites the stored record of the message as another workstation would.
  template <typename Change>
  bool Rewrite(const MessageRecord& stored, Change change) {
    MessageTable handle;
    const int32_t rn = RecordNumberOf(stored);
    MessageRecord r;
    bool done = MsgOpen(handle) && MsgRead(handle, rn, &r);
    change(r);
    done = done && MsgWrite(handle, rn, r);
    if (handle.open) MsgClose(handle);
    return done;
  }
  // The memo texts of a folder addressed to the person, oldest first.
  QStringList Texts(int32_t folder, const std::string& to) {
    QStringList texts;
    for (const MessageRecord& r : Folder(folder, to))
      texts << QString::fromStdString(FieldText(r.bytes, msgrec::kMemoText));
    return texts;
  }

  ScriptedPrompts prompts;
  std::vector<std::string> checks;
};

// Opens every messaging dialog and name window modeless and runs the next
// scripted step on it.
class MessagingScript : public DialogQueue {
 public:
  MessagingScript() : DialogQueue({SetMessagingDialogRunner, SetNameDialogRunner}) {}
};

// The questions the prompts were asked, as "caption|text".
inline QStringList Asked(const ScriptedPrompts& prompts) {
  QStringList asked;
  for (const auto& q : prompts.Questions()) asked << q.caption + "|" + q.text;
  return asked;
}

// Types into a field one character at a time, as a keyboard with keys
// outside Windows-1252 would.
inline void TypeCharacters(QWidget* field, const QString& text) {
  field->setFocus();
  for (QChar c : text) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QApplication::sendEvent(field, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QApplication::sendEvent(field, &release);
  }
}

// A window's controls by their ids.
inline void Press(QWidget* w, int id) {
  MessagingScript::Press(*w, id);
}
inline void Type(QWidget* w, int id, const QString& text) {
  MessagingScript::Type(*w, id, text);
}
// Types into the field at its caret, as the keys come; "\n" is the Enter
// key.
inline void TypeKeys(QWidget* w, int id, const QString& text) {
  QWidget* e = FindControl(w, id);
  e->setFocus();
  const QStringList lines = text.split('\n');
  for (int i = 0; i < lines.size(); ++i) {
    if (i > 0) QTest::keyClick(e, Qt::Key_Return);
    QTest::keyClicks(e, lines[i]);
  }
}
inline QString LineText(QWidget* w, int id) {
  return FindControlAs<QLineEdit>(w, id)->text();
}
inline QString PlainText(QWidget* w, int id) {
  return FindControlAs<QPlainTextEdit>(w, id)->toPlainText();
}
inline bool Checked(QWidget* w, int id) {
  return FindControlAs<QAbstractButton>(w, id)->isChecked();
}

// The text of a stored note, "" for none.
inline std::string NoteText(int32_t number) {
  std::string text;
  if (number != 0) NoteRead(number, &text);
  return text;
}

// Adds an entry to a phone list (0 the common one).
inline bool AddPhoneEntry(int32_t list, const char* listname, const char* company,
                          const char* phone, const char* ext = "", const char* email = "") {
  namespace ph = records::phone;
  PhoneTable phones;
  if (!PhoneOpen(phones)) return false;
  PhoneRecord r;
  r.SetText(ph::kListname, listname);
  r.SetText(ph::kCompany, company);
  r.SetText(ph::kPhone1, phone);
  r.SetText(ph::kExt1, ext);
  r.SetText(ph::kEmail, email);
  SetFieldI32(r.bytes, ph::kList, list);
  const int added = PhoneAdd(phones, r);
  PhoneClose(phones);
  return added == 1;
}

// What the test classes share: an office (Begin, again with other options
// where a test needs them), its prompts, the dialogs answered from a script
// and the list window opened; End checks that no Check failed and, where
// asked, that no box went unanswered.
class MessagingTest {
 protected:
  static MessagingOffice::Options As(const std::string& user) {
    MessagingOffice::Options options;
    options.user = user;
    return options;
  }
  void Begin(const MessagingOffice::Options& options = MessagingOffice::Options()) {
    End(false);
    office = std::make_unique<MessagingOffice>(options);
    prompts = &office->prompts;
    dialogs = std::make_unique<MessagingScript>();
    QVERIFY(office->ok);
  }
  void End(bool everyBoxAnswered) {
    MessageWindows::Instance().CloseAll();
    list.reset();
    dialogs.reset();
    if (!office) return;
    const int unanswered = office->prompts.Unanswered();
    const std::vector<std::string> checks = office->checks;
    office.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (everyBoxAnswered) QCOMPARE(unanswered, 0);
    QCOMPARE(checks, std::vector<std::string>());
  }

  // Opens the list window of the request (or of the person's in-box), as
  // the main window opens it; false when it found nothing to show.
  bool Open(const ListRequest& r) {
    list.reset();
    if (r.sendLog) {
      list = std::make_unique<TSendlogListClass>(nullptr, r);
    } else {
      list = std::make_unique<TMessageListClass>(nullptr, r);
    }
    if (!list->Start()) return false;
    list->OpenModeless();
    return true;
  }
  bool Open(const std::string& person) { return Open(office->Request(person)); }
  // The list's open view, the row's opened when none is.
  TViewMessageBaseClass* View(int row = 0) {
    if (list && !list->OpenViewWindow()) list->OpenView(row);
    return list ? qobject_cast<TViewMessageBaseClass*>(list->OpenViewWindow()) : nullptr;
  }

  // Another workstation deletes the message of the list's row.
  bool DeleteElsewhere(int row) {
    MessageTable h;
    const bool done = MsgOpen(h) && MsgDelete(h, list->Row(row).Entry()) == 1;
    if (h.open) MsgClose(h);
    return done;
  }

  std::unique_ptr<MessagingOffice> office;
  ScriptedPrompts* prompts = nullptr;
  std::unique_ptr<MessagingScript> dialogs;
  std::unique_ptr<TMessageListBaseClass> list;
};
