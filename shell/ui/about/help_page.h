// Where the user's help page that ships with the program (deskpost.html)
// is; F1 and the toolbar's Help button open it through toolkit/help.h.
#pragma once

#include <QCoreApplication>
#include <QString>

constexpr char kHelpPageName[] = "deskpost.html";

// The help page: "help/deskpost.html" beside the program (a build tree),
// else the installed one ("../share/doc/deskpost/deskpost.html" from the
// program, then the installation prefix the program was built for); empty
// when there is none.
QString HelpPagePath(const QString& programDir = QCoreApplication::applicationDirPath());
