// The main window's pictures, drawn in code so the program carries no image
// files: the window icons of the alert states, the toolbar buttons and the
// picture in the middle of the full application.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

#include "shell/poll_alert.h"

// "ICON_1", "ICON_2", "ICON_3" or "ICON_7".
QString IconName(AlertIcon icon);
QIcon WindowIcon(AlertIcon icon);

// The picture of a toolbar button by its command (212, 251 to 255, 216,
// 217, 218); the View button has an urgent one as well.
QPixmap ButtonPicture(int command, bool urgent = false);

// The 271 by 130 picture centred on the screen behind the full application.
constexpr int kCentrePictureWidth = 271;
constexpr int kCentrePictureHeight = 130;
QPixmap CentrePicture();
