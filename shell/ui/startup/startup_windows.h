// The start-up's boxes as windows: while a StartupWindows lives, the data
// layer's information boxes, lock time-out question and NAME_ERROR dialog
// go through the window prompt service, and NAME_ERROR's "&Run Setup..."
// starts dpsetup. The program makes one before StartUser and keeps it for
// the whole run.
#pragma once

#include "shell/ui/startup/setup_launcher.h"
#include "toolkit/data_prompts.h"

class StartupWindows {
 public:
  explicit StartupWindows(ProgramStarter starter = DetachedStarter(),
                          QString programDir = QCoreApplication::applicationDirPath());
  ~StartupWindows();
  StartupWindows(const StartupWindows&) = delete;
  StartupWindows& operator=(const StartupWindows&) = delete;

 private:
  WindowDataPrompts prompts_;
  DpsetupLauncher launcher_;
};
