// The kept index pages: page 0 per open index, and up to kKeptPages other
// pages shared by every open index, the least recently used given up first.
// A page belongs to one open index and one "trust generation" of it; moving
// the generation on forgets all its pages at once, and they are reused later.
#include "storage/index_keep.h"

#include <cstring>
#include <memory>
#include <unordered_map>
#include <vector>

#include "storage/index_page.h"

namespace index_keep {
namespace {

// 16 MB at most, taken only as pages are read: enough for every page of
// both "MESSAGE" indexes of an office with 100,000 messages.
constexpr uint32_t kKeptPages = 8192;
constexpr int kRootLength = kIndexLockByte;  // page 0 stops short of the lock byte
constexpr uint32_t kNone = 0xFFFFFFFFu;

struct Root {
  uint8_t bytes[kRootLength];
  uint64_t generation;
};

struct Slot {
  uint64_t key;         // open id and page number
  uint64_t generation;  // of the open index when the page was kept
  uint32_t newer = kNone;
  uint32_t older = kNone;
  uint8_t bytes[kPageSize];
};

struct Kept {
  std::unordered_map<uint32_t, std::unique_ptr<Root>> roots;
  std::vector<std::unique_ptr<Slot>> slots;
  std::unordered_map<uint64_t, uint32_t> where;
  uint32_t newest = kNone;
  uint32_t oldest = kNone;
  uint64_t nextGeneration = 1;
};

Kept& State() {
  static Kept kept;
  return kept;
}

uint64_t Key(uint32_t openId, uint32_t page) {
  return uint64_t(openId) << 32 | page;
}

void Unlink(Kept& k, uint32_t i) {
  Slot& s = *k.slots[i];
  if (s.newer != kNone)
    k.slots[s.newer]->older = s.older;
  else
    k.newest = s.older;
  if (s.older != kNone)
    k.slots[s.older]->newer = s.newer;
  else
    k.oldest = s.newer;
  s.newer = s.older = kNone;
}

void MakeNewest(Kept& k, uint32_t i) {
  Slot& s = *k.slots[i];
  s.older = k.newest;
  s.newer = kNone;
  if (k.newest != kNone) k.slots[k.newest]->newer = i;
  k.newest = i;
  if (k.oldest == kNone) k.oldest = i;
}

// The slot holding a trusted copy of the page, or kNone.
uint32_t Find(Kept& k, uint32_t openId, uint32_t page) {
  auto root = k.roots.find(openId);
  if (root == k.roots.end()) return kNone;
  auto at = k.where.find(Key(openId, page));
  if (at == k.where.end()) return kNone;
  if (k.slots[at->second]->generation != root->second->generation) return kNone;
  return at->second;
}

}  // namespace

bool CheckRoot(uint32_t openId, const uint8_t* page0) {
  Kept& k = State();
  std::unique_ptr<Root>& root = k.roots[openId];
  if (root && std::memcmp(root->bytes, page0, kRootLength) == 0) return true;
  if (!root) root = std::make_unique<Root>();
  std::memcpy(root->bytes, page0, kRootLength);
  root->generation = k.nextGeneration++;
  return false;
}

bool Take(uint32_t openId, uint32_t page, uint8_t* out) {
  Kept& k = State();
  const uint32_t i = Find(k, openId, page);
  if (i == kNone) return false;
  std::memcpy(out, k.slots[i]->bytes, kPageSize);
  Unlink(k, i);
  MakeNewest(k, i);
  return true;
}

void Keep(uint32_t openId, uint32_t page, const uint8_t* data) {
  Kept& k = State();
  auto root = k.roots.find(openId);
  if (page == 0 || root == k.roots.end()) return;
  const uint64_t key = Key(openId, page);
  uint32_t i;
  auto at = k.where.find(key);
  if (at != k.where.end()) {
    i = at->second;
    Unlink(k, i);
  } else if (k.slots.size() < kKeptPages) {
    i = uint32_t(k.slots.size());
    k.slots.push_back(std::make_unique<Slot>());
  } else {
    i = k.oldest;
    Unlink(k, i);
    k.where.erase(k.slots[i]->key);
  }
  Slot& s = *k.slots[i];
  s.key = key;
  s.generation = root->second->generation;
  std::memcpy(s.bytes, data, kPageSize);
  k.where[key] = i;
  MakeNewest(k, i);
}

void Wrote(uint32_t openId, uint32_t page, int offset, const uint8_t* data, int length) {
  Kept& k = State();
  if (page == 0) {
    auto root = k.roots.find(openId);
    if (root == k.roots.end() || offset < 0 || offset >= kRootLength) return;
    const int n = offset + length > kRootLength ? kRootLength - offset : length;
    std::memcpy(root->second->bytes + offset, data, size_t(n));
    return;
  }
  const uint32_t i = Find(k, openId, page);
  if (i == kNone || offset < 0 || offset >= kPageSize) return;
  const int n = offset + length > kPageSize ? kPageSize - offset : length;
  std::memcpy(k.slots[i]->bytes + offset, data, size_t(n));
}

void Forget(uint32_t openId) {
  // Its pages fall out of use with it and are reused as the oldest.
  State().roots.erase(openId);
}

void ForgetAll() {
  Kept& k = State();
  k.roots.clear();
  k.where.clear();
  k.slots.clear();
  k.newest = k.oldest = kNone;
}

}  // namespace index_keep
