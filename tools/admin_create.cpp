// dpadmin create: makes a complete, empty data directory: every table of the
// catalogue with its header and version, CAT.DAT carrying the directory
// version, the DP.EXE marker, the DPE and SENDLOG directories and an empty
// DPDESK.CFG.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "storage/catalogue.h"
#include "tools/admin.h"

namespace fs = std::filesystem;

namespace {

// Start-up locks the first byte of DP.EXE to prove that locking works, so
// the marker must not be empty.
constexpr char kMarkerText[] = "DESKpost data directory\n";

bool WriteFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
  out.close();
  if (!out) {
    Complain(path + ": cannot write: " + std::strerror(errno));
    return false;
  }
  return true;
}

bool MakeDirectory(const std::string& path) {
  std::error_code ec;
  fs::create_directories(path, ec);
  if (ec || !DirectoryExists(path)) {
    Complain(path + ": cannot create directory: " + (ec ? ec.message() : "not a directory"));
    return false;
  }
  return true;
}

// Files that belong to the old contents of a directory being made afresh:
// e-mail bodies and attachments are named by message numbers and flag files
// by name numbers, and the new tables issue those numbers again from 1. Left
// behind, they would turn up under the new messages and people.
bool RemoveStaleFiles(const std::string& dir) {
  std::error_code ec;
  for (const char* sub : {"DPE", "SENDLOG"}) {
    const fs::path folder = fs::path(dir) / sub;
    if (!fs::is_directory(folder, ec)) continue;
    for (const auto& item : fs::directory_iterator(folder, ec)) {
      if (!item.is_regular_file()) continue;
      if (!fs::remove(item.path(), ec)) {
        Complain(item.path().string() + ": cannot remove: " + ec.message());
        return false;
      }
    }
  }
  for (const auto& item : fs::directory_iterator(dir, ec)) {
    const std::string name = item.path().filename().string();
    // Flag files are "<name number>.nam".
    if (!item.is_regular_file() || name.size() < 5 || name.substr(name.size() - 4) != ".nam")
      continue;
    const std::string stem = name.substr(0, name.size() - 4);
    if (stem.find_first_not_of("-0123456789") != std::string::npos) continue;
    if (!fs::remove(item.path(), ec)) {
      Complain(item.path().string() + ": cannot remove: " + ec.message());
      return false;
    }
  }
  if (ec) {
    Complain(dir + ": cannot list: " + ec.message());
    return false;
  }
  return true;
}

bool CreateTables(const std::string& dir) {
  for (int i = 0; i < kCatalogueSize; ++i) {
    const TableDef& def = *CatalogueTables()[i];
    Table table(def);
    if (!DbCreateTable(table, dir, def.version)) {
      Complain(std::string(def.name) + ": cannot create the table (" + DbErrorName() + ")");
      return false;
    }
  }
  // The directory's version is read from CAT.DAT at start-up: make sure it
  // is there.
  File cat;
  uint8_t version = 0;
  if (!cat.Open(DbDataPath(dir, "CAT"), OpenMode::kReadOnly) ||
      cat.ReadAt(kVersionOffset, &version, 1) != 1 || version != kDirectoryVersion) {
    Complain(DbDataPath(dir, "CAT") + ": does not carry the directory version");
    return false;
  }
  return true;
}

}  // namespace

int RunCreate(const std::vector<std::string>& args) {
  std::string dirArg;
  bool force = false;
  for (const std::string& a : args) {
    if (a == "--force") {
      force = true;
    } else if (dirArg.empty()) {
      dirArg = a;
    } else {
      Complain("create takes one directory: dpadmin create DIR [--force]");
      return kExitError;
    }
  }
  if (dirArg.empty()) {
    Complain("create needs a directory: dpadmin create DIR [--force]");
    return kExitError;
  }
  const std::string dir = WithSlash(dirArg);
  if (FileExists(dirArg) && !DirectoryExists(dir)) {
    Complain(dirArg + ": exists and is not a directory");
    return kExitError;
  }
  const bool existing = FileExists(dir + "DP.EXE") || FileExists(dir + "CAT.DAT");
  if (existing && !force) {
    Complain(dir +
             " already holds a data directory; --force makes it afresh and empties every table");
    return kExitProblems;
  }
  if (!MakeDirectory(dir)) return kExitError;
  if (existing) {
    // Until the marker is written again the directory is not taken for a
    // finished one, should anything below fail.
    std::error_code ignored;
    fs::remove(dir + "DP.EXE", ignored);
    if (!RemoveStaleFiles(dir)) return kExitError;
  }
  if (!CreateTables(dir)) return kExitError;
  if (!MakeDirectory(dir + "DPE") || !MakeDirectory(dir + "SENDLOG")) return kExitError;
  // Office-wide settings: an existing file is kept, a new directory gets an
  // empty one.
  if (!FileExists(dir + "DPDESK.CFG") && !WriteFile(dir + "DPDESK.CFG", "")) return kExitError;
  // The marker last: start-up refuses a directory without it, so one left
  // half-made by a failure is never used.
  if (!WriteFile(dir + "DP.EXE", kMarkerText)) return kExitError;
  std::printf("%s: data directory created (%d tables)\n", dir.c_str(), kCatalogueSize);
  return kExitOk;
}
