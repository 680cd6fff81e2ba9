// The program's own dialogs for the gallery: GETPASSWORD, the three
// password dialogs, NAME_ERROR, the Run Setup question and the About box,
// each on demo values and never touching a data directory.
#pragma once

#include <QWidget>
#include <memory>
#include <utility>
#include <vector>

#include "data/office/passwords.h"

class QDialog;
class QMessageBox;
class TBaseDialog;

class ShellGallery {
 public:
  ShellGallery();
  ~ShellGallery();
  std::vector<std::pair<const char*, QWidget*>> Windows() const;

 private:
  // The dialogs' buttons are not pressed here, so nothing is ever asked.
  class NoPrompt : public PasswordPrompt {
   public:
    std::optional<std::string> Ask(const std::string&) override { return std::nullopt; }
  };
  NoPrompt prompt_;
  std::vector<std::pair<const char*, std::unique_ptr<TBaseDialog>>> dialogs_;
  std::unique_ptr<QDialog> nameError_;
  std::unique_ptr<QMessageBox> runSetup_;
  std::unique_ptr<QMessageBox> important_;
};
