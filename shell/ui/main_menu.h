// Menu "MENU_1" of the full application. Every entry carries its command id
// in the "commandId" property; the menu bar's triggered signal hands the
// action to the window, which reads the id.
#pragma once

#include <QAction>
#include <QMenuBar>
#include <QString>

// The whole menu. The entries start enabled; the window disables those
// whose windows are not there.
QMenuBar* BuildMainMenu(QWidget* parent);

// The action with the command id among root's children (menus and
// popups included), or nullptr.
QAction* FindCommand(const QObject* root, int id);
int CommandId(const QAction* action);
QAction* AddCommand(QWidget* menu, const QString& text, int id);

// The three separately available companion products of the File menu:
// what their information boxes say.
QString CompanionProductText(int command);
