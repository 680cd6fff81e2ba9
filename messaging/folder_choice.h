// Filing from a list or a view: FOLDER for the list's owner, starting at a
// folder given by its number.
#pragma once

#include <QWidget>
#include <cstdint>
#include <string>

// True with the chosen folder's name and number; false when cancelled.
bool ChooseOwnersFolder(QWidget* owner, int32_t person, int32_t start, std::string* name,
                        int32_t* number);
