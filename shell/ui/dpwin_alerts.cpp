// The main window as the poll and alert machine sees it: the facts it
// asks for and the effects it orders (icons, blinking buttons, a flashing
// caption, sounds and beeps, showing without activating, the lost share).
#include <QAbstractButton>
#include <QApplication>

#include "shell/ui/button_bars.h"
#include "shell/ui/command_ids.h"
#include "shell/ui/dpwin.h"
#include "shell/ui/pictures.h"
#include "shell/ui/trace.h"
#include "toolkit/modeless.h"
#include "toolkit/prompts.h"
#include "toolkit/record_text.h"

namespace {

// One step of a blink: lit when plain, plain when lit.
void Toggle(QAbstractButton* button, const QString& colour) {
  if (button == nullptr) return;
  SetButtonLit(button, button->property("blink").toString().isEmpty() ? colour : QString());
}

// What a screen reader says of a blinking button, steady while it blinks
// (a description that came and went with each blink would be read again
// and again).
void Describe(QAbstractButton* button, const QString& news) {
  if (button && button->accessibleDescription() != news) button->setAccessibleDescription(news);
}

}  // namespace

WindowFacts DpWin::Facts() {
  WindowFacts facts;
  facts.floating = mode_.floating;
  facts.minimised = isMinimized();
  facts.foreground = isActiveWindow();
  facts.topMost = windowFlags() & Qt::WindowStaysOnTopHint;
  facts.alwaysOnTop = settings_.alwaysOnTop;
  for (QWidget* w : ModelessWindows()) {
    if (w->isVisible()) ++facts.visibleModeless;
  }
  // The floating toolbar counts as one of the program's modeless windows.
  if (mode_.floating && isVisible()) ++facts.visibleModeless;
  return facts;
}

void DpWin::SetTimerInterval(int milliseconds) {
  if (timer_.interval() == milliseconds) return;
  timer_.setInterval(milliseconds);
  if (milliseconds == kAlertTimerMs) {
    Trace("alert start level " + std::to_string(alerts_ ? alerts_->Level() : 0));
  } else {
    Trace("alert end");
  }
}

void DpWin::SetIcon(AlertIcon icon) {
  iconName_ = ::IconName(icon);
  setProperty("iconName", iconName_);
  setWindowIcon(WindowIcon(icon));
}

void DpWin::SetViewPicture(bool urgent) {
  viewUrgent_ = urgent;
  if (QAbstractButton* view = ToolbarButton(kCmdView)) {
    view->setIcon(QIcon(ButtonPicture(kCmdView, urgent)));
    view->setProperty("urgentPicture", urgent);
  }
  // The urgent state may make View useful (it opens the urgent message).
  RefreshCommands();
}

void DpWin::BlinkView(BlinkColour colour) {
  const bool urgent = colour == BlinkColour::kRed;
  Toggle(ToolbarButton(kCmdView), urgent ? "red" : "green");
  Describe(ToolbarButton(kCmdView),
           urgent ? "An urgent message is waiting." : "New messages are waiting.");
}

void DpWin::BlinkScheduler() {
  Toggle(ToolbarButton(kCmdScheduler), "green");
  Describe(ToolbarButton(kCmdScheduler), alerts_ && alerts_->AlarmPending()
                                             ? "An alarm is due."
                                             : "Your schedule has been changed.");
}

void DpWin::StopBlinking() {
  for (int command : {kCmdView, kCmdScheduler}) {
    SetButtonLit(ToolbarButton(command), QString());
    Describe(ToolbarButton(command), QString());
  }
}

void DpWin::FlashCaption() {
  ++flashes_;
  // One flash a tick; it ends by itself, so the flashing stops with the
  // alert.
  QApplication::alert(this, kAlertTimerMs);
}

void DpWin::StopFlashing() {}

bool DpWin::PlaySound(const std::string& file) {
  // The INI file's text is single-byte; the file system's names are UTF-8.
  return sound_.Play(FromCp1252(file).toStdString());
}

void DpWin::Beep(BeepKind kind) {
  sound_.Beep(kind);
}

void DpWin::ShowWithoutActivating(bool topMost) {
  if (topMost) SetTopMost(true);
  setAttribute(Qt::WA_ShowWithoutActivating, true);
  if (!isVisible()) {
    if (isMinimized()) {
      showMinimized();
    } else {
      show();
    }
  }
  setAttribute(Qt::WA_ShowWithoutActivating, false);
}

void DpWin::ShowMinimisedWithoutActivating() {
  setAttribute(Qt::WA_ShowWithoutActivating, true);
  showMinimized();
  setAttribute(Qt::WA_ShowWithoutActivating, false);
}

void DpWin::SetTopMost(bool topMost) {
  if (bool(windowFlags() & Qt::WindowStaysOnTopHint) == topMost) return;
  const bool visible = isVisible();
  const Qt::WindowStates state = windowState();
  // Changing a window flag hides the window; it comes back as it was,
  // without taking the focus from the user's work.
  setWindowFlag(Qt::WindowStaysOnTopHint, topMost);
  if (visible) {
    setAttribute(Qt::WA_ShowWithoutActivating, true);
    setWindowState(state);
    show();
    setAttribute(Qt::WA_ShowWithoutActivating, false);
  }
}

void DpWin::RefreshTakeTime() {
  // The Take window keeps its own clock until it is built into this
  // program; nothing to refresh here yet.
}

void DpWin::LostShare(const std::string& message) {
  Trace("lost share");
  Prompter().Inform(FromCp1252(message));
  Finish(1);
  hide();
}
