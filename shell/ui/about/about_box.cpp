#include "shell/ui/about/about_box.h"

#include <QLabel>
#include <QPushButton>

#include "data/office/datadir.h"
#include "toolkit/control_id.h"
#include "toolkit/form_builder.h"

#ifndef DESKPOST_VERSION
#define DESKPOST_VERSION "unknown"
#endif

QString ProgramVersionText() {
  return QString("Version %1").arg(DESKPOST_VERSION);
}

TAboutClass::TAboutClass(QWidget* owner, const QString& directory)
    : TBaseDialog(owner, "About DESKpost") {
  setProperty("helpAnchor", "about");
  FormBuilder form(this);
  auto* name = new QLabel("<b>DESKpost</b>", this);
  form.Row(QString(), name, -1);
  auto* version = new QLabel(ProgramVersionText(), this);
  form.Row(QString(), version, kIdAboutVersion);
  auto* where = new QLabel(directory, this);
  where->setTextInteractionFlags(Qt::TextSelectableByMouse);
  form.Row("Data directory:", where, kIdAboutDirectory);
  QPushButton* ok = form.Button("OK", kIdOk);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, [this] { CloseWith(1); });
}

void ShowAbout(QWidget* owner) {
  TAboutClass about(owner, QString::fromLocal8Bit(DataDirectory().c_str()));
  about.OpenModal();
}
