// The shared window office for the messaging windows' tests: the people
// RECEPTION, ANNE, BOB and CAROL and the group "*SALES" (ANNE and BOB), one
// of them started as this workstation's user (RECEPTION unless asked) with
// the options of his name record, Check failures and boxes recorded, the
// message lists opened as the main window opens them, and every messaging
// dialog and name window answered from a MessagingScript.
#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <memory>
#include <string>
#include <vector>

#include "messaging/dialog_runner.h"
#include "messaging/message_list.h"
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
    // The name of a personal folder of the user to make the default folder.
    std::string defaultFolder;
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

  ScriptedPrompts prompts;
  std::vector<std::string> checks;
};

// A message list window opened for a request; `started` says whether it
// found anything to show.
struct OpenList {
  std::unique_ptr<TMessageListBaseClass> list;
  bool started = false;
  explicit OpenList(const ListRequest& r) {
    if (r.sendLog) {
      list.reset(new TSendlogListClass(nullptr, r));
    } else {
      list.reset(new TMessageListClass(nullptr, r));
    }
    started = list->Start();
    if (started) list->OpenModeless();
  }
  TMessageListBaseClass* operator->() { return list.get(); }
  TMessageListBaseClass& operator*() { return *list; }
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
