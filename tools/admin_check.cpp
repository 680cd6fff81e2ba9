// dpadmin check: compares every index with its record file and checks the
// files themselves, reporting each problem on a line of its own.
#include <cerrno>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <vector>

#include "data/messages/dpcc.h"
#include "data/messages/dpfolder.h"
#include "data/messages/dpmess.h"
#include "data/messages/dpnote.h"
#include "data/office/dpname.h"
#include "data/phone/dpphone.h"
#include "data/phone/phone_category.h"
#include "data/schedule/dpsched.h"
#include "data/schedule/dptodo.h"
#include "storage/catalogue.h"
#include "storage/index_page.h"
#include "storage/records/note.h"
#include "tools/admin.h"
#include "tools/index_walk.h"
#include "tools/record_format.h"
#include "tools/record_scan.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Outcome {
  bool ioError = false;
};

std::string KeyText(const TableDef& def, int x, const uint8_t* entry) {
  return "(" + DescribeEntry(def, x, entry) + ")";
}

// Matches the leaf entries of one index with the entries its records should
// have: exactly one per live record, equal to what the key builder makes.
void MatchEntries(const TableDef& def, int x, const IndexWalk& walk,
                  const std::vector<Bytes>& expected, const std::string& file, ProblemLog& log) {
  const int length = def.indexes[x].entryLength;
  const int32_t count = int32_t(expected.size());
  std::vector<uint8_t> seen(expected.size(), 0);
  for (const Bytes& entry : walk.entries) {
    const int32_t n = GetI32(entry.data());
    const std::string who = "entry for record " + std::to_string(n);
    if (n < 0 || n >= count) {
      log.Add(file, who + ", which does not exist " + KeyText(def, x, entry.data()));
      continue;
    }
    const Bytes& want = expected[size_t(n)];
    if (want.empty()) {
      log.Add(file, who + ", which is deleted " + KeyText(def, x, entry.data()));
      continue;
    }
    if (seen[size_t(n)]) {
      log.Add(file, "record " + std::to_string(n) + " has more than one entry");
      continue;
    }
    seen[size_t(n)] = 1;
    if (std::memcmp(entry.data(), want.data(), size_t(length)) == 0) continue;
    if (def.indexes[x].compare(entry.data(), want.data()) == 0)
      log.Add(file, who + " carries stale copies of record fields " +
                        KeyText(def, x, entry.data()) + ", the record gives " +
                        KeyText(def, x, want.data()));
    else
      log.Add(file, who + " has the key " + KeyText(def, x, entry.data()) +
                        " but the record gives " + KeyText(def, x, want.data()));
  }
  for (int32_t n = 0; n < count; ++n) {
    if (!expected[size_t(n)].empty() && !seen[size_t(n)])
      log.Add(file, "record " + std::to_string(n) + " has no entry " +
                        KeyText(def, x, expected[size_t(n)].data()));
  }
}

// The last unique number a table issued; a table whose header cannot be
// read is complained about, and then no number of it counts as issued
// (the table itself is reported when it is checked).
uint32_t LastIssuedOf(const std::string& dir, const TableDef& def) {
  File data;
  uint8_t header[4];
  if (data.Open(DbDataPath(dir, def.name), OpenMode::kReadOnly) &&
      data.ReadAt(0, header, sizeof header) == long(sizeof header))
    return GetU32(header);
  Complain(DataFileName(def) + ": cannot read the last number it issued");
  return 0;
}

// The numbers of the notes that exist: those with a live first record. Empty
// when NOTE.DAT cannot be read (it is reported when it is checked).
std::optional<std::set<int32_t>> NotesOf(const std::string& dir) {
  File data;
  if (!data.Open(DbDataPath(dir, kNoteTable.name), OpenMode::kReadOnly)) return std::nullopt;
  std::set<int32_t> notes;
  RecordScan scan;
  const bool read = ScanRecords(
      data, kNoteTable,
      [&](int32_t, const uint8_t* record, bool deleted) {
        if (!deleted && FieldByte(record, records::note::kPart) == 0)
          notes.insert(FieldI32(record, records::note::kNumber));
      },
      &scan);
  if (!read) return std::nullopt;
  return notes;
}

// What the fields of a table's live records hold that none can, one line a
// field, and a unique number held by more than one record. The tables whose
// field rules are written: every table of the catalogue.
class FieldCheck {
 public:
  FieldCheck(const std::string& dir, const TableDef& def, const std::string& file, ProblemLog& log)
      : def_(def), file_(file), log_(log) {
    // A send-log copy keeps the message number of the copy it was made of;
    // schedule entries, to-do items and personal phone lists belong to name
    // numbers.
    if (&def == &kSendLogTable || &def == &kCcTable)
      otherLastIssued_ = LastIssuedOf(dir, kMessageTable);
    // A message's long-text note goes only with the message.
    if (&def == &kMessageTable || &def == &kSendLogTable) notes_ = NotesOf(dir);
    if (&def == &kSchedTable || &def == &kTodoTable || &def == &kPhoneTable ||
        &def == &kFolderTable || &def == &kCatTable)
      otherLastIssued_ = LastIssuedOf(dir, kNameTable);
    // An assignment joins a phone list entry and a category.
    if (&def == &kLcTable) {
      otherLastIssued_ = LastIssuedOf(dir, kPhoneTable);
      secondLastIssued_ = LastIssuedOf(dir, kCatTable);
    }
  }

  void Record(int32_t n, const uint8_t* bytes, uint32_t lastIssued) {
    std::vector<FieldProblem> problems;
    const char* uniqueField = nullptr;  // the field whose number is the record's own
    int32_t unique = 0;
    if (&def_ == &kNameTable) {
      NameRecord record;
      std::memcpy(record.bytes, bytes, sizeof record.bytes);
      problems = NameRecordProblems(record, lastIssued);
      uniqueField = "name number";
      unique = record.Number();
    } else if (&def_ == &kMessageTable || &def_ == &kSendLogTable) {
      MessageRecord record;
      std::memcpy(record.bytes, bytes, sizeof record.bytes);
      if (&def_ == &kSendLogTable) lastIssued = otherLastIssued_;
      problems = MessageRecordProblems(record, lastIssued, notes_ ? &*notes_ : nullptr);
      uniqueField = "message number";
      unique = record.Number();
    } else if (&def_ == &kSchedTable) {
      SchedRecord record;
      std::memcpy(record.bytes, bytes, sizeof record.bytes);
      problems = SchedRecordProblems(record, lastIssued, otherLastIssued_);
      uniqueField = "unique id";
      unique = record.UniqueId();
    } else if (&def_ == &kTodoTable) {
      TodoRecord record;
      std::memcpy(record.bytes, bytes, sizeof record.bytes);
      problems = TodoRecordProblems(record, lastIssued, otherLastIssued_);
      uniqueField = "unique id";
      unique = record.UniqueId();
    } else if (&def_ == &kPhoneTable) {
      PhoneRecord record;
      std::memcpy(record.bytes, bytes, sizeof record.bytes);
      problems = PhoneRecordProblems(record, lastIssued, otherLastIssued_);
      uniqueField = "entry number";
      unique = record.EntryNumber();
    } else if (&def_ == &kFolderTable) {
      FolderRecord record;
      std::memcpy(record.bytes, bytes, sizeof record.bytes);
      problems = FolderRecordProblems(record, lastIssued, otherLastIssued_);
      uniqueField = "folder number";
      unique = record.Number();
    } else if (&def_ == &kNoteTable) {
      // A note's parts share its number; the index keeps (number, part)
      // unique.
      uint8_t record[records::note::kRecordSize];
      std::memcpy(record, bytes, sizeof record);
      problems = NoteRecordProblems(record, lastIssued);
    } else if (&def_ == &kCcTable) {
      // A copy's CC list is one record a name under its message number.
      uint8_t record[records::cc::kRecordSize];
      std::memcpy(record, bytes, sizeof record);
      problems = CcRecordProblems(record, otherLastIssued_);
    } else if (&def_ == &kCatTable) {
      CategoryRecord record;
      std::memcpy(record.bytes, bytes, sizeof record.bytes);
      problems = CategoryRecordProblems(record, lastIssued, otherLastIssued_);
      uniqueField = "category number";
      unique = record.Number();
    } else if (&def_ == &kLcTable) {
      uint8_t record[records::lc::kRecordSize];
      std::memcpy(record, bytes, sizeof record);
      problems = AssignmentRecordProblems(record, otherLastIssued_, secondLastIssued_);
    } else {
      return;
    }
    for (const FieldProblem& p : problems)
      log_.Add(file_, "record " + std::to_string(n) + ", " + p.field + ": " + p.what);
    if (!uniqueField) return;
    auto [at, fresh] = firstWithNumber_.emplace(unique, n);
    if (!fresh)
      log_.Add(file_, "record " + std::to_string(n) + ", " + uniqueField + ": " +
                          std::to_string(unique) + ", already the number of record " +
                          std::to_string(at->second));
  }

 private:
  const TableDef& def_;
  const std::string& file_;
  ProblemLog& log_;
  std::map<int32_t, int32_t> firstWithNumber_;
  // The last number the other table this one's numbers come from issued.
  uint32_t otherLastIssued_ = 0;
  uint32_t secondLastIssued_ = 0;
  std::optional<std::set<int32_t>> notes_;
};

void CheckTable(const std::string& dir, const TableDef& def, ProblemLog& log, Outcome& outcome) {
  const std::string dataName = DataFileName(def);
  const std::string dataPath = DbDataPath(dir, def.name);
  if (!FileExists(dataPath)) {
    log.Add(dataName, "missing");
    log.EndFile(dataName);
    return;
  }
  File data;
  bool writable = data.Open(dataPath, OpenMode::kShared);
  if (!writable && !data.Open(dataPath, OpenMode::kReadOnly)) {
    Complain(dataPath + ": cannot open: " + std::strerror(errno));
    outcome.ioError = true;
    return;
  }
  // Hold the append lock and every index lock while reading, so that no
  // workstation changes the table half-way through the check.
  bool appendLocked = writable && LockByte(data, 0);
  if (writable && !appendLocked)
    Complain(dataName + ": another workstation holds the append lock; checking anyway");

  std::vector<File> indexFiles(size_t(def.indexCount));
  std::vector<bool> present(size_t(def.indexCount), false);
  for (int x = 0; x < def.indexCount; ++x) {
    const std::string path = DbIndexPath(dir, def.name, x + 1);
    if (!FileExists(path)) continue;
    File& f = indexFiles[size_t(x)];
    bool w = f.Open(path, OpenMode::kShared);
    if (!w && !f.Open(path, OpenMode::kReadOnly)) {
      Complain(path + ": cannot open: " + std::strerror(errno));
      outcome.ioError = true;
      continue;
    }
    present[size_t(x)] = true;
    if (w && !LockByte(f, kIndexLockByte))
      Complain(IndexFileName(def, x + 1) +
               ": another workstation holds the index lock; checking anyway");
  }

  // The entries each index should hold: one per live record.
  std::vector<std::vector<Bytes>> expected(size_t(def.indexCount));
  RecordScan scan;
  // The header is read before the first slot is visited.
  FieldCheck fields(dir, def, dataName, log);
  bool read = ScanRecords(
      data, def,
      [&](int32_t n, const uint8_t* record, bool deleted) {
        for (int x = 0; x < def.indexCount; ++x) {
          auto& list = expected[size_t(x)];
          list.resize(size_t(n) + 1);
          if (!deleted) list[size_t(n)] = BuildEntry(def, x, record, n);
        }
        if (!deleted) fields.Record(n, record, scan.unique);
      },
      &scan);
  for (const std::string& p : scan.problems) log.Add(dataName, p);
  log.EndFile(dataName);
  if (!read) outcome.ioError = true;
  for (auto& list : expected) list.resize(size_t(scan.count));

  for (int x = 0; x < def.indexCount; ++x) {
    const std::string file = IndexFileName(def, x + 1);
    if (!present[size_t(x)]) {
      // An index that exists but could not be opened was complained about.
      if (!FileExists(DbIndexPath(dir, def.name, x + 1))) log.Add(file, "missing");
      log.EndFile(file);
      continue;
    }
    IndexWalk walk;
    WalkIndex(indexFiles[size_t(x)], def.indexes[x], &walk);
    for (const std::string& p : walk.problems) log.Add(file, p);
    if (walk.readable && read) MatchEntries(def, x, walk, expected[size_t(x)], file, log);
    log.EndFile(file);
  }
  // Closing the files releases the locks taken through them.
}

}  // namespace

int RunCheck(const std::vector<std::string>& args) {
  if (args.empty()) {
    Complain("check needs a directory: dpadmin check DIR [TABLE...]");
    return kExitError;
  }
  const std::string dir = WithSlash(args[0]);
  if (!RequireDataDirectory(dir)) return kExitError;
  std::vector<const TableDef*> tables;
  for (size_t i = 1; i < args.size(); ++i) {
    const TableDef* def = RequireTable(args[i]);
    if (!def) return kExitError;
    tables.push_back(def);
  }
  ProblemLog log;
  if (tables.empty()) {
    for (int i = 0; i < kCatalogueSize; ++i) tables.push_back(CatalogueTables()[i]);
    // Start-up proves the directory with DP.EXE before anything else.
    if (!FileExists(dir + "DP.EXE")) log.Add("DP.EXE", "missing");
  }
  Outcome outcome;
  for (const TableDef* def : tables) CheckTable(dir, *def, log, outcome);
  if (outcome.ioError) return kExitError;
  if (log.Total() == 0) {
    std::printf("%s: no problems found\n", dir.c_str());
    return kExitOk;
  }
  std::printf("%s: %d problem%s found\n", dir.c_str(), log.Total(), log.Total() == 1 ? "" : "s");
  return kExitProblems;
}
