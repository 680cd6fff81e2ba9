#include "toolkit/notes/call_timer.h"

#include <QPushButton>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "toolkit/accessible_names.h"
#include "toolkit/control_id.h"
#include "toolkit/controls/edit_control.h"
#include "toolkit/form_builder.h"
#include "toolkit/help.h"
#include "toolkit/prompts.h"
#include "toolkit/record_text.h"

bool ParseTimeSpent(const std::string& text, int32_t* seconds) {
  if (text.find(':') == std::string::npos) {
    // The leading number as a single-precision value, cut to whole
    // seconds; a text without one reads as 0.
    const float hours = std::strtof(text.c_str(), nullptr);
    const float total = hours * 3600.0f;
    if (!(total >= 0.0f) || total > 2147483647.0f) return false;
    *seconds = int32_t(total);
    return true;
  }
  int64_t parts[3] = {0, 0, 0};
  int part = 0;
  for (char c : text) {
    if (c == ':') {
      if (++part > 2) return false;
    } else if (c >= '0' && c <= '9') {
      parts[part] = parts[part] * 10 + (c - '0');
      if (parts[part] > 2147483647) return false;
    } else {
      return false;
    }
  }
  const int64_t total = parts[0] * 3600 + parts[1] * 60 + parts[2];
  if (total > 2147483647) return false;
  *seconds = int32_t(total);
  return true;
}

std::string TimeSpentText(int32_t seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", long(seconds / 3600), long(seconds / 60 % 60),
                long(seconds % 60));
  return text;
}

CallTimerDialog::CallTimerDialog(QWidget* owner, std::function<void(const QString&)> paste)
    : TBaseDialog(owner, "Call Timer"), paste_(std::move(paste)) {
  SetHelpAnchor(this, "note");  // shown without being opened as a dialog
  FormBuilder form(this);
  FieldLineEdit* time = form.Edit(QString(), kIdTime, 10);
  time->setAccessibleName("Time spent");
  QPushButton* start = form.Button("&Start", kIdStartStop);
  QPushButton* pasteButton = form.Button("&Paste", kIdPaste);
  QPushButton* close = form.Button("Close", kIdClose);
  connect(start, &QPushButton::clicked, this, [this] { StartStop(); });
  connect(pasteButton, &QPushButton::clicked, this, [this] { Paste(); });
  connect(close, &QPushButton::clicked, this, [this] { reject(); });
  Bind<TEditControl>(kIdTime, field_, sizeof field_);
  timer_.setInterval(1000);
  connect(&timer_, &QTimer::timeout, this, [this] { Second(); });
  NameControlsByLabels(this);
}

void CallTimerDialog::Show() {
  std::snprintf(field_, sizeof field_, "%s", TimeSpentText(count_).c_str());
  if (auto* e = static_cast<TEditControl*>(Binding(kIdTime))) e->TransferIn();
}

void CallTimerDialog::StartStop() {
  if (Running()) {
    Stop("&Start");
    return;
  }
  // The user may have edited the field while it was stopped: go on from
  // what it says.
  TransferOut();
  int32_t seconds = 0;
  if (!ParseTimeSpent(field_, &seconds)) {
    Prompter().Inform("Invalid Time spent value.");
    return;
  }
  count_ = seconds;
  timer_.start();
  if (auto* b = FindControlAs<QPushButton>(this, kIdStartStop)) b->setText("&Stop");
}

void CallTimerDialog::Stop(const QString& caption) {
  timer_.stop();
  if (auto* b = FindControlAs<QPushButton>(this, kIdStartStop)) b->setText(caption);
}

void CallTimerDialog::Second() {
  // The close box hides the window without passing through reject().
  if (!IsOpen()) {
    timer_.stop();
    return;
  }
  if (count_ < 2147483647) ++count_;
  Show();
}

void CallTimerDialog::Paste() {
  if (Running()) Stop("&Start Timer");
  TransferOut();
  int32_t seconds = 0;
  if (!ParseTimeSpent(field_, &seconds)) {
    Prompter().Inform("Invalid Time spent value.");
    return;
  }
  if (paste_) paste_(" Time spent = " + FromRecordText(field_, sizeof field_));
  CloseWith(1);
}

void CallTimerDialog::reject() {
  timer_.stop();
  TBaseDialog::reject();
}
