// TIMER ("Call Timer"): the stopwatch of a return call, opened modeless
// from the note editor's "&Timer". It counts seconds in its time field
// (171) while running, may be edited while stopped, and pastes
// " Time spent = <field>" into the note.
#pragma once

#include <QTimer>
#include <cstdint>
#include <functional>
#include <string>

#include "toolkit/base_dialog.h"

// The time field's text in seconds. Without ":" the text is a decimal
// number of hours read from its leading number ("1.5" is 5400 seconds);
// with ":" it holds only digits and colons: hours, then optional minutes
// and seconds. False for a negative number of hours, any other character
// beside the colons, more than three parts or a value past 32 bits.
bool ParseTimeSpent(const std::string& text, int32_t* seconds);
// "%ld:%02ld:%02ld": hours, minutes, seconds.
std::string TimeSpentText(int32_t seconds);

class CallTimerDialog : public TBaseDialog {
  Q_OBJECT

 public:
  static constexpr int kIdTime = 171;
  static constexpr int kIdStartStop = 107;
  static constexpr int kIdPaste = 1;
  static constexpr int kIdClose = 2;

  // paste receives the text to put into the note.
  CallTimerDialog(QWidget* owner, std::function<void(const QString&)> paste);

  // "&Start"/"&Stop".
  void StartStop();
  // One second of the running timer: the count goes up by one and shows.
  void Second();
  // "&Paste".
  void Paste();
  bool Running() const { return timer_.isActive(); }
  int32_t Count() const { return count_; }

  void reject() override;

 private:
  void Stop(const QString& caption);
  void Show();

  std::function<void(const QString&)> paste_;
  char field_[21] = "0:00:00";
  int32_t count_ = 0;
  QTimer timer_;
};
