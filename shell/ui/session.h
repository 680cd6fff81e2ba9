// One run of the program for one workstation: from the INI file to a
// started user and the main window, and back. The start-up's boxes go
// through the window prompt service (the NAME_ERROR dialog through its
// hook when one is given), and stay installed for the whole run, since
// the data layer reports its failures and asks its lock questions through
// them.
#pragma once

#include <memory>
#include <string>

#include "data/office/startup_settings.h"
#include "shell/ui/dpwin.h"
#include "toolkit/data_prompts.h"

class SessionPrompts : public WindowDataPrompts {
 public:
  explicit SessionPrompts(std::function<bool(const std::string&)> nameError)
      : nameError_(std::move(nameError)) {}
  bool NameError(const std::string& text) override;

 private:
  std::function<bool(const std::string&)> nameError_;
};

class Session {
 public:
  Session(std::string iniPath, DpWinHooks hooks);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Reads "Path" and "Name" and starts the user; false after the failure
  // has been shown (the program then ends with kExitStartFailed).
  bool Start();
  // The main window for the started user, with the workstation's settings
  // read, DPDESK.CFG and PollTime weighed, and the alarm hooks set. Not
  // yet shown: DpWin::Start shows it.
  std::unique_ptr<DpWin> OpenWindow(SoundPlayer& sound);
  const StartupSettings& Startup() const { return startup_; }

 private:
  std::string iniPath_;
  DpWinHooks hooks_;
  SessionPrompts prompts_;
  StartupSettings startup_;
  bool started_ = false;
};
