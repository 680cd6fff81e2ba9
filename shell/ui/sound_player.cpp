#include "shell/ui/sound_player.h"

#include <QApplication>
#include <QSoundEffect>
#include <QUrl>
#include <cstring>
#include <fstream>

namespace {

class DesktopSoundPlayer : public SoundPlayer {
 public:
  bool Play(const std::string& file) override {
    if (!IsPlayableWave(file)) return false;
    // One effect at a time: a new alert sound replaces the old one.
    effect_ = std::make_unique<QSoundEffect>();
    effect_->setSource(QUrl::fromLocalFile(QString::fromLocal8Bit(file.c_str())));
    effect_->play();
    return true;
  }
  // The desktop has one beep; the urgent levels use it as well.
  void Beep(BeepKind) override { QApplication::beep(); }

 private:
  std::unique_ptr<QSoundEffect> effect_;
};

}  // namespace

bool IsPlayableWave(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  char header[12] = {};
  if (!in.read(header, sizeof header)) return false;
  return std::memcmp(header, "RIFF", 4) == 0 && std::memcmp(header + 8, "WAVE", 4) == 0;
}

std::unique_ptr<SoundPlayer> MakeDesktopSoundPlayer() {
  return std::make_unique<DesktopSoundPlayer>();
}
