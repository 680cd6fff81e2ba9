#include "toolkit/accessible_names.h"

#include <QLabel>
#include <QWidget>

void NameControlsByLabels(QWidget* window) {
  for (QLabel* label : window->findChildren<QLabel*>()) {
    QWidget* buddy = label->buddy();
    if (!buddy || !buddy->accessibleName().isEmpty()) continue;
    QString text = label->text();
    // "&&" is a literal ampersand; a single one marks the shortcut.
    text.replace("&&", QString(QChar(0x1)));
    text.remove('&');
    text.replace(QChar(0x1), "&");
    buddy->setAccessibleName(text);
  }
}
