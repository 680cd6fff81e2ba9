// SIGTERM and SIGINT close the main window as the user's close would:
// the settings are written and the program ends normally. (An office
// administrator's logout script, or a test, ends the program this way.)
#pragma once

#include <QWidget>

void CloseOnTerminate(QWidget* window);
