// Builds a dialog's controls in code: a column of labelled fields and a row
// of buttons below, each control carrying its control id. Dialogs then bind
// the fields by the same ids.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>

#include "toolkit/controls/field_widgets.h"
#include "toolkit/controls/owner_draw_button.h"

class TBaseDialog;

class FormBuilder {
 public:
  explicit FormBuilder(QWidget* dialog);

  FieldLineEdit* Edit(const QString& label, int id, int widthChars = 0);
  FieldTextEdit* MultiLine(const QString& label, int id, int lines = 4);
  QComboBox* Combo(const QString& label, int id);
  QCheckBox* CheckBox(const QString& text, int id);
  BitmapButton* Bitmap(const QString& label, int id);
  // A row of its own for any other widget.
  void Row(const QString& label, QWidget* widget, int id);
  // A button in the bottom row.
  QPushButton* Button(const QString& text, int id);
  // OK (id 1, the default) and Cancel (id 2) wired to the dialog's Ok()
  // and its close with result 0.
  void OkCancel(TBaseDialog* dialog);

 private:
  QWidget* dialog_;
  QFormLayout* form_;
  QHBoxLayout* buttons_;
};
