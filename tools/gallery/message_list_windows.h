// The message list windows of the gallery: the in-box list with its
// preview, the send log list, the view windows of a phone message, a memo
// and a send log copy, COPY, the memo reply and the search dialog, on a
// small office in a scratch directory with its user started.
#pragma once

#include <QTemporaryDir>
#include <memory>
#include <utility>
#include <vector>

#include "data/messages/dpmess.h"

class QWidget;
class TBaseDialog;

class GalleryListWindows {
 public:
  GalleryListWindows();
  ~GalleryListWindows();
  std::vector<std::pair<const char*, QWidget*>> Windows();
  void Close();

 private:
  QTemporaryDir dir_;
  bool started_ = false;
  MessageRecord memo_;
  std::vector<std::pair<const char*, std::unique_ptr<TBaseDialog>>> dialogs_;
};
