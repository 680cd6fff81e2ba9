#include "toolkit/names/picker_list.h"

#include <QPainter>

#include "data/office/name_picking.h"
#include "storage/records/name.h"
#include "toolkit/record_text.h"

namespace x1 = records::name::x1;

namespace {

// Six spaces before every name: the tag mark is drawn in them.
const QString kIndent(6, QChar(' '));

EntryFilter ModeFilter(int mode) {
  return [mode](const uint8_t* entry) { return PickModeLists(mode, EntryName(entry)) ? 1 : 0; };
}

}  // namespace

std::string EntryName(const uint8_t* entry) {
  return FieldText(entry, x1::kName);
}

int32_t EntryNumber(const uint8_t* entry) {
  return FieldI32(entry, x1::kNumber);
}

TPickerList::TPickerList(QWidget* parent, const QRect& rect, Table& names, int mode,
                         int32_t* tagSet, bool multiSelect)
    : TNameList(parent, rect, kListId, names, ModeFilter(mode), multiSelect),
      mode_(mode),
      tagSet_(tagSet) {}

bool TPickerList::DrawEntry(QPainter& painter, const QRect& row, const uint8_t* entry, bool) {
  const QString name = FromCp1252(PickDisplayName(mode_, EntryName(entry)));
  painter.drawText(row.adjusted(2, 0, -2, 0), Qt::AlignVCenter | Qt::AlignLeft, kIndent + name);
  return tagSet_ && TagSetContains(tagSet_, EntryNumber(entry));
}

void TPickerList::ActOnEntry(const uint8_t* entry) {
  if (onAct) onAct(entry);
}

int TPickerList::SearchText(const std::string& text) {
  uint8_t key[kEntryBufferSize] = {};
  SetFieldText(key, x1::kName, text.c_str());
  int exact = 0;
  if (!Find(key, &exact)) return 0;
  // The first name of this list at or after the text: names the mode does
  // not list are stepped over.
  Index& index = table_.Current();
  while (DbPositionState(table_) != kPosEnd && !PickModeLists(mode_, EntryName(index.currentEntry)))
    if (!Next()) return 0;
  if (DbPositionState(table_) == kPosEnd) return Refresh(0, -1);
  const bool begins = NameBeginsWith(EntryName(index.currentEntry), text);
  return Refresh(0, begins ? 0 : -1);
}

bool TPickerList::SelectedName(std::string* name, int32_t* number) const {
  const int row = SelectedRow();
  if (row < 0) return false;
  if (name) *name = EntryName(EntryOfRow(row));
  if (number) *number = EntryNumber(EntryOfRow(row));
  return true;
}
