#include "toolkit/list/name_list.h"

#include <QPainter>

#include "storage/le.h"
#include "storage/records/name.h"
#include "toolkit/record_text.h"

namespace x1 = records::name::x1;

int NameScrollPosition(uint8_t first) {
  if (first >= 'a' && first <= 'z') first = uint8_t(first - 'a' + 'A');
  if (first < 'A') return 0;
  if (first > 'Z') return 27;
  return first - 'A' + 1;
}

TNameList::TNameList(QWidget* parent, const QRect& rect, int id, Table& names, EntryFilter filter,
                     bool tagging)
    : TDBList(parent, rect, id, names, std::move(filter), tagging) {}

int TNameList::ScrollPosition(const uint8_t* entry) {
  return NameScrollPosition(entry[x1::kName.offset]);
}

int TNameList::SeekPosition(int position) {
  if (position <= 0) return First();
  if (position >= kLastPosition) return Last();
  uint8_t key[kEntryBufferSize] = {};
  key[x1::kName.offset] = uint8_t(64 + position);
  int exact = 0;
  if (!Find(key, &exact)) return 0;
  // No name at or after the letter: the last name.
  if (DbPositionState(table_) == kPosEnd) return Last();
  return 1;
}

bool TNameList::DrawEntry(QPainter& painter, const QRect& row, const uint8_t* entry, bool) {
  const QString name =
      FromRecordText(reinterpret_cast<const char*>(entry + x1::kName.offset), x1::kName.width);
  // The tag mark takes the first 16 pixels.
  painter.drawText(row.adjusted(20, 0, -2, 0), Qt::AlignVCenter | Qt::AlignLeft, name);
  return Tagging() && IsTagged(entry);
}

uint32_t TNameList::TagValue(const uint8_t* entry) const {
  return uint32_t(GetI32(entry + x1::kNumber.offset));
}
