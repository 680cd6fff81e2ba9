// The list of the name picker and of the member dialog: the names of one
// mode, each drawn as six spaces and the name (the spaces leave room for
// the tag mark), with the tag mark on every name whose number is in the
// caller's tag set of 100 name numbers.
//
// The list's own selection (highlighted rows, several with Ctrl and Shift
// when the list tags) and the caller's tag set (the marks) live side by
// side; the act on an entry (space bar, right button) is the owner's.
#pragma once

#include <functional>
#include <string>

#include "toolkit/list/name_list.h"

class TPickerList : public TNameList {
  Q_OBJECT

 public:
  static constexpr int kListId = 213;

  // tagSet: the caller's 100 name numbers, or nullptr (no marks).
  // multiSelect: the list's own selection may hold several rows.
  TPickerList(QWidget* parent, const QRect& rect, Table& names, int mode, int32_t* tagSet,
              bool multiSelect);

  int Mode() const { return mode_; }
  bool DrawEntry(QPainter& painter, const QRect& row, const uint8_t* entry, bool focused) override;
  void ActOnEntry(const uint8_t* entry) override;
  std::function<void(const uint8_t*)> onAct;

  // The search field's rule: positions the list at the first listed name
  // not less than text and selects it when it begins with text; at the end
  // of the names nothing is selected. Answers 0 when the index could not be
  // read (the list is then as it was).
  int SearchText(const std::string& text);
  // The name and number of the selected row; false when none is selected.
  bool SelectedName(std::string* name, int32_t* number = nullptr) const;

 private:
  int mode_;
  int32_t* tagSet_;
};

// The name and number fields of a names index entry.
std::string EntryName(const uint8_t* entry);
int32_t EntryNumber(const uint8_t* entry);
