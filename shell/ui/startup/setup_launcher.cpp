#include "shell/ui/startup/setup_launcher.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include "toolkit/prompts.h"
#include "toolkit/record_text.h"

ProgramStarter DetachedStarter() {
  return [](const QString& program, const QStringList& arguments) {
    return QProcess::startDetached(program, arguments);
  };
}

QString FindSetupProgram(const QString& programDir) {
  const QFileInfo beside(QDir(programDir), kSetupProgramName);
  if (beside.isFile() && beside.isExecutable()) return beside.absoluteFilePath();
  return QStandardPaths::findExecutable(kSetupProgramName);
}

DpsetupLauncher::DpsetupLauncher(ProgramStarter starter, QString programDir)
    : starter_(std::move(starter)), programDir_(std::move(programDir)) {}

bool DpsetupLauncher::Launch(const std::string&, const std::string& iniFile) {
  const QString program = FindSetupProgram(programDir_);
  // The INI file's name is a file system path, not record text.
  const QString ini = QString::fromLocal8Bit(iniFile.c_str());
  if (program.isEmpty() || !starter_ || !starter_(program, {ini})) {
    Prompter().Inform("Could not start the Setup program.");
    return false;
  }
  return true;
}
