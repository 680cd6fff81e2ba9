// "DESKpost Options" (Setup, Options..., command 610): four pages, General,
// Message, PhoneList and Scheduler. The person's settings are edited in a
// copy of their name record, the workstation's in WorkstationOptions
// (shell/options.h); OK writes both and hands them to the running
// program, Cancel leaves everything as it was.
//
// Each page is a dialog of its own inside the tab widget, as property
// sheet pages are, so the two pages that both have a "Default:" field
// (168) keep their control ids. A page is filled when it is first shown
// and copied back only when it was.
#pragma once

#include <QTabWidget>
#include <functional>
#include <string>

#include "data/messages/dpfolder.h"
#include "data/office/dpname.h"
#include "shell/options.h"
#include "storage/records/name.h"
#include "toolkit/base_dialog.h"

class QLineEdit;

// The choosers the pages' ">>" buttons open: the name picker in mode 3 and
// the folder selection with the user as owner. True when something was
// chosen. Tests give their own.
struct OptionsChoosers {
  std::function<bool(QWidget* owner, NameEntry* chosen)> name;
  std::function<bool(QWidget* owner, FolderRecord* chosen)> folder;
};
// SELECT_NAME (mode 3, no password check) and FOLDER.
OptionsChoosers DialogOptionsChoosers();

// One page: a dialog without a frame of its own.
class OptionsPage : public TBaseDialog {
  Q_OBJECT
 public:
  explicit OptionsPage(QWidget* parent);
  bool Filled() const { return filled_; }
  // Fills the controls the first time.
  void FillOnce();

 private:
  bool filled_ = false;
};

class OptionsDialog : public TBaseDialog {
  Q_OBJECT
 public:
  // The pages, in tab order.
  enum Page { kGeneral = 0, kMessage = 1, kPhoneList = 2, kScheduler = 3, kPageCount = 4 };

  // General
  static constexpr int kIdAllCaps = 101;
  static constexpr int kIdAutoSynch = 118;
  static constexpr int kIdInitMode = 162;
  static constexpr int kIdNotify = 164;
  static constexpr int kIdSound = 165;
  // Message
  static constexpr int kIdInitials = 103;
  static constexpr int kIdEmailFrom = 104;
  static constexpr int kIdSendLog = 108;
  static constexpr int kIdFromSearch = 110;
  static constexpr int kIdFolder = 111;
  static constexpr int kIdDefaultType = 161;
  static constexpr int kIdListOrder = 163;
  static constexpr int kIdFolderChoose = 258;
  static constexpr int kIdAutoFormat = 302;
  // PhoneList
  static constexpr int kIdAddOne = 102;
  static constexpr int kIdModemPort = 146;
  static constexpr int kIdModemPrefix = 166;
  static constexpr int kIdModemSuffix = 167;
  static constexpr int kIdDefault = 168;  // and on the Scheduler page
  static constexpr int kIdPhoneListChoose = 200;
  // Scheduler
  static constexpr int kIdScheduleChoose = 201;
  static constexpr int kIdSendUpdate = 200;
  static constexpr int kIdPresetStart = 171;
  static constexpr int kIdPresetEnd = 172;

  // The record is the user's, as just read; folderName the name of its
  // default folder (empty for none).
  OptionsDialog(QWidget* owner, std::string iniPath, const NameRecord& person,
                const std::string& folderName, const WorkstationOptions& workstation,
                OptionsChoosers choosers);

  OptionsPage* PageAt(int page) const { return pages_[page]; }
  QTabWidget* Tabs() const { return tabs_; }
  void ShowPage(int page);

  // The ">>" buttons.
  void ChooseFolder();
  void ChoosePhoneList();
  void ChooseSchedule();

  // Checks the preset hours, writes the record and the INI keys, hands
  // them on (Applied) and closes; a refusal or a failed write keeps the
  // dialog open after its message.
  void Ok() override;
  // What was applied, after OK.
  const NameRecord& Person() const { return person_; }
  const WorkstationOptions& Workstation() const { return workstation_; }

  // Called after a successful write, before the dialog closes.
  std::function<void(const NameRecord&, const WorkstationOptions&)> applied;

 private:
  void BuildGeneral(OptionsPage* page);
  void BuildMessage(OptionsPage* page);
  void BuildPhoneList(OptionsPage* page);
  void BuildScheduler(OptionsPage* page);
  // The values of the pages shown into the record and the options.
  void Collect(NameRecord* person, WorkstationOptions* workstation) const;
  QLineEdit* DefaultField(int page) const;

  std::string iniPath_;
  NameRecord person_;
  WorkstationOptions workstation_;
  OptionsChoosers choosers_;
  QTabWidget* tabs_ = nullptr;
  OptionsPage* pages_[kPageCount] = {};

  // The fields' buffers.
  int32_t sound_ = 0;
  int32_t notify_ = 0;
  int32_t initMode_ = 1;
  uint8_t allCaps_ = 0;
  uint8_t autoSynch_ = 0;
  char initials_[records::name::kInitials.width] = {};
  char emailFrom_[records::name::kEmailFrom.width] = {};
  int32_t defaultType_ = 0;
  int32_t listOrder_ = 0;
  uint8_t sendLog_ = 0;
  uint8_t fromSearch_ = 0;
  uint8_t autoFormat_ = 0;
  char folderName_[32] = {};
  int32_t folderNumber_ = 0;
  int32_t port_ = 0;
  char prefix_[records::name::kModemPrefix.width] = {};
  char suffix_[records::name::kModemSuffix.width] = {};
  uint8_t addOne_ = 0;
  char phoneListName_[records::name::kPhoneListName.width] = {};
  int32_t phoneListNumber_ = 0;
  char schedule_[records::name::kName.width] = {};
  int32_t presetStart_ = 8;
  int32_t presetEnd_ = 17;
  uint8_t sendUpdate_ = 1;
};
