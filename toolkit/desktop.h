// The one road to the desktop's own windows and programs: the file dialogs
// and handing a file or URL (a tel: number, a help page, an attachment) to
// the desktop's default program. Feature code asks Desktop(); the program
// installs the Qt implementation, tests install ScriptedDesktop, which
// answers file dialogs from a script and records every request, so no test
// opens a real dialog or starts a real program.
#pragma once

#include <QString>
#include <QUrl>

class DesktopService {
 public:
  virtual ~DesktopService() = default;

  // The open-file dialog: the chosen path, or empty for Cancel. filter is
  // Qt's form ("Text files (*.txt);;All files (*)").
  virtual QString OpenFileName(const QString& caption, const QString& folder,
                               const QString& filter) = 0;
  // The save-file dialog, starting at suggested (a path or a bare name); the
  // chosen path, or empty for Cancel. The dialog itself asks before
  // replacing an existing file.
  virtual QString SaveFileName(const QString& caption, const QString& suggested,
                               const QString& filter) = 0;
  // As SaveFileName, for a caller that asks its own question before
  // replacing an existing file: the dialog does not ask.
  virtual QString SaveFileNameUnconfirmed(const QString& caption, const QString& suggested,
                                          const QString& filter) {
    return SaveFileName(caption, suggested, filter);
  }
  // A folder; empty for Cancel.
  virtual QString FolderName(const QString& caption, const QString& folder) = 0;
  // Hands url to the desktop's default program; false when none took it.
  virtual bool OpenUrl(const QUrl& url) = 0;
};

// The desktop in use: the installed one, else the Qt implementation.
DesktopService& Desktop();
// Installs a desktop (nullptr: back to Qt). The caller keeps it alive while
// installed.
void SetDesktop(DesktopService* desktop);
