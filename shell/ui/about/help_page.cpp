#include "shell/ui/about/help_page.h"

#include <QDir>
#include <QFileInfo>

#include "toolkit/desktop.h"
#include "toolkit/prompts.h"

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

UrlOpener DesktopUrlOpener() {
  return [](const QUrl& url) { return Desktop().OpenUrl(url); };
}

bool ShowHelp(const UrlOpener& open, const QString& programDir) {
  const QString page = HelpPagePath(programDir);
  if (page.isEmpty()) {
    Prompter().Inform("The DESKpost help page could not be found.");
    return false;
  }
  if (!open || !open(QUrl::fromLocalFile(page))) {
    Prompter().Inform(QString("Could not open the help page: %1").arg(page));
    return false;
  }
  return true;
}
