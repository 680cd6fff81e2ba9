#include "messaging/folder_list.h"

#include <QPainter>
#include <cstring>

#include "storage/database.h"
#include "storage/index.h"
#include "storage/records/field.h"
#include "toolkit/list/name_list.h"
#include "toolkit/record_text.h"

namespace x1 = records::folder::x1;

namespace {

// The entry filter: the owner's folders are shown; earlier owners' are
// stepped over (a step back from the first folder passes them), a later
// owner's first folder ends the list.
EntryFilter OwnerFilter(std::shared_ptr<int32_t> owner) {
  return [owner](const uint8_t* entry) {
    const int32_t o = FieldI32(entry, x1::kOwner);
    if (o < *owner) return 0;
    return o == *owner ? 1 : -1;
  };
}

bool BeginsWithIgnoringCase(const std::string& name, const std::string& text) {
  if (text.size() > name.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (UpperCp1252(FromCp1252(name.substr(i, 1))) != UpperCp1252(FromCp1252(text.substr(i, 1))))
      return false;
  }
  return true;
}

}  // namespace

TFolderList::TFolderList(QWidget* parent, const QRect& rect, int id, FolderTable& folders,
                         int32_t owner)
    : TFolderList(parent, rect, id, folders, std::make_shared<int32_t>(owner)) {}

TFolderList::TFolderList(QWidget* parent, const QRect& rect, int id, FolderTable& folders,
                         std::shared_ptr<int32_t> owner)
    : TDBList(parent, rect, id, folders.table, OwnerFilter(owner), false), owner_(owner) {
  FindKey(*owner_, std::string());
  Refresh(0, -1);
}

int TFolderList::FindKey(int32_t owner, const std::string& name) {
  uint8_t key[kEntryBufferSize] = {};
  SetFieldI32(key, x1::kOwner, owner);
  SetFieldText(key, x1::kName, name.c_str());
  int exact = 0;
  return Find(key, &exact);
}

bool TFolderList::OnOwner() {
  return DbPositionState(table_) != kPosEnd &&
         FieldI32(table_.Current().currentEntry, x1::kOwner) == *owner_;
}

int TFolderList::ShowOwner(int32_t owner) {
  *owner_ = owner;
  if (!FindKey(*owner_, std::string())) return 0;
  return Refresh(0, -1);
}

int TFolderList::SearchText(const std::string& text) {
  if (!FindKey(*owner_, text)) return 0;
  if (!OnOwner()) {
    // Past the owner's last folder: show the last page, nothing selected.
    if (!SeekPosition(kLastPosition)) return 0;
    return Refresh(0, -1);
  }
  const std::string name = FieldText(table_.Current().currentEntry, x1::kName);
  return Refresh(0, BeginsWithIgnoringCase(name, text) ? 0 : -1);
}

int TFolderList::ShowFolder(const std::string& name) {
  if (!FindKey(*owner_, name)) return 0;
  if (!OnOwner() && !FindKey(*owner_, std::string())) return 0;
  return Refresh(0, 0);
}

bool TFolderList::Selected(FolderEntry* entry) const {
  const int row = SelectedRow();
  if (row < 0) return false;
  if (entry) std::memcpy(entry->bytes, EntryOfRow(row), sizeof entry->bytes);
  return true;
}

int TFolderList::ScrollPosition(const uint8_t* entry) {
  return NameScrollPosition(entry[x1::kName.offset]);
}

int TFolderList::SeekPosition(int position) {
  if (position > 0 && position < kLastPosition) {
    const char letter[2] = {char(64 + position), 0};
    if (!FindKey(*owner_, letter)) return 0;
    if (OnOwner()) return 1;
  }
  if (position <= 0) return FindKey(*owner_, std::string());
  // The owner's last folder: the one before the next owner's first.
  if (!FindKey(*owner_ + 1, std::string()) || !Prev()) return 0;
  if (DbPositionState(table_) == kPosBeforeFirst) return First();
  return 1;
}

bool TFolderList::DrawEntry(QPainter& painter, const QRect& row, const uint8_t* entry, bool) {
  const QString name =
      FromRecordText(reinterpret_cast<const char*>(entry + x1::kName.offset), x1::kName.width);
  painter.drawText(row.adjusted(4, 0, -2, 0), Qt::AlignVCenter | Qt::AlignLeft, name);
  return false;
}
