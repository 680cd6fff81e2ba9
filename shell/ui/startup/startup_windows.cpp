#include "shell/ui/startup/startup_windows.h"

StartupWindows::StartupWindows(ProgramStarter starter, QString programDir)
    : launcher_(std::move(starter), std::move(programDir)) {
  SetPrompts(&prompts_);
  SetLauncher(&launcher_);
}

StartupWindows::~StartupWindows() {
  SetPrompts(nullptr);
  SetLauncher(nullptr);
}
