#include "toolkit/data_prompts.h"

#include "toolkit/prompts.h"
#include "toolkit/record_text.h"

void WindowDataPrompts::Inform(const std::string& caption, const std::string& text) {
  Prompter().Inform(FromCp1252(text), FromCp1252(caption));
}

bool WindowDataPrompts::AskRetryCancel(const std::string&, const std::string& text) {
  // The lock time-out box is always captioned "Error".
  return Prompter().AskRetryCancel(FromCp1252(text));
}

bool WindowDataPrompts::NameError(const std::string& text) {
  return Prompter().OptionPrompt("Error", FromCp1252(text), "&Run Setup...", "OK") == 1;
}
