// The alert's sounds and beeps. The main window plays through this
// interface only, so tests hear nothing and see what would have sounded.
#pragma once

#include <memory>
#include <string>

#include "shell/poll_alert.h"

class SoundPlayer {
 public:
  virtual ~SoundPlayer() = default;
  // Starts the sound file and returns at once; false when it cannot be
  // played (missing, unreadable, not a wave file), so the alert beeps.
  virtual bool Play(const std::string& file) = 0;
  virtual void Beep(BeepKind kind) = 0;
};

// Plays wave files through Qt Multimedia and beeps through the desktop.
std::unique_ptr<SoundPlayer> MakeDesktopSoundPlayer();

// Whether the file can be opened and holds a RIFF wave header: the only
// kind the player plays.
bool IsPlayableWave(const std::string& file);
