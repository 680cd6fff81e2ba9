#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "data/office/office_time_zone.h"
#include "storage/catalogue.h"
#include "storage/errors.h"
#include "storage/index_page.h"
#include "storage/lockwait.h"
#include "tools/admin.h"

std::string WithSlash(const std::string& directory) {
  if (!directory.empty() && directory.back() == '/') return directory;
  return directory + "/";
}

void Complain(const std::string& text) {
  std::fprintf(stderr, "dpadmin: %s\n", text.c_str());
}

bool RequireDataDirectory(const std::string& directory) {
  if (!DirectoryExists(directory)) {
    Complain(directory + ": no such directory");
    return false;
  }
  if (!FileExists(directory + "DP.EXE") && !FileExists(directory + "CAT.DAT")) {
    Complain(directory + ": not a DESKpost data directory (neither DP.EXE nor CAT.DAT is there)");
    return false;
  }
  return UseOfficeTimeZone(directory);
}

bool UseOfficeTimeZone(const std::string& directory) {
  // Dates and times read and written from here on are the office's.
  if (ApplyOfficeTimeZone(WithSlash(directory)).ok) return true;
  Complain(FormatAppError() + ": set a zone of the time zone database, such as America/New_York");
  return false;
}

const TableDef* RequireTable(const std::string& name) {
  std::string upper = name;
  std::transform(upper.begin(), upper.end(), upper.begin(),
                 [](unsigned char c) { return char(std::toupper(c)); });
  if (const TableDef* def = FindTableDef(upper)) return def;
  std::string known;
  for (int i = 0; i < kCatalogueSize; ++i) {
    if (i > 0) known += ", ";
    known += CatalogueTables()[i]->name;
  }
  Complain("unknown table: " + name + " (the tables are " + known + ")");
  return nullptr;
}

std::string DataFileName(const TableDef& def) {
  return std::string(def.name) + ".DAT";
}

std::string IndexFileName(const TableDef& def, int indexNumber) {
  return std::string(def.name) + ".X" + std::to_string(indexNumber);
}

std::vector<uint8_t> BuildEntry(const TableDef& def, int x, const uint8_t* record,
                                int32_t recordNumber) {
  std::vector<uint8_t> entry(kEntryBufferSize, 0);
  def.indexes[x].build(record, entry.data(), recordNumber);
  PutI32(entry.data(), recordNumber);
  entry.resize(def.indexes[x].entryLength);
  return entry;
}

bool LockByte(File& file, int64_t offset) {
  return LockWithRetry(file, offset, nullptr);
}

namespace {
constexpr int kLinesPerFile = 100;
}

void ProblemLog::Add(const std::string& file, const std::string& text) {
  ++total_;
  if (file != file_) {
    EndFile(file_);
    file_ = file;
  }
  if (shownForFile_ >= kLinesPerFile) {
    ++hiddenForFile_;
    return;
  }
  ++shownForFile_;
  std::printf("%s: %s\n", file.c_str(), text.c_str());
}

void ProblemLog::EndFile(const std::string& file) {
  if (file == file_ && hiddenForFile_ > 0)
    std::printf("%s: %d more problems not shown\n", file.c_str(), hiddenForFile_);
  if (file == file_) {
    shownForFile_ = 0;
    hiddenForFile_ = 0;
    file_.clear();
  }
}
