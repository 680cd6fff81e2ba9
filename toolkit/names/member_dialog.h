// SELECT_MEMBERS ("Members"): the people of the office with the group's
// members marked. A click, the space bar or the right button makes a
// person a member or not; OK writes the member list into the group's
// record, Cancel leaves it as it was.
#pragma once

#include <string>

#include "data/office/dpname.h"
#include "data/office/name_picking.h"
#include "toolkit/base_dialog.h"
#include "toolkit/names/picker_layout.h"

class NameSearchField;
class TPickerList;

class MemberDialog : public TBaseDialog {
  Q_OBJECT

 public:
  static constexpr int kIdPlaceholder = kIdPickerPlaceholder;

  // Reads the group; a failure is shown and leaves the dialog not Ready().
  MemberDialog(QWidget* owner, const std::string& group);
  ~MemberDialog() override;

  bool Ready() const { return ready_; }
  // Writes the member list back; a failure is shown and the dialog stays.
  void Ok() override;

  TPickerList* List() const { return list_; }
  NameSearchField* Search() const { return search_; }
  // The members as marked now, in slot order.
  std::vector<int32_t> Members() const { return TagSetNumbers(members_); }
  // Makes the person a member or not, with "Maximum of 100 members." when
  // every slot is taken.
  void ToggleMember(const uint8_t* entry);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::string group_;
  NameTable names_;
  int32_t members_[kTagSetSize] = {};
  bool ready_ = false;
  TPickerList* list_ = nullptr;
  NameSearchField* search_ = nullptr;
};

// The member dialog of a group through the name dialogs' runner: 1 when the
// member list was saved, 0 when cancelled or it failed; 1 at once for a
// name that is not a group, and for "* - ALL".
int SelectMembers(QWidget* owner, const std::string& group);
