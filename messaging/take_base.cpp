#include "messaging/take_base.h"

#include <QFrame>
#include <QPushButton>
#include <QVBoxLayout>

#include "toolkit/control_id.h"

TTakeMessageBaseClass::TTakeMessageBaseClass(QWidget* owner, char kind, const QString& caption)
    : TBaseDialog(owner, caption), kind_(kind) {}

void TTakeMessageBaseClass::reject() {
  // Hidden, not destroyed: the form waits for its writer.
  CloseWith(0);
}

QVBoxLayout* TTakeMessageBaseClass::BuildKindButtons() {
  auto* kinds = new QVBoxLayout;
  const struct {
    const char* text;
    int id;
    char kind;
  } kindButtons[] = {{"&Phone", kIdKindPhone, kTakePhone},
                     {"&Memo", kIdKindMemo, kTakeMemo},
                     {"&Email", kIdKindEmail, kTakeEmail}};
  for (const auto& k : kindButtons) {
    // The window's own kind is framed.
    auto* frame = new QFrame(this);
    frame->setFrameStyle(k.kind == kind_ ? QFrame::Box | QFrame::Plain : QFrame::NoFrame);
    frame->setLineWidth(2);
    auto* inFrame = new QVBoxLayout(frame);
    inFrame->setContentsMargins(4, 4, 4, 4);
    auto* b = new QPushButton(k.text, frame);
    b->setAutoDefault(false);
    b->setMinimumSize(48, 40);
    SetControlId(b, k.id);
    inFrame->addWidget(b);
    kinds->addWidget(frame);
    const char wanted = k.kind;
    connect(b, &QPushButton::clicked, this, [this, wanted] {
      if (wanted != kind_) emit KindRequested(wanted);
    });
  }
  kinds->addStretch();
  return kinds;
}
