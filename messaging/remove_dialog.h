// "Remove Message": what to do with the chosen rows. The in-box offers
// "Delete", "Archive", "Folder..." and "Undo", the send log "Archive",
// "Delete" and "Undo"; the answer is the button's command id (205, 264,
// 258, 263), 0 when closed.
#pragma once

#include "toolkit/base_dialog.h"

class TRemoveDialog : public TBaseDialog {
  Q_OBJECT
 public:
  static constexpr int kIdDelete = 205;
  static constexpr int kIdArchive = 264;
  static constexpr int kIdFolder = 258;
  static constexpr int kIdUndo = 263;
  // defaultId: the button last chosen (0: the first).
  TRemoveDialog(QWidget* owner, bool sendLog, int defaultId);
};
