// The note of a phone list entry: its text (up to 4,048 characters, lines
// kept) in a dialog of its own, read-only while another workstation holds
// the entry.
#pragma once

#include <QWidget>
#include <cstdint>
#include <string>

#include "toolkit/base_dialog.h"

class TPhoneNoteDialog : public TBaseDialog {
  Q_OBJECT

 public:
  static constexpr int kIdText = 101;
  TPhoneNoteDialog(QWidget* owner, const std::string& text, bool readOnly);
  // The text as stored (single-byte, lines ending in a carriage return).
  std::string Text() const;
  // A character the office's code page lacks is refused, with a message.
  void Ok() override;

 private:
  std::string text_;
};

// Opens the note of *note (0: none yet) through RunPhoneDialog. OK stores
// the text: a new note is made for a text when there was none, a note
// emptied is deleted (*note becomes 0). False when nothing was stored.
bool EditPhoneNote(QWidget* owner, int32_t* note, bool readOnly);
