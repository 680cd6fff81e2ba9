// The alert machine's window for the shell's tests: it writes down every
// request, one string each ("icon ICON_2", "blink view green", "sound
// ding.wav"...), tick by tick.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "shell/poll_alert.h"

inline const char* IconName(AlertIcon icon) {
  static const char* const names[] = {"ICON_1", "ICON_2", "ICON_3", "ICON_7"};
  return names[int(icon)];
}

// Writes down every request, one string each, tick by tick.
class RecordingWindow : public AlertWindow {
 public:
  WindowFacts Facts() override { return facts; }
  void SetTimerInterval(int ms) override {
    timer = ms;
    Note("timer " + std::to_string(ms));
  }
  void SetIcon(AlertIcon icon) override { Note(std::string("icon ") + IconName(icon)); }
  void SetViewPicture(bool urgent) override { Note(urgent ? "view urgent" : "view normal"); }
  void BlinkView(BlinkColour c) override {
    Note(c == BlinkColour::kRed ? "blink view red" : "blink view green");
  }
  void BlinkScheduler() override { Note("blink scheduler"); }
  void StopBlinking() override { Note("stop blinking"); }
  void FlashCaption() override { Note("flash"); }
  void StopFlashing() override { Note("stop flashing"); }
  bool PlaySound(const std::string& file) override {
    Note("sound " + file);
    return soundPlays;
  }
  void Beep(BeepKind kind) override {
    Note(kind == BeepKind::kExclamation ? "beep exclamation" : "beep");
  }
  void ShowWithoutActivating(bool topMost) override { Note(topMost ? "show top-most" : "show"); }
  void ShowMinimisedWithoutActivating() override { Note("show minimised"); }
  void SetTopMost(bool topMost) override { Note(topMost ? "top-most" : "not top-most"); }
  void RefreshTakeTime() override { ++takeTimeRefreshes; }
  void LostShare(const std::string& message) override {
    Note("lost share");
    lostShareMessage = message;
  }

  void Note(const std::string& what) {
    if (ticks.empty()) NextTick();
    ticks.back().push_back(what);
  }
  // Starts the record of a new tick.
  void NextTick() { ticks.emplace_back(); }
  const std::vector<std::string>& Last() const { return ticks.back(); }
  int Count(const std::string& what) const {
    int n = 0;
    for (const auto& tick : ticks) n += int(std::count(tick.begin(), tick.end(), what));
    return n;
  }
  // The ticks (1 = the first) on which the request was made.
  std::vector<int> TicksWith(const std::string& what) const {
    std::vector<int> at;
    for (size_t i = 0; i < ticks.size(); ++i) {
      if (std::count(ticks[i].begin(), ticks[i].end(), what)) at.push_back(int(i) + 1);
    }
    return at;
  }

  WindowFacts facts{.floating = true};
  int timer = 2000;  // the last interval asked for
  bool soundPlays = true;
  int takeTimeRefreshes = 0;
  std::string lostShareMessage;
  std::vector<std::vector<std::string>> ticks;
};
