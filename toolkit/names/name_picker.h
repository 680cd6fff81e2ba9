// SELECT_NAME ("Name:"): the one dialog where the user chooses a person, a
// group or a pseudo-name, and where people are added and deleted and
// groups created, renamed and given their members.
//
// The caller passes a request: its name slot (on return the chosen entry,
// its name emptied when cancelled), optionally its tag set of 100 name
// numbers, the password area the choice must pass (0 none), whether the
// search starts empty, and the mode (data/name_picking.h).
#pragma once

#include <QPointer>
#include <string>

#include "data/office/dpname.h"
#include "data/office/name_picking.h"
#include "data/office/passwords.h"
#include "toolkit/base_dialog.h"
#include "toolkit/names/picker_layout.h"
#include "toolkit/pickers.h"

class NameSearchField;
class QPushButton;
class TPickerList;

struct NamePickRequest {
  // Record number, name and name number, shaped like a names index entry.
  NameEntry slot;
  // 100 name numbers (0 a free slot), or nullptr: tagging off.
  int32_t* tagSet = nullptr;
  // 0, or the area (data/passwords.h) whose password check the choice
  // must pass.
  uint8_t passwordArea = 0;
  // The search field starts empty, else with the slot's name.
  bool startEmpty = false;
  uint8_t mode = kPickPeople;
};

// The workstation's "NameDelete" right; the program sets it at start-up
// from its settings. On by default.
void SetNameDeleteAllowed(bool allowed);
bool NameDeleteAllowed();

class NamePickerDialog : public TBaseDialog {
  Q_OBJECT

 public:
  static constexpr int kIdSearch = 141;
  static constexpr int kIdList = 213;
  static constexpr int kIdPlaceholder = kIdPickerPlaceholder;
  static constexpr int kIdAdd = 204;
  static constexpr int kIdDelete = 205;
  static constexpr int kIdEdit = 206;
  static constexpr int kIdWho = 207;
  static constexpr int kIdGroup = 603;

  // Opens the name table; a failure is shown and leaves the dialog not
  // Ready() (its result is then 0).
  NamePickerDialog(QWidget* owner, NamePickRequest& request, PasswordPrompt& passwords);
  ~NamePickerDialog() override;

  bool Ready() const { return ready_; }

  // OK: the chosen entry (or "* - TAG") into the slot, then the password
  // check; closes with its result.
  void Ok() override;
  // Cancel: the slot's name emptied, result 0.
  void reject() override;

  void Add();
  void CreateGroup();
  void EditGroup();
  void Who();
  void Delete();

  TPickerList* List() const { return list_; }
  NameSearchField* Search() const { return search_; }

 private:
  void Build();
  void FocusChanged();
  // Adds the name and shows the list from it; a failure is shown and the
  // list stays where it was.
  bool AddToList(const std::string& name);
  // The act on an entry: the tag set, for a selection of two or more rows
  // every selected name, else this one.
  void ActOn(const uint8_t* entry);
  // Toggles one name's tag (a group's with its members); false when the
  // set was full or the group could not be read (said to the user).
  bool ToggleTag(const std::string& name, int32_t number);
  // Toggles the tag of every name selected in the list.
  void ToggleSelected();
  void Finish(int result);
  int CheckChoice(const std::string& name);

  NamePickRequest& request_;
  PasswordPrompt& passwords_;
  NameTable names_;
  bool ready_ = false;
  // The dialog works on a copy of the caller's tag set; OK hands it back.
  int32_t tags_[kTagSetSize] = {};
  TPickerList* list_ = nullptr;
  NameSearchField* search_ = nullptr;
  QPushButton* edit_ = nullptr;
  QPushButton* who_ = nullptr;
};

// Opens SELECT_NAME through the name dialogs' runner. 0 when cancelled or
// the password check refused the choice, else the check's result (1 when
// no check was asked).
int SelectName(QWidget* owner, NamePickRequest& request, PasswordPrompt& passwords);

// The recipient fields' picker: SELECT_NAME without a password check,
// starting from the typed text.
class DialogNamePicker : public NamePicker {
 public:
  explicit DialogNamePicker(QWidget* owner = nullptr) : owner_(owner) {}
  bool PickName(uint8_t* nameRecord, int32_t* tagSet, int mode,
                const std::string& startText) override;

 private:
  QPointer<QWidget> owner_;
};
