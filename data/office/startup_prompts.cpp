#include "data/office/startup_prompts.h"

#include <cstdio>

namespace {
StderrPrompts stderrPrompts;
StartupPrompts* currentPrompts = &stderrPrompts;
ReportingSetupLauncher reportingLauncher;
SetupLauncher* currentLauncher = &reportingLauncher;
}  // namespace

void StderrPrompts::Inform(const std::string& caption, const std::string& text) {
  std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}

bool StderrPrompts::AskRetryCancel(const std::string& caption, const std::string& text) {
  std::fprintf(stderr, "%s: %s (Cancel)\n", caption.c_str(), text.c_str());
  return false;
}

bool StderrPrompts::NameError(const std::string& text) {
  std::fprintf(stderr, "Error: %s\n", text.c_str());
  return false;
}

StartupPrompts& Prompts() {
  return *currentPrompts;
}

void SetPrompts(StartupPrompts* prompts) {
  currentPrompts = prompts ? prompts : &stderrPrompts;
}

bool ReportingSetupLauncher::Launch(const std::string& program, const std::string& argument) {
  std::fprintf(stderr, "Setup would start: %s \"%s\"\n", program.c_str(), argument.c_str());
  return false;
}

SetupLauncher& Launcher() {
  return *currentLauncher;
}

void SetLauncher(SetupLauncher* launcher) {
  currentLauncher = launcher ? launcher : &reportingLauncher;
}
