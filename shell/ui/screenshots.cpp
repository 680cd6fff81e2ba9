#include "shell/ui/screenshots.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <vector>

#include "shell/toolbar_layout.h"
#include "shell/ui/command_ids.h"
#include "shell/ui/dpwin.h"

namespace {

// Time for the window manager and the painting to settle between steps.
constexpr int kSettleMs = 1200;

// Each step saves the window as it stands, then changes it for the next;
// after the last the window closes. The run belongs to the window.
class ScreenshotRun : public QObject {
 public:
  ScreenshotRun(DpWin& window, const QString& directory)
      : QObject(&window), window_(window), directory_(directory) {
    if (!window.Floating()) steps_.push_back({"full", kCmdToolbar});
    steps_.push_back({"horizontal", kMenuSquare});
    steps_.push_back({"square", kMenuVertical});
    steps_.push_back({"vertical", kMenuHorizontal});
    // A floating start opens in the INI file's shape: start from the
    // horizontal one so every name matches its picture.
    if (window.Floating() && window.Settings().floatShape != kShapeHorizontal) {
      window.Command(kMenuHorizontal);
    }
    QTimer::singleShot(kSettleMs, this, [this] { Next(); });
  }

 private:
  struct Step {
    const char* name;
    int nextCommand;
  };

  void Next() {
    if (next_ == steps_.size()) {
      window_.close();
      return;
    }
    const Step& step = steps_[next_++];
    window_.grab().save(directory_ + "/dpwin-" + step.name + ".png");
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
      screen->grabWindow(0).save(directory_ + "/screen-" + step.name + ".png");
    }
    window_.Command(step.nextCommand);
    QTimer::singleShot(kSettleMs, this, [this] { Next(); });
  }

  DpWin& window_;
  QString directory_;
  std::vector<Step> steps_;
  size_t next_ = 0;
};

}  // namespace

void TakeScreenshots(DpWin& window, const QString& directory) {
  new ScreenshotRun(window, directory);
}
