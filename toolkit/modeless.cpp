#include "toolkit/modeless.h"

#include <algorithm>

namespace {
std::vector<QPointer<QWidget>>& List() {
  static std::vector<QPointer<QWidget>> list;
  return list;
}
void Prune() {
  auto& l = List();
  l.erase(std::remove_if(l.begin(), l.end(), [](const QPointer<QWidget>& p) { return !p; }),
          l.end());
}
}  // namespace

void RegisterModeless(QWidget* window) {
  Prune();
  for (auto& p : List()) {
    if (p == window) return;
  }
  List().emplace_back(window);
}

void UnregisterModeless(QWidget* window) {
  auto& l = List();
  l.erase(std::remove_if(l.begin(), l.end(),
                         [window](const QPointer<QWidget>& p) { return !p || p == window; }),
          l.end());
}

std::vector<QWidget*> ModelessWindows() {
  Prune();
  std::vector<QWidget*> out;
  for (auto& p : List()) out.push_back(p);
  return out;
}

ModelessDisabled::ModelessDisabled(QWidget* keep) {
  for (QWidget* w : ModelessWindows()) {
    if (w != keep && w->isEnabled()) {
      w->setEnabled(false);
      disabled_.emplace_back(w);
    }
  }
}

ModelessDisabled::~ModelessDisabled() {
  for (auto& p : disabled_) {
    if (p) p->setEnabled(true);
  }
}
