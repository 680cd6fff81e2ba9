#include "tools/index_walk.h"

#include <cstring>
#include <unordered_map>

#include "storage/index_page.h"
#include "storage/records/field.h"
#include "storage/records/keys.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A damaged file can produce a problem for every page; after this many the
// rest are only counted.
constexpr size_t kMaxProblems = 200;

enum PageUse : uint8_t { kUnused = 0, kInTree = 1, kOnFreeList = 2 };

struct LeafLinks {
  uint32_t page;
  uint32_t prev;
  uint32_t next;
};

class Walker {
 public:
  Walker(File& file, const IndexDef& def, IndexWalk* walk)
      : file_(file), def_(def), length_(def.entryLength), walk_(walk) {}

  void Run();

 private:
  void Problem(const std::string& text);
  bool ReadPage(uint32_t page, uint8_t* buffer);
  // Visits a subtree; on success *greatest receives its greatest entry.
  bool Visit(uint32_t page, int depth, bool rightmost, Bytes* greatest);
  void CheckLeafEntry(uint32_t page, int slot, const uint8_t* entry, bool last, bool rightmost);
  void CheckLeafLinks();
  void CheckFreeList(uint32_t head);
  void ReportUnusedPages();
  PageUse UseOf(uint32_t page) const {
    auto it = use_.find(page);
    return it == use_.end() ? kUnused : it->second;
  }

  File& file_;
  const IndexDef& def_;
  const int length_;
  IndexWalk* walk_;
  // Only the pages reached are recorded: a sparse file may be terabytes of
  // pages that nothing names.
  std::unordered_map<uint32_t, PageUse> use_;
  std::vector<LeafLinks> leaves_;
  int leafDepth_ = -1;
  size_t dropped_ = 0;
};

std::string PageName(uint32_t page) {
  return "page " + std::to_string(page);
}

void Walker::Problem(const std::string& text) {
  if (walk_->problems.size() < kMaxProblems)
    walk_->problems.push_back(text);
  else
    ++dropped_;
}

bool Walker::ReadPage(uint32_t page, uint8_t* buffer) {
  // Page 0 is read without its last byte, the index's lock byte.
  size_t size = page == 0 ? kPageSize - 1 : kPageSize;
  std::memset(buffer, 0, kPageSize);
  if (file_.ReadAt(int64_t(page) * kPageSize, buffer, size) != long(size)) {
    Problem("cannot read " + PageName(page));
    return false;
  }
  return true;
}

void Walker::Run() {
  if (length_ <= kEntryRecordNumber.End() || length_ >= kMaxEntryLength) {
    Problem("entry length " + std::to_string(length_) + " is not usable");
    return;
  }
  int64_t size = file_.Size();
  if (size < 0) {
    Problem("cannot read the file's length");
    return;
  }
  if (size < kPageSize - 1) {
    Problem("only " + std::to_string(size) + " bytes long: not even page 0 is complete");
    return;
  }
  if (size % kPageSize != 0 && size != kPageSize - 1)
    Problem("length " + std::to_string(size) + " is not a whole number of pages");
  int64_t pages = size / kPageSize;
  if (pages < 1) pages = 1;
  if (pages > int64_t(UINT32_MAX)) pages = UINT32_MAX;
  walk_->pageCount = uint32_t(pages);

  uint8_t root[kPageSize];
  if (!ReadPage(0, root)) return;
  walk_->readable = true;
  walk_->counter = PagePrev(root);
  if (walk_->counter == kCounterUpdating)
    Problem("an update was cut short (change counter 0xFFFFFFFF)");
  uint32_t freeHead = PageNext(root);

  Bytes greatest;
  Visit(0, 1, true, &greatest);
  CheckLeafLinks();
  CheckFreeList(freeHead);
  ReportUnusedPages();
  if (dropped_ > 0)
    walk_->problems.push_back(std::to_string(dropped_) + " more problems not shown");
}

bool Walker::Visit(uint32_t page, int depth, bool rightmost, Bytes* greatest) {
  if (depth > kMaxTreeDepth) {
    Problem(PageName(page) + " lies deeper than " + std::to_string(kMaxTreeDepth) + " levels");
    return false;
  }
  if (page >= walk_->pageCount) {
    Problem(PageName(page) + " lies beyond the end of the file");
    return false;
  }
  if (UseOf(page) == kInTree) {
    Problem(PageName(page) + " is reached twice in the tree");
    return false;
  }
  use_[page] = kInTree;
  if (depth > walk_->depth) walk_->depth = depth;

  uint8_t buffer[kPageSize];
  if (!ReadPage(page, buffer)) return false;
  const uint8_t kind = PageKind(buffer);
  const int count = PageCount(buffer);
  const std::string name = PageName(page);
  if (kind != kPageLeaf && kind != kPageBranch) {
    Problem(name + " has kind " + std::to_string(kind) + " in the tree (1 leaf, 0 branch)");
    return false;
  }
  if (count > MaxEntriesPerPage(length_)) {
    Problem(name + " holds " + std::to_string(count) + " entries, more than the " +
            std::to_string(MaxEntriesPerPage(length_)) + " that fit");
    return false;
  }
  if (count == 0) {
    Problem(name + " holds no entries");
    return false;
  }
  // Page 0's link fields hold the change counter and the free-list head.
  if (page != 0) {
    uint32_t next = PageNext(buffer);
    uint32_t prev = PagePrev(buffer);
    if (next == 0 || next == page) Problem(name + " has next link " + std::to_string(next));
    if (prev == page) Problem(name + " links back to itself");
  }

  if (kind == kPageLeaf) {
    if (leafDepth_ < 0) leafDepth_ = depth;
    if (depth != leafDepth_)
      Problem(name + " is a leaf at level " + std::to_string(depth) + ", other leaves at " +
              std::to_string(leafDepth_));
    if (page != 0) leaves_.push_back({page, PagePrev(buffer), PageNext(buffer)});
    for (int i = 0; i < count; ++i)
      CheckLeafEntry(page, i, PageEntry(buffer, i, length_), i == count - 1, rightmost);
    const uint8_t* last = PageEntry(buffer, count - 1, length_);
    greatest->assign(last, last + length_);
    return true;
  }

  bool known = true;
  for (int i = 0; i < count; ++i) {
    const uint8_t* entry = PageEntry(buffer, i, length_);
    const bool last = i == count - 1;
    const bool sentinel = IsSentinelKey(entry, length_);
    if (sentinel && !(last && rightmost))
      Problem(name + " slot " + std::to_string(i) + " carries the sentinel key");
    if (!sentinel && last && rightmost)
      Problem(name + " is on the rightmost path but its last key is not the sentinel");
    uint32_t child = GetU32(entry);
    Bytes childGreatest;
    if (!Visit(child, depth + 1, rightmost && last, &childGreatest)) {
      known = false;
      continue;
    }
    if (std::memcmp(entry + kEntryRecordNumber.End(),
                    childGreatest.data() + kEntryRecordNumber.End(),
                    size_t(length_ - kEntryRecordNumber.End())) != 0)
      Problem(name + " slot " + std::to_string(i) + ": key is not the greatest key under " +
              PageName(child));
    if (last) *greatest = childGreatest;
  }
  return known;
}

void Walker::CheckLeafEntry(uint32_t page, int slot, const uint8_t* entry, bool last,
                            bool rightmost) {
  const std::string where = PageName(page) + " slot " + std::to_string(slot);
  if (IsSentinelKey(entry, length_)) {
    if (!(last && rightmost))
      Problem(where + ": the sentinel, which belongs only at the end of the last leaf");
    else if (!IsSentinel(entry, length_))
      Problem(where + ": the sentinel carries record number " + std::to_string(GetU32(entry)));
    return;
  }
  if (last && rightmost) Problem(where + ": the last leaf does not end with the sentinel");
  if (!walk_->entries.empty() && def_.compare(walk_->entries.back().data(), entry) >= 0)
    Problem(where + " (record " + std::to_string(GetI32(entry)) +
            "): key not above the key before it (record " +
            std::to_string(GetI32(walk_->entries.back().data())) + ")");
  walk_->entries.emplace_back(entry, entry + length_);
}

void Walker::CheckLeafLinks() {
  for (size_t i = 0; i < leaves_.size(); ++i) {
    uint32_t prev = i > 0 ? leaves_[i - 1].page : kNoPage;
    uint32_t next = i + 1 < leaves_.size() ? leaves_[i + 1].page : kNoPage;
    const std::string name = "leaf " + PageName(leaves_[i].page);
    if (leaves_[i].prev != prev)
      Problem(name + " has previous link " + std::to_string(leaves_[i].prev) + ", expected " +
              std::to_string(prev));
    if (leaves_[i].next != next)
      Problem(name + " has next link " + std::to_string(leaves_[i].next) + ", expected " +
              std::to_string(next));
  }
}

void Walker::CheckFreeList(uint32_t head) {
  uint32_t page = head;
  // Each page can be on the list once, so the walk takes at most pageCount
  // steps; a loop shows up as a page seen twice.
  while (page != kNoPage) {
    const std::string name = "free-list " + PageName(page);
    if (page == 0 || page >= walk_->pageCount) {
      Problem(name + " does not exist");
      return;
    }
    if (UseOf(page) == kInTree) {
      Problem(PageName(page) + " is both in the tree and on the free list");
      return;
    }
    if (UseOf(page) == kOnFreeList) {
      Problem("the free list loops back to " + PageName(page));
      return;
    }
    use_[page] = kOnFreeList;
    uint8_t header[kPageHeaderSize];
    if (file_.ReadAt(int64_t(page) * kPageSize, header, sizeof header) != long(sizeof header)) {
      Problem("cannot read " + name);
      return;
    }
    if (PageKind(header) != kPageFree)
      Problem(name + " has kind " + std::to_string(PageKind(header)) + ", not 255");
    page = PageNext(header);
  }
}

// Pages neither in the tree nor on the free list are listed while problems
// are still shown and only counted after that, so a huge sparse file costs
// no more than a small one.
void Walker::ReportUnusedPages() {
  uint64_t unused = walk_->pageCount - 1;
  for (const auto& [page, use] : use_)
    if (page != 0) --unused;
  for (uint32_t p = 1; p < walk_->pageCount && unused > 0; ++p) {
    if (UseOf(p) != kUnused) continue;
    if (walk_->problems.size() >= kMaxProblems) {
      dropped_ += size_t(unused);
      return;
    }
    Problem(PageName(p) + " is neither in the tree nor on the free list");
    --unused;
  }
}

}  // namespace

void WalkIndex(File& file, const IndexDef& def, IndexWalk* walk) {
  Walker(file, def, walk).Run();
}
