#include "shell/ui/options/options_wiring.h"

#include "data/office/dpmain.h"
#include "data/phone/dpphone.h"
#include "data/phone/phone_dial.h"
#include "phonelist/phone_settings.h"
#include "scheduler/sched_view.h"
#include "scheduler/scheduler.h"
#include "shell/poll_alert.h"
#include "shell/ui/command_ids.h"
#include "storage/records/name.h"

namespace nm = records::name;

void ApplyOptions(const NameRecord& person, const WorkstationOptions& workstation,
                  PollAlert* alerts, Scheduler* scheduler) {
  SetCurrentUserSettings(person);
  const UserState& user = CurrentUser();
  if (alerts) {
    // As at start: only the value that means Off silences the workstation.
    alerts->SetUserOptions(FieldByte(person.bytes, nm::kNotify) != 1,
                           FieldByte(person.bytes, nm::kSoundRepeat));
  }
  PhoneListSettings& phone = PhoneSettings();
  phone.dial = DialSettingsOf(person, workstation.useTapi);
  phone.allCaps = user.dialogOption != 0;
  PhoneSetCurrentList({user.phoneListOwnerNumber, user.phoneListOwner});
  if (!scheduler) return;
  SchedOptions& sched = scheduler->Options();
  sched.sendUpdate = workstation.schedSendUpdate;
  sched.presets = PresetHoursFromOptions(workstation.presetStart, workstation.presetEnd);
  sched.defaultSchedule = workstation.defaultSchedule;
  // An open window shows the new preset hours at once and keeps the
  // schedule it shows; the schedule shown next is the new default's.
  if (SchedView* open = scheduler->Window()) {
    open->Reload();
  } else {
    ScheduleOwner owner{user.number, user.name};
    std::string message;
    if (DefaultScheduleOwner(workstation.defaultSchedule, &owner, &message))
      scheduler->SetOwner(owner);
  }
}

OptionsWiring::OptionsWiring(std::string iniPath)
    : choosers(DialogOptionsChoosers()), iniPath_(std::move(iniPath)) {
  run = [](OptionsDialog& dialog) { dialog.OpenModal(); };
}

std::unique_ptr<OptionsDialog> OptionsWiring::Open(QWidget* owner) {
  NameRecord person;
  if (!LoadPersonOptions(CurrentUser().name, &person)) {
    ShowError();
    return nullptr;
  }
  std::string folder;
  if (!DefaultFolderName(&person, &folder)) ShowError();
  return std::make_unique<OptionsDialog>(owner, iniPath_, person, folder,
                                         ReadWorkstationOptions(iniPath_), choosers);
}

void OptionsWiring::Install(DpWinHooks& hooks, std::function<QWidget*()> owner,
                            std::function<PollAlert*()> alerts, Scheduler* scheduler) {
  hooks.windows[kCmdOptions] = [this, owner, alerts, scheduler] {
    std::unique_ptr<OptionsDialog> dialog = Open(owner ? owner() : nullptr);
    if (!dialog) return;
    dialog->applied = [alerts, scheduler](const NameRecord& person,
                                          const WorkstationOptions& workstation) {
      ApplyOptions(person, workstation, alerts ? alerts() : nullptr, scheduler);
    };
    run(*dialog);
  };
}
