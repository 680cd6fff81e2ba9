// Our engine's side of the benchmark: the "MESSAGE" table of the catalogue
// and the user's message work table "W1", driven as the program drives them.
#include <climits>
#include <cstring>

#include "bench/side.h"
#include "storage/catalogue.h"
#include "storage/records/field.h"
#include "storage/records/message.h"
#include "storage/text_compare.h"
#include "storage/worktable.h"

namespace bench {
namespace {

namespace msg = records::message;

constexpr long kUserNumber = 1;
constexpr int kX1 = 0;

// The work table orders by sender without regard to case, then time, then
// message number: the message list sorted by "From".
int CompareBySender(const uint8_t* a, const uint8_t* b) {
  if (int r = CompareTextNoCase(a + msg::x1::kFrom.offset, b + msg::x1::kFrom.offset,
                                size_t(msg::x1::kFrom.width)))
    return r;
  const int32_t ta = FieldI32(a, msg::x1::kTime), tb = FieldI32(b, msg::x1::kTime);
  if (ta != tb) return ta < tb ? -1 : 1;
  const int32_t na = FieldI32(a, msg::x1::kNumber), nb = FieldI32(b, msg::x1::kNumber);
  return na < nb ? -1 : (na > nb ? 1 : 0);
}

class OurSide : public Side {
 public:
  std::string Label() const override { return "ours"; }

  bool Create(const std::string& dir) override {
    Table table(kMessageTable);
    return DbCreateTable(table, dir, kMessageTable.version) == 1;
  }

  bool Open(const std::string& dir, bool withWorkTable) override {
    dir_ = dir;
    return DbOpenTable(table_, dir) && (!withWorkTable || DbOpenWorkTable(work_, dir));
  }

  void Close() override {
    if (work_.IsOpen()) DbCloseWorkTable(work_);
    if (table_.IsOpen()) DbCloseTable(table_);
  }

  bool Append(const MessageRecord& message) override {
    return DbAppendRecord(table_, message.data()) == 1;
  }

  bool Find(const MessageRecord& message) override {
    uint8_t key[kEntryBufferSize];
    DbMakeEntry(table_, kX1, message.data(), 0, key);
    int exact = 0;
    if (!DbSetCurrentIndex(table_, kX1) || !DbFind(table_, key, &exact) || !exact) return false;
    return DbReadRecord(table_, DbCurrentRecord(table_), record_) == 1;
  }

  Counted Walk(bool forward) override {
    Counted c;
    uint8_t entry[kEntryBufferSize];
    if (!DbSetCurrentIndex(table_, kX1) || !(forward ? DbFirst(table_) : DbLast(table_))) return c;
    for (;;) {
      const int32_t state = DbPositionState(table_);
      if (state == kPosEnd || state == kPosBeforeFirst) break;
      if (!DbCurrentEntry(table_, entry)) return c;
      ++c.items;
      if (!(forward ? DbNext(table_) : DbPrev(table_))) return c;
    }
    c.ok = true;
    return c;
  }

  Counted QueryNewFolder(const std::string& person) override {
    Counted c;
    // The first possible entry of the person's "New" folder.
    uint8_t probe[kEntryBufferSize] = {};
    SetFieldI32(probe, msg::x1::kFolder, msg::kFolderNew);
    SetFieldText(probe, msg::x1::kTo, person.c_str());
    SetFieldI32(probe, msg::x1::kTime, INT32_MIN);
    SetFieldI32(probe, msg::x1::kNumber, INT32_MIN);
    int exact = 0;
    if (!DbSetCurrentIndex(table_, kX1) || !DbFind(table_, probe, &exact)) return c;
    auto inFolder = [&](const uint8_t* entry) {
      return FieldI32(entry, msg::x1::kFolder) == msg::kFolderNew &&
                     CompareTextNoCase(entry + msg::x1::kTo.offset, probe + msg::x1::kTo.offset,
                                       size_t(msg::x1::kTo.width)) == 0
                 ? 1
                 : -1;
    };
    auto toRow = [](const uint8_t* entry, const uint8_t*, uint8_t* row) {
      std::memcpy(row, entry, size_t(msg::x1::kLength));
      return 1;
    };
    if (!DbQuery(table_, work_, dir_, inFolder, toRow, true, false, false)) return c;
    uint8_t row[msg::list_row::kLength];
    for (int32_t i = 0; i < work_.scratch; ++i) {
      if (!DbReadCached(work_, i, row)) return c;
      ++c.items;
    }
    c.ok = true;
    return c;
  }

  bool FillWorkTable(int32_t rows) override {
    int32_t taken = 0;
    auto firstRows = [&](const uint8_t*) { return taken++ < rows ? 1 : -1; };
    auto toRow = [](const uint8_t* entry, const uint8_t*, uint8_t* row) {
      std::memcpy(row, entry, size_t(msg::x1::kLength));
      return 1;
    };
    return DbSetCurrentIndex(table_, kX1) &&
           DbQuery(table_, work_, dir_, firstRows, toRow, false, false, false) &&
           work_.scratch == rows;
  }

  Counted SortWorkTable() override {
    Counted c;
    const int32_t rows = work_.scratch;
    if (!DbSortWorkTable(work_, kUserNumber, CompareBySender)) return c;
    c.items = rows;
    c.ok = true;
    return c;
  }

  bool WorkTableSorted(int32_t rows) override {
    uint8_t previous[msg::list_row::kLength];
    uint8_t row[msg::list_row::kLength];
    for (int32_t i = 0; i < rows; ++i) {
      if (!DbReadCached(work_, i, row)) return false;
      if (i > 0 && CompareBySender(previous, row) > 0) return false;
      std::memcpy(previous, row, sizeof row);
    }
    return !DbReadCached(work_, rows, row);
  }

 private:
  Table table_{kMessageTable};
  Table work_{"W" + std::to_string(kUserNumber), msg::list_row::kLength};
  std::string dir_;
  uint8_t record_[msg::kRecordSize];
};

}  // namespace

std::unique_ptr<Side> MakeOurSide() {
  return std::make_unique<OurSide>();
}

}  // namespace bench
