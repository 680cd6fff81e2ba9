// The folder list of the folder dialogs: index X1 of "FOLDER" (owner, then
// name), showing the folders of one owner only (0 the common folders, else
// one person's), in name order, with the letter positions of the scroll
// bar.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "data/messages/dpfolder.h"
#include "toolkit/list/db_list.h"

class TFolderList : public TDBList {
  Q_OBJECT

 public:
  // The table must be open; the list starts at the owner's first folder.
  TFolderList(QWidget* parent, const QRect& rect, int id, FolderTable& folders, int32_t owner);

  int32_t Owner() const { return *owner_; }
  // Shows another owner's folders from the first, nothing selected.
  int ShowOwner(int32_t owner);
  // Moves to the first folder whose name is not less than the text and
  // selects it when its name begins with the text (ignoring case); else
  // nothing is selected.
  int SearchText(const std::string& text);
  // Shows the list from the folder of that name, selected (the first
  // folder when there is none).
  int ShowFolder(const std::string& name);
  // The selected folder's entry; false when nothing is selected.
  bool Selected(FolderEntry* entry) const;

  int ScrollPosition(const uint8_t* entry) override;
  int SeekPosition(int position) override;
  bool DrawEntry(QPainter& painter, const QRect& row, const uint8_t* entry, bool focused) override;

 private:
  // Positions the index at the first entry not less than (owner, name).
  int FindKey(int32_t owner, const std::string& name);
  bool OnOwner();
  TFolderList(QWidget* parent, const QRect& rect, int id, FolderTable& folders,
              std::shared_ptr<int32_t> owner);

  // Shared with the filter, which the list's base already uses while it is
  // built.
  std::shared_ptr<int32_t> owner_;
};
