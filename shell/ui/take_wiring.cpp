#include "shell/ui/take_wiring.h"

#include "shell/toolbar_layout.h"
#include "shell/ui/dpwin.h"

void TakeWiring::Fill(DpWinHooks& hooks) {
  hooks.windows[kCmdTake] = [this] { takes_.Open(); };
  hooks.takeKind = [this](char kind) { takes_.Open(kind); };
  hooks.takeMayClose = [this] { return takes_.Close(); };
  hooks.tick = [this] { takes_.RefreshTime(); };
}

void TakeWiring::SetMainWindow(DpWin* window) {
  takes_.SetOwner(window);
  passwords_ = std::make_unique<WindowPasswordPrompt>(window);
  takes_.SetPasswords(passwords_.get());
  QPointer<DpWin> main(window);
  takes_.SetKindCommand([main](char kind) {
    if (main) main->TakeKindCommand(kind);
  });
}
