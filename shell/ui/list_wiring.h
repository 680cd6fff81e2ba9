// The message lists on the main window: View (252) with its urgent case,
// the View, Search and Send log entries (600 to 606, 620, 621, 638, 639),
// the Print menu's New, Folder and Archive (614 to 616, printed without a
// list window), "P&rinter setup..." (617),
// the lists' system menu posting the main window's commands, the New
// view ending the new-message alert, and the places of the list and view
// windows kept in the INI file (MessageState, ViewState).
//
//   ListWiring lists;
//   lists.Fill(hooks);                 // before the window is made
//   ...
//   lists.SetMainWindow(window.get());  // once it is
#pragma once

#include <QObject>
#include <QPointer>

#include "shell/ui/window_hooks.h"

class DpWin;

class ListWiring : public QObject {
  Q_OBJECT

 public:
  ListWiring() = default;
  ~ListWiring() override;
  // The hooks call into this object, which must outlive the main window.
  void Fill(DpWinHooks& hooks);
  // Also takes the list's and the view's places from the window's settings.
  void SetMainWindow(DpWin* window);

 protected:
  // The main window closing: the open list's place goes into the settings
  // written at the end.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Run(int command);
  QPointer<DpWin> main_;
};
