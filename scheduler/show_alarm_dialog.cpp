#include "scheduler/show_alarm_dialog.h"

#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "scheduler/sched_dialogs.h"
#include "toolkit/control_id.h"
#include "toolkit/record_text.h"

ShowAlarmDialog::ShowAlarmDialog(QWidget* owner, const AlarmState& alarm)
    : TBaseDialog(owner, FromCp1252(AlarmWindowTitle(alarm))) {
  setProperty("helpAnchor", "alarm");
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  const struct {
    const char* label;
    int id;
    const std::string& text;
  } rows[] = {{"Start:", kIdStart, alarm.startText}, {"End:", kIdEnd, alarm.endText}};
  for (const auto& r : rows) {
    auto* value = new QLabel(FromCp1252(r.text).trimmed(), this);
    SetControlId(value, r.id);
    // Read as its value; what it is comes as its description.
    value->setAccessibleDescription(PlainLabel(r.label));
    auto* label = new QLabel(r.label, this);
    label->setBuddy(value);
    form->addRow(label, value);
  }
  layout->addLayout(form);
  auto* description = new QLabel(FromCp1252(alarm.description), this);
  SetControlId(description, kIdDescription);
  description->setAccessibleDescription("Description");
  description->setWordWrap(true);
  layout->addWidget(description);
  auto* ok = new QPushButton("OK", this);
  SetControlId(ok, kIdOk);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, [this] { CloseWith(1); });
  layout->addWidget(ok, 0, Qt::AlignCenter);
  setMinimumWidth(260);
}
