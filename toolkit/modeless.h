// The list of open modeless windows. A modeless dialog is in it from its
// opening until its window goes; message boxes and the progress box disable
// every window in it while they are up, so the user answers them first.
#pragma once

#include <QPointer>
#include <QWidget>
#include <vector>

void RegisterModeless(QWidget* window);
void UnregisterModeless(QWidget* window);
// The modeless windows open now, oldest first.
std::vector<QWidget*> ModelessWindows();

// Disables every modeless window (except `keep`) for its lifetime and
// enables again those it disabled.
class ModelessDisabled {
 public:
  explicit ModelessDisabled(QWidget* keep = nullptr);
  ~ModelessDisabled();
  ModelessDisabled(const ModelessDisabled&) = delete;
  ModelessDisabled& operator=(const ModelessDisabled&) = delete;

 private:
  std::vector<QPointer<QWidget>> disabled_;
};
