// The main window's message list commands: New, Archive, Search and the
// send log views, View (252) with its urgent case, and the one list window
// and one search window that may be open at a time.
#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>

#include "data/messages/dpmess.h"
#include "data/office/passwords.h"
#include "messaging/list_request.h"
#include "messaging/message_list.h"
#include "messaging/search_dialog.h"

class MessageWindows {
 public:
  static MessageWindows& Instance();

  // Runs one of the commands 600 to 606, 614 to 616 (Print New, Folder,
  // Archive: the list built and printed without a window), 620, 621, 638,
  // 639 or 252; a command while the list has a
  // window of its own open, or while the search window is open, only beeps.
  void Command(QWidget* owner, int command, PasswordPrompt& prompt);
  // The urgent message alone, modally, without Prev and Next; its pending
  // action is applied when the window closes.
  void OpenUrgent(QWidget* owner, const MessageEntry& entry);

  // Opens the list for the request, closing the open one first; false when
  // the open list is busy with a window of its own (beeped) or nothing was
  // listed.
  bool OpenList(QWidget* owner, const ListRequest& request);
  void OpenSearch(QWidget* owner, const ListRequest& request);
  // Builds the request's list without a window and prints it; false when
  // nothing was listed ("No messages") or printed.
  bool PrintList(QWidget* owner, const ListRequest& request);

  TMessageListBaseClass* List() const { return list_; }
  TSearchCriteriaClass* Search() const { return search_; }
  // Closes the list as its close box does, and the search window.
  void CloseAll();
  // The main window's command posted by the list's system menu.
  std::function<void(int)> mainCommand;

 private:
  bool ListBusy() const;
  bool ChoosePerson(QWidget* owner, PasswordPrompt& prompt, ListRequest* request);
  bool OwnUser(PasswordPrompt& prompt, ListRequest* request);
  bool ChooseFolderOfPerson(QWidget* owner, PasswordPrompt& prompt, ListRequest* request);

  QPointer<TMessageListBaseClass> list_;
  QPointer<TSearchCriteriaClass> search_;
  bool openedByView_ = false;
};
