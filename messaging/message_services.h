// What the list and view windows use from the other messaging windows and
// the main window: the folder chooser (FOLDER), the note editor, the CC
// list of a message, and the main window told that the user's new
// messages were seen. The program fills them at start-up; an empty one
// leaves its button disabled.
#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>

// Note editor modes.
constexpr int kNoteEdit = 0;
constexpr int kNoteReturnCallLog = 1;
constexpr int kNoteReadOnly = 4;

struct MessagingServices {
  // FOLDER for the person, starting at the folder given (0: none): true
  // with the chosen folder's name and number.
  std::function<bool(QWidget* owner, int32_t person, int32_t start, std::string* name,
                     int32_t* number)>
      chooseFolder;
  // The note editor on the note (0: none yet; a note written gets its
  // number); true when the note number or text changed.
  std::function<bool(QWidget* owner, int32_t* note, int mode)> editNote;
  // CCLIST ("CC:"): the names of the message's CC list.
  std::function<void(QWidget* owner, int32_t messageNumber)> showCC;
  // The user's New view was filled: the new-message alert ends.
  std::function<void()> newMessagesSeen;
};

MessagingServices& Services();
