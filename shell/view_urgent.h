// The View command while an urgent message waits: instead of the whole New
// view, the first urgent message of the user's in-box is opened at once.
//
// Bit 2 of the user's flag file is cleared first and set again when a
// second urgent message waits, so the urgent alert goes on for that one;
// then the flag file is polled at once so the alert follows.
#pragma once

#include <cstdint>
#include <string_view>

#include "data/messages/dpmess.h"
#include "shell/poll_alert.h"

struct UrgentMessages {
  bool found = false;  // entry holds the first urgent message
  MessageEntry entry;
  bool more = false;  // a second urgent message waits
};

// Clears bit 2 of the user's flag file, finds the first urgent message in
// the user's in-box (folder 1), and sets bit 2 again when there is another.
// 1, or 0 with the error of the message table. A flag file that cannot be
// written does not stop the search: the message is still shown, and the
// next send or list refresh sets the flag right.
int TakeUrgentMessage(MessageTable& handle, std::string_view userName, int32_t userNumber,
                      UrgentMessages* result);

enum class ViewAction { kOpenNewView, kOpenMessage };
struct ViewChoice {
  ViewAction action = ViewAction::kOpenNewView;
  MessageEntry entry;  // the message to open with kOpenMessage
};

// What the View command does: at alert level 0 or 1 the New view; at the
// urgent levels the urgent case above followed by an immediate poll, and
// the found message (or the New view when none was found). 1, or 0 with the
// error of the message table.
int ChooseView(PollAlert& alerts, MessageTable& handle, std::string_view userName,
               int32_t userNumber, ViewChoice* choice);
