// One run of the program for the INI file: the start-up and its boxes, the
// main window and the message loop, ending with the program's exit code.
// main() makes the application and hands over; a test drives a failed
// start through its scripted prompts.
#pragma once

#include <string>

// The exit code of a run whose start failed after its box was shown: not 0,
// so that whoever started the program (a login script, a service manager)
// can tell that no workstation is running.
constexpr int kExitStartFailed = 1;

// Needs the QApplication. Answers the main window's exit code, or
// kExitStartFailed.
int RunWorkstation(const std::string& iniPath);
