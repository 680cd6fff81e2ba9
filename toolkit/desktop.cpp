#include "toolkit/desktop.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>

namespace {

// The parent of the dialogs: the active window, so they open over it.
QWidget* DialogParent() {
  return QApplication::activeWindow();
}

class QtDesktop : public DesktopService {
 public:
  QString OpenFileName(const QString& caption, const QString& folder,
                       const QString& filter) override {
    return QFileDialog::getOpenFileName(DialogParent(), caption, folder, filter);
  }
  QString SaveFileName(const QString& caption, const QString& suggested,
                       const QString& filter) override {
    return QFileDialog::getSaveFileName(DialogParent(), caption, suggested, filter);
  }
  QString SaveFileNameUnconfirmed(const QString& caption, const QString& suggested,
                                  const QString& filter) override {
    return QFileDialog::getSaveFileName(DialogParent(), caption, suggested, filter, nullptr,
                                        QFileDialog::DontConfirmOverwrite);
  }
  QString FolderName(const QString& caption, const QString& folder) override {
    return QFileDialog::getExistingDirectory(DialogParent(), caption, folder);
  }
  bool OpenUrl(const QUrl& url) override { return QDesktopServices::openUrl(url); }
};

DesktopService* installed = nullptr;

}  // namespace

DesktopService& Desktop() {
  static QtDesktop qtDesktop;
  return installed ? *installed : qtDesktop;
}

void SetDesktop(DesktopService* desktop) {
  installed = desktop;
}
