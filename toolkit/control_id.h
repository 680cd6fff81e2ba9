// Every control of a dialog carries its numeric control id as the dynamic
// property "controlId", so bindings, the dialog's command routing and tests
// find a control by the same number.
#pragma once

#include <QWidget>

// The two ids every dialog knows: OK and Cancel.
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;

void SetControlId(QWidget* control, int id);
// The control's id, or -1 when it has none.
int ControlId(const QWidget* control);
// The control with the id among root's descendants (root itself included),
// or nullptr.
QWidget* FindControl(const QWidget* root, int id);

template <class W>
W* FindControlAs(const QWidget* root, int id) {
  return qobject_cast<W*>(FindControl(root, id));
}
