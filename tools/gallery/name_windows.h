// The name windows of the gallery: the picker, the member dialog and
// ADD_NAME, on a small office whose name table lives in a scratch
// directory that becomes the data directory while the gallery runs.
#pragma once

#include <QTemporaryDir>
#include <memory>
#include <utility>
#include <vector>

#include "data/office/passwords.h"
#include "toolkit/names/add_name_dialog.h"
#include "toolkit/names/member_dialog.h"
#include "toolkit/names/name_picker.h"

class GalleryNameWindows {
 public:
  GalleryNameWindows();
  ~GalleryNameWindows();

  // The windows with their file names, opened and hidden, ready to show.
  std::vector<std::pair<const char*, QWidget*>> Windows();
  void Close();

 private:
  QTemporaryDir dir_;
  NoPasswords passwords_;
  int32_t tags_[kTagSetSize] = {};
  NamePickRequest request_;
  std::unique_ptr<NamePickerDialog> picker_;
  std::unique_ptr<MemberDialog> members_;
  std::unique_ptr<AddNameDialog> addName_;
};
