// TAKE_NOTE ("Note"): the one editor of a note of the note table, for a
// message and for a phone list entry alike. The Take window attaches a
// note to the message being written (mode 0); the view window keeps the
// return-call log of a received message (mode 1: caption "RETURN CALL
// LOG", a time stamp appended, the "&Timer" button for the call timer);
// mode 4 shows a note read-only. The phone list entry dialog edits the
// entry's note in mode 0, or shows it in mode 4 while another workstation
// holds the entry.
//
//   int32_t note = record.AttachedNote();
//   if (RunNoteEditor(this, &note, kNoteEdit, RunMessagingDialog)) { ...store note... }
#pragma once

#include <QPointer>
#include <QString>
#include <cstdint>
#include <functional>

#include "toolkit/base_dialog.h"
#include "toolkit/notes/call_timer.h"

constexpr int kNoteEdit = 0;
constexpr int kNoteReturnCall = 1;
constexpr int kNoteReadOnly = 4;

// The stored text of a note holds at most this many characters.
constexpr int kNoteTextLength = 4047;
// The return-call stamp is appended only while more room than this is left.
constexpr int kNoteStampRoom = 25;

// The return-call stamp for a note text of textLength characters at the
// time value: "<date> <time>: ", after two carriage returns when the
// note already has text; empty when 25 characters of room or fewer are left.
std::string ReturnCallStamp(size_t textLength, int32_t time);

class NoteEditorDialog : public TBaseDialog {
  Q_OBJECT

 public:
  static constexpr int kIdText = 153;
  static constexpr int kIdTimer = 201;
  // The command the call timer sends to paste its text.
  static constexpr int kCmdPaste = 231;

  // Reads the note (number 0: an empty one); a failed read is shown and
  // leaves the editor not Ready().
  NoteEditorDialog(QWidget* owner, int32_t noteNumber, int mode);
  ~NoteEditorDialog() override;
  bool Ready() const { return ready_; }

  // OK: outside mode 4 the text is stored (a new note when there was
  // none) and the dialog closes with 1; an empty text leaves note number 0.
  // A failure to store is shown and the editor stays open.
  void Ok() override;
  void reject() override;
  int32_t NoteNumber() const { return number_; }

  // "&Timer": opens the call timer, or brings the open one forward.
  void OpenTimer();
  CallTimerDialog* Timer() const { return timer_; }
  // Command 231: the note field takes the focus and the text replaces its
  // selection.
  void PasteText(const QString& text);

 private:
  int32_t number_;
  int mode_;
  bool ready_ = false;
  char text_[kNoteTextLength + 1] = {};
  QPointer<CallTimerDialog> timer_;
};

// Opens the note editor on *noteNumber with run (each window family opens
// its modal dialogs through its own runner, which tests replace). 1 after
// OK with *noteNumber the note's number (0 when the text was emptied); 0
// after Cancel or a failure, *noteNumber unchanged.
int RunNoteEditor(QWidget* owner, int32_t* noteNumber, int mode,
                  const std::function<int(TBaseDialog&)>& run);
