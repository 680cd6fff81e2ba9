// BOB's workstation on a real office (office_fixture.h) for the main
// window's Qt tests: the session started on his INI file and his main
// window open, bare (only the hooks a test sets) or wired as the program
// wires it: the Take window, the message lists, the scheduler and to-do
// list, the phone list and Options. A test class derives from it and calls
// Begin() and End() from its init() and cleanup().
#pragma once

#include <QTest>
#include <memory>
#include <string>

#include "data/local_time.h"
#include "data/office/passwords.h"
#include "data/phone/dpphone.h"
#include "data/phone/phone_dial.h"
#include "messaging/dialog_runner.h"
#include "messaging/message_windows.h"
#include "phonelist/phone_settings.h"
#include "shell/ui/dpwin.h"
#include "shell/ui/list_wiring.h"
#include "shell/ui/options/options_wiring.h"
#include "shell/ui/phone_list_wiring.h"
#include "shell/ui/scheduler_windows.h"
#include "shell/ui/session.h"
#include "shell/ui/take_wiring.h"
#include "tests/shell/ui/office_fixture.h"
#include "toolkit/names/name_picker.h"
#include "toolkit/scripted_prompts.h"

class WorkstationTest : public QObject {
 protected:
  // A new office and prompts, at 9:05 on 3-15-27.
  void Begin(bool wired = true) {
    SetClock([] { return FromLocal(2027, 3, 15, 9, 5, 0); });
    wired_ = wired;
    office = std::make_unique<Office>();
    QVERIFY(office->Make());
    prompts = std::make_unique<ScriptedPrompts>();
    sound = RecordingSound();
    hooks = DpWinHooks();
    for (int p = 1; p <= kDialPorts; ++p) devices_[p - 1] = DialPortDevice(p);
  }
  // Closes the windows and the program, and checks every question had its
  // scripted answer.
  void End() {
    MessageWindows::Instance().CloseAll();
    SetMessagingDialogRunner(nullptr);
    if (schedule) schedule->CloseAll();
    win.reset();
    session.reset();
    options.reset();
    schedule.reset();
    phone.reset();
    lists.reset();
    take.reset();
    const int unanswered = prompts ? prompts->Unanswered() : 0;
    prompts.reset();
    office.reset();
    SetClock(nullptr);
    for (int p = 1; p <= kDialPorts; ++p) SetDialPortDevice(p, devices_[p - 1]);
    PhoneSettings() = PhoneListSettings();
    PhoneSetCurrentList(PhoneList());
    SetNameDeleteAllowed(true);
    QCOMPARE(unanswered, 0);
  }

  // Starts BOB's program with these lines in the INI file's main section
  // (and these further sections); false when the start-up failed.
  bool Start(const std::string& keys = "", const std::string& otherSections = "") {
    office->WriteIni(keys, otherSections);
    return Open();
  }
  // Starts BOB's program on the INI file as it is.
  bool Open() {
    win.reset();
    session.reset();
    if (wired_) Wire();
    session = std::make_unique<Session>(office->IniPath(), hooks);
    if (!session->Start()) return false;
    win = session->OpenWindow(sound);
    if (wired_) {
      take->SetMainWindow(win.get());
      lists->SetMainWindow(win.get());
      phone->Start(*win, office->IniPath());
      schedule->Start(*win);
    }
    win->Start();
    return true;
  }
  void Tick(int times = 1) {
    for (int i = 0; i < times; ++i) win->Tick();
  }

  std::unique_ptr<Office> office;
  std::unique_ptr<ScriptedPrompts> prompts;
  RecordingSound sound;
  DpWinHooks hooks;
  NoPasswords passwords;
  std::unique_ptr<TakeWiring> take;
  std::unique_ptr<ListWiring> lists;
  std::unique_ptr<PhoneListWiring> phone;
  std::unique_ptr<SchedulerWindows> schedule;
  std::unique_ptr<OptionsWiring> options;
  std::unique_ptr<Session> session;
  std::unique_ptr<DpWin> win;

 private:
  void Wire() {
    auto alerts = [this] { return win ? &win->Alerts() : nullptr; };
    take = std::make_unique<TakeWiring>();
    take->Fill(hooks);
    lists = std::make_unique<ListWiring>();
    lists->Fill(hooks);
    phone = std::make_unique<PhoneListWiring>();
    phone->AddHooks(hooks);
    schedule = std::make_unique<SchedulerWindows>(office->IniPath(), passwords);
    schedule->Install(hooks, alerts);
    options = std::make_unique<OptionsWiring>(office->IniPath());
    options->Install(
        hooks, [this]() -> QWidget* { return win.get(); }, alerts, &schedule->Schedule());
  }

  bool wired_ = true;
  std::string devices_[kDialPorts];
};
