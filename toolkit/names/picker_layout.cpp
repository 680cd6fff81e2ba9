#include "toolkit/names/picker_layout.h"

#include <QGridLayout>
#include <QLabel>

#include "data/office/dpmain.h"
#include "toolkit/control_id.h"
#include "toolkit/names/picker_list.h"
#include "toolkit/names/search_field.h"

PickerLayout BuildPickerLayout(QWidget* dialog, QSize listSize, Table& names, int mode,
                               int32_t* tagSet, bool multiSelect) {
  PickerLayout layout;
  auto* grid = new QGridLayout(dialog);
  layout.search = new NameSearchField(dialog);
  auto* label = new QLabel("&Name:", dialog);
  label->setBuddy(layout.search);
  grid->addWidget(label, 0, 0);
  grid->addWidget(layout.search, 1, 0);
  auto* placeholder = new QWidget(dialog);
  SetControlId(placeholder, kIdPickerPlaceholder);
  placeholder->setFixedSize(listSize);
  grid->addWidget(placeholder, 2, 0);
  layout.list =
      new TPickerList(placeholder, QRect(QPoint(0, 0), listSize), names, mode, tagSet, multiSelect);
  layout.list->setAccessibleName("Names");
  layout.buttons = new QVBoxLayout;
  grid->addLayout(layout.buttons, 0, 1, 3, 1);
  NameSearchField* search = layout.search;
  TPickerList* list = layout.list;
  QObject::connect(search, &QLineEdit::textChanged, list, [search, list] {
    if (!list->SearchText(search->Bytes())) ShowError();
  });
  return layout;
}

QPushButton* AddPickerButton(const PickerLayout& layout, QWidget* dialog, const QString& text,
                             int id) {
  auto* b = new QPushButton(text, dialog);
  b->setAutoDefault(false);
  SetControlId(b, id);
  layout.buttons->addWidget(b);
  return b;
}
