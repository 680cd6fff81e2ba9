// Why the last e-mail operation failed, worded for the user.
//
// The e-mail functions answer 1 or 0 like every data function. On 0 this
// holds the sentence the window shows: one of the e-mail texts ("Error
// opening file.", "Maximum of 40 attachments allowed.") or, when the
// failure is a file, an engine or a table failure, the application error
// as the reporter words it ("Invalid name: x@"). Those failures also leave
// the application error (storage/errors.h) set, so a caller that only
// knows the Conventions' error state (deleting a message) can report them.
#pragma once

#include <string>
#include <string_view>

#include "storage/errors.h"

const std::string& EmailError();
void ClearEmailError();

// Sets the sentence; answers 0 so a failing path can `return FailEmail(...)`.
int FailEmail(std::string_view sentence);
// Sets the application error (code, name) and a sentence for it: the given
// one, or the reporter's "text: name" when none is given.
int FailEmailApp(int code, std::string_view name, std::string_view sentence = {});
// The sentence is the current application error as the reporter words it.
int FailEmailFromAppError();

// Keeps the first failure of a walk that goes on after failures (deleting
// every file of an e-mail) and gives it back when the walk ends.
class EmailFirstFailure {
 public:
  // Takes the current sentence and application error, unless one is kept.
  void Note();
  // 1, or 0 with the kept failure put back.
  int Result() const;

 private:
  bool failed_ = false;
  std::string sentence_;
  AppError error_;
};

// A name from a file made printable for a message: bytes below 32 and 127
// become '?', and it is cut to 64 bytes, so a hostile name cannot fill or
// garble the box that shows it.
std::string Printable(std::string_view text);
