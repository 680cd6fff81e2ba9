// The main window: the program's only top-level window. It is either the
// full application (menu "MENU_1", the button bar "FULLTOOLBAR" and the
// centred picture) or the floating toolbar (a small captioned window with
// the FULL button and up to five item buttons), and it carries the
// workstation's heartbeat: the timer that drives the poll and alert machine
// (shell/poll_alert.h), whose effects it shows.
//
// The logic of modes, placement, shapes and settings lives in shell/; this
// class binds it to Qt. Windows built elsewhere are reached through
// DpWinHooks.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <memory>
#include <string>

#include "shell/poll_alert.h"
#include "shell/ui/sound_player.h"
#include "shell/ui/window_hooks.h"
#include "shell/window_mode.h"
#include "shell/workstation_settings.h"

class QMenu;
class QAbstractButton;

// Everything the window needs from start-up.
struct DpWinSetup {
  std::string iniPath;
  std::string dataDirectory;  // ends in '/'
  std::string userName;       // single-byte, as the name table spells it
  int32_t userNumber = 0;
  WorkstationSettings settings;
  PollAlertConfig alerts;
  AlarmHooks alarms;
};

class DpWin : public QMainWindow, private AlertWindow {
  Q_OBJECT
 public:
  DpWin(DpWinSetup setup, DpWinHooks hooks, SoundPlayer& sound);
  ~DpWin() override;

  // Shows the window in its start mode (InitMode), runs the alarm search
  // and the first tick (which polls), and starts the 2000 ms timer.
  void Start();
  // One tick of the timer, as the timer runs it.
  void Tick();
  // Carries out a command of the menu, the toolbars, the system menu or
  // the keyboard.
  void Command(int id);
  // Command 203 with its kind letter.
  void TakeKindCommand(char kind);
  // The entries of the system menu, checked as they stand: "&Always on
  // top" (1), the three shapes (2 to 4) and the popup "&Toolbar items"
  // (622 to 626). Qt cannot add entries to the window manager's own system
  // menu, so the same entries with the same ids are the window's context
  // menu, in both modes.
  QMenu* BuildSystemMenu(QWidget* parent);

  bool Floating() const { return mode_.floating; }
  bool RebuildDeferred() const { return mode_.rebuildDeferred; }
  const WorkstationSettings& Settings() const { return settings_; }
  PollAlert& Alerts() { return *alerts_; }
  const QTimer& Timer() const { return timer_; }
  // The current window icon's name ("ICON_1" ...).
  QString IconName() const { return iconName_; }
  int CaptionFlashes() const { return flashes_; }
  // -1 while the window runs; 0 after a close, 1 after the share was lost.
  int ExitCode() const { return exitCode_; }
  // The button with the command as control id on the current toolbar.
  QAbstractButton* ToolbarButton(int command) const;

 signals:
  // The window has closed (or the share was lost) and written its
  // settings: the message loop ends with the code.
  void finished(int exitCode);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  // Modes.
  void ShowFull(bool maximise);
  void ToFloating(bool rebuild);
  void ToFull();
  void ApplyFloatingFlags();
  void DropPage();
  WindowRect CurrentRect() const;
  QRect ScreenRect() const;
  void PlaceDefault();

  // Commands.
  void SystemMenuCommand(int id);
  void ViewCommand();
  void RunSetupCommand();
  void AboutCommand();
  void HelpCommand();
  void PasswordCommand(int id);
  void UpdatePasswordMenu();
  // Enables each command that has its window, disables the others.
  void RefreshCommands();
  bool AnyWindowDisabled() const;
  void Finish(int exitCode);

  // AlertWindow.
  WindowFacts Facts() override;
  void SetTimerInterval(int milliseconds) override;
  void SetIcon(AlertIcon icon) override;
  void SetViewPicture(bool urgent) override;
  void BlinkView(BlinkColour colour) override;
  void BlinkScheduler() override;
  void StopBlinking() override;
  void FlashCaption() override;
  void StopFlashing() override;
  bool PlaySound(const std::string& file) override;
  void Beep(BeepKind kind) override;
  void ShowWithoutActivating(bool topMost) override;
  void ShowMinimisedWithoutActivating() override;
  void SetTopMost(bool topMost) override;
  void RefreshTakeTime() override;
  void LostShare(const std::string& message) override;

  DpWinSetup setup_;
  WorkstationSettings& settings_;
  DpWinHooks hooks_;
  SoundPlayer& sound_;
  WindowMode mode_;
  std::unique_ptr<PollAlert> alerts_;
  QTimer timer_;
  QMenuBar* menu_ = nullptr;
  QString iconName_;
  bool viewUrgent_ = false;
  int flashes_ = 0;
  int exitCode_ = -1;
  bool inTick_ = false;
};
