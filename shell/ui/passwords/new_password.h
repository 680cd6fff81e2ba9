// The two questions every password dialog asks before it stores a new
// password: "New password:", then "Re-enter password:", again after
// "Passwords don't match. Try again?" until the two agree.
#pragma once

#include <optional>
#include <string>

#include "data/office/passwords.h"

// The new password (possibly empty), or nothing when the user cancelled
// either question or gave up after a mismatch.
std::optional<std::string> AskNewPassword(PasswordPrompt& prompt);
