// The windows behind the Qt prompt service. Each box is built by a function
// or class of its own, so tests can look at a box (caption, buttons, the
// default button) and drive the modeless ones without running a modal loop.
#pragma once

#include <QDialog>
#include <QMessageBox>
#include <QWidget>
#include <memory>

#include "toolkit/modeless.h"
#include "toolkit/prompts.h"

class QLabel;
class QListWidget;
class QPushButton;

enum class BoxKind { Information, Question, RetryCancel, Assert };

// A message box of the kind, ready to exec: captions "DESKpost", "Error" or
// "Assert", the icon and buttons of its kind, No the default of a question.
std::unique_ptr<QMessageBox> MakeMessageBox(BoxKind kind, const QString& text,
                                            const QString& caption = QString(),
                                            QWidget* owner = nullptr);

// "Confirm": "&Yes" (600), "&No" (601), "Y&es to All" (602), "N&o to All"
// (603); the dialog's result is the id pressed, 0 when closed.
class YesNoAllBox : public QDialog {
  Q_OBJECT
 public:
  YesNoAllBox(const QString& text, QWidget* owner);
};

// Two options: buttons 601 and 602 with the caller's texts; result 1 or 2,
// 0 when closed.
class OptionBox : public QDialog {
  Q_OBJECT
 public:
  OptionBox(const QString& caption, const QString& text, const QString& first,
            const QString& second, QWidget* owner);
};

// Pick list: list (control 101), OK and Cancel. Result: the chosen row + 1,
// 0 for none. OK without a selection says "Nothing selected." and stays;
// a double click is OK; losing the activation is Cancel.
class PickListBox : public QDialog {
  Q_OBJECT
 public:
  PickListBox(const QString& caption, const QStringList& items, int first, QWidget* owner);
  QListWidget* List() const { return list_; }
  void Ok();
  // The first answer stands: hiding the box on OK takes its activation,
  // which must not turn the answer into Cancel.
  void done(int result) override;

 protected:
  void changeEvent(QEvent* e) override;

 private:
  QListWidget* list_;
  bool asking_ = false;
  bool answered_ = false;
};

// The flash notice: one borderless line; it goes at a mouse click in it,
// when it loses the activation, or on Escape.
class FlashBox : public QWidget {
  Q_OBJECT
 public:
  FlashBox(const QString& text, QWidget* owner);

 protected:
  void mousePressEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void changeEvent(QEvent* e) override;
};

// The working notice: one borderless line while a long action runs.
class WorkingBox : public QWidget {
  Q_OBJECT
 public:
  WorkingBox(const QString& text, QWidget* owner);
};

// The bar of the progress box (control 102): filled in the highlight colour
// to done/total of its width.
class ProgressBar : public QWidget {
  Q_OBJECT
 public:
  explicit ProgressBar(QWidget* parent);
  void SetFraction(int32_t done, int32_t total);
  QSize sizeHint() const override { return QSize(240, 18); }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  int32_t done_ = 0, total_ = 0;
};

// "Progress...": the bar, the line "%s...%ld%" and Cancel. Redrawn only when
// the whole percentage changes.
class ProgressBox : public QDialog {
  Q_OBJECT
 public:
  explicit ProgressBox(QWidget* owner);
  // Shows one step; answers false when Cancel was pressed.
  void Show(const ProgressStep& step);
  bool Cancelled() const { return cancelled_; }
  // How often the box asked to be redrawn (the percentage changed).
  int Redraws() const { return redraws_; }
  QString Line() const;

 private:
  ProgressBar* bar_;
  QLabel* label_;
  QLabel* line_;
  QPushButton* cancel_;
  int percent_ = -1;
  int redraws_ = 0;
  bool cancelled_ = false;
};

// The moving block of the searching box (control 102): one of the
// positions 0 to 27 along the box.
class SearchBlock : public QWidget {
  Q_OBJECT
 public:
  explicit SearchBlock(QWidget* parent);
  void SetPosition(int p);
  int Position() const { return position_; }
  QSize sizeHint() const override { return QSize(28 * 8, 14); }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  int position_ = 0;
};

// "Searching...": the block moves to and fro, one step whenever at least two
// 55 ms ticks passed since the last one.
class SearchingBox : public QDialog {
  Q_OBJECT
 public:
  explicit SearchingBox(QWidget* owner);
  // Moves the block when it is time; false once Cancel was pressed.
  bool Step();
  int Position() const { return block_->Position(); }

 private:
  SearchBlock* block_;
  int32_t lastTick_;
  int direction_ = 1;
  bool cancelled_ = false;
};

// The prompt service on real Qt windows.
class QtPromptService : public PromptService {
 public:
  QtPromptService();
  ~QtPromptService() override;
  void Inform(const QString& text, const QString& caption = "DESKpost") override;
  bool AskYesNo(const QString& text, const QString& caption = "DESKpost") override;
  bool AskRetryCancel(const QString& text) override;
  void CheckFailed(const QString& text) override;
  int YesNoAll(const QString& text) override;
  int OptionPrompt(const QString& caption, const QString& text, const QString& first,
                   const QString& second) override;
  int PickList(const QString& caption, const QStringList& items, int first) override;
  void Flash(const QString& text) override;
  void Working(bool on, const QString& text = QString()) override;
  int Progress(const ProgressStep& step) override;
  int Searching(bool finished) override;

  // The open modeless boxes (tests drive them).
  ProgressBox* ProgressWindow() const { return progress_.get(); }
  SearchingBox* SearchingWindow() const { return searching_.get(); }
  WorkingBox* WorkingWindow() const { return working_.get(); }
  int WorkingDepth() const { return workingDepth_; }

 private:
  int ShowBox(BoxKind kind, const QString& text, const QString& caption = QString());
  // Lets the open box see its waiting input (Cancel above all) once a tick:
  // a search calls in for every entry it reads, and the event loop each
  // time cost more than the search itself.
  void PumpEventsOncePerTick(bool boxJustOpened);

  int32_t pumpedAt_ = 0;

  std::unique_ptr<ProgressBox> progress_;
  std::unique_ptr<ModelessDisabled> progressDisabled_;
  std::unique_ptr<SearchingBox> searching_;
  std::unique_ptr<WorkingBox> working_;
  int workingDepth_ = 0;
};
