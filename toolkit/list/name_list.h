// The list of names (index X1 of "NAME"): an entry's scroll position is the
// first letter of its name, and a position is found again by searching for
// the one-letter name.
#pragma once

#include "toolkit/list/db_list.h"

class TNameList : public TDBList {
  Q_OBJECT

 public:
  TNameList(QWidget* parent, const QRect& rect, int id, Table& names, EntryFilter filter,
            bool tagging);

  // Below "A" 0, "A" to "Z" (either case) 1 to 26, above "Z" 27.
  int ScrollPosition(const uint8_t* entry) override;
  // 0 the first name, 27 the last, n the first name not below the letter
  // 64 + n (the last name when there is none).
  int SeekPosition(int position) override;
  bool DrawEntry(QPainter& painter, const QRect& row, const uint8_t* entry, bool focused) override;

 protected:
  // Names are tagged by their name number.
  uint32_t TagValue(const uint8_t* entry) const override;
};

// The same mapping as a plain function, for the name's first byte.
int NameScrollPosition(uint8_t first);
