// The tags of a list: a growable array of 32-bit values, each identifying
// one entry (a name number, a record number...). 0 marks a free slot, so
// clearing a tag only frees its slot and the array never shrinks while the
// list lives. It starts with room for 1024 values and grows by 1024.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

class TagStore {
 public:
  static constexpr size_t kGrowth = 1024;

  TagStore();

  bool Contains(uint32_t value) const;
  // Adds the value when absent (on) or frees its slot (off). Answers false
  // when memory for a new value cannot be had: the user is told "Not enough
  // memory." and the value is not stored.
  bool Set(uint32_t value, bool on);
  void ClearAll();
  size_t Count() const;
  size_t Capacity() const { return capacity_; }

  // Lets a test make the next growth fail.
  void FailNextGrowthForTest() { failNextGrowth_ = true; }

 private:
  bool Grow();

  std::unique_ptr<uint32_t[]> values_;
  size_t capacity_ = 0;
  bool failNextGrowth_ = false;
};
