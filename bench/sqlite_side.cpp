// SQLite's side of the benchmark: the same messages in one table with two
// unique indexes on the key columns of "MESSAGE" X1 and X2, and the user's
// work table in a database file of its own. Every statement runs in
// autocommit, so, as with our engine, each change is visible to every other
// process when the call returns.
#include <sqlite3.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "bench/side.h"
#include "storage/records/field.h"
#include "storage/records/message.h"
#include "storage/text_compare.h"

namespace bench {
namespace {

namespace msg = records::message;

constexpr int kBusyTimeoutMs = 60000;

// The recipient is compared without regard to case, as in X1 (ASCII folding
// in both).
constexpr const char* kMessageSchema =
    "CREATE TABLE message(id INTEGER PRIMARY KEY, folder INTEGER NOT NULL, kind INTEGER NOT "
    "NULL, flags INTEGER NOT NULL, recipient TEXT NOT NULL COLLATE NOCASE, sender TEXT NOT "
    "NULL, time INTEGER NOT NULL, number INTEGER NOT NULL, changes INTEGER NOT NULL, record "
    "BLOB NOT NULL);"
    "CREATE UNIQUE INDEX message_x1 ON message(folder, recipient, time, number);"
    "CREATE UNIQUE INDEX message_x2 ON message(time, number);";

constexpr const char* kRowColumns =
    "(id INTEGER PRIMARY KEY, rid INTEGER, folder INTEGER, kind INTEGER, flags INTEGER, "
    "recipient TEXT COLLATE NOCASE, sender TEXT COLLATE NOCASE, time INTEGER, number INTEGER, "
    "changes INTEGER, pending BLOB)";
constexpr const char* kRowNames =
    "(rid, folder, kind, flags, recipient, sender, time, number, changes, pending)";
constexpr const char* kEntryColumns =
    "id, folder, kind, flags, recipient, sender, time, number, changes";
constexpr const char* kAppendSql =
    "INSERT INTO message(folder, kind, flags, recipient, sender, time, number, changes, record) "
    "VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)";
constexpr const char* kFindSql =
    "SELECT id, record FROM message WHERE folder = ?1 AND recipient = ?2 AND time = ?3 AND "
    "number = ?4";
constexpr int kPendingBytes = msg::list_row::kLength - msg::x1::kLength;

class Statement {
 public:
  Statement() = default;
  ~Statement() { sqlite3_finalize(stmt_); }
  bool Prepare(sqlite3* db, const std::string& sql) {
    sqlite3_finalize(stmt_);
    stmt_ = nullptr;
    if (sqlite3_prepare_v3(db, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &stmt_, nullptr) ==
        SQLITE_OK)
      return true;
    std::fprintf(stderr, "sqlite: %s\n  in %s\n", sqlite3_errmsg(db), sql.c_str());
    return false;
  }
  sqlite3_stmt* get() const { return stmt_; }
  void Finalize() {
    sqlite3_finalize(stmt_);
    stmt_ = nullptr;
  }

 private:
  sqlite3_stmt* stmt_ = nullptr;
};

// Steps a statement; a busy answer that outlasted the busy timeout (or a
// lock upgrade SQLite refuses to wait for) runs the statement again, as an
// application would.
int Step(sqlite3_stmt* stmt) {
  for (;;) {
    int rc = sqlite3_step(stmt);
    if (rc != SQLITE_BUSY && rc != SQLITE_LOCKED) return rc;
    sqlite3_reset(stmt);
  }
}

// Copies the entry columns of a result row (see kEntryColumns) into the
// bytes of an X1 entry, the work the list window does with each entry.
void ColumnsToEntry(sqlite3_stmt* s, int first, uint8_t* entry) {
  std::memset(entry, 0, size_t(msg::x1::kLength));
  PutI32(entry, sqlite3_column_int(s, first + 0));
  SetFieldI32(entry, msg::x1::kFolder, sqlite3_column_int(s, first + 1));
  SetFieldByte(entry, msg::x1::kKind, uint8_t(sqlite3_column_int(s, first + 2)));
  SetFieldByte(entry, msg::x1::kFlags, uint8_t(sqlite3_column_int(s, first + 3)));
  SetFieldText(entry, msg::x1::kTo,
               reinterpret_cast<const char*>(sqlite3_column_text(s, first + 4)));
  SetFieldText(entry, msg::x1::kFrom,
               reinterpret_cast<const char*>(sqlite3_column_text(s, first + 5)));
  SetFieldI32(entry, msg::x1::kTime, sqlite3_column_int(s, first + 6));
  SetFieldI32(entry, msg::x1::kNumber, sqlite3_column_int(s, first + 7));
  SetFieldU16(entry, msg::x1::kChangeCount, uint16_t(sqlite3_column_int(s, first + 8)));
}

int CompareBySender(const uint8_t* a, const uint8_t* b) {
  if (int r = CompareTextNoCase(a + msg::x1::kFrom.offset, b + msg::x1::kFrom.offset,
                                size_t(msg::x1::kFrom.width)))
    return r;
  const int32_t ta = FieldI32(a, msg::x1::kTime), tb = FieldI32(b, msg::x1::kTime);
  if (ta != tb) return ta < tb ? -1 : 1;
  const int32_t na = FieldI32(a, msg::x1::kNumber), nb = FieldI32(b, msg::x1::kNumber);
  return na < nb ? -1 : (na > nb ? 1 : 0);
}

class SqliteSide : public Side {
 public:
  SqliteSide(const char* journal, const char* sync, const char* label)
      : journal_(journal), sync_(sync), label_(label) {}
  ~SqliteSide() override { Close(); }

  std::string Label() const override { return label_; }

  bool Create(const std::string& dir) override {
    for (const char* suffix : {"", "-journal", "-wal", "-shm"}) {
      std::remove((dir + "MESSAGE.db" + suffix).c_str());
      std::remove((dir + "W1.db" + suffix).c_str());
    }
    sqlite3* db = nullptr;
    bool ok = sqlite3_open(Path(dir, "MESSAGE.db").c_str(), &db) == SQLITE_OK &&
              Exec(db, "PRAGMA journal_mode=" + journal_) && Exec(db, kMessageSchema);
    sqlite3_close(db);
    return ok;
  }

  bool Open(const std::string& dir, bool withWorkTable) override {
    Close();
    if (sqlite3_open(Path(dir, "MESSAGE.db").c_str(), &db_) != SQLITE_OK) return false;
    sqlite3_busy_timeout(db_, kBusyTimeoutMs);
    if (!Exec(db_, "PRAGMA journal_mode=" + journal_) || !Exec(db_, "PRAGMA synchronous=" + sync_))
      return false;
    if (!withWorkTable) return append_.Prepare(db_, kAppendSql) && find_.Prepare(db_, kFindSql);
    if (!Exec(db_, "ATTACH DATABASE '" + Path(dir, "W1.db") + "' AS w") ||
        !Exec(db_, "PRAGMA w.journal_mode=" + journal_) ||
        !Exec(db_, "PRAGMA w.synchronous=" + sync_) ||
        !Exec(db_, std::string("CREATE TABLE IF NOT EXISTS w.rows") + kRowColumns))
      return false;
    const std::string order = " ORDER BY folder, recipient, time, number";
    const std::string reverse = " ORDER BY folder DESC, recipient DESC, time DESC, number DESC";
    return append_.Prepare(db_, kAppendSql) && find_.Prepare(db_, kFindSql) &&
           forward_.Prepare(db_,
                            std::string("SELECT ") + kEntryColumns + " FROM message" + order) &&
           backward_.Prepare(db_,
                             std::string("SELECT ") + kEntryColumns + " FROM message" + reverse) &&
           PrepareWorkStatements();
  }

  void Close() override {
    for (Statement* s :
         {&append_, &find_, &forward_, &backward_, &clear_, &query_, &fill_, &readRow_})
      s->Finalize();
    if (db_) sqlite3_close(db_);
    db_ = nullptr;
  }

  bool Append(const MessageRecord& message) override {
    const uint8_t* r = message.data();
    sqlite3_stmt* s = append_.get();
    sqlite3_bind_int(s, 1, FieldI32(r, msg::kFolder));
    sqlite3_bind_int(s, 2, FieldByte(r, msg::kKind));
    sqlite3_bind_int(s, 3, FieldByte(r, msg::kFlags));
    const std::string to = FieldText(r, msg::kTo);
    const std::string from = FieldText(r, msg::kFrom);
    sqlite3_bind_text(s, 4, to.c_str(), int(to.size()), SQLITE_STATIC);
    sqlite3_bind_text(s, 5, from.c_str(), int(from.size()), SQLITE_STATIC);
    sqlite3_bind_int(s, 6, FieldI32(r, msg::kTime));
    sqlite3_bind_int(s, 7, FieldI32(r, msg::kNumber));
    sqlite3_bind_int(s, 8, FieldU16(r, msg::kChangeCount));
    sqlite3_bind_blob(s, 9, r, msg::kRecordSize, SQLITE_STATIC);
    const bool ok = Step(s) == SQLITE_DONE;
    sqlite3_reset(s);
    return ok;
  }

  bool Find(const MessageRecord& message) override {
    const uint8_t* r = message.data();
    sqlite3_stmt* s = find_.get();
    const std::string to = FieldText(r, msg::kTo);
    sqlite3_bind_int(s, 1, FieldI32(r, msg::kFolder));
    sqlite3_bind_text(s, 2, to.c_str(), int(to.size()), SQLITE_STATIC);
    sqlite3_bind_int(s, 3, FieldI32(r, msg::kTime));
    sqlite3_bind_int(s, 4, FieldI32(r, msg::kNumber));
    bool ok = Step(s) == SQLITE_ROW && sqlite3_column_bytes(s, 1) == msg::kRecordSize;
    if (ok) std::memcpy(record_, sqlite3_column_blob(s, 1), msg::kRecordSize - 1);
    sqlite3_reset(s);
    return ok;
  }

  Counted Walk(bool forward) override {
    Counted c;
    sqlite3_stmt* s = (forward ? forward_ : backward_).get();
    uint8_t entry[msg::x1::kLength];
    int rc;
    while ((rc = Step(s)) == SQLITE_ROW) {
      ColumnsToEntry(s, 0, entry);
      ++c.items;
    }
    sqlite3_reset(s);
    c.ok = rc == SQLITE_DONE;
    return c;
  }

  Counted QueryNewFolder(const std::string& person) override {
    Counted c;
    if (!Run(clear_.get())) return c;
    sqlite3_stmt* q = query_.get();
    sqlite3_bind_text(q, 1, person.c_str(), int(person.size()), SQLITE_STATIC);
    if (!Run(q)) return c;
    const int64_t rows = sqlite3_changes64(db_);
    uint8_t row[msg::list_row::kLength];
    for (int64_t i = 1; i <= rows; ++i) {
      if (!ReadRow(i, row)) return c;
      ++c.items;
    }
    c.ok = true;
    return c;
  }

  bool FillWorkTable(int32_t rows) override {
    if (!Run(clear_.get())) return false;
    sqlite3_bind_int(fill_.get(), 1, rows);
    return Run(fill_.get()) && sqlite3_changes64(db_) == rows;
  }

  Counted SortWorkTable() override {
    Counted c;
    // The sorted rows go into a new table that then takes the work table's
    // name, as our sort's result file does.
    if (!Exec(db_, std::string("CREATE TABLE w.sorted") + kRowColumns) ||
        !Exec(db_, std::string("INSERT INTO w.sorted") + kRowNames + " SELECT " +
                       std::string(kRowNames).substr(1, std::strlen(kRowNames) - 2) +
                       " FROM w.rows ORDER BY sender COLLATE NOCASE, time, number"))
      return c;
    c.items = sqlite3_changes64(db_);
    if (!Exec(db_, "DROP TABLE w.rows") || !Exec(db_, "ALTER TABLE w.sorted RENAME TO rows"))
      return c;
    c.ok = PrepareWorkStatements();
    return c;
  }

  bool WorkTableSorted(int32_t rows) override {
    uint8_t previous[msg::list_row::kLength];
    uint8_t row[msg::list_row::kLength];
    for (int32_t i = 1; i <= rows; ++i) {
      if (!ReadRow(i, row)) return false;
      if (i > 1 && CompareBySender(previous, row) > 0) return false;
      std::memcpy(previous, row, sizeof row);
    }
    return !ReadRow(rows + 1, row);
  }

 private:
  static std::string Path(const std::string& dir, const char* file) { return dir + file; }

  static bool Exec(sqlite3* db, const std::string& sql) {
    char* error = nullptr;
    for (;;) {
      int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
      if (rc == SQLITE_OK) return true;
      if (rc == SQLITE_BUSY) {
        sqlite3_free(error);
        error = nullptr;
        continue;
      }
      std::fprintf(stderr, "sqlite: %s\n  in %s\n", error ? error : "?", sql.c_str());
      sqlite3_free(error);
      return false;
    }
  }

  bool Run(sqlite3_stmt* s) {
    const bool ok = Step(s) == SQLITE_DONE;
    sqlite3_reset(s);
    return ok;
  }

  bool ReadRow(int64_t id, uint8_t* row) {
    sqlite3_stmt* s = readRow_.get();
    sqlite3_bind_int64(s, 1, id);
    bool ok = Step(s) == SQLITE_ROW;
    if (ok) {
      ColumnsToEntry(s, 0, row);
      const int n = sqlite3_column_bytes(s, 9);
      std::memset(row + msg::x1::kLength, 0, kPendingBytes);
      if (n > 0 && n <= kPendingBytes)
        std::memcpy(row + msg::x1::kLength, sqlite3_column_blob(s, 9), size_t(n));
    }
    sqlite3_reset(s);
    return ok;
  }

  bool PrepareWorkStatements() {
    const std::string order = " ORDER BY folder, recipient, time, number";
    const std::string select = std::string(" SELECT ") + kEntryColumns + ", zeroblob(" +
                               std::to_string(kPendingBytes) + ") FROM main.message";
    return clear_.Prepare(db_, "DELETE FROM w.rows") &&
           query_.Prepare(db_, std::string("INSERT INTO w.rows") + kRowNames + select +
                                   " WHERE folder = " + std::to_string(msg::kFolderNew) +
                                   " AND recipient = ?1" + order) &&
           fill_.Prepare(
               db_, std::string("INSERT INTO w.rows") + kRowNames + select + order + " LIMIT ?1") &&
           readRow_.Prepare(db_,
                            "SELECT rid, folder, kind, flags, recipient, sender, time, number, "
                            "changes, pending FROM w.rows WHERE id = ?1");
  }

  std::string journal_;
  std::string sync_;
  std::string label_;
  sqlite3* db_ = nullptr;
  Statement append_, find_, forward_, backward_, clear_, query_, fill_, readRow_;
  uint8_t record_[msg::kRecordSize];
};

}  // namespace

std::unique_ptr<Side> MakeSqliteSide(bool wal) {
  if (wal) return std::make_unique<SqliteSide>("WAL", "NORMAL", "SQLite WAL, synchronous=NORMAL");
  return std::make_unique<SqliteSide>("DELETE", "OFF", "SQLite DELETE, synchronous=OFF");
}

}  // namespace bench
