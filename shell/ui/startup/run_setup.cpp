#include "shell/ui/startup/run_setup.h"

#include "data/office/datadir.h"
#include "data/office/dpmain.h"
#include "data/office/startup_prompts.h"
#include "toolkit/prompts.h"

bool ConfirmRunSetup() {
  return Prompter().AskYesNo("This will close DESKpost and run the Setup program, continue?");
}

bool StartSetupProgram(const std::string& iniFile) {
  return Launcher().Launch(DataDirectory() + kSetupProgram, iniFile);
}
