// The messaging windows of the gallery: both Take kinds filled in as a
// receptionist would, the note editor as the return-call log with its call
// timer, the folder dialogs and the CC list, and the e-mail windows with
// their dialogs, on a small office in a scratch directory.
#pragma once

#include <QTemporaryDir>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "data/messages/dpfolder.h"
#include "data/messages/email_file.h"
#include "data/office/dpname.h"
#include "data/office/passwords.h"

class TBaseDialog;
class TakeWindow;

class GalleryMessagingWindows {
 public:
  GalleryMessagingWindows();
  ~GalleryMessagingWindows();

  // The windows with their file names, opened and hidden, ready to show.
  std::vector<std::pair<const char*, QWidget*>> Windows();
  void Close();

 private:
  void AddEmailWindows(const std::string& path);

  QTemporaryDir dir_;
  EmailHeader mailHeader_;
  // The data directory before this office's: the phone message shows with
  // this office's phone list open, so it stays the data directory until
  // the windows go.
  std::string before_;
  NoPasswords passwords_;
  FolderRecord choice_;
  FolderRecord personChoice_;
  NameEntry slot_;
  FolderTable folders_;
  std::vector<std::pair<const char*, std::unique_ptr<TBaseDialog>>> dialogs_;
};
