// The context menu of the text fields, "Edit Control": Undo, Cut, Copy,
// Paste, Delete and Select All with the command ids the edit messages use
// (772, 768, 769, 770, 771 and 400), enabled by the rules of field_rules.h.
#pragma once

#include <QMenu>
#include <memory>

class QLineEdit;
class QPlainTextEdit;

constexpr int kCmdUndo = 772;
constexpr int kCmdCut = 768;
constexpr int kCmdCopy = 769;
constexpr int kCmdPaste = 770;
constexpr int kCmdDelete = 771;
constexpr int kCmdSelectAll = 400;

// The menu for the edit, ready to exec; each action's data is its command
// id and choosing it acts on the edit.
std::unique_ptr<QMenu> MakeEditMenu(QLineEdit* edit);
std::unique_ptr<QMenu> MakeEditMenu(QPlainTextEdit* edit);
// The menu's action with the command id.
QAction* EditMenuAction(QMenu* menu, int command);
