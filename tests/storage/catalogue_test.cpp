#include "storage/catalogue.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "storage/index_page.h"
#include "storage/records/cat.h"
#include "storage/records/cc.h"
#include "storage/records/folder.h"
#include "storage/records/keys.h"
#include "storage/records/lc.h"
#include "storage/records/message.h"
#include "storage/records/name.h"
#include "storage/records/note.h"
#include "storage/records/phone.h"
#include "storage/records/sched.h"
#include "storage/records/todo.h"

namespace {

namespace r = records;

using Bytes = std::vector<uint8_t>;

Bytes Entry(const TableDef& def, int index, const Bytes& record, int32_t recordNumber = 7) {
  Bytes entry(kEntryBufferSize, 0);
  def.indexes[index].build(record.data(), entry.data(), recordNumber);
  entry.resize(def.indexes[index].entryLength);
  return entry;
}

int Compare(const TableDef& def, int index, const Bytes& searched, const Bytes& stored) {
  return def.indexes[index].compare(searched.data(), stored.data());
}

// A record of the table with the given fields set, the rest zero.
struct Set {
  Field field;
  int32_t number = 0;
  const char* text = nullptr;
};
Bytes Rec(const TableDef& def, std::initializer_list<Set> fields) {
  Bytes rec(size_t(def.recordSize), 0);
  for (const Set& s : fields) {
    if (s.text)
      SetFieldText(rec.data(), s.field, s.text);
    else if (s.field.width == 1)
      SetFieldByte(rec.data(), s.field, uint8_t(s.number));
    else if (s.field.width == 2)
      SetFieldU16(rec.data(), s.field, uint16_t(s.number));
    else
      SetFieldI32(rec.data(), s.field, s.number);
  }
  return rec;
}

namespace m = r::message;
Bytes Message(int32_t folder, const char* to, int32_t time, int32_t number, int32_t sender = 0) {
  return Rec(kMessageTable, {{m::kKind, m::kKindPhone},
                             {m::kFolder, folder},
                             {m::kTo, 0, to},
                             {m::kFrom, 0, "CALLER"},
                             {m::kTime, time},
                             {m::kNumber, number},
                             {m::kSender, sender}});
}
Bytes Name(const char* name, int32_t number) {
  return Rec(kNameTable, {{r::name::kName, 0, name}, {r::name::kNumber, number}});
}
Bytes Sched(int32_t owner, int32_t start, const char* description, int32_t uniqueId) {
  return Rec(kSchedTable, {{r::sched::kDescription, 0, description},
                           {r::sched::kOwner, owner},
                           {r::sched::kStart, start},
                           {r::sched::kUniqueId, uniqueId}});
}
Bytes Todo(int32_t owner, int32_t date, const char* priority, uint8_t status, const char* text,
           int32_t uniqueId) {
  return Rec(kTodoTable, {{r::todo::kText, 0, text},
                          {r::todo::kOwner, owner},
                          {r::todo::kDate, date},
                          {r::todo::kPriority, 0, priority},
                          {r::todo::kStatus, status},
                          {r::todo::kUniqueId, uniqueId}});
}
Bytes Phone(int32_t list, const char* listname, const char* phone1) {
  return Rec(kPhoneTable, {{r::phone::kListname, 0, listname},
                           {r::phone::kPhone1, 0, phone1},
                           {r::phone::kList, list}});
}
Bytes Folder(int32_t owner, const char* name, int32_t number) {
  return Rec(
      kFolderTable,
      {{r::folder::kName, 0, name}, {r::folder::kOwner, owner}, {r::folder::kNumber, number}});
}
Bytes Note(int32_t number, uint8_t part) {
  return Rec(kNoteTable, {{r::note::kPart, part}, {r::note::kNumber, number}});
}
Bytes Cc(int32_t message, const char* name) {
  return Rec(kCcTable, {{r::cc::kMessageNumber, message}, {r::cc::kName, 0, name}});
}
Bytes Cat(int32_t list, const char* name, int32_t number) {
  return Rec(kCatTable,
             {{r::cat::kName, 0, name}, {r::cat::kNumber, number}, {r::cat::kList, list}});
}
Bytes Lc(int32_t entryNumber, int32_t category) {
  return Rec(kLcTable, {{r::lc::kEntryNumber, entryNumber}, {r::lc::kCategory, category}});
}

// ---- The catalogue ----

TEST(Catalogue, ListsEveryTableWithItsSizesIndexesAndVersion) {
  struct Expected {
    const char* name;
    int32_t header, record;
    std::vector<int> entryLengths;
    uint8_t version;
  };
  const std::vector<Expected> expected = {
      {"MESSAGE", 512, 512, {62, 12}, 4},
      {"PHONE", 512, 1024, {66}, 3},
      {"NAME", 512, 512, {28}, 1},
      {"SCHED", 256, 262, {54}, 3},
      {"TODO", 256, 266, {47}, 1},
      {"CAT", 512, 30, {33}, 6},
      {"LC", 0, 10, {12}, 0},
      {"SENDLOG", 512, 512, {49}, 3},
      {"FOLDER", 512, 41, {44, 8}, 0},
      {"NOTE", 512, 512, {9}, 0},
      {"CC", 0, 29, {29}, 0},
  };
  ASSERT_EQ(int(expected.size()), kCatalogueSize);
  for (int i = 0; i < kCatalogueSize; ++i) {
    const TableDef* def = CatalogueTables()[i];
    const Expected& e = expected[size_t(i)];
    SCOPED_TRACE(e.name);
    EXPECT_STREQ(def->name, e.name);
    EXPECT_EQ(def->headerSize, e.header);
    EXPECT_EQ(def->recordSize, e.record);
    EXPECT_EQ(def->version, e.version);
    ASSERT_EQ(def->indexCount, int(e.entryLengths.size()));
    for (int x = 0; x < def->indexCount; ++x) {
      EXPECT_EQ(def->indexes[x].entryLength, e.entryLengths[size_t(x)]);
      EXPECT_LT(def->indexes[x].entryLength, kMaxEntryLength);
    }
    EXPECT_EQ(FindTableDef(e.name), def);
  }
  EXPECT_EQ(kDirectoryVersion, kCatTable.version);
  for (const char* unknown : {"message", "MESSAGES", ""}) EXPECT_EQ(FindTableDef(unknown), nullptr);
}

// ---- Every index alike ----

// A record whose every byte is set, text fields without any NUL: the worst
// a damaged file can hand a key builder.
Bytes FullRecord(const TableDef& def, uint8_t fill) {
  return Bytes(size_t(def.recordSize), fill);
}

template <typename F>
void ForEveryIndex(F f) {
  for (int t = 0; t < kCatalogueSize; ++t) {
    const TableDef& def = *CatalogueTables()[t];
    for (int x = 0; x < def.indexCount; ++x) {
      SCOPED_TRACE(std::string(def.name) + ".X" + std::to_string(x + 1));
      f(def, x, def.indexes[x].entryLength);
    }
  }
}

TEST(Catalogue, KeyBuildersWriteTheirWholeEntryAndNothingBeyond) {
  ForEveryIndex([](const TableDef& def, int x, int length) {
    for (uint8_t fill : {uint8_t('x'), uint8_t(0xFF), uint8_t(0)}) {
      Bytes record = FullRecord(def, fill);
      uint8_t entry[kEntryBufferSize];
      std::memset(entry, 0xA5, sizeof entry);
      def.indexes[x].build(record.data(), entry, 1234);
      for (int i = length; i < kEntryBufferSize; ++i) ASSERT_EQ(entry[i], 0xA5) << "byte " << i;
      EXPECT_EQ(GetI32(entry), 1234);
      // The builder does not rely on a zeroed buffer: a stale byte left
      // inside the entry would change its key.
      uint8_t zeroed[kEntryBufferSize] = {};
      def.indexes[x].build(record.data(), zeroed, 1234);
      EXPECT_EQ(std::memcmp(entry, zeroed, size_t(length)), 0);
    }
  });
}

TEST(Catalogue, TheSentinelSortsAboveEveryRealKeyInEveryIndex) {
  ForEveryIndex([](const TableDef& def, int x, int length) {
    Bytes sentinel(size_t(length), 0xFF);
    // A branch on the rightmost path holds the sentinel key under a child
    // page number.
    Bytes branchSentinel = sentinel;
    PutU32(branchSentinel.data(), 3);
    EXPECT_TRUE(IsSentinelKey(branchSentinel.data(), length));
    EXPECT_EQ(Compare(def, x, branchSentinel, sentinel), 0);
    // Real keys with their numbers at the extremes: all bits set reads as
    // -1 in a signed field and must not pass for the sentinel.
    for (uint8_t fill : {uint8_t(0), uint8_t(0x7F), uint8_t(0x80), uint8_t(0xFF), uint8_t('m')}) {
      Bytes real = Entry(def, x, FullRecord(def, fill), fill == 0xFF ? -1 : 5);
      if (IsSentinelKey(real.data(), length)) continue;  // see the next test
      for (const Bytes* s : {&sentinel, &branchSentinel}) {
        EXPECT_GT(Compare(def, x, *s, real), 0) << "fill " << int(fill);
        EXPECT_LT(Compare(def, x, real, *s), 0) << "fill " << int(fill);
      }
      EXPECT_EQ(Compare(def, x, real, real), 0);
    }
  });
}

TEST(Catalogue, OnlyKeysOfNumbersAloneCanLookLikeTheSentinel) {
  // Every other key holds a text field, always NUL-terminated. Keys made of
  // numbers pass for the sentinel only when every number is 0xFFFFFFFF,
  // which unique numbers never reach; a note's part byte is 255 only in a
  // deleted record, which is never indexed.
  ForEveryIndex([](const TableDef& def, int x, int length) {
    Bytes real = Entry(def, x, FullRecord(def, 0xFF), -1);
    bool numbersOnly = (&def == &kFolderTable && x == 1) || (&def == &kMessageTable && x == 1) ||
                       &def == &kLcTable || &def == &kNoteTable;
    EXPECT_EQ(IsSentinelKey(real.data(), length), numbersOnly);
  });
}

// ---- Each index's order ----

constexpr int32_t kDay = 1'000'000'000;  // stands for 00:00:00 of some date

struct OrderCase {
  const char* rule;
  const TableDef* def;
  int x;
  Bytes a, b;  // records; a's entry is built with record number 7
  int order;   // -1: a sorts before b; 0: the same key
  int32_t aRecordNumber = 7;
};

std::vector<OrderCase> OrderCases() {
  const TableDef *msg = &kMessageTable, *name = &kNameTable, *sched = &kSchedTable,
                 *todo = &kTodoTable;
  auto todoWithPriorityTail = [](char tail) {
    Bytes rec = Todo(7, kDay, "1", 0, "a", 2);
    rec[size_t(r::todo::kPriority.offset + 2)] = uint8_t(tail);
    return rec;
  };
  Bytes listColumns = Message(1, "BOB", 100, 7);
  SetFieldText(listColumns.data(), m::kFrom, "SOMEONE ELSE");
  SetFieldByte(listColumns.data(), m::kFlags, m::kFlagUrgent);
  SetFieldU16(listColumns.data(), m::kChangeCount, 3);
  return {
      {"names in any letter case", name, 0, Name("bob", 1), Name("BOB", 2), 0},
      {"the number takes no part", name, 0, Name("ANN", 500), Name("Ann", 2), 0},
      {"the everybody group first", name, 0, Name("* - ALL", 9), Name("*SALES", 9), -1},
      {"names alphabetically", name, 0, Name("adam", 9), Name("Bob", 9), -1},
      {"a name before a longer one", name, 0, Name("BOB", 9), Name("bobby", 9), -1},
      {"folder before recipient", msg, 0, Message(1, "ZED", 900, 1), Message(3, "ANN", 100, 1), -1},
      // A negative folder far from a positive one: a plain subtraction would
      // overflow.
      {"folder INT_MIN", msg, 0, Message(INT_MIN, "ANN", 1, 1), Message(1, "ANN", 1, 1), -1},
      {"recipients case-blind", msg, 0, Message(1, "alice", 900, 1), Message(1, "BOB", 100, 1), -1},
      {"then time", msg, 0, Message(1, "bob", 100, 9), Message(1, "BOB", 200, 1), -1},
      {"then number", msg, 0, Message(1, "BOB", 200, 1), Message(1, "bob", 200, 2), -1},
      {"same message", msg, 0, Message(1, "Bob", 200, 2), Message(1, "BOB", 200, 2), 0},
      // A reverse list of folder 1 for everybody searches with to = 127 and
      // time and number at their maximum, then steps back.
      {"past a folder's last", msg, 0, Message(1, "ZED", INT_MAX - 1, 40),
       Message(1, "\x7F", INT_MAX, INT_MAX), -1},
      {"before the next folder", msg, 0, Message(1, "\x7F", INT_MAX, INT_MAX),
       Message(3, "ANN", 0, 1), -1},
      {"list columns take no part", msg, 0, Message(1, "BOB", 100, 7), listColumns, 0},
      {"X2 time first", msg, 1, Message(9, "BOB", 100, 5), Message(1, "BOB", 200, 1), -1},
      {"X2 then number", msg, 1, Message(9, "BOB", 100, 5), Message(1, "BOB", 100, 6), -1},
      {"X2 folder no part", msg, 1, Message(9, "BOB", 100, 5), Message(1, "BOB", 100, 5), 0},
      {"sendlog folder", &kSendLogTable, 0, Message(1, "A", 900, 9, 9), Message(3, "A", 100, 1, 1),
       -1},
      {"sendlog sender", &kSendLogTable, 0, Message(1, "A", 900, 9, -3), Message(1, "A", 100, 1, 2),
       -1},
      {"sendlog time", &kSendLogTable, 0, Message(1, "Z", 100, 9, 2), Message(1, "A", 200, 1, 2),
       -1},
      {"sendlog number", &kSendLogTable, 0, Message(1, "Z", 100, 1, 2), Message(1, "A", 100, 2, 2),
       -1},
      {"sendlog recipient no part", &kSendLogTable, 0, Message(1, "Z", 100, 1, 2),
       Message(1, "A", 100, 1, 2), 0},
      {"folder names in any case", &kFolderTable, 0, Folder(4, "Clients", 10),
       Folder(4, "CLIENTS", 11), 0},
      {"common folder first", &kFolderTable, 0, Folder(0, "Clients", 10), Folder(4, "CLIENTS", 11),
       -1},
      {"folder names in order", &kFolderTable, 0, Folder(4, "clients", 99), Folder(4, "Jobs", 2),
       -1},
      {"folder X2 number", &kFolderTable, 1, Folder(9, "Z", 4), Folder(0, "A", 5), -1},
      {"folder X2 number alone", &kFolderTable, 1, Folder(9, "Z", 4), Folder(0, "A", 4), 0},
      {"note number", &kNoteTable, 0, Note(5, 7), Note(6, 0), -1},
      {"note part", &kNoteTable, 0, Note(6, 0), Note(6, 1), -1},
      {"same note part", &kNoteTable, 0, Note(6, 2), Note(6, 2), 0},
      {"cc message", &kCcTable, 0, Cc(5, "ZED"), Cc(6, "ANN"), -1},
      {"cc names", &kCcTable, 0, Cc(6, "ann"), Cc(6, "Bob"), -1},
      {"cc case-blind", &kCcTable, 0, Cc(6, "bob"), Cc(6, "BOB"), 0},
      {"common schedule first", sched, 0, Sched(-1, kDay + 999, "Z", 9), Sched(1, kDay, "A", 1),
       -1},
      {"untimed before 12 AM", sched, 0, Sched(7, kDay, "zzz untimed", 50),
       Sched(7, kDay + 1, "AAA at 12:00AM", 1), -1},
      {"12 AM before morning", sched, 0, Sched(7, kDay + 1, "AAA at 12:00AM", 1),
       Sched(7, kDay + 9 * 3600, "AAA", 1), -1},
      {"day key after the day before", sched, 0, Sched(7, kDay - 1, "late", 3),
       Sched(7, kDay, "", 0), -1},
      {"day key first of its day", sched, 0, Sched(7, kDay, "", 0), Sched(7, kDay, "A", 1), -1, 0},
      {"day key after another owner", sched, 0, Sched(6, kDay + 5, "x", 1), Sched(7, kDay, "", 0),
       -1},
      {"descriptions with case", sched, 0, Sched(7, kDay, "Zebra", 9), Sched(7, kDay, "apple", 1),
       -1},
      {"19 characters count", sched, 0, Sched(7, kDay, "Quarterly meeting: zz", 2),
       Sched(7, kDay, "Quarterly meeting: aa", 3), -1},
      {"prefix ends at a line break", sched, 0, Sched(7, kDay, "Lunch\r\nwith Bob", 2),
       Sched(7, kDay, "Lunch", 3), -1},
      {"then the unique id", sched, 0, Sched(7, kDay, "Lunch", 1),
       Sched(7, kDay, "Lunch\r\nwith Bob", 2), -1},
      {"priorities as text", todo, 0, Todo(7, kDay, "1", 0, "same", 1),
       Todo(7, kDay, "10", 0, "same", 1), -1},
      {"10 before 2", todo, 0, Todo(7, kDay, "10", 0, "same", 1), Todo(7, kDay, "2", 0, "same", 1),
       -1},
      {"priority case", todo, 0, Todo(7, kDay, "A", 0, "same", 1), Todo(7, kDay, "a", 0, "same", 1),
       -1},
      {"status no part", todo, 0, Todo(7, kDay, "1", r::todo::kStatusNew, "a", 2),
       Todo(7, kDay, "1", r::todo::kStatusDone, "b", 1), -1},
      {"bytes after the priority's NUL", todo, 0, todoWithPriorityTail('Z'),
       todoWithPriorityTail('A'), 0},
      {"date before priority", todo, 0, Todo(7, kDay, "9", 0, "z", 9),
       Todo(7, kDay + 86400, "1", 0, "a", 1), -1},
      {"owner first", todo, 0, Todo(-1, kDay + 86400, "9", 0, "z", 9),
       Todo(7, kDay, "1", 0, "a", 1), -1},
      {"todo text prefix", todo, 0, Todo(7, kDay, "1", 0, "Buy", 4),
       Todo(7, kDay, "1", 0, "Buy\r\nmilk", 5), -1},
      {"common list first", &kPhoneTable, 0, Phone(0, "ACME", "555-0100"),
       Phone(12, "ACME", "555-0100"), -1},
      {"negative lists first", &kPhoneTable, 0, Phone(-3, "Zeta", "1"), Phone(0, "ACME", "5"), -1},
      {"listnames case-blind", &kPhoneTable, 0, Phone(0, "acme", "9"), Phone(0, "Beta", "1"), -1},
      {"then phone", &kPhoneTable, 0, Phone(0, "ACME", "555-0100"), Phone(0, "acme", "555-0199"),
       -1},
      {"phone case-blind", &kPhoneTable, 0, Phone(0, "Acme", "ext a"), Phone(0, "ACME", "EXT A"),
       0},
      {"category list", &kCatTable, 0, Cat(0, "Zulu", 1), Cat(4, "alpha", 2), -1},
      {"category names", &kCatTable, 0, Cat(4, "alpha", 9), Cat(4, "Beta", 2), -1},
      {"category case-blind", &kCatTable, 0, Cat(4, "beta", 3), Cat(4, "BETA", 2), 0},
      {"lc entry", &kLcTable, 0, Lc(5, 900), Lc(6, 1), -1},
      {"lc category signed", &kLcTable, 0, Lc(6, -1), Lc(6, 1), -1},
      {"same lc", &kLcTable, 0, Lc(6, 1), Lc(6, 1), 0},
  };
}

TEST(IndexOrder, EveryIndexOrdersItsKeysByItsRules) {
  for (const OrderCase& c : OrderCases()) {
    SCOPED_TRACE(std::string(c.def->name) + ".X" + std::to_string(c.x + 1) + ": " + c.rule);
    const Bytes a = Entry(*c.def, c.x, c.a, c.aRecordNumber), b = Entry(*c.def, c.x, c.b);
    const int ab = Compare(*c.def, c.x, a, b), ba = Compare(*c.def, c.x, b, a);
    if (c.order == 0) {
      EXPECT_EQ(ab, 0);
      EXPECT_EQ(ba, 0);
    } else {
      EXPECT_LT(ab, 0);
      EXPECT_GT(ba, 0);
    }
  }
}

// What a key carries as text or bytes for the list windows.
TEST(IndexOrder, KeysCarryTheirTextsCutAsTheListsShowThem) {
  struct TextCase {
    const TableDef* def;
    Bytes record;
    Field field;
    std::string text;
  };
  Bytes listColumns = Message(1, "BOB", 100, 7);
  SetFieldText(listColumns.data(), m::kFrom, "SOMEONE ELSE");
  const std::vector<TextCase> cases = {
      {&kNameTable, FullRecord(kNameTable, 'x'), r::name::x1::kName, std::string(19, 'x')},
      {&kMessageTable, listColumns, m::x1::kFrom, "SOMEONE ELSE"},
      {&kSchedTable, Sched(7, kDay, "Quarterly meeting: zz", 2), r::sched::x1::kPrefix,
       "Quarterly meeting: "},
      {&kSchedTable, Sched(7, kDay, "Lunch\r\nwith Bob", 2), r::sched::x1::kPrefix, "Lunch"},
      {&kTodoTable, Todo(7, kDay, "1", 0, "Call the bank about the loan", 5), r::todo::x1::kPrefix,
       "Call the bank about the"},
      {&kTodoTable, Todo(7, kDay, "1", 0, "Buy\r\nmilk", 5), r::todo::x1::kPrefix, "Buy"},
  };
  for (const TextCase& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(FieldText(Entry(*c.def, 0, c.record).data(), c.field), c.text);
  }
  Bytes urgent = Message(1, "BOB", 100, 7);
  SetFieldByte(urgent.data(), m::kFlags, m::kFlagUrgent);
  EXPECT_EQ(FieldByte(Entry(kMessageTable, 0, urgent).data(), m::x1::kFlags), m::kFlagUrgent);
  Bytes done = Todo(7, kDay, "1", r::todo::kStatusDone, "b", 1);
  EXPECT_EQ(FieldByte(Entry(kTodoTable, 0, done).data(), r::todo::x1::kStatus),
            r::todo::kStatusDone);
}

}  // namespace
