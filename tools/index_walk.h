// Reads an index file page by page, straight from the file, and checks its
// structure: page kinds and counts, key order within and across pages,
// the sentinel, branch keys, leaf links, the free list, unreachable pages
// and the depth. Every count, link and depth read from the file is checked
// before use, so a damaged file yields problems, never a crash or a loop.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "storage/file.h"
#include "storage/index.h"

struct IndexWalk {
  bool readable = false;  // page 0 could be read
  uint32_t counter = 0;   // page 0's change counter
  uint32_t pageCount = 0;
  int depth = 0;  // levels, root included
  // The leaf entries in tree order, sentinel left out.
  std::vector<std::vector<uint8_t>> entries;
  std::vector<std::string> problems;  // one line each, without the file name
};

// Walks the index file; the definition gives the entry length and the
// comparator that orders keys.
void WalkIndex(File& file, const IndexDef& def, IndexWalk* walk);
