// The boxes and questions of start-up and of the data layer's error
// reporting, behind one interface: the window layer shows them as message
// boxes and dialogs, the command-line tools write them to standard error,
// and tests answer them from a script.
#pragma once

#include <string>

class StartupPrompts {
 public:
  virtual ~StartupPrompts() = default;
  // An information box with an OK button.
  virtual void Inform(const std::string& caption, const std::string& text) = 0;
  // A Retry/Cancel question (exclamation icon); true for Retry.
  virtual bool AskRetryCancel(const std::string& caption, const std::string& text) = 0;
  // The NAME_ERROR dialog, captioned "Error", with the buttons
  // "&Run Setup..." and "OK"; true when Run Setup was chosen.
  virtual bool NameError(const std::string& text) = 0;
};

// Writes every box to standard error; questions answer Cancel, the name
// error answers OK.
class StderrPrompts : public StartupPrompts {
 public:
  void Inform(const std::string& caption, const std::string& text) override;
  bool AskRetryCancel(const std::string& caption, const std::string& text) override;
  bool NameError(const std::string& text) override;
};

// The prompts in use; standard error until the windows install theirs.
StartupPrompts& Prompts();
// Installs prompts (nullptr: back to standard error). The caller keeps them
// alive while installed.
void SetPrompts(StartupPrompts* prompts);

// Starts the setup program ("<data directory>SETUP.EXE" with the INI file
// as its argument) from the name error dialog.
class SetupLauncher {
 public:
  virtual ~SetupLauncher() = default;
  // True when the program was started.
  virtual bool Launch(const std::string& program, const std::string& argument) = 0;
};

// The setup program is not part of this system yet: this launcher writes to
// standard error what it would start and starts nothing.
class ReportingSetupLauncher : public SetupLauncher {
 public:
  bool Launch(const std::string& program, const std::string& argument) override;
};

SetupLauncher& Launcher();
void SetLauncher(SetupLauncher* launcher);
