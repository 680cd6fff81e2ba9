#include "toolkit/list/tag_store.h"

#include <algorithm>
#include <new>

#include "toolkit/prompts.h"

TagStore::TagStore() {
  // Without room for the first 1024 the store stays empty and every Set
  // tries again.
  Grow();
}

bool TagStore::Contains(uint32_t value) const {
  if (value == 0) return false;
  return std::find(values_.get(), values_.get() + capacity_, value) != values_.get() + capacity_;
}

bool TagStore::Set(uint32_t value, bool on) {
  // 0 is the free mark, never a value.
  if (value == 0) return false;
  uint32_t* begin = values_.get();
  uint32_t* end = begin + capacity_;
  uint32_t* found = std::find(begin, end, value);
  if (!on) {
    if (found != end) *found = 0;
    return true;
  }
  if (found != end) return true;
  uint32_t* slot = std::find(begin, end, 0u);
  if (slot == end) {
    size_t old = capacity_;
    if (!Grow()) {
      Prompter().Inform("Not enough memory.");
      return false;
    }
    slot = values_.get() + old;
  }
  *slot = value;
  return true;
}

void TagStore::ClearAll() {
  std::fill(values_.get(), values_.get() + capacity_, 0u);
}

size_t TagStore::Count() const {
  return size_t(
      std::count_if(values_.get(), values_.get() + capacity_, [](uint32_t v) { return v != 0; }));
}

bool TagStore::Grow() {
  if (failNextGrowth_) {
    failNextGrowth_ = false;
    return false;
  }
  std::unique_ptr<uint32_t[]> bigger(new (std::nothrow) uint32_t[capacity_ + kGrowth]());
  if (!bigger) return false;
  std::copy(values_.get(), values_.get() + capacity_, bigger.get());
  values_ = std::move(bigger);
  capacity_ += kGrowth;
  return true;
}
