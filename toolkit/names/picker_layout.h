// The face the name picker and the member dialog share: "&Name:" and the
// search field (141) over the names list, which sits in a placeholder
// (550) of a fixed size, and a column of buttons to the right of all three.
// Typing in the field positions the list as the list's search rule says; an
// index that cannot be read is shown.
#pragma once

#include <QPushButton>
#include <QSize>
#include <QString>
#include <QVBoxLayout>
#include <cstdint>

#include "storage/database.h"

class NameSearchField;
class TPickerList;

struct PickerLayout {
  NameSearchField* search = nullptr;
  TPickerList* list = nullptr;
  // The button column, empty: the dialog adds its buttons.
  QVBoxLayout* buttons = nullptr;
};

constexpr int kIdPickerPlaceholder = 550;

// Lays the dialog out as above with a TPickerList over names of the mode
// (tagSet and multiSelect as TPickerList takes them).
PickerLayout BuildPickerLayout(QWidget* dialog, QSize listSize, Table& names, int mode,
                               int32_t* tagSet, bool multiSelect);
// A button of the column with its control id, never the default by itself.
QPushButton* AddPickerButton(const PickerLayout& layout, QWidget* dialog, const QString& text,
                             int id);
