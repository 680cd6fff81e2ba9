// dpsetup: the office's setup program, started by DESKpost's "Run Setup..."
// with the workstation's INI file. It shows the data directory and the user
// that file names and adds a user missing from the name list.
//
//   dpsetup INIFILE          the window
//   dpsetup --add INIFILE    no window: add the user, say what happened
//
// --add exits 0 when the user is (now) in the name list, 1 when not, 2 for a
// wrong command line.
#include <QApplication>
#include <QDir>
#include <cstdio>
#include <cstring>
#include <string>

#include "data/office/startup_prompts.h"
#include "toolkit/data_prompts.h"
#include "tools/dpsetup/setup_office.h"
#include "tools/dpsetup/setup_window.h"

namespace {

int Usage() {
  std::fprintf(stderr, "usage: dpsetup [--add] INIFILE\n");
  return 2;
}

int AddFromCommandLine(const std::string& iniFile) {
  // The settings' boxes go to standard error (the data layer's default).
  std::string problem;
  switch (AddWorkstationUser(iniFile, &problem)) {
    case AddUserResult::kAdded:
      std::printf("Added to the DESKpost name list.\n");
      return 0;
    case AddUserResult::kAlreadyThere:
      std::printf("Already in the DESKpost name list.\n");
      return 0;
    case AddUserResult::kFailed:
      break;
  }
  std::fprintf(stderr, "dpsetup: %s\n", problem.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--add") == 0) return AddFromCommandLine(argv[2]);
  if (argc != 2 || argv[1][0] == '-') return Usage();
  QApplication app(argc, argv);
  WindowDataPrompts prompts;
  SetPrompts(&prompts);
  int rc = 0;
  {
    SetupWindow window(argv[1]);
    const QString shots = qEnvironmentVariable("DESKPOST_SCREENSHOT_DIR");
    if (!shots.isEmpty()) {
      // Under scripts/screenshot: save the window and end.
      QDir().mkpath(shots);
      window.show();
      QApplication::processEvents();
      window.grab().save(shots + "/dpsetup.png");
    } else {
      window.show();
      rc = app.exec();
    }
  }
  SetPrompts(nullptr);
  return rc;
}
