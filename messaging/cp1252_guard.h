// A character that Windows-1252 has no byte for cannot be stored in a
// record. The guard refuses such a character as it is typed into any text
// field of the window and says so in a short notice, so the user never
// sees a text that would be stored as something else.
#pragma once

class QWidget;

void GuardCp1252(QWidget* window);
