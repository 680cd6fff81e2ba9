#include "phonelist/phone_list_view.h"

#include <QPainter>
#include <climits>
#include <cstring>

#include "data/office/name_picking.h"
#include "storage/records/phone.h"
#include "toolkit/record_text.h"

namespace x1 = records::phone::x1;

int PhoneScrollPosition(uint8_t initial) {
  if (initial >= 'a' && initial <= 'z') initial = uint8_t(initial - 'a' + 'A');
  if (initial < 'A') return 0;
  if (initial > 'Z') return TDBList::kLastPosition;
  return initial - 'A' + 1;
}

TPhoneListView::TPhoneListView(QWidget* parent, const QRect& rect, PhoneTable& phones, int32_t list,
                               bool tagging)
    : TPhoneListView(parent, rect, phones, std::make_shared<int32_t>(list), tagging) {}

TPhoneListView::TPhoneListView(QWidget* parent, const QRect& rect, PhoneTable& phones,
                               std::shared_ptr<int32_t> list, bool tagging)
    : TDBList(
          parent, rect, kId, phones.table,
          [list](const uint8_t* entry) { return FieldI32(entry, x1::kList) == *list ? 1 : -1; },
          tagging),
      list_(std::move(list)) {
  // The base filled its first page from wherever the handle stood: start
  // on the list's own first entry.
  ShowList(*list_);
}

bool TPhoneListView::InList(const uint8_t* entry) const {
  return FieldI32(entry, x1::kList) == *list_;
}

int TPhoneListView::ShowList(int32_t list) {
  *list_ = list;
  if (!SeekPosition(0)) return 0;
  return Refresh(0, -1);
}

int TPhoneListView::SeekKey(int32_t list, const std::string& listname, const std::string& phone,
                            bool* inList) {
  *inList = false;
  uint8_t key[kEntryBufferSize] = {};
  SetFieldI32(key, x1::kList, list);
  SetFieldText(key, x1::kListname, listname.c_str());
  SetFieldText(key, x1::kPhone1, phone.c_str());
  int exact = 0;
  if (!Find(key, &exact)) return 0;
  if (DbPositionState(table_) != kPosEnd && InList(table_.Current().currentEntry)) {
    *inList = true;
    return 1;
  }
  // Past the list's last entry: back onto it (an empty list has none, and
  // the page then stays empty). From the index's end too one step back is
  // the last entry, found without searching the tree again.
  return Prev();
}

int TPhoneListView::ScrollPosition(const uint8_t* entry) {
  return PhoneScrollPosition(entry[x1::kListname.offset]);
}

int TPhoneListView::SeekPosition(int position) {
  bool inList = false;
  if (position <= 0) return SeekKey(*list_, "", "", &inList);
  if (position >= kLastPosition) {
    // The first entry of the next list, then one back.
    if (*list_ == INT32_MAX) return Last();
    return SeekKey(*list_ + 1, "", "", &inList);
  }
  return SeekKey(*list_, std::string(1, char(64 + position)), "", &inList);
}

bool TPhoneListView::DrawEntry(QPainter& painter, const QRect& row, const uint8_t* entry, bool) {
  const auto text = [entry](Field f) {
    return FromRecordText(reinterpret_cast<const char*>(entry + f.offset), size_t(f.width));
  };
  // "%s\t%s": the tab stop is the phone's column; the tag mark, when the
  // list tags, takes the first 16 pixels.
  const int left = row.left() + (Tagging() ? 20 : 4);
  const int tab = row.left() + std::max(120, row.width() * 3 / 5);
  painter.drawText(QRect(left, row.top(), tab - left - 4, row.height()),
                   Qt::AlignVCenter | Qt::AlignLeft, text(x1::kListname));
  painter.drawText(QRect(tab, row.top(), row.right() - tab, row.height()),
                   Qt::AlignVCenter | Qt::AlignLeft, text(x1::kPhone1));
  return IsTagged(entry);
}

int TPhoneListView::FindText(const std::string& text) {
  return FindAndSelect(text, true);
}

int TPhoneListView::ShowFrom(const std::string& name) {
  return FindAndSelect(name, false);
}

int TPhoneListView::FindAndSelect(const std::string& text, bool prefixOnly) {
  bool inList = false;
  if (!SeekKey(*list_, text, "", &inList)) return 0;
  if (!inList) {
    // Nothing at or after the text: the list's last page, nothing chosen.
    if (!Refresh(-(RowsPerPage() - 1), -1)) return 0;
    return 1;
  }
  const std::string name = FieldText(table_.Current().currentEntry, x1::kListname);
  return Refresh(0, !prefixOnly || NameBeginsWith(name, text) ? 0 : -1);
}

int TPhoneListView::ShowEntry(const PhoneEntry& entry, int row) {
  int exact = 0;
  if (!Find(entry.bytes, &exact)) return 0;
  if (DbPositionState(table_) == kPosEnd || !InList(table_.Current().currentEntry)) {
    if (!SeekPosition(kLastPosition)) return 0;
    return Refresh(-(RowsPerPage() - 1), row);
  }
  return Refresh(0, row);
}

bool TPhoneListView::Selected(PhoneEntry* entry) const {
  const int row = SelectedRow();
  if (row < 0) return false;
  *entry = Entry(row);
  return true;
}

PhoneEntry TPhoneListView::Entry(int row) const {
  PhoneEntry entry;
  if (row < 0) return entry;
  std::memcpy(entry.bytes, EntryOfRow(row), sizeof entry.bytes);
  return entry;
}
