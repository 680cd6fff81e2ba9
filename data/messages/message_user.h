// The user as the message module knows it: who sends, and whether a copy of
// every sent message goes to the send log. Start-up hands it over once the
// user is found; the message module reads it for every send.
#pragma once

#include <cstdint>
#include <string>

struct MessageUser {
  std::string name;  // as the name table spells it
  int32_t number = 0;
  bool sendLog = false;
};

const MessageUser& CurrentMessageUser();
void SetMessageUser(const MessageUser& user);
