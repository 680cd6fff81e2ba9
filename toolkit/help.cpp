#include "toolkit/help.h"

#include <QShortcut>
#include <QWidget>

#include "toolkit/desktop.h"
#include "toolkit/prompts.h"

namespace {

constexpr char kAnchorProperty[] = "helpAnchor";
constexpr char kHelpKeyName[] = "helpKey";

QString& Page() {
  static QString page;
  return page;
}

}  // namespace

void SetHelpPage(const QString& path) {
  Page() = path;
}

QString HelpPage() {
  return Page();
}

QUrl HelpUrl(const QString& anchor) {
  QUrl url = QUrl::fromLocalFile(Page());
  if (!anchor.isEmpty()) url.setFragment(anchor);
  return url;
}

bool OpenHelp(const QString& anchor) {
  if (Page().isEmpty()) {
    Prompter().Inform("The DESKpost help page could not be found.");
    return false;
  }
  if (!Desktop().OpenUrl(HelpUrl(anchor))) {
    Prompter().Inform(QString("Could not open the help page: %1").arg(Page()));
    return false;
  }
  return true;
}

void SetHelpAnchor(QWidget* window, const char* anchor) {
  window->setProperty(kAnchorProperty, QString(anchor));
  InstallHelpKey(window);
}

void InstallHelpKey(QWidget* window) {
  if (window->findChild<QShortcut*>(kHelpKeyName, Qt::FindDirectChildrenOnly)) return;
  // A window shortcut, so that only the active window answers F1 and each
  // window can open its own section, modal dialogs included.
  auto* key = new QShortcut(QKeySequence(Qt::Key_F1), window);
  key->setObjectName(kHelpKeyName);
  key->setContext(Qt::WindowShortcut);
  QObject::connect(key, &QShortcut::activated, window,
                   [window] { OpenHelp(HelpAnchor(window)); });
}

QString HelpAnchor(const QWidget* widget) {
  for (; widget; widget = widget->parentWidget()) {
    const QString anchor = widget->property(kAnchorProperty).toString();
    if (!anchor.isEmpty()) return anchor;
  }
  return QString();
}
