#include "shell/ui/passwords/new_password.h"

#include "toolkit/prompts.h"

std::optional<std::string> AskNewPassword(PasswordPrompt& prompt) {
  for (;;) {
    std::optional<std::string> first = prompt.Ask("New password:");
    if (!first) return std::nullopt;
    std::optional<std::string> second = prompt.Ask("Re-enter password:");
    if (!second) return std::nullopt;
    // Passwords are compared without regard to case everywhere, so two
    // typings differing only in case give the same password.
    if (SamePassword(*first, *second)) return first;
    if (!Prompter().AskYesNo("Passwords don't match. Try again?")) return std::nullopt;
  }
}
