#include "shell/ui/button_bars.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>

#include "shell/ui/command_ids.h"
#include "shell/ui/pictures.h"
#include "toolkit/control_id.h"

namespace {

struct FullButton {
  int command;
  const char* label;
};
constexpr FullButton kFullButtons[] = {
    {kCmdHelp, "Help"},           {kCmdTake, "Take a message"}, {kCmdView, "View messages"},
    {kCmdPhoneList, "PhoneList"}, {kCmdScheduler, "Scheduler"}, {kCmdTodo, "To-do list"},
    {kCmdToolbar, "Toolbar"},     {kCmdExit, "Exit"},
};

// The label without its '&' mnemonic marker, for the tooltip.
QString Plain(const QString& label) {
  QString text = label;
  text.remove('&');
  return text;
}

}  // namespace

QToolButton* MakeBarButton(QWidget* parent, int command, const QString& label,
                           const CommandCallback& onPress) {
  auto* button = new QToolButton(parent);
  SetControlId(button, command);
  button->setText(label);
  button->setToolTip(Plain(label));
  button->setIcon(QIcon(ButtonPicture(command)));
  button->setIconSize(QSize(32, 32));
  button->setToolButtonStyle(Qt::ToolButtonIconOnly);
  button->setFixedSize(kToolbarButtonSize, kToolbarButtonSize);
  button->setFocusPolicy(Qt::StrongFocus);
  QObject::connect(button, &QToolButton::clicked, button, [onPress, command] { onPress(command); });
  return button;
}

FullPage::FullPage(QWidget* parent, const CommandCallback& onPress) : QWidget(parent) {
  setObjectName("FullPage");
  bar_ = new QWidget(this);
  bar_->setObjectName("FULLTOOLBAR");
  bar_->setAutoFillBackground(true);
  auto* row = new QHBoxLayout(bar_);
  row->setContentsMargins(2, 2, 2, 2);
  row->setSpacing(2);
  for (const FullButton& b : kFullButtons)
    row->addWidget(MakeBarButton(bar_, b.command, b.label, onPress));
  row->addStretch(1);
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->addWidget(bar_);
  column->addStretch(1);
}

void FullPage::paintEvent(QPaintEvent*) {
  // Centred on the screen rather than on the window, as the office knows
  // it; a window moved aside shows part of it or none.
  const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
  const QPoint screenCentre = screen ? screen->geometry().center() : rect().center();
  const QPoint centre = isVisible() ? mapFromGlobal(screenCentre) : rect().center();
  QPainter p(this);
  p.drawPixmap(centre.x() - kCentrePictureWidth / 2, centre.y() - kCentrePictureHeight / 2,
               CentrePicture());
}

QString FloatToolbarName(int shape) {
  switch (shape) {
    case kShapeSquare:
      return "FLOATTOOLBAR";
    case kShapeVertical:
      return "VFLOATTOOLBAR";
    default:
      return "HFLOATTOOLBAR";
  }
}

FloatToolbar::FloatToolbar(QWidget* parent, int shape, const ToolbarLayout& layout,
                           const CommandCallback& onPress)
    : QWidget(parent) {
  setObjectName(FloatToolbarName(shape));
  for (const ToolbarButton& b : layout.buttons) {
    QToolButton* button =
        MakeBarButton(this, b.controlId, QString::fromStdString(b.label), onPress);
    // The FULL button's tooltip names what it does.
    if (b.controlId == kCmdFull) button->setToolTip("Full application");
    button->setProperty("resourceId", b.resourceId);
    button->move(b.x, b.y);
  }
  setFixedSize(layout.width, layout.height);
}

void SetButtonLit(QAbstractButton* button, const QString& colour) {
  if (button == nullptr) return;
  button->setProperty("blink", colour);
  button->setStyleSheet(colour.isEmpty() ? QString()
                                         : QString("QToolButton { background-color: %1; }")
                                               .arg(colour == "red" ? "#e03030" : "#30b040"));
}
