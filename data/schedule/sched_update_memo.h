// The update memo: the memo a person gets when someone else adds, changes
// or copies an entry into their schedule, and copying an entry to other
// people's schedules.
//
// The memo travels the ordinary messaging road: one memo record into the
// person's in-box, a send-log copy for the sender, and the new-message bit
// in the person's flag file. The common schedule ("* COMMON", owner -1) is
// nobody's in-box and never gets one.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "data/schedule/dpsched.h"

// The memo's text, lines ending in a carriage return:
//
//   Automatic notification of schedule update:
//   <blank line>
//   Date:  3-15-27
//   Time:  9:00AM - 10:30AM        (or "Time:  9:00AM" without an end)
//   Alarm set for:  8:45AM         (only with an alarm)
//   <description>
//   <blank line, note>             (only with a note)
//   <blank line>*This item also has repeating items.
//
// The last part is there when the entry has a repeat group or repeating
// items are being made or copied with it.
std::string UpdateMemoText(const SchedRecord& entry, bool repeating);

// Sends the memo to the person (name and number) from the signed-in user
// (data/message_user.h), into the in-box with a send-log copy. Owner -1
// gets nothing and the call succeeds.
int SendUpdateMemo(const SchedRecord& entry, bool repeating, std::string_view toName,
                   int32_t toNumber);

// The recipient field's value that stands for the tagged names.
constexpr const char* kTaggedRecipient = "* - TAG";

// What the copy dialog hands over on OK.
struct SchedCopyRequest {
  int32_t recordNumber = -1;    // the selected entry
  int32_t owner = 0;            // whose schedule it is in
  std::string recipient;        // a name, "* COMMON" or "* - TAG"
  std::vector<int32_t> tagged;  // the tag set, for "* - TAG"
  bool sendMemo = false;        // "Send notify memo to recipient(s)"
  bool copyRepeats = false;     // "Copy repeating items"
};

// Copies the entry to the recipient(s). Messages the dialog shows on the
// way ("Please select recipient(s)", "Maximum of 40 schedule items
// reached.", "Maximum of 40 schedule items reached for %s") go to inform;
// the copy goes on with the next tagged name after a full day. 0 with the
// application error for any other failure (a recipient that is not in the
// name table: 1017 with its name).
int SchedCopyToRecipients(SchedTable& handle, const SchedCopyRequest& request,
                          const std::function<void(const std::string&)>& inform);
