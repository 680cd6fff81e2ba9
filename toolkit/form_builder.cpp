#include "toolkit/form_builder.h"

#include <QFontMetrics>
#include <QVBoxLayout>

#include "toolkit/base_dialog.h"
#include "toolkit/control_id.h"

FormBuilder::FormBuilder(QWidget* dialog) : dialog_(dialog) {
  auto* column = new QVBoxLayout(dialog);
  form_ = new QFormLayout;
  buttons_ = new QHBoxLayout;
  buttons_->addStretch();
  column->addLayout(form_);
  column->addLayout(buttons_);
}

void FormBuilder::Row(const QString& label, QWidget* widget, int id) {
  SetControlId(widget, id);
  if (label.isEmpty()) {
    form_->addRow(widget);
  } else {
    form_->addRow(label, widget);
  }
}

FieldLineEdit* FormBuilder::Edit(const QString& label, int id, int widthChars) {
  auto* e = new FieldLineEdit(dialog_);
  if (widthChars > 0) e->setMinimumWidth(e->fontMetrics().horizontalAdvance('M') * widthChars);
  Row(label, e, id);
  return e;
}

FieldTextEdit* FormBuilder::MultiLine(const QString& label, int id, int lines) {
  auto* e = new FieldTextEdit(dialog_);
  e->setMinimumHeight(e->fontMetrics().lineSpacing() * lines + 8);
  e->setTabChangesFocus(true);
  Row(label, e, id);
  return e;
}

QComboBox* FormBuilder::Combo(const QString& label, int id) {
  auto* c = new QComboBox(dialog_);
  Row(label, c, id);
  return c;
}

QCheckBox* FormBuilder::CheckBox(const QString& text, int id) {
  auto* c = new QCheckBox(text, dialog_);
  Row(QString(), c, id);
  return c;
}

BitmapButton* FormBuilder::Bitmap(const QString& label, int id) {
  auto* b = new BitmapButton(dialog_);
  Row(label, b, id);
  return b;
}

QPushButton* FormBuilder::Button(const QString& text, int id) {
  auto* b = new QPushButton(text, dialog_);
  b->setAutoDefault(false);
  SetControlId(b, id);
  buttons_->addWidget(b);
  return b;
}

void FormBuilder::OkCancel(TBaseDialog* dialog) {
  QPushButton* ok = Button("OK", kIdOk);
  ok->setDefault(true);
  QPushButton* cancel = Button("Cancel", kIdCancel);
  QObject::connect(ok, &QPushButton::clicked, dialog, [dialog] { dialog->Ok(); });
  QObject::connect(cancel, &QPushButton::clicked, dialog, [dialog] { dialog->reject(); });
}
