// CCLIST ("CC:"): the other recipients of a message sent to several people,
// as its CC records name them, in a list (500) with "OK". A message
// without CC names opens no dialog.
#pragma once

#include <QStringList>
#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/base_dialog.h"

class CCListDialog : public TBaseDialog {
  Q_OBJECT

 public:
  static constexpr int kIdList = 500;

  CCListDialog(QWidget* owner, const std::vector<std::string>& names);
};

// Reads the message's CC names (at most 100) and shows them. 1 when the
// dialog was shown; 0 when the message has no CC names or the CC table
// could not be read (the engine error is then shown).
int ShowCCList(QWidget* owner, int32_t messageNumber);
