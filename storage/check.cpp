#include "storage/check.h"

#include <cstdio>
#include <cstring>

namespace {
CheckHandler& Handler() {
  static CheckHandler handler;
  return handler;
}
unsigned failures = 0;
}  // namespace

void SetCheckHandler(CheckHandler handler) {
  Handler() = std::move(handler);
}

void CheckFailed(const char* module, unsigned line) {
  ++failures;
  // Report the module as its file name, not the build machine's full path.
  const char* slash = std::strrchr(module, '/');
  const char* name = slash ? slash + 1 : module;
  if (Handler()) {
    Handler()(name, line);
  } else {
    std::fprintf(stderr, "Check failed: %s, line %u\n", name, line);
  }
}

unsigned CheckFailureCount() {
  return failures;
}
