// dpadmin create: makes a complete, empty data directory: every table of the
// catalogue with its header and version, CAT.DAT carrying the directory
// version, the DP.EXE marker, the DPE and SENDLOG directories, an empty
// DPDESK.CFG and the label formats (LABEL.DAT) when it has none.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "data/office/empty_office.h"
#include "data/office/startup_settings.h"
#include "data/phone/label_table.h"
#include "storage/catalogue.h"
#include "tools/admin.h"
#include "tools/templates/template_writer.h"

namespace fs = std::filesystem;

namespace {

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

// Flag files are "<name number>.nam".
bool IsFlagFileName(const std::string& name) {
  if (name.size() < 5 || name.substr(name.size() - 4) != ".nam") return false;
  return name.substr(0, name.size() - 4).find_first_not_of("-0123456789") == std::string::npos;
}

// A file of an office that making the directory afresh destroys: a table's
// record file or index, emptied; an e-mail file or a flag file, removed.
struct OfficeFile {
  std::string name;  // relative to the directory
  std::string fate;  // what create --force does to it
  bool removed = false;
};

// Every file of an office found in dir: the tables and indexes of the
// catalogue, e-mail bodies and attachments (DPE, SENDLOG) and flag files.
// E-mail files and flag files are named by message and name numbers, which
// new tables issue again from 1: left behind, they would turn up under the
// new messages and people.
std::vector<OfficeFile> FindOfficeFiles(const std::string& dir) {
  std::vector<OfficeFile> found;
  // The record files first: they are what is lost.
  for (int i = 0; i < kCatalogueSize; ++i) {
    const TableDef& def = *CatalogueTables()[i];
    std::error_code ec;
    const std::string data = DataFileName(def);
    const auto size = fs::file_size(dir + data, ec);
    if (ec) continue;
    const int64_t body = int64_t(size) - def.headerSize;
    const int64_t records = body > 0 ? (body + def.recordSize - 1) / def.recordSize : 0;
    found.push_back(
        {data, "emptied (" + std::to_string(records) + (records == 1 ? " record)" : " records)")});
  }
  for (int i = 0; i < kCatalogueSize; ++i) {
    const TableDef& def = *CatalogueTables()[i];
    for (int x = 1; x <= def.indexCount; ++x)
      if (FileExists(dir + IndexFileName(def, x)))
        found.push_back({IndexFileName(def, x), "emptied"});
  }
  std::error_code ec;
  for (const char* sub : {"DPE", "SENDLOG"}) {
    const fs::path folder = fs::path(dir) / sub;
    if (!fs::is_directory(folder, ec)) continue;
    for (const auto& item : fs::directory_iterator(folder, ec))
      if (item.is_regular_file())
        found.push_back(
            {std::string(sub) + "/" + item.path().filename().string(), "removed", true});
  }
  for (const auto& item : fs::directory_iterator(dir, ec)) {
    const std::string name = item.path().filename().string();
    if (item.is_regular_file() && IsFlagFileName(name)) found.push_back({name, "removed", true});
  }
  return found;
}

bool RemoveStaleFiles(const std::string& dir, const std::vector<OfficeFile>& files) {
  for (const OfficeFile& f : files) {
    if (!f.removed) continue;
    std::error_code ec;
    if (!fs::remove(dir + f.name, ec) && ec) {
      Complain(dir + f.name + ": cannot remove: " + ec.message());
      return false;
    }
  }
  return true;
}

bool CreateTables(const std::string& dir) {
  const TableDef* failed = nullptr;
  if (!CreateCatalogueTables(dir, &failed)) {
    Complain(std::string(failed->name) + ": cannot create the table (" + DbErrorName() + ")");
    return false;
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
  // Workstations find the office through DPDESK.INI's Path: a directory it
  // cannot name is refused before anything is made.
  std::error_code noPath;
  const std::string full = fs::absolute(dirArg, noPath).lexically_normal().string();
  if (const std::string problem = DataPathProblem(full); !problem.empty()) {
    Complain(full + ": " + problem);
    return kExitError;
  }
  if (FileExists(dirArg) && !DirectoryExists(dir)) {
    Complain(dirArg + ": exists and is not a directory");
    return kExitError;
  }
  // Any file of an office counts, not only the marker and CAT.DAT: a
  // directory that lost those still holds people and messages.
  const std::vector<OfficeFile> office =
      DirectoryExists(dir) ? FindOfficeFiles(dir) : std::vector<OfficeFile>();
  const bool existing = FileExists(dir + "DP.EXE") || !office.empty();
  if (existing && !force) {
    std::string names;
    for (size_t i = 0; i < office.size() && i < 5; ++i) names += (i ? ", " : "") + office[i].name;
    if (office.size() > 5) names += ", ...";
    Complain(dir + " already holds " + (office.empty() ? "a data directory" : "an office's files") +
             (names.empty() ? "" : " (" + names + ")") +
             "; --force makes it afresh and empties every table");
    return kExitProblems;
  }
  if (!MakeDirectory(dir)) return kExitError;
  if (existing) {
    std::printf("%s: --force makes the data directory afresh, destroying:\n", dir.c_str());
    for (const OfficeFile& f : office) std::printf("  %s: %s\n", f.name.c_str(), f.fate.c_str());
    std::fflush(stdout);
    // Until the marker is written again the directory is not taken for a
    // finished one, should anything below fail.
    std::error_code ignored;
    fs::remove(dir + "DP.EXE", ignored);
    if (!RemoveStaleFiles(dir, office)) return kExitError;
  }
  if (!CreateTables(dir)) return kExitError;
  if (!MakeDirectory(dir + "DPE") || !MakeDirectory(dir + "SENDLOG")) return kExitError;
  // Office-wide settings: an existing file is kept, a new directory gets an
  // empty one.
  if (!FileExists(dir + "DPDESK.CFG") && !WriteFile(dir + "DPDESK.CFG", "")) return kExitError;
  // The page templates of the printed schedules and phone lists: the
  // office may have drawn its own, which are kept.
  for (const templates::TemplateFile& page : templates::DrawTemplates()) {
    if (FileExists(dir + page.name)) continue;
    if (!WriteFile(dir + page.name, std::string(page.bytes.begin(), page.bytes.end())))
      return kExitError;
  }
  // The label formats: an office's own LABEL.DAT is kept, a directory
  // without one gets the formats delivered with the program.
  if (!FileExists(dir + "LABEL.DAT") &&
      !WriteFile(dir + "LABEL.DAT", LabelFileBytes(StandardLabelFormats())))
    return kExitError;
  // The marker last: start-up refuses a directory without it, so one left
  // half-made by a failure is never used.
  if (!WriteFile(dir + "DP.EXE", kOfficeMarkerText)) return kExitError;
  std::printf("%s: data directory created (%d tables)\n", dir.c_str(), kCatalogueSize);
  return kExitOk;
}
