// The data layer's boxes (start-up, the error reporter, the lock time-out
// question) shown through the window prompt service. Their texts are the
// data layer's single-byte text (names and table names from the records).
#pragma once

#include "data/office/startup_prompts.h"

class WindowDataPrompts : public StartupPrompts {
 public:
  void Inform(const std::string& caption, const std::string& text) override;
  bool AskRetryCancel(const std::string& caption, const std::string& text) override;
  // "Error" with "&Run Setup..." and "OK": true for Run Setup.
  bool NameError(const std::string& text) override;
};
