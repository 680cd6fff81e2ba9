// ADD_NAME: one edit field (103) for a new person's or group's name, or a
// group's new name. The caller gives the caption ("Add new name", "Create
// new group", "Edit group name") and the length: 19 characters for a
// person, 18 for a group, whose "*" is added afterwards.
#pragma once

#include <QString>
#include <string>

#include "toolkit/base_dialog.h"

class AddNameDialog : public TBaseDialog {
  Q_OBJECT

 public:
  static constexpr int kIdName = 103;
  static constexpr int kPersonLength = 19;
  static constexpr int kGroupLength = 18;

  AddNameDialog(QWidget* owner, const QString& caption, int maxLength,
                const std::string& initial = std::string());

  // The text entered (single-byte), empty after Cancel.
  std::string Text() const;

 private:
  char text_[kPersonLength + 1] = {};
};

// Opens ADD_NAME through the name dialogs' runner: the text, or empty when
// cancelled.
std::string AddName(QWidget* owner, const QString& caption, int maxLength,
                    const std::string& initial = std::string());
