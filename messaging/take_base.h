// What the three Take windows share: their kind, the question asked before
// an unsent one is dropped, the time field the main window's timer keeps
// current, the kind buttons beside the form (the window's own kind framed,
// another kind asking for its window), and Close hiding rather than
// destroying, so an unsent message waits for its writer.
#pragma once

#include <QString>

#include "toolkit/base_dialog.h"

class QVBoxLayout;

constexpr char kTakePhone = 'P';
constexpr char kTakeMemo = 'M';
constexpr char kTakeEmail = 'E';

class TTakeMessageBaseClass : public TBaseDialog {
  Q_OBJECT
 public:
  static constexpr int kIdKindPhone = 222;
  static constexpr int kIdKindMemo = 223;
  static constexpr int kIdKindEmail = 224;

  TTakeMessageBaseClass(QWidget* owner, char kind, const QString& caption);

  char Kind() const { return kind_; }
  // The question Close Take window asks when the form was changed.
  virtual QString UnsentQuestion() const = 0;
  // Writes the current date and time into control 300.
  virtual void RefreshTime() = 0;

  // Close and the close box hide the window; the form stays.
  void reject() override;

 signals:
  // A kind button of another kind: the window of that kind is wanted.
  void KindRequested(char kind);

 protected:
  // The kind buttons in their frame, for the right of the form.
  QVBoxLayout* BuildKindButtons();

  char kind_;
};
