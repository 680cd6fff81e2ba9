// The kept index pages: page 0 per open index, and up to kKeptPages other
// pages shared by every open index.
//
// A page belongs to one open index and one "trust generation" of it; moving
// the generation on forgets all its pages at once, and their slots are
// reused later. Slots are found through an open-addressing table and given
// up by the clock rule (a page taken since the hand last passed gets another
// round), so that taking a page touches little memory besides the page.
#include "storage/index_keep.h"

#include <cstring>
#include <memory>
#include <vector>

#include "storage/index_page.h"

namespace index_keep {
namespace {

// 16 MB at most, taken only as pages are read: enough for every page of
// both "MESSAGE" indexes of an office with 100,000 messages.
constexpr uint32_t kKeptPages = 8192;
constexpr uint32_t kChunkPages = 256;            // page memory is taken 512 KB at a time
constexpr uint32_t kTableSize = 2 * kKeptPages;  // a power of two, at most half full
constexpr int kTableBits = 14;
static_assert(kTableSize == 1u << kTableBits);
constexpr int kRootLength = kIndexLockByte;  // page 0 stops short of the lock byte
constexpr uint32_t kNone = 0xFFFFFFFFu;

struct Root {
  uint32_t openId;
  uint64_t generation;
  uint8_t bytes[kRootLength];
};

struct Slot {
  uint64_t key;         // open id and page number
  uint64_t generation;  // of the open index when the page was kept
  bool taken;           // since the clock hand last passed
};

struct Kept {
  std::vector<std::unique_ptr<Root>> roots;  // a few open indexes at a time
  std::vector<Slot> slots;
  std::vector<std::unique_ptr<uint8_t[]>> chunks;
  std::vector<uint32_t> table = std::vector<uint32_t>(kTableSize, kNone);
  uint32_t hand = 0;
  uint32_t limit = kKeptPages;
  uint64_t nextGeneration = 1;

  uint8_t* Bytes(uint32_t slot) {
    return chunks[slot / kChunkPages].get() + size_t(slot % kChunkPages) * kPageSize;
  }
};

Kept& State() {
  static Kept kept;
  return kept;
}

uint64_t Key(uint32_t openId, uint32_t page) {
  return uint64_t(openId) << 32 | page;
}

uint32_t Home(uint64_t key) {
  return uint32_t((key * 0x9E3779B97F4A7C15ull) >> (64 - kTableBits));
}

// The table position holding the key, or of the empty place where it would go.
uint32_t Position(const Kept& k, uint64_t key) {
  uint32_t at = Home(key);
  while (k.table[at] != kNone && k.slots[k.table[at]].key != key) at = (at + 1) & (kTableSize - 1);
  return at;
}

// Takes the key out of the table, moving later entries of its run back so
// that every key stays reachable from its home position.
void Erase(Kept& k, uint64_t key) {
  uint32_t hole = Position(k, key);
  if (k.table[hole] == kNone) return;
  k.table[hole] = kNone;
  for (uint32_t at = (hole + 1) & (kTableSize - 1); k.table[at] != kNone;
       at = (at + 1) & (kTableSize - 1)) {
    const uint32_t home = Home(k.slots[k.table[at]].key);
    // The entry may move into the hole unless its home lies after the hole
    // (cyclically) and at or before its place.
    const bool stays = hole <= at ? (hole < home && home <= at) : (hole < home || home <= at);
    if (stays) continue;
    k.table[hole] = k.table[at];
    k.table[at] = kNone;
    hole = at;
  }
}

Root* FindRoot(Kept& k, uint32_t openId) {
  for (auto& r : k.roots)
    if (r->openId == openId) return r.get();
  return nullptr;
}

// The slot holding a trusted copy of the page, or kNone.
uint32_t Find(Kept& k, uint32_t openId, uint32_t page) {
  const Root* root = FindRoot(k, openId);
  if (!root) return kNone;
  const uint32_t slot = k.table[Position(k, Key(openId, page))];
  if (slot == kNone || k.slots[slot].generation != root->generation) return kNone;
  return slot;
}

// A slot for a new page: a fresh one while there is room, else the first
// the clock hand finds not taken since it last passed.
uint32_t FreeSlot(Kept& k) {
  if (k.slots.size() < k.limit) {
    const uint32_t slot = uint32_t(k.slots.size());
    if (slot % kChunkPages == 0)
      k.chunks.push_back(std::make_unique<uint8_t[]>(size_t(kChunkPages) * kPageSize));
    k.slots.push_back(Slot{0, 0, false});
    return slot;
  }
  for (;;) {
    Slot& s = k.slots[k.hand];
    const uint32_t slot = k.hand;
    k.hand = (k.hand + 1) % k.limit;
    if (s.taken) {
      s.taken = false;
      continue;
    }
    Erase(k, s.key);
    return slot;
  }
}

}  // namespace

bool CheckRoot(uint32_t openId, const uint8_t* page0) {
  Kept& k = State();
  Root* root = FindRoot(k, openId);
  if (root && std::memcmp(root->bytes, page0, kRootLength) == 0) return true;
  if (!root) {
    k.roots.push_back(std::make_unique<Root>());
    root = k.roots.back().get();
    root->openId = openId;
  }
  std::memcpy(root->bytes, page0, kRootLength);
  root->generation = k.nextGeneration++;
  return false;
}

bool Take(uint32_t openId, uint32_t page, uint8_t* out) {
  Kept& k = State();
  const uint32_t slot = Find(k, openId, page);
  if (slot == kNone) return false;
  std::memcpy(out, k.Bytes(slot), kPageSize);
  k.slots[slot].taken = true;
  return true;
}

void Keep(uint32_t openId, uint32_t page, const uint8_t* data) {
  Kept& k = State();
  const Root* root = FindRoot(k, openId);
  if (page == 0 || !root) return;
  const uint64_t key = Key(openId, page);
  uint32_t slot = k.table[Position(k, key)];
  if (slot == kNone) {
    slot = FreeSlot(k);
    k.slots[slot].key = key;
    k.table[Position(k, key)] = slot;
  }
  Slot& s = k.slots[slot];
  s.generation = root->generation;
  s.taken = true;
  std::memcpy(k.Bytes(slot), data, kPageSize);
}

void Wrote(uint32_t openId, uint32_t page, int offset, const uint8_t* data, int length) {
  Kept& k = State();
  if (page == 0) {
    Root* root = FindRoot(k, openId);
    if (!root || offset < 0 || offset >= kRootLength) return;
    const int n = offset + length > kRootLength ? kRootLength - offset : length;
    std::memcpy(root->bytes + offset, data, size_t(n));
    return;
  }
  const uint32_t slot = Find(k, openId, page);
  if (slot == kNone || offset < 0 || offset >= kPageSize) return;
  const int n = offset + length > kPageSize ? kPageSize - offset : length;
  std::memcpy(k.Bytes(slot) + offset, data, size_t(n));
}

void Forget(uint32_t openId) {
  // Its pages fall out of use with it; the clock gives their slots to others.
  Kept& k = State();
  for (size_t i = 0; i < k.roots.size(); ++i) {
    if (k.roots[i]->openId != openId) continue;
    k.roots[i] = std::move(k.roots.back());
    k.roots.pop_back();
    return;
  }
}

void ForgetAll() {
  Kept& k = State();
  k.roots.clear();
  k.slots.clear();
  k.chunks.clear();
  k.table.assign(kTableSize, kNone);
  k.hand = 0;
}

void SetLimit(uint32_t pages) {
  ForgetAll();
  State().limit = pages >= 1 && pages <= kKeptPages ? pages : kKeptPages;
}

}  // namespace index_keep
