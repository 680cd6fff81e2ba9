#include "toolkit/scripted_desktop.h"

ScriptedDesktop::ScriptedDesktop() {
  SetDesktop(this);
}

ScriptedDesktop::~ScriptedDesktop() {
  SetDesktop(nullptr);
}

QString ScriptedDesktop::Next(const QString& kind, const QString& caption, const QString& detail) {
  const bool answered = !answers_.empty();
  requests_.push_back({kind, caption, detail, answered});
  if (!answered) return QString();
  QString answer = answers_.front();
  answers_.pop_front();
  return answer;
}

QString ScriptedDesktop::OpenFileName(const QString& caption, const QString& folder,
                                      const QString&) {
  return Next("Open", caption, folder);
}

QString ScriptedDesktop::SaveFileName(const QString& caption, const QString& suggested,
                                      const QString&) {
  return Next("Save", caption, suggested);
}

QString ScriptedDesktop::FolderName(const QString& caption, const QString& folder) {
  return Next("Folder", caption, folder);
}

bool ScriptedDesktop::OpenUrl(const QUrl& url) {
  requests_.push_back({"Url", QString(), url.toString(), true});
  urls_.push_back(url);
  return urlsOpen_;
}
