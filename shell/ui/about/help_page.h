// F1 and the toolbar's Help button: the user's help page that ships with
// the program (deskpost.html), opened in the desktop's own viewer.
#pragma once

#include <QCoreApplication>
#include <QString>
#include <QUrl>
#include <functional>

constexpr char kHelpPageName[] = "deskpost.html";

// The help page: "help/deskpost.html" beside the program (a build tree),
// else the installed one ("../share/doc/deskpost/deskpost.html" from the
// program, then the installation prefix the program was built for); empty
// when there is none.
QString HelpPagePath(const QString& programDir = QCoreApplication::applicationDirPath());

// Opens a URL in the desktop's viewer; true when it did.
using UrlOpener = std::function<bool(const QUrl&)>;
// The desktop service's OpenUrl (toolkit/desktop.h).
UrlOpener DesktopUrlOpener();

// Opens the help page; a page that cannot be found or opened is reported
// and answers false.
bool ShowHelp(const UrlOpener& open = DesktopUrlOpener(),
              const QString& programDir = QCoreApplication::applicationDirPath());
