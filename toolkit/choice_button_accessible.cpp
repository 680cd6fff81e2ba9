#include "toolkit/choice_button_accessible.h"

#include <QAccessibleWidget>
#include <QCheckBox>
#include <QRadioButton>

namespace {

class ChoiceButtonAccessible : public QAccessibleWidget {
 public:
  ChoiceButtonAccessible(QAbstractButton* button, QAccessible::Role role)
      : QAccessibleWidget(button, role) {}

  QString text(QAccessible::Text t) const override {
    if (t != QAccessible::Name) return QAccessibleWidget::text(t);
    // Its own name, else its caption without the shortcut mark ("&&" is a
    // literal "&"), never the group it stands in.
    QString text = Button()->accessibleName();
    if (text.isEmpty()) {
      text = Button()->text();
      text.replace("&&", QString(QChar(0x1)));
      text.remove('&');
      text.replace(QChar(0x1), "&");
    }
    return text;
  }

  QAccessible::State state() const override {
    QAccessible::State state = QAccessibleWidget::state();
    state.checkable = true;
    state.checked = Button()->isChecked();
    if (auto* box = qobject_cast<QCheckBox*>(Button()))
      state.checkStateMixed = box->checkState() == Qt::PartiallyChecked;
    return state;
  }

  QStringList actionNames() const override {
    QStringList names;
    if (widget()->isEnabled()) names << toggleAction() << pressAction();
    return names << QAccessibleWidget::actionNames();
  }

  void doAction(const QString& action) override {
    if (!widget()->isEnabled()) return;
    if (action == toggleAction() || action == pressAction())
      Button()->click();
    else
      QAccessibleWidget::doAction(action);
  }

 private:
  QAbstractButton* Button() const { return static_cast<QAbstractButton*>(widget()); }
};

QAccessibleInterface* Factory(const QString& className, QObject* object) {
  if (!object || !object->isWidgetType()) return nullptr;
  if (className == QLatin1String("QCheckBox"))
    return new ChoiceButtonAccessible(static_cast<QAbstractButton*>(object), QAccessible::CheckBox);
  if (className == QLatin1String("QRadioButton"))
    return new ChoiceButtonAccessible(static_cast<QAbstractButton*>(object),
                                      QAccessible::RadioButton);
  return nullptr;
}

}  // namespace

void InstallChoiceButtonAccessibility() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  QAccessible::installFactory(Factory);
}
