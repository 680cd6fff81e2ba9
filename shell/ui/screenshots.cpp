#include "shell/ui/screenshots.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

#include "shell/toolbar_layout.h"
#include "shell/ui/command_ids.h"
#include "shell/ui/dpwin.h"

namespace {

// Time for the window manager and the painting to settle between steps.
constexpr int kSettleMs = 1200;

void Save(DpWin& window, const QString& directory, const QString& name) {
  window.grab().save(directory + "/dpwin-" + name + ".png");
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    screen->grabWindow(0).save(directory + "/screen-" + name + ".png");
  }
}

}  // namespace

void TakeScreenshots(DpWin& window, const QString& directory) {
  QPointer<DpWin> target(&window);
  // Each step saves the window as it stands, then changes it for the next.
  struct Step {
    const char* name;
    int nextCommand;
  };
  auto steps = std::make_shared<std::vector<Step>>();
  if (!window.Floating()) steps->push_back({"full", kCmdToolbar});
  steps->push_back({"horizontal", kMenuSquare});
  steps->push_back({"square", kMenuVertical});
  steps->push_back({"vertical", kMenuHorizontal});
  auto run = std::make_shared<std::function<void(size_t)>>();
  *run = [target, directory, steps, run](size_t i) {
    if (!target) return;
    if (i == steps->size()) {
      target->close();
      return;
    }
    Save(*target, directory, (*steps)[i].name);
    target->Command((*steps)[i].nextCommand);
    QTimer::singleShot(kSettleMs, target, [run, i] { (*run)(i + 1); });
  };
  // A floating start opens in the shape of the INI file: start from the
  // horizontal one so every name matches its picture.
  if (window.Floating() && window.Settings().floatShape != kShapeHorizontal) {
    window.Command(kMenuHorizontal);
  }
  QTimer::singleShot(kSettleMs, &window, [run] { (*run)(0); });
}
