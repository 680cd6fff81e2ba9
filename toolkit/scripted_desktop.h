// The desktop for tests: file dialogs answer from a script written before
// the action (an empty answer is Cancel), URLs are recorded and not opened.
// Every request is recorded (kind, caption, the folder or suggested name or
// URL), so a test asserts on what the user would have seen.
#pragma once

#include <QString>
#include <deque>
#include <vector>

#include "toolkit/desktop.h"

class ScriptedDesktop : public DesktopService {
 public:
  struct Request {
    QString kind;  // "Open", "Save", "Folder", "Url"
    QString caption;
    QString detail;  // the folder, the suggested name, or the URL
    bool answered;
  };

  // Installs itself as the desktop in use for its lifetime.
  ScriptedDesktop();
  ~ScriptedDesktop() override;

  // The next file dialog answers, in order; without one a dialog answers
  // Cancel.
  void Answer(const QString& path) { answers_.push_back(path); }
  // What OpenUrl answers (true unless set).
  void SetUrlsOpen(bool open) { urlsOpen_ = open; }
  const std::vector<Request>& Requests() const { return requests_; }
  // The URLs handed to the desktop, in order.
  std::vector<QUrl> OpenedUrls() const { return urls_; }

  QString OpenFileName(const QString& caption, const QString& folder,
                       const QString& filter) override;
  QString SaveFileName(const QString& caption, const QString& suggested,
                       const QString& filter) override;
  QString FolderName(const QString& caption, const QString& folder) override;
  bool OpenUrl(const QUrl& url) override;

 private:
  QString Next(const QString& kind, const QString& caption, const QString& detail);

  std::deque<QString> answers_;
  std::vector<Request> requests_;
  std::vector<QUrl> urls_;
  bool urlsOpen_ = true;
};
