// deskpost: one workstation of the office. The command line may name the
// INI file; start-up, the main window and the message loop do the rest.
#include <QApplication>
#include <cstdio>
#include <cstring>
#include <string>

#include "data/office/profile.h"
#include "shell/ui/workstation_run.h"
#include "toolkit/live_windows.h"
#include "toolkit/prompts.h"

int main(int argc, char** argv) {
  // Answered before any window exists, so they work without a display.
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("DESKpost %s\n", DESKPOST_VERSION);
    return 0;
  }
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::printf(
        "usage: deskpost [INIFILE]\n"
        "       deskpost --version\n"
        "Without INIFILE the workstation's settings are read from\n"
        "$XDG_CONFIG_HOME/deskpost/DPDESK.INI.\n");
    return 0;
  }
  QApplication app(argc, argv);
  // The window ends the loop itself, with its exit code.
  app.setQuitOnLastWindowClosed(false);
  InstallWindowCheckHandler();

  std::string commandLine;
  for (int i = 1; i < argc; ++i) commandLine += std::string(i > 1 ? " " : "") + argv[i];
  const int exitCode = RunWorkstation(IniFilePath(commandLine));
  CheckNoLiveWindows();
  return exitCode;
}
