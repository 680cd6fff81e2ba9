// deskpost: one workstation of the office. The command line may name the
// INI file; start-up, the main window and the message loop do the rest.
#include <QApplication>
#include <string>

#include "data/office/profile.h"
#include "shell/ui/workstation_run.h"
#include "toolkit/live_windows.h"
#include "toolkit/prompts.h"

int main(int argc, char** argv) {
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
