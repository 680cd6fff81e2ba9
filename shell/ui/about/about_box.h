// The Setup menu's "&About...": the program's version and the data
// directory this workstation works in.
#pragma once

#include <QString>

#include "toolkit/base_dialog.h"

constexpr int kIdAboutVersion = 101;
constexpr int kIdAboutDirectory = 102;

// "Version 0.1": the version the program was built as.
QString ProgramVersionText();

class TAboutClass : public TBaseDialog {
  Q_OBJECT
 public:
  // directory: the data directory as the program uses it (a path).
  TAboutClass(QWidget* owner, const QString& directory);
};

// Opens the About box for the current data directory, modal.
void ShowAbout(QWidget* owner);
