#include "toolkit/controls/edit_menu.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <functional>

#include "toolkit/field_rules.h"

namespace {

bool ClipboardHasText() {
  const QMimeData* m = QApplication::clipboard()->mimeData();
  return m && m->hasText() && !m->text().isEmpty();
}

struct Actions {
  std::function<void()> undo, cut, copy, paste, del, selectAll;
};

std::unique_ptr<QMenu> Build(QWidget* edit, const EditMenuState& state, const Actions& a) {
  auto menu = std::make_unique<QMenu>("Edit Control", edit);
  EditMenuEnables en = EditMenuRules(state);
  auto add = [&](const char* text, int id, bool enabled, const std::function<void()>& f) {
    QAction* act = menu->addAction(QString::fromLatin1(text));
    act->setData(id);
    act->setEnabled(enabled);
    QObject::connect(act, &QAction::triggered, edit, f);
  };
  add("&Undo", kCmdUndo, en.undo, a.undo);
  menu->addSeparator();
  add("Cu&t", kCmdCut, en.cut, a.cut);
  add("&Copy", kCmdCopy, en.copy, a.copy);
  add("&Paste", kCmdPaste, en.paste, a.paste);
  add("&Delete", kCmdDelete, en.del, a.del);
  menu->addSeparator();
  add("Select &All", kCmdSelectAll, en.selectAll, a.selectAll);
  return menu;
}

}  // namespace

std::unique_ptr<QMenu> MakeEditMenu(QLineEdit* e) {
  EditMenuState s;
  s.hasSelection = e->hasSelectedText();
  s.allSelected = !e->text().isEmpty() && e->selectedText() == e->text();
  s.canUndo = e->isUndoAvailable() && !e->isReadOnly();
  s.clipboardHasText = ClipboardHasText() && !e->isReadOnly();
  return Build(e, s,
               {[e] { e->undo(); }, [e] { e->cut(); }, [e] { e->copy(); }, [e] { e->paste(); },
                [e] { e->del(); }, [e] { e->selectAll(); }});
}

std::unique_ptr<QMenu> MakeEditMenu(QPlainTextEdit* e) {
  EditMenuState s;
  QTextCursor c = e->textCursor();
  s.hasSelection = c.hasSelection();
  QString all = e->toPlainText();
  s.allSelected = !all.isEmpty() && c.selectionStart() == 0 && c.selectionEnd() == all.size();
  s.canUndo = e->document()->isUndoAvailable() && !e->isReadOnly();
  s.clipboardHasText = ClipboardHasText() && !e->isReadOnly();
  return Build(e, s,
               {[e] { e->undo(); }, [e] { e->cut(); }, [e] { e->copy(); }, [e] { e->paste(); },
                [e] { e->textCursor().removeSelectedText(); }, [e] { e->selectAll(); }});
}

QAction* EditMenuAction(QMenu* menu, int command) {
  for (QAction* a : menu->actions()) {
    if (!a->isSeparator() && a->data().toInt() == command) return a;
  }
  return nullptr;
}
