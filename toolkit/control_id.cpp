#include "toolkit/control_id.h"

#include <QVariant>

namespace {
constexpr char kProperty[] = "controlId";
}

void SetControlId(QWidget* control, int id) {
  control->setProperty(kProperty, id);
}

int ControlId(const QWidget* control) {
  QVariant v = control->property(kProperty);
  return v.isValid() ? v.toInt() : -1;
}

QWidget* FindControl(const QWidget* root, int id) {
  if (!root) return nullptr;
  if (ControlId(root) == id) return const_cast<QWidget*>(root);
  const QList<QWidget*> all = root->findChildren<QWidget*>();
  for (QWidget* w : all) {
    if (ControlId(w) == id) return w;
  }
  return nullptr;
}
