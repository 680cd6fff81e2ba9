// Index pages kept between operations of this process.
//
// Every locked index operation starts by reading page 0, the root, which
// also carries the change counter. Every change by any workstation moves
// that counter (to the update marker and then one further), so when page 0
// reads exactly as this process last knew it, nobody has changed the file
// since, and the other pages this process read or wrote then are still what
// the file holds: the search takes them from here instead of reading them
// again. A page 0 that reads in any way different forgets every kept page of
// that open index.
//
// The engine's own writes are copied into what is kept as they are made, so
// an update by this process leaves its pages trusted for the next operation.
// Only operations under the index lock use the kept pages; nothing here
// changes what is read from or written to the file.
#pragma once

#include <cstdint>

namespace index_keep {

// Page 0 as just read under the index lock (its first 2047 bytes). Answers
// whether the pages kept for this open index are still true; when not, they
// are forgotten and this page 0 becomes the one they are kept against.
bool CheckRoot(uint32_t openId, const uint8_t* page0);

// Copies a kept page (2048 bytes) of this open index; false when not kept.
bool Take(uint32_t openId, uint32_t page, uint8_t* out);

// Keeps a page (not page 0) as read, or as written in full, under the lock.
void Keep(uint32_t openId, uint32_t page, const uint8_t* data);

// Copies bytes just written at offset of a page into what is kept of it
// (page 0 included); a page not kept stays not kept.
void Wrote(uint32_t openId, uint32_t page, int offset, const uint8_t* data, int length);

// Forgets what is kept for an open index (closed, or an operation failed
// part way), or for every index (a file was changed behind the engine).
void Forget(uint32_t openId);
void ForgetAll();

// How many pages besides the roots may be kept (at most the built-in 8192;
// 0 restores that). Forgets everything. Tests use a few pages so that pages
// are given up and taken back all the time.
void SetLimit(uint32_t pages);

}  // namespace index_keep
