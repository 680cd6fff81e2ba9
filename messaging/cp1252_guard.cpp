#include "messaging/cp1252_guard.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "toolkit/prompts.h"
#include "toolkit/record_text.h"

namespace {

class Cp1252Guard : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress) {
      const QString text = static_cast<QKeyEvent*>(event)->text();
      if (!text.isEmpty() && !FitsCp1252(text)) {
        Prompter().Flash(QString("The character \"%1\" cannot be stored.").arg(text));
        return true;
      }
    }
    return QObject::eventFilter(watched, event);
  }
};

}  // namespace

void GuardCp1252(QWidget* window) {
  auto* guard = new Cp1252Guard(window);
  for (QLineEdit* e : window->findChildren<QLineEdit*>()) e->installEventFilter(guard);
  for (QPlainTextEdit* e : window->findChildren<QPlainTextEdit*>()) e->installEventFilter(guard);
}
