// Run Setup: starts the office's setup program, dpsetup, with the INI
// file's name, so the administrator can see the settings this workstation
// starts with and add a user missing from the name list.
//
// The data layer names "<data directory>SETUP.EXE"; here the setup program
// is dpsetup, installed beside deskpost, so that is what is started. How a
// program is started is injected, so tests see the command instead.
#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <functional>
#include <string>

#include "data/office/startup_prompts.h"

constexpr char kSetupProgramName[] = "dpsetup";

// Starts a program in the background; true when it started.
using ProgramStarter = std::function<bool(const QString& program, const QStringList& arguments)>;
// QProcess::startDetached: the setup program outlives DESKpost.
ProgramStarter DetachedStarter();

// dpsetup beside the running program (programDir), else the one on PATH;
// empty when there is none.
QString FindSetupProgram(const QString& programDir);

class DpsetupLauncher : public SetupLauncher {
 public:
  // programDir: where deskpost runs from (QCoreApplication's
  // applicationDirPath() in the program).
  DpsetupLauncher(ProgramStarter starter, QString programDir);
  // Starts dpsetup with the INI file's name; a setup program that cannot be
  // found or started is reported ("Could not start the Setup program.")
  // and answers false.
  bool Launch(const std::string& program, const std::string& iniFile) override;

 private:
  ProgramStarter starter_;
  QString programDir_;
};
