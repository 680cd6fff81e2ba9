// What the list windows tell the main window: that the user's new messages
// were seen, so the new-message alert ends. The program fills it at
// start-up.
#pragma once

#include <functional>

struct MessagingServices {
  // The user's New view was filled: the new-message alert ends.
  std::function<void()> newMessagesSeen;
};

MessagingServices& Services();
