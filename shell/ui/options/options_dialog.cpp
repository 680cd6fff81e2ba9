#include "shell/ui/options/options_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstring>

#include "data/office/dpmain.h"
#include "data/office/name_picking.h"
#include "data/office/passwords.h"
#include "messaging/cp1252_guard.h"
#include "messaging/folder_dialog.h"
#include "toolkit/accessible_names.h"
#include "toolkit/control_id.h"
#include "toolkit/controls/choice_controls.h"
#include "toolkit/controls/edit_control.h"
#include "toolkit/controls/field_widgets.h"
#include "toolkit/names/name_picker.h"
#include "toolkit/prompts.h"
#include "toolkit/record_text.h"

namespace nm = records::name;

namespace {

const char* const kPageTitles[OptionsDialog::kPageCount] = {"General", "Message", "PhoneList",
                                                            "Scheduler"};

QFormLayout* PageForm(QWidget* page) {
  auto* column = new QVBoxLayout(page);
  auto* form = new QFormLayout;
  column->addLayout(form);
  column->addStretch();
  return form;
}

QLabel* Label(QWidget* page, const QString& text, QWidget* buddy) {
  auto* label = new QLabel(text, page);
  label->setBuddy(buddy);
  return label;
}

QComboBox* AddCombo(QFormLayout* form, QWidget* page, const QString& label, int id) {
  auto* combo = new QComboBox(page);
  SetControlId(combo, id);
  form->addRow(Label(page, label, combo), combo);
  return combo;
}

QLineEdit* AddEdit(QFormLayout* form, QWidget* page, const QString& label, int id, int chars) {
  auto* edit = new FieldLineEdit(page);
  SetControlId(edit, id);
  edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance('M') * chars);
  form->addRow(Label(page, label, edit), edit);
  return edit;
}

QCheckBox* AddCheck(QFormLayout* form, QWidget* page, const QString& text, int id) {
  auto* box = new QCheckBox(text, page);
  SetControlId(box, id);
  form->addRow(box);
  return box;
}

// A read-only field whose value comes from a chooser behind its button.
QLineEdit* AddChosen(QFormLayout* form, QWidget* page, const QString& label, int id,
                     const QString& buttonText, int buttonId, QPushButton** button) {
  auto* row = new QWidget(page);
  auto* line = new QHBoxLayout(row);
  line->setContentsMargins(0, 0, 0, 0);
  auto* edit = new FieldLineEdit(row);
  SetControlId(edit, id);
  edit->setReadOnly(true);
  edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance('M') * 14);
  *button = new QPushButton(buttonText, row);
  (*button)->setAutoDefault(false);
  SetControlId(*button, buttonId);
  line->addWidget(edit, 1);
  line->addWidget(*button);
  form->addRow(Label(page, label, edit), row);
  return edit;
}

}  // namespace

OptionsChoosers DialogOptionsChoosers() {
  OptionsChoosers c;
  c.name = [](QWidget* owner, NameEntry* chosen) {
    NamePickRequest request;
    request.mode = kPickOwner;
    // No password is asked: choosing whose list or schedule is shown by
    // default opens nothing yet.
    NoPasswords none;
    if (SelectName(owner, request, none) == 0) return false;
    if (request.slot.Name().empty()) return false;
    *chosen = request.slot;
    return true;
  };
  c.folder = [](QWidget* owner, FolderRecord* chosen) {
    return ::ChooseFolder(owner, *chosen) == 1;
  };
  return c;
}

OptionsPage::OptionsPage(QWidget* parent) : TBaseDialog(parent) {
  setWindowFlags(Qt::Widget);
}

void OptionsPage::FillOnce() {
  if (filled_) return;
  filled_ = true;
  TransferIn();
}

OptionsDialog::OptionsDialog(QWidget* owner, std::string iniPath, const NameRecord& person,
                             const std::string& folderName, const WorkstationOptions& workstation,
                             OptionsChoosers choosers)
    : TBaseDialog(owner, "DESKpost Options"),
      iniPath_(std::move(iniPath)),
      person_(person),
      workstation_(workstation),
      choosers_(std::move(choosers)) {
  setProperty("helpAnchor", "options");
  const uint8_t* b = person_.bytes;
  sound_ = FieldByte(b, nm::kSoundRepeat);
  notify_ = FieldByte(b, nm::kNotify);
  initMode_ = workstation_.initMode;
  allCaps_ = FieldByte(b, nm::kAllCaps);
  std::snprintf(initials_, sizeof initials_, "%s", FieldText(b, nm::kInitials).c_str());
  std::snprintf(emailFrom_, sizeof emailFrom_, "%s", FieldText(b, nm::kEmailFrom).c_str());
  defaultType_ = FieldByte(b, nm::kDefaultKind);
  listOrder_ = FieldByte(b, nm::kListOrder);
  sendLog_ = FieldByte(b, nm::kSendLog);
  fromSearch_ = FieldByte(b, nm::kFromSearch);
  autoFormat_ = FieldByte(b, nm::kAutoFormat);
  std::snprintf(folderName_, sizeof folderName_, "%s", folderName.c_str());
  folderNumber_ = FieldI32(b, nm::kDefaultFolder);
  bool tapi = workstation_.useTapi;
  port_ = PortChoice(person_, tapi);
  std::snprintf(prefix_, sizeof prefix_, "%s", FieldText(b, nm::kModemPrefix).c_str());
  std::snprintf(suffix_, sizeof suffix_, "%s", FieldText(b, nm::kModemSuffix).c_str());
  addOne_ = FieldByte(b, nm::kNoLongDistanceOne) == 0 ? 1 : 0;
  std::snprintf(phoneListName_, sizeof phoneListName_, "%s",
                FieldText(b, nm::kPhoneListName).c_str());
  phoneListNumber_ = FieldI32(b, nm::kPhoneListNumber);
  std::snprintf(schedule_, sizeof schedule_, "%s",
                DefaultScheduleShown(workstation_.defaultSchedule).c_str());
  presetStart_ = workstation_.presetStart;
  presetEnd_ = workstation_.presetEnd;
  sendUpdate_ = workstation_.schedSendUpdate ? 1 : 0;

  auto* column = new QVBoxLayout(this);
  tabs_ = new QTabWidget(this);
  tabs_->setAccessibleName("Options pages");
  column->addWidget(tabs_);
  for (int i = 0; i < kPageCount; ++i) {
    pages_[i] = new OptionsPage(tabs_);
    tabs_->addTab(pages_[i], kPageTitles[i]);
  }
  BuildGeneral(pages_[kGeneral]);
  BuildMessage(pages_[kMessage]);
  BuildPhoneList(pages_[kPhoneList]);
  BuildScheduler(pages_[kScheduler]);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  auto* ok = new QPushButton("OK", this);
  ok->setDefault(true);
  SetControlId(ok, kIdOk);
  auto* cancel = new QPushButton("Cancel", this);
  cancel->setAutoDefault(false);
  SetControlId(cancel, kIdCancel);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  column->addLayout(buttons);
  connect(ok, &QPushButton::clicked, this, [this] { Ok(); });
  connect(cancel, &QPushButton::clicked, this, [this] { reject(); });

  connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) {
    if (index >= 0 && index < kPageCount) pages_[index]->FillOnce();
  });
  pages_[kGeneral]->FillOnce();
  NameControlsByLabels(this);
  GuardCp1252(this);
}

void OptionsDialog::BuildGeneral(OptionsPage* page) {
  QFormLayout* form = PageForm(page);
  AddCombo(form, page, "Sound:", kIdSound);
  AddCombo(form, page, "Notify:", kIdNotify);
  AddCombo(form, page, "Initial mode:", kIdInitMode);
  AddCheck(form, page, "All Caps", kIdAllCaps);
  QCheckBox* synch = AddCheck(form, page, "Auto-synch", kIdAutoSynch);
  synch->setEnabled(false);
  page->Bind<TComboControl>(kIdSound, kSoundChoices, kSoundChoiceCount, &sound_);
  page->Bind<TComboControl>(kIdNotify, kNotifyChoices, kNotifyChoiceCount, &notify_);
  page->Bind<TComboControl>(kIdInitMode, kInitModeChoices, kInitModeCount, &initMode_);
  page->Bind<TCheckBoxControl>(kIdAllCaps, &allCaps_);
  page->Bind<TCheckBoxControl>(kIdAutoSynch, &autoSynch_);
}

void OptionsDialog::BuildMessage(OptionsPage* page) {
  QFormLayout* form = PageForm(page);
  AddEdit(form, page, "Initials:", kIdInitials, 4);
  AddCombo(form, page, "Default type:", kIdDefaultType);
  AddCombo(form, page, "List order:", kIdListOrder);
  AddCheck(form, page, "Send log", kIdSendLog);
  AddCheck(form, page, "FROM search", kIdFromSearch);
  AddEdit(form, page, "Email from:", kIdEmailFrom, 30);
  AddCheck(form, page, "Auto format E-mails", kIdAutoFormat);
  QPushButton* choose = nullptr;
  AddChosen(form, page, "Folder:", kIdFolder, ">>", kIdFolderChoose, &choose);
  choose->setAccessibleName("Choose the default folder");
  connect(choose, &QPushButton::clicked, this, [this] { ChooseFolder(); });
  page->Bind<TEditControl>(kIdInitials, initials_, sizeof initials_);
  page->Bind<TComboControl>(kIdDefaultType, kDefaultTypeChoices, kDefaultTypeCount, &defaultType_);
  page->Bind<TComboControl>(kIdListOrder, kListOrderChoices, kListOrderCount, &listOrder_);
  page->Bind<TCheckBoxControl>(kIdSendLog, &sendLog_);
  page->Bind<TCheckBoxControl>(kIdFromSearch, &fromSearch_);
  page->Bind<TEditControl>(kIdEmailFrom, emailFrom_, sizeof emailFrom_);
  page->Bind<TCheckBoxControl>(kIdAutoFormat, &autoFormat_);
  page->Bind<TEditControl>(kIdFolder, folderName_, sizeof folderName_);
}

void OptionsDialog::BuildPhoneList(OptionsPage* page) {
  QFormLayout* form = PageForm(page);
  AddCombo(form, page, "Modem port:", kIdModemPort);
  AddEdit(form, page, "Modem prefix:", kIdModemPrefix, 20);
  AddEdit(form, page, "Modem suffix:", kIdModemSuffix, 20);
  QPushButton* choose = nullptr;
  AddChosen(form, page, "Default:", kIdDefault, " >> ", kIdPhoneListChoose, &choose);
  choose->setAccessibleName("Choose the default phone list");
  connect(choose, &QPushButton::clicked, this, [this] { ChoosePhoneList(); });
  AddCheck(form, page, "Automatically add 1 when dialing long distance", kIdAddOne);
  page->Bind<TComboControl>(kIdModemPort, kPortChoices, kPortChoiceCount, &port_);
  page->Bind<TEditControl>(kIdModemPrefix, prefix_, sizeof prefix_);
  page->Bind<TEditControl>(kIdModemSuffix, suffix_, sizeof suffix_);
  page->Bind<TEditControl>(kIdDefault, phoneListName_, sizeof phoneListName_);
  page->Bind<TCheckBoxControl>(kIdAddOne, &addOne_);
}

void OptionsDialog::BuildScheduler(OptionsPage* page) {
  QFormLayout* form = PageForm(page);
  QPushButton* choose = nullptr;
  AddChosen(form, page, "Default:", kIdDefault, " >> ", kIdScheduleChoose, &choose);
  choose->setAccessibleName("Choose the default schedule");
  connect(choose, &QPushButton::clicked, this, [this] { ChooseSchedule(); });
  auto* hours = new QWidget(page);
  auto* line = new QHBoxLayout(hours);
  line->setContentsMargins(0, 0, 0, 0);
  auto* start = new QComboBox(hours);
  SetControlId(start, kIdPresetStart);
  auto* end = new QComboBox(hours);
  SetControlId(end, kIdPresetEnd);
  line->addWidget(start);
  line->addWidget(Label(hours, "to", end));
  line->addWidget(end);
  line->addStretch();
  form->addRow(Label(page, "Preset times:", start), hours);
  AddCheck(form, page, "Send notification memo when schedule changes", kIdSendUpdate);
  page->Bind<TEditControl>(kIdDefault, schedule_, sizeof schedule_);
  page->Bind<TComboControl>(kIdPresetStart, kPresetHourTexts, kPresetHourCount, &presetStart_);
  page->Bind<TComboControl>(kIdPresetEnd, kPresetHourTexts, kPresetHourCount, &presetEnd_);
  page->Bind<TCheckBoxControl>(kIdSendUpdate, &sendUpdate_);
}

void OptionsDialog::ShowPage(int page) {
  if (page >= 0 && page < kPageCount) tabs_->setCurrentIndex(page);
}

QLineEdit* OptionsDialog::DefaultField(int page) const {
  return FindControlAs<QLineEdit>(pages_[page], kIdDefault);
}

void OptionsDialog::ChooseFolder() {
  FolderRecord folder;
  if (!choosers_.folder || !choosers_.folder(this, &folder)) return;
  folderNumber_ = folder.Number();
  if (auto* field = FindControlAs<QLineEdit>(pages_[kMessage], kIdFolder))
    field->setText(FromCp1252(folder.Name()));
  pages_[kMessage]->SetModified(1);
}

void OptionsDialog::ChoosePhoneList() {
  NameEntry chosen;
  if (!choosers_.name || !choosers_.name(this, &chosen)) return;
  NameRecord list;
  SetDefaultPhoneList(&list, chosen.Name(), chosen.Number());
  phoneListNumber_ = FieldI32(list.bytes, nm::kPhoneListNumber);
  if (QLineEdit* field = DefaultField(kPhoneList))
    field->setText(FromCp1252(FieldText(list.bytes, nm::kPhoneListName)));
  pages_[kPhoneList]->SetModified(1);
}

void OptionsDialog::ChooseSchedule() {
  NameEntry chosen;
  if (!choosers_.name || !choosers_.name(this, &chosen)) return;
  if (QLineEdit* field = DefaultField(kScheduler))
    field->setText(FromCp1252(DefaultScheduleFromPick(chosen.Name())));
  pages_[kScheduler]->SetModified(1);
}

void OptionsDialog::Collect(NameRecord* person, WorkstationOptions* workstation) const {
  // Either part may be left out: the record's part is filled under its
  // lock, the workstation's before.
  NameRecord unused;
  WorkstationOptions unusedOptions;
  if (!person) person = &unused;
  if (!workstation) workstation = &unusedOptions;
  uint8_t* b = person->bytes;
  if (pages_[kGeneral]->Filled()) {
    SetFieldByte(b, nm::kSoundRepeat, uint8_t(sound_));
    SetFieldByte(b, nm::kNotify, uint8_t(notify_));
    workstation->initMode = initMode_;
    SetFieldByte(b, nm::kAllCaps, allCaps_);
  }
  if (pages_[kMessage]->Filled()) {
    SetFieldText(b, nm::kInitials, initials_);
    SetFieldByte(b, nm::kDefaultKind, uint8_t(defaultType_));
    SetFieldByte(b, nm::kListOrder, uint8_t(listOrder_));
    SetFieldByte(b, nm::kSendLog, sendLog_);
    SetFieldByte(b, nm::kFromSearch, fromSearch_);
    SetFieldText(b, nm::kEmailFrom, emailFrom_);
    SetFieldByte(b, nm::kAutoFormat, autoFormat_);
    SetFieldI32(b, nm::kDefaultFolder, folderNumber_);
  }
  if (pages_[kPhoneList]->Filled()) {
    ApplyPortChoice(port_, person, &workstation->useTapi);
    SetFieldText(b, nm::kModemPrefix, prefix_);
    SetFieldText(b, nm::kModemSuffix, suffix_);
    SetFieldText(b, nm::kPhoneListName, phoneListName_);
    SetFieldI32(b, nm::kPhoneListNumber, phoneListNumber_);
    // Stored inverted: a ticked box is 0.
    SetFieldByte(b, nm::kNoLongDistanceOne, addOne_ ? 0 : 1);
  }
  if (pages_[kScheduler]->Filled()) {
    workstation->defaultSchedule = schedule_;
    workstation->presetStart = presetStart_;
    workstation->presetEnd = presetEnd_;
    workstation->schedSendUpdate = sendUpdate_ != 0;
  }
}

void OptionsDialog::Ok() {
  for (int i = 0; i < kPageCount; ++i) {
    if (pages_[i]->Filled() && !pages_[i]->TransferOut()) {
      ShowPage(i);
      return;
    }
  }
  if (pages_[kScheduler]->Filled()) {
    const std::string problem = PresetHoursProblem(presetStart_, presetEnd_);
    if (!problem.empty()) {
      ShowPage(kScheduler);
      Prompter().Inform(QString::fromStdString(problem));
      return;
    }
  }
  // The record is read afresh under its lock and only the pages shown are
  // written into it, so what another workstation changed meanwhile (the
  // user password, the signatures, a page left alone) is not put back.
  NameRecord person;
  WorkstationOptions workstation = workstation_;
  Collect(nullptr, &workstation);
  ClearAppError();
  if (!SavePersonOptions(
          iniPath_, person_.Name(), [this](NameRecord* fresh) { Collect(fresh, nullptr); },
          workstation, &person)) {
    ShowError();
    return;
  }
  person_ = person;
  workstation_ = workstation;
  if (applied) applied(person_, workstation_);
  CloseWith(1);
}
