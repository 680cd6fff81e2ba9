// The user's e-mail settings as the e-mail windows use them: the From a new
// e-mail gets, the two signatures with the default choice, and "Auto
// format". They live in the user's own name record; the windows read them
// fresh from it, so a change made in one window shows in the next.
#pragma once

#include <cstdint>
#include <string>

struct EmailSignatures {
  std::string text[2];    // signature 1 and 2, at most 250 characters each
  int defaultChoice = 0;  // 0 none, 1 or 2
  int32_t note = 0;       // the note holding both (0: none yet)
};

// The default From of Clear and of the reply window: the "Email from"
// option, else "<name in lower case>@<DOMAIN>", else the user's name.
std::string UserDefaultFrom();

// The two signatures and the default choice. Texts that cannot be read are
// empty.
EmailSignatures ReadSignatures();
// Stores both texts in the user's signature note (made when the user has
// none) and the default choice in the name record. 1, or 0 with the
// application error set.
int SaveSignatures(const EmailSignatures& signatures);
// The text of signature 1 or 2 (empty for 0 or an unreadable note).
std::string SignatureText(int choice);

// "Auto format": whether the view reflows an e-mail's body.
bool AutoFormat();
int SaveAutoFormat(bool on);
