// The list of one phone list's entries (index X1 of "PHONE", filtered to the
// list): each row shows the Listname and Phone 1 in two columns, and the
// scroll positions map the Listname's initial, "A" to "Z" to 1 to 26,
// earlier initials to 0 and later ones to 27. The entries of every other
// list lie before and after it in the index; the filter's stop keeps the
// list inside its own. The phone list window's list tags; the quick list
// of a phone message (messaging/quick_list.h) is the same list without
// tags.
#pragma once

#include <memory>
#include <string>

#include "data/phone/dpphone.h"
#include "toolkit/list/db_list.h"

class TPhoneListView : public TDBList {
  Q_OBJECT

 public:
  static constexpr int kId = 501;

  // The table must be open; the list starts at the list's first entry.
  TPhoneListView(QWidget* parent, const QRect& rect, PhoneTable& phones, int32_t list,
                 bool tagging = true);

  int32_t List() const { return *list_; }
  // Shows another list from its first entry (nothing selected).
  int ShowList(int32_t list);

  int ScrollPosition(const uint8_t* entry) override;
  int SeekPosition(int position) override;
  bool DrawEntry(QPainter& painter, const QRect& row, const uint8_t* entry, bool focused) override;

  // The quick find: positions the list at the first entry whose Listname
  // is not less than the text (the list's last page when none is) and
  // selects it when its Listname starts with the text. 0 when the index
  // could not be read.
  int FindText(const std::string& text);
  // The quick list's find: like FindText, but the entry found is selected
  // whether or not its Listname starts with the name.
  int ShowFrom(const std::string& name);
  // Starts the page at the entry (or where it would be, the list's last
  // page past its end) and selects the row.
  int ShowEntry(const PhoneEntry& entry, int row = 0);
  // The selected row's entry; false when none is selected.
  bool Selected(PhoneEntry* entry) const;
  // The entry of a page row.
  PhoneEntry Entry(int row) const;

 private:
  // Finds (list, listname, phone) and, past the list's end, steps back to
  // its last entry. *inList says whether it landed on an entry of the list.
  int SeekKey(int32_t list, const std::string& listname, const std::string& phone, bool* inList);
  bool InList(const uint8_t* entry) const;
  int FindAndSelect(const std::string& text, bool prefixOnly);

  // Shared with the filter, which the base needs before this object is
  // made.
  TPhoneListView(QWidget* parent, const QRect& rect, PhoneTable& phones,
                 std::shared_ptr<int32_t> list, bool tagging);
  std::shared_ptr<int32_t> list_;
};

// The initial's scroll position: "A" to "Z" (either case) 1 to 26, below
// 0, above 27.
int PhoneScrollPosition(uint8_t initial);
