#include "data/office/name_picking.h"

#include <algorithm>

#include "data/table_handle.h"
#include "storage/records/name.h"
#include "storage/text_compare.h"

namespace nm = records::name;

namespace {

constexpr const char* kCommonDisplay = "* COMMON";

bool ValidMode(int mode) {
  return mode >= 0 && mode <= kLastPickMode;
}

// The first free slot, or -1.
int FreeSlot(const int32_t* set) {
  for (int i = 0; i < kTagSetSize; ++i)
    if (set[i] == 0) return i;
  return -1;
}

void Untag(int32_t* set, int32_t number) {
  for (int i = 0; i < kTagSetSize; ++i)
    if (set[i] == number) set[i] = 0;
}

bool Tag(int32_t* set, int32_t number) {
  const int slot = FreeSlot(set);
  if (slot < 0) return false;
  set[slot] = number;
  return true;
}

}  // namespace

int PickModeKind(int mode) {
  return mode == kPickOwner || mode == kPickOwnerOrCommon ? 1 : 0;
}

bool PickModeLists(int mode, std::string_view name) {
  if (!ValidMode(mode)) mode = kPickPeople;
  switch (mode) {
    case kPickPeople:
      return !NameIsGroup(name);
    case kPickAllButEverybody:
    case kPickOwner:
      return !NameIsEverybody(name);
    default:
      return true;
  }
}

std::string PickDisplayName(int mode, std::string_view name) {
  if (PickModeKind(mode) == 1 && NameIsEverybody(name)) return kCommonDisplay;
  if (mode == kPickOwner && NameIsGroup(name)) return kCommonDisplay;
  return std::string(name);
}

bool NameIsGroup(std::string_view name) {
  return !name.empty() && name[0] == nm::kGroupPrefix;
}

bool NameIsEverybody(std::string_view name) {
  return SameName(name, nm::kEverybody);
}

bool NameBeginsWith(std::string_view name, std::string_view text) {
  if (text.size() > name.size()) return false;
  const std::string a(name.substr(0, text.size()));
  const std::string b(text);
  return StrICmp(a.c_str(), b.c_str()) == 0;
}

bool TagSetContains(const int32_t* set, int32_t number) {
  return number != 0 && std::find(set, set + kTagSetSize, number) != set + kTagSetSize;
}

int TagSetCount(const int32_t* set) {
  return int(std::count_if(set, set + kTagSetSize, [](int32_t n) { return n != 0; }));
}

void TagSetClear(int32_t* set) {
  std::fill(set, set + kTagSetSize, 0);
}

TagChange ToggleNameTag(int32_t* set, int32_t number) {
  if (TagSetContains(set, number)) {
    Untag(set, number);
    return TagChange::kUntagged;
  }
  return Tag(set, number) ? TagChange::kTagged : TagChange::kSetFull;
}

TagChange ToggleGroupTag(int32_t* set, int32_t group, const std::vector<int32_t>& members) {
  if (TagSetContains(set, group)) {
    Untag(set, group);
    for (int32_t member : members)
      if (member != 0) Untag(set, member);
    return TagChange::kUntagged;
  }
  if (!Tag(set, group)) return TagChange::kSetFull;
  for (int32_t member : members) {
    if (member == 0) continue;
    Untag(set, member);
    if (!Tag(set, member)) return TagChange::kMembersCut;
  }
  return TagChange::kTagged;
}

std::vector<int32_t> TagSetNumbers(const int32_t* set) {
  std::vector<int32_t> numbers;
  for (int i = 0; i < kTagSetSize; ++i)
    if (set[i] != 0) numbers.push_back(set[i]);
  return numbers;
}

std::string GroupNameFromText(std::string_view text) {
  if (!text.empty() && text[0] == nm::kGroupPrefix) text.remove_prefix(1);
  std::string name(1, nm::kGroupPrefix);
  name += text;
  if (name.size() > size_t(nm::kName.width - 1)) name.resize(size_t(nm::kName.width - 1));
  return name;
}

std::string GroupNameText(std::string_view group) {
  if (NameIsGroup(group)) group.remove_prefix(1);
  return std::string(group);
}
