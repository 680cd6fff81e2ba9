#include "shell/ui/placement_records.h"

#include <QPointer>

#include "shell/ui/dpwin.h"
#include "shell/window_state.h"
#include "shell/workstation_settings.h"

void BindPlacement(DpWin& main, int key, WindowPlacement& placement) {
  placement = WindowPlacement();
  if (const std::optional<WindowStateRecord>& record = main.Settings().windows[size_t(key)]) {
    const WindowRestore restore = RestoreWindow(*record);
    if (restore.move) {
      const WindowRect& r = restore.rect;
      placement.rect = QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
    }
    placement.maximised = restore.maximise;
    placement.spare = record->spare;
  }
  // The main window may go before the last window closes.
  QPointer<DpWin> owner(&main);
  placement.kept = [owner, key](const QRect& rect, bool maximised, bool minimised, int spare) {
    if (!owner) return;
    WindowStateRecord record = owner->Settings().windows[size_t(key)].value_or(WindowStateRecord());
    SaveWindowState(
        record, maximised, minimised,
        {rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()});
    record.spare = spare;
    owner->SetWindowState(key, record);
  };
}
