// Owning pointers for GMime's objects, so that every parse and build frees
// what it made on every path out.
#pragma once

#include <gmime/gmime.h>

#include <memory>
#include <string>

struct GObjectUnref {
  void operator()(void* object) const {
    if (object) g_object_unref(object);
  }
};
template <typename T>
using GPtr = std::unique_ptr<T, GObjectUnref>;

struct GFree {
  void operator()(void* p) const { g_free(p); }
};
using GText = std::unique_ptr<char, GFree>;

// GMime is set up once per process before its first use.
void GMimeReady();

// The bytes a stream of GMime's memory kind holds.
std::string MemStreamBytes(GMimeStream* stream);
