// The main menu's "&Run Setup...": ask, then (once the main window has
// settled any unsent Take window and closed) start the setup program with
// the INI file's name.
#pragma once

#include <string>

// "This will close DESKpost and run the Setup program, continue?"; true
// for Yes.
bool ConfirmRunSetup();
// Starts the setup program through the installed launcher (Launcher()),
// with the INI file's name as its argument; true when it started.
bool StartSetupProgram(const std::string& iniFile);
