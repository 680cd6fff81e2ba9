// The phone list's windows on a demo list.
#pragma once

#include <QWidget>
#include <memory>
#include <utility>
#include <vector>

// Builds the phone list windows, adds them to the gallery's list, and
// answers what keeps them alive until the gallery is done with them.
std::shared_ptr<void> AddPhoneWindows(std::vector<std::pair<const char*, QWidget*>>& windows);
