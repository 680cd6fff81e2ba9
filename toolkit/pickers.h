// What the recipient and phone-list name fields call: the name picker and
// the phone list's quick list. The windows that implement them come with
// the name picker and the phone list; until then (and in tests) anything
// implementing these interfaces serves.
#pragma once

#include <QWidget>
#include <cstdint>
#include <string>

class NamePicker {
 public:
  virtual ~NamePicker() = default;
  // Lets the user choose a name, starting the search at startText (single
  // byte text). The chosen person or group goes into the name record (its
  // name field among others), the tagged names into the tag set of 100
  // name numbers. No password check. True when a name was chosen.
  virtual bool PickName(uint8_t* nameRecord, int32_t* tagSet, int mode,
                        const std::string& startText) = 0;
};

class PhoneQuickList {
 public:
  virtual ~PhoneQuickList() = default;
  virtual bool IsOpen() const = 0;
  // The first name of the current phone list that is not less than typed;
  // false when there is none.
  virtual bool FindFrom(const std::string& typed, std::string* name) = 0;
  // Opens the quick list under the field, showing the name.
  virtual void Open(QWidget* field, const std::string& name) = 0;
  // Moves the open quick list to the name.
  virtual void Follow(const std::string& name) = 0;
  virtual void Close() = 0;
};
