// F1: every window names its section of the user's help page (an anchor
// such as "take-message"), and F1 in that window opens the page there. A
// window without a section of its own opens its owner's; a window with no
// owner that has one opens the page at its top. The page goes to the
// desktop's viewer through Desktop().OpenUrl, so a test records the address
// instead of opening it.
#pragma once

#include <QString>
#include <QUrl>

class QWidget;

// The help page the program ships with (a local file); the program sets it
// at start. Empty: none was found, and F1 says so.
void SetHelpPage(const QString& path);
QString HelpPage();

// The address F1 opens for a section: the page with the anchor as its
// fragment, or the page alone for an empty anchor.
QUrl HelpUrl(const QString& anchor);

// Opens the help page at a section; a page that is missing or that the
// desktop refuses is reported. True when the desktop took it.
bool OpenHelp(const QString& anchor = QString());

// A window names its section in the dynamic property "helpAnchor":
//
//   setProperty("helpAnchor", "take-message");
//
// and every dialog gets its F1 key as it opens (TBaseDialog). A window of
// another kind names its section here, which also gives it the key.
void SetHelpAnchor(QWidget* window, const char* anchor);
// Gives a window the F1 key; a second call changes nothing.
void InstallHelpKey(QWidget* window);
// The section F1 opens for widget: its own anchor, else its nearest
// owner's; empty when none has one.
QString HelpAnchor(const QWidget* widget);
