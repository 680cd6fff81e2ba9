#include "shell/ui/about/help_page.h"

#include <QDir>
#include <QFileInfo>


#ifndef DESKPOST_INSTALLED_HELP
#define DESKPOST_INSTALLED_HELP ""
#endif

QString HelpPagePath(const QString& programDir) {
  const QDir dir(programDir);
  const QString candidates[] = {
      dir.filePath(QString("help/") + kHelpPageName),
      dir.filePath(QString("../share/doc/deskpost/") + kHelpPageName),
      QString(DESKPOST_INSTALLED_HELP),
  };
  for (const QString& path : candidates) {
    if (path.isEmpty()) continue;
    const QFileInfo page(path);
    if (page.isFile() && page.isReadable()) return page.absoluteFilePath();
  }
  return QString();
}
