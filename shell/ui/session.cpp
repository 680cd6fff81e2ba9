#include "shell/ui/session.h"

#include "data/office/dpmain.h"
#include "shell/ui/trace.h"
#include "toolkit/names/name_picker.h"

bool SessionPrompts::NameError(const std::string& text) {
  if (nameError_) return nameError_(text);
  return WindowDataPrompts::NameError(text);
}

Session::Session(std::string iniPath, DpWinHooks hooks)
    : iniPath_(std::move(iniPath)), hooks_(std::move(hooks)), prompts_(hooks_.nameError) {
  SetPrompts(&prompts_);
}

Session::~Session() {
  if (started_) StopUser();
  SetPrompts(nullptr);
}

bool Session::Start() {
  if (!ReadStartupSettings(iniPath_, &startup_)) {
    Trace("start-up failed");
    return false;
  }
  if (!StartUser(startup_.directory, startup_.userName, iniPath_)) {
    Trace("start-up failed");
    return false;
  }
  started_ = true;
  return true;
}

std::unique_ptr<DpWin> Session::OpenWindow(SoundPlayer& sound) {
  const UserState& user = CurrentUser();
  DpWinSetup setup;
  setup.iniPath = iniPath_;
  setup.dataDirectory = startup_.directory;
  setup.userName = user.name;
  setup.userNumber = user.number;
  setup.settings = ReadWorkstationSettings(iniPath_);
  // The name picker's Delete answers for this workstation's right.
  SetNameDeleteAllowed(setup.settings.nameDelete);
  setup.alerts = MakePollAlertConfig(user, setup.settings,
                                     WorkstationPollTicks(startup_.directory, setup.settings));
  setup.alarms = ScheduleAlarmHooks(user.number);
  return std::make_unique<DpWin>(std::move(setup), hooks_, sound);
}
