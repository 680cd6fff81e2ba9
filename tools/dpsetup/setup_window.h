// dpsetup's window: the settings file, the data directory and the user name
// it names, what is wrong with them, and the button that adds a missing
// user to the name list.
#pragma once

#include <QDialog>
#include <string>

#include "tools/dpsetup/setup_office.h"

class QLabel;
class QPushButton;

constexpr int kIdSetupIniFile = 101;
constexpr int kIdSetupDirectory = 102;
constexpr int kIdSetupUser = 103;
constexpr int kIdSetupStatus = 104;
constexpr int kIdSetupAddUser = 105;

class SetupWindow : public QDialog {
  Q_OBJECT
 public:
  explicit SetupWindow(const std::string& iniFile, QWidget* parent = nullptr);

  // Looks at the settings, the directory and the name list again.
  void Refresh();
  // The "&Add to Name List" button.
  void AddUser();

 private:
  std::string iniFile_;
  QLabel* directory_;
  QLabel* user_;
  QLabel* status_;
  QPushButton* add_;
};
