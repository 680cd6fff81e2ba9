// The folder dialogs: FOLDER ("Select Folder") chooses a common folder or
// one of a person's own, creating, renaming and deleting folders on the
// way; FOLDER_AND_NAME adds "Name:" and ">>" to choose whose folders are
// meant. NEWFOLDER and EDITFOLDER are opened from them.
//
// The caller's folder choice is a folder record: on entry its owner names
// the person whose folders are meant (0 or -1: no single person, so common
// folders only) and its number, when not 0, the folder to start at; after
// Select it holds the chosen folder, after Cancel what it held on entry.
//
//   FolderRecord choice = MakeFolderRecord("", CurrentUser().number);
//   if (ChooseFolder(this, choice)) file into choice.Number();
#pragma once

#include <QLineEdit>
#include <QPointer>
#include <cstdint>
#include <string>

#include "data/messages/dpfolder.h"
#include "data/office/dpname.h"
#include "data/office/passwords.h"
#include "toolkit/base_dialog.h"

class QPushButton;
class QRadioButton;
class TFolderList;

class FolderDialog : public TBaseDialog {
  Q_OBJECT

 public:
  static constexpr int kIdSearch = 101;
  static constexpr int kIdCommon = 103;
  static constexpr int kIdPersonal = 104;
  static constexpr int kIdPlaceholder = 550;
  static constexpr int kIdList = 253;
  static constexpr int kIdSelect = 1;
  static constexpr int kIdNew = 204;
  static constexpr int kIdEdit = 206;
  static constexpr int kIdDelete = 205;
  static constexpr int kIdName = 141;
  static constexpr int kIdPick = 213;

  // FOLDER without a name slot, FOLDER_AND_NAME with one (then passwords
  // answer the picker's messages password check). Opens the folder table;
  // a failure is shown and leaves the dialog not Ready().
  FolderDialog(QWidget* owner, FolderRecord& choice, NameEntry* nameSlot = nullptr,
               PasswordPrompt* passwords = nullptr);
  ~FolderDialog() override;
  bool Ready() const { return ready_; }

  // "&Select": the selected folder into the choice, result 1.
  void Ok() override;
  // "Cancel": the choice as it was on entry, result 0.
  void reject() override;
  void ChooseCommon();
  void ChoosePersonal();
  void NewFolder();
  void EditFolder();
  void DeleteFolder();
  // ">>" of FOLDER_AND_NAME.
  void PickName();

  TFolderList* List() const { return list_; }
  int32_t SelectedType() const { return type_; }
  int32_t CurrentPerson() const { return person_; }
  FolderTable& Folders() { return folders_; }

 private:
  void Build();
  // The radio buttons and "&Delete" as the selected type says; the search
  // field emptied and focused.
  void FollowType();
  void ShowType(int32_t type);

  FolderRecord& choice_;
  FolderRecord entry_;
  NameEntry* slot_;
  PasswordPrompt* passwords_;
  FolderTable folders_;
  bool ready_ = false;
  int32_t type_ = 0;
  int32_t person_ = 0;
  bool locked_ = false;
  TFolderList* list_ = nullptr;
  QLineEdit* search_ = nullptr;
  QRadioButton* common_ = nullptr;
  QRadioButton* personal_ = nullptr;
  QPushButton* delete_ = nullptr;
  QLineEdit* name_ = nullptr;
};

// NEWFOLDER ("Create new folder"): a name and the type. OK adds the folder
// (or takes the existing one of that owner and name) and closes with 1;
// Folder() is then the folder.
class NewFolderDialog : public TBaseDialog {
  Q_OBJECT

 public:
  static constexpr int kIdName = 101;
  static constexpr int kIdCommon = 103;
  static constexpr int kIdPersonal = 104;

  // type: 0 common, else the person; locked: only common folders.
  NewFolderDialog(QWidget* owner, FolderTable& folders, int32_t type, int32_t person, bool locked);
  void Ok() override;
  const FolderRecord& Folder() const { return folder_; }

 private:
  FolderTable& folders_;
  int32_t person_;
  char name_[records::folder::kName.width] = {};
  FolderRecord folder_;
};

// EDITFOLDER ("Edit folder name"): a folder's new name. OK renames it and
// closes with 1.
class EditFolderDialog : public TBaseDialog {
  Q_OBJECT

 public:
  static constexpr int kIdName = 101;

  EditFolderDialog(QWidget* owner, FolderTable& folders, const FolderEntry& folder);
  void Ok() override;
  std::string NewName() const;

 private:
  FolderTable& folders_;
  FolderEntry folder_;
  char name_[records::folder::kName.width] = {};
};

// FOLDER: 1 on Select, 0 on Cancel (or when the folder table could not be
// opened, said to the user).
int ChooseFolder(QWidget* owner, FolderRecord& choice);
// FOLDER_AND_NAME: as ChooseFolder; the name slot (a names index entry:
// name and name number, -1 for a pseudo-name) says whose folders and takes
// the person chosen with ">>".
int ChooseFolderAndPerson(QWidget* owner, FolderRecord& choice, NameEntry& nameSlot,
                          PasswordPrompt& passwords);
