// Hostile files: the inputs the fuzz targets were started from and every
// input with which they once found a fault, replayed through the targets'
// own harness code (fuzz/harness.h). Each must now pass: the engine fails
// with its error codes instead of crashing, hanging or misreporting.
// New findings go to fuzz/regressions/<target>/ under a name that says what
// went wrong.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/harness.h"
#include "storage/catalogue.h"
#include "storage/database.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using Harness = std::string (*)(const uint8_t*, size_t);

std::vector<fs::path> SavedInputs(const std::string& target) {
  std::vector<fs::path> files;
  for (const char* kind : {"corpus", "regressions"}) {
    const fs::path dir = fs::path(DESKPOST_FUZZ_DIR) / kind / target;
    if (!fs::is_directory(dir)) continue;
    for (const auto& entry : fs::directory_iterator(dir))
      if (entry.is_regular_file()) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

void ReplayAll(const std::string& target, Harness run) {
  const std::vector<fs::path> files = SavedInputs(target);
  ASSERT_FALSE(files.empty()) << "no saved inputs for " << target;
  for (const fs::path& file : files) {
    std::ifstream in(file, std::ios::binary);
    std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in),
                               std::istreambuf_iterator<char>()};
    EXPECT_EQ(run(bytes.data(), bytes.size()), "") << file.filename();
  }
}

TEST(HostileFiles, SavedIndexFilesAreHandledCleanly) {
  ReplayAll("index", RunIndexInput);
}

TEST(HostileFiles, SavedRecordFilesAreHandledCleanly) {
  ReplayAll("records", RunRecordsInput);
}

TEST(HostileFiles, SavedTablesCheckAndReindexCleanly) {
  ReplayAll("check", RunCheckInput);
}

}  // namespace
