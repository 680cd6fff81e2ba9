#include "toolkit/prompt_windows.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "storage/check.h"
#include "storage/lockwait.h"
#include "toolkit/control_id.h"

namespace {

QWidget* ActiveOwner() {
  return QApplication::activeWindow();
}

QPushButton* AddButton(QDialog* box, QHBoxLayout* row, const QString& text, int id) {
  auto* b = new QPushButton(text, box);
  b->setAutoDefault(false);
  SetControlId(b, id);
  row->addWidget(b);
  QObject::connect(b, &QPushButton::clicked, box, [box, id] { box->done(id); });
  return b;
}

}  // namespace

std::unique_ptr<QMessageBox> MakeMessageBox(BoxKind kind, const QString& text,
                                            const QString& caption, QWidget* owner) {
  auto box = std::make_unique<QMessageBox>(owner);
  box->setText(text);
  switch (kind) {
    case BoxKind::Information:
      box->setWindowTitle(caption.isEmpty() ? "DESKpost" : caption);
      box->setIcon(QMessageBox::Information);
      box->setStandardButtons(QMessageBox::Ok);
      break;
    case BoxKind::Question:
      box->setWindowTitle("DESKpost");
      box->setIcon(QMessageBox::Warning);
      box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      box->setDefaultButton(QMessageBox::No);
      box->setEscapeButton(QMessageBox::No);
      break;
    case BoxKind::RetryCancel:
      box->setWindowTitle("Error");
      box->setIcon(QMessageBox::Warning);
      box->setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel);
      box->setEscapeButton(QMessageBox::Cancel);
      break;
    case BoxKind::Assert:
      box->setWindowTitle("Assert");
      box->setIcon(QMessageBox::Critical);
      box->setStandardButtons(QMessageBox::Ok);
      break;
  }
  return box;
}

YesNoAllBox::YesNoAllBox(const QString& text, QWidget* owner) : QDialog(owner) {
  setWindowTitle("Confirm");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(text, this));
  auto* row = new QHBoxLayout;
  layout->addLayout(row);
  AddButton(this, row, "&Yes", kIdYes)->setDefault(true);
  AddButton(this, row, "&No", kIdNo);
  AddButton(this, row, "Y&es to All", kIdYesToAll);
  AddButton(this, row, "N&o to All", kIdNoToAll);
}

OptionBox::OptionBox(const QString& caption, const QString& text, const QString& first,
                     const QString& second, QWidget* owner)
    : QDialog(owner) {
  setWindowTitle(caption);
  auto* layout = new QVBoxLayout(this);
  if (!text.isEmpty()) {
    // A sentence as long as NAME_ERROR's wraps instead of stretching the
    // box across the screen.
    auto* label = new QLabel(text, this);
    label->setWordWrap(true);
    label->setMinimumWidth(label->fontMetrics().averageCharWidth() * 60);
    layout->addWidget(label);
  }
  auto* row = new QHBoxLayout;
  layout->addLayout(row);
  auto* a = AddButton(this, row, first, 601);
  auto* b = AddButton(this, row, second, 602);
  a->setDefault(true);
  disconnect(a, nullptr, this, nullptr);
  disconnect(b, nullptr, this, nullptr);
  connect(a, &QPushButton::clicked, this, [this] { done(1); });
  connect(b, &QPushButton::clicked, this, [this] { done(2); });
}

PickListBox::PickListBox(const QString& caption, const QStringList& items, int first,
                         QWidget* owner)
    : QDialog(owner) {
  setWindowTitle(caption);
  auto* layout = new QVBoxLayout(this);
  list_ = new QListWidget(this);
  SetControlId(list_, 101);
  // The box has no label: its list is read under the box's caption.
  list_->setAccessibleName(caption);
  list_->addItems(items);
  if (first < 0 || first >= items.size()) first = 0;
  if (!items.isEmpty()) list_->setCurrentRow(first);
  layout->addWidget(list_);
  auto* row = new QHBoxLayout;
  layout->addLayout(row);
  auto* ok = new QPushButton("OK", this);
  SetControlId(ok, kIdOk);
  ok->setDefault(true);
  auto* cancel = new QPushButton("Cancel", this);
  SetControlId(cancel, kIdCancel);
  row->addWidget(ok);
  row->addWidget(cancel);
  connect(ok, &QPushButton::clicked, this, &PickListBox::Ok);
  connect(cancel, &QPushButton::clicked, this, [this] { done(0); });
  connect(list_, &QListWidget::itemDoubleClicked, this, &PickListBox::Ok);
}

void PickListBox::Ok() {
  // The selected row: a screen reader selects a row without making it
  // the current one.
  const QList<QListWidgetItem*> selected = list_->selectedItems();
  const int row = selected.isEmpty() ? -1 : list_->row(selected.first());
  if (row < 0) {
    asking_ = true;
    Prompter().Inform("Nothing selected.");
    asking_ = false;
    return;
  }
  done(row + 1);
}

void PickListBox::done(int result) {
  if (answered_) return;
  answered_ = true;
  QDialog::done(result);
}

void PickListBox::changeEvent(QEvent* e) {
  QDialog::changeEvent(e);
  if (e->type() == QEvent::ActivationChange && isVisible() && !isActiveWindow() && !asking_) {
    done(0);
  }
}

FlashBox::FlashBox(const QString& text, QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint) {
  setAttribute(Qt::WA_DeleteOnClose);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(new QLabel(text, this));
  setAutoFillBackground(true);
}

void FlashBox::mousePressEvent(QMouseEvent*) {
  close();
}

void FlashBox::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Escape) close();
}

void FlashBox::changeEvent(QEvent* e) {
  QWidget::changeEvent(e);
  if (e->type() == QEvent::ActivationChange && isVisible() && !isActiveWindow()) close();
}

WorkingBox::WorkingBox(const QString& text, QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint) {
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(new QLabel(text, this));
  setAutoFillBackground(true);
}

ProgressBar::ProgressBar(QWidget* parent) : QWidget(parent) {
  SetControlId(this, 102);
}

void ProgressBar::SetFraction(int32_t done, int32_t total) {
  done_ = done;
  total_ = total;
}

void ProgressBar::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().color(QPalette::Base));
  if (total_ > 0) {
    int64_t w = int64_t(width()) * std::clamp<int64_t>(done_, 0, total_) / total_;
    p.fillRect(QRect(0, 0, int(w), height()), palette().color(QPalette::Highlight));
  }
  p.setPen(palette().color(QPalette::WindowText));
  p.drawRect(rect().adjusted(0, 0, -1, -1));
}

ProgressBox::ProgressBox(QWidget* owner) : QDialog(owner) {
  setWindowTitle("Progress...");
  auto* layout = new QVBoxLayout(this);
  label_ = new QLabel(this);
  bar_ = new ProgressBar(this);
  line_ = new QLabel(this);
  cancel_ = new QPushButton("Cancel", this);
  SetControlId(cancel_, kIdCancel);
  layout->addWidget(label_);
  layout->addWidget(bar_);
  layout->addWidget(line_);
  layout->addWidget(cancel_, 0, Qt::AlignHCenter);
  connect(cancel_, &QPushButton::clicked, this, [this] { cancelled_ = true; });
}

void ProgressBox::Show(const ProgressStep& step) {
  if (!step.caption.isEmpty()) setWindowTitle(step.caption);
  cancel_->setEnabled(step.cancelAllowed);
  int percent =
      step.total > 0 ? int(int64_t(std::clamp(step.done, 0, step.total)) * 100 / step.total) : 0;
  if (percent != percent_ || label_->text() != step.label) {
    percent_ = percent;
    label_->setText(step.label);
    bar_->SetFraction(step.done, step.total);
    line_->setText(QString("%1...%2%").arg(step.label).arg(percent));
    ++redraws_;
    bar_->update();
  }
}

QString ProgressBox::Line() const {
  return line_->text();
}

SearchBlock::SearchBlock(QWidget* parent) : QWidget(parent) {
  SetControlId(this, 102);
}

void SearchBlock::SetPosition(int p) {
  position_ = p;
  update();
}

void SearchBlock::paintEvent(QPaintEvent*) {
  QPainter p(this);
  int step = std::max(1, width() / 28);
  p.fillRect(QRect(position_ * step, 0, step, height()), palette().color(QPalette::Highlight));
}

SearchingBox::SearchingBox(QWidget* owner) : QDialog(owner), lastTick_(Ticks().Now()) {
  setWindowTitle("Searching...");
  auto* layout = new QVBoxLayout(this);
  block_ = new SearchBlock(this);
  layout->addWidget(block_);
  auto* cancel = new QPushButton("Cancel", this);
  SetControlId(cancel, kIdCancel);
  layout->addWidget(cancel, 0, Qt::AlignHCenter);
  connect(cancel, &QPushButton::clicked, this, [this] { cancelled_ = true; });
}

bool SearchingBox::Step() {
  int32_t now = Ticks().Now();
  if (now - lastTick_ >= 2) {
    lastTick_ = now;
    int p = block_->Position() + direction_;
    if (p < 0 || p > 27) {
      direction_ = -direction_;
      p = block_->Position() + direction_;
    }
    block_->SetPosition(p);
  }
  return !cancelled_;
}

QtPromptService::QtPromptService() = default;
QtPromptService::~QtPromptService() {
  // The service used when none is installed lives until the program's
  // statics go, after the application object: its windows are gone with
  // the application by then and must not be deleted again.
  if (!QCoreApplication::instance()) {
    (void)progress_.release();
    (void)searching_.release();
    (void)working_.release();
  }
}

int QtPromptService::ShowBox(BoxKind kind, const QString& text, const QString& caption) {
  // The user answers the box first: no modeless window takes input meanwhile.
  ModelessDisabled disabled;
  auto box = MakeMessageBox(kind, text, caption, ActiveOwner());
  return box->exec();
}

void QtPromptService::Inform(const QString& text, const QString& caption) {
  ShowBox(BoxKind::Information, text, caption);
}

bool QtPromptService::AskYesNo(const QString& text, const QString& caption) {
  return ShowBox(BoxKind::Question, text, caption) == QMessageBox::Yes;
}

bool QtPromptService::AskRetryCancel(const QString& text) {
  return ShowBox(BoxKind::RetryCancel, text) == QMessageBox::Retry;
}

void QtPromptService::CheckFailed(const QString& text) {
  ShowBox(BoxKind::Assert, text);
}

int QtPromptService::YesNoAll(const QString& text) {
  ModelessDisabled disabled;
  YesNoAllBox box(text, ActiveOwner());
  int r = box.exec();
  return r >= kIdYes && r <= kIdNoToAll ? r : kIdNo;
}

int QtPromptService::OptionPrompt(const QString& caption, const QString& text, const QString& first,
                                  const QString& second) {
  ModelessDisabled disabled;
  OptionBox box(caption, text, first, second, ActiveOwner());
  return box.exec();
}

int QtPromptService::PickList(const QString& caption, const QStringList& items, int first) {
  ModelessDisabled disabled;
  PickListBox box(caption, items, first, ActiveOwner());
  return box.exec() - 1;
}

void QtPromptService::Flash(const QString& text) {
  // Deleted when it closes; the owner stays usable meanwhile.
  auto* box = new FlashBox(text, ActiveOwner());
  box->show();
  box->activateWindow();
}

void QtPromptService::Working(bool on, const QString& text) {
  if (on) {
    if (workingDepth_++ == 0) {
      working_ = std::make_unique<WorkingBox>(text, ActiveOwner());
      working_->show();
    }
  } else if (workingDepth_ > 0 && --workingDepth_ == 0) {
    working_.reset();
  }
}

void QtPromptService::PumpEventsOncePerTick(bool boxJustOpened) {
  const int32_t now = Ticks().Now();
  if (!boxJustOpened && now == pumpedAt_) return;
  pumpedAt_ = now;
  QCoreApplication::processEvents();
}

int QtPromptService::Progress(const ProgressStep& step) {
  const bool opening = !progress_;
  if (opening) {
    progress_ = std::make_unique<ProgressBox>(ActiveOwner());
    progressDisabled_ = std::make_unique<ModelessDisabled>(progress_.get());
    progress_->show();
  }
  PumpEventsOncePerTick(opening);
  if ((step.cancelAllowed && progress_->Cancelled()) || step.finished) {
    progress_.reset();
    progressDisabled_.reset();
    return 0;
  }
  progress_->Show(step);
  return 1;
}

int QtPromptService::Searching(bool finished) {
  const bool opening = !searching_;
  if (opening) {
    searching_ = std::make_unique<SearchingBox>(ActiveOwner());
    searching_->show();
  }
  PumpEventsOncePerTick(opening);
  if (finished || !searching_->Step()) {
    searching_.reset();
    return 0;
  }
  return 1;
}

namespace {
PromptService* installed = nullptr;
}

PromptService& Prompter() {
  if (installed) return *installed;
  static QtPromptService qt;
  return qt;
}

void SetPrompter(PromptService* prompts) {
  installed = prompts;
}

void InstallWindowCheckHandler() {
  SetCheckHandler([](const char* module, unsigned line) {
    Prompter().CheckFailed(QString::asprintf("Check failed: %s, line %u\n", module, line));
  });
}
