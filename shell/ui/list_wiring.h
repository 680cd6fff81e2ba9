// The message lists on the main window: View (252) with its urgent case,
// the View, Search and Send log entries (600 to 606, 620, 621, 638, 639),
// the Print menu's New, Folder and Archive (614 to 616, printed without a
// list window), "P&rinter setup..." (617),
// the lists' system menu posting the main window's commands, and the New
// view ending the new-message alert.
//
//   ListWiring lists;
//   lists.Fill(hooks);                 // before the window is made
//   ...
//   lists.SetMainWindow(window.get());  // once it is
#pragma once

#include <QPointer>

#include "shell/ui/window_hooks.h"

class DpWin;

class ListWiring {
 public:
  ListWiring() = default;
  ~ListWiring();
  // The hooks call into this object, which must outlive the main window.
  void Fill(DpWinHooks& hooks);
  void SetMainWindow(DpWin* window);

 private:
  void Run(int command);
  QPointer<DpWin> main_;
};
