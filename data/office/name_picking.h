// The rules of the name picker that need no window: which names each mode
// lists and how it shows them, the caller's tag set of 100 name numbers,
// and how a typed group name is made.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// ---- Modes ----

// Modes 0 to 4. Kind 1 (modes 3 and 4) is where the choice is the owner of
// shared data (a schedule, a to-do list, a phone list).
constexpr int kPickPeople = 0;           // people only
constexpr int kPickAllButEverybody = 1;  // everything except "* - ALL"
constexpr int kPickEverything = 2;
constexpr int kPickOwner = 3;          // kind 1, everything except "* - ALL"
constexpr int kPickOwnerOrCommon = 4;  // kind 1, everything
constexpr int kLastPickMode = 4;

// A mode outside 0 to 4 is taken as mode 0, the narrowest list.
int PickModeKind(int mode);
// Whether the mode lists the name (the list's filter: shown or skipped).
bool PickModeLists(int mode, std::string_view name);
// The text a row shows for the name: in kind 1 "* - ALL" reads "* COMMON",
// and in mode 3 every name beginning with "*" does.
std::string PickDisplayName(int mode, std::string_view name);

bool NameIsGroup(std::string_view name);
bool NameIsEverybody(std::string_view name);
// Whether name begins with text, letters compared without regard to case
// the way the name index compares them.
bool NameBeginsWith(std::string_view name, std::string_view text);

// ---- The tag set ----

constexpr int kTagSetSize = 100;

enum class TagChange {
  kTagged,
  kUntagged,
  // No free slot for the name itself: nothing changed.
  kSetFull,
  // The group was tagged but a member found the set full: the members
  // after it were not tagged.
  kMembersCut,
};

bool TagSetContains(const int32_t* set, int32_t number);
int TagSetCount(const int32_t* set);
void TagSetClear(int32_t* set);
// Tags an untagged name in the first free slot, or frees the slot of a
// tagged one.
TagChange ToggleNameTag(int32_t* set, int32_t number);
// A group: toggles its own number; tagging also tags each member (first
// untagged, then tagged, so no member is held twice), untagging untags
// them all.
TagChange ToggleGroupTag(int32_t* set, int32_t group, const std::vector<int32_t>& members);
// The set's numbers in slot order, free slots left out.
std::vector<int32_t> TagSetNumbers(const int32_t* set);

// ---- Group names ----

// The group name for a typed text: "*" and the text (a leading "*" typed
// by the user is not doubled), cut to 19 characters.
std::string GroupNameFromText(std::string_view text);
// The text to edit for a group name: the name less its leading "*".
std::string GroupNameText(std::string_view group);
