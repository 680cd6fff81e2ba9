#include "shell/ui/trace.h"

#include <cstdio>
#include <cstdlib>

void Trace(const std::string& line) {
  const char* path = std::getenv("DESKPOST_TRACE");
  if (path == nullptr || *path == '\0') return;
  // Opened for each line so another process reading the file sees every
  // line as soon as it is written.
  if (std::FILE* f = std::fopen(path, "a")) {
    std::fprintf(f, "%s\n", line.c_str());
    std::fclose(f);
  }
}
