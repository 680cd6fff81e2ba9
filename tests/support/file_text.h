// Whole files a test sets up. A write that does not reach the disk stops the
// test program there, naming the file, instead of turning up later as a
// puzzling difference in what the code under test read. Header only, so Qt
// Test programs can use it as well as GoogleTest ones. (ReadWholeFile, in
// temp_dir.h, reads one back.)
#pragma once

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

// Makes path hold exactly bytes, creating its folder first; a mode of 0 or
// more is then set on the file.
inline void WriteWholeFile(const std::string& path, const std::string& bytes, int mode = -1) {
  std::error_code ignored;  // an existing folder is fine; a missing one fails the write
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  out.close();
  if (!out || (mode >= 0 && ::chmod(path.c_str(), mode_t(mode)) != 0)) {
    std::fprintf(stderr, "test set-up: could not write %s\n", path.c_str());
    std::abort();
  }
}
