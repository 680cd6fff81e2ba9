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

// Asserts a < b in the index, seen from both sides.
void ExpectBefore(const TableDef& def, int index, const Bytes& a, const Bytes& b) {
  EXPECT_LT(Compare(def, index, a, b), 0);
  EXPECT_GT(Compare(def, index, b, a), 0);
}

Bytes Message(int32_t folder, const char* to, int32_t time, int32_t number) {
  Bytes rec(r::message::kRecordSize, 0);
  SetFieldByte(rec.data(), r::message::kKind, r::message::kKindPhone);
  SetFieldI32(rec.data(), r::message::kFolder, folder);
  SetFieldText(rec.data(), r::message::kTo, to);
  SetFieldText(rec.data(), r::message::kFrom, "CALLER");
  SetFieldI32(rec.data(), r::message::kTime, time);
  SetFieldI32(rec.data(), r::message::kNumber, number);
  return rec;
}

Bytes Name(const char* name, int32_t number) {
  Bytes rec(r::name::kRecordSize, 0);
  SetFieldText(rec.data(), r::name::kName, name);
  SetFieldI32(rec.data(), r::name::kNumber, number);
  return rec;
}

Bytes Sched(int32_t owner, int32_t start, const char* description, int32_t uniqueId) {
  Bytes rec(r::sched::kRecordSize, 0);
  SetFieldText(rec.data(), r::sched::kDescription, description);
  SetFieldI32(rec.data(), r::sched::kOwner, owner);
  SetFieldI32(rec.data(), r::sched::kStart, start);
  SetFieldI32(rec.data(), r::sched::kUniqueId, uniqueId);
  return rec;
}

Bytes Todo(int32_t owner, int32_t date, const char* priority, uint8_t status, const char* text,
           int32_t uniqueId) {
  Bytes rec(r::todo::kRecordSize, 0);
  SetFieldText(rec.data(), r::todo::kText, text);
  SetFieldI32(rec.data(), r::todo::kOwner, owner);
  SetFieldI32(rec.data(), r::todo::kDate, date);
  SetFieldText(rec.data(), r::todo::kPriority, priority);
  SetFieldByte(rec.data(), r::todo::kStatus, status);
  SetFieldI32(rec.data(), r::todo::kUniqueId, uniqueId);
  return rec;
}

Bytes Phone(int32_t list, const char* listname, const char* phone1) {
  Bytes rec(r::phone::kRecordSize, 0);
  SetFieldText(rec.data(), r::phone::kListname, listname);
  SetFieldText(rec.data(), r::phone::kPhone1, phone1);
  SetFieldI32(rec.data(), r::phone::kList, list);
  return rec;
}

// ---- The catalogue ----

struct Expected {
  const char* name;
  int32_t header;
  int32_t record;
  std::vector<int> entryLengths;
  uint8_t version;
};

const std::vector<Expected>& ExpectedCatalogue() {
  static const std::vector<Expected> tables = {
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
  return tables;
}

TEST(Catalogue, ListsEveryTableWithItsSizesIndexesAndVersion) {
  const auto& expected = ExpectedCatalogue();
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
      EXPECT_NE(def->indexes[x].build, nullptr);
      EXPECT_NE(def->indexes[x].compare, nullptr);
    }
    EXPECT_EQ(FindTableDef(e.name), def);
  }
}

TEST(Catalogue, CatTableCarriesTheDirectoryVersion) {
  EXPECT_EQ(kCatTable.version, 6);
  EXPECT_EQ(kDirectoryVersion, 6);
}

TEST(Catalogue, FindsTablesByTheirExactNameOnly) {
  EXPECT_EQ(FindTableDef("message"), nullptr);
  EXPECT_EQ(FindTableDef("MESSAGES"), nullptr);
  EXPECT_EQ(FindTableDef(""), nullptr);
  EXPECT_EQ(FindTableDef("SENDLOG"), &kSendLogTable);
}

// ---- Every index alike ----

// A record whose every byte is set, text fields without any NUL: the worst
// a damaged file can hand a key builder.
Bytes FullRecord(const TableDef& def, uint8_t fill) {
  return Bytes(size_t(def.recordSize), fill);
}

TEST(Catalogue, KeyBuildersWriteTheirWholeEntryAndNothingBeyond) {
  for (int t = 0; t < kCatalogueSize; ++t) {
    const TableDef& def = *CatalogueTables()[t];
    for (int x = 0; x < def.indexCount; ++x) {
      SCOPED_TRACE(std::string(def.name) + ".X" + std::to_string(x + 1));
      const int length = def.indexes[x].entryLength;
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
    }
  }
}

TEST(Catalogue, TheSentinelSortsAboveEveryRealKeyInEveryIndex) {
  for (int t = 0; t < kCatalogueSize; ++t) {
    const TableDef& def = *CatalogueTables()[t];
    for (int x = 0; x < def.indexCount; ++x) {
      SCOPED_TRACE(std::string(def.name) + ".X" + std::to_string(x + 1));
      const int length = def.indexes[x].entryLength;
      Bytes sentinel(size_t(length), 0xFF);
      // A branch on the rightmost path holds the sentinel key under a child
      // page number.
      Bytes branchSentinel = sentinel;
      PutU32(branchSentinel.data(), 3);
      EXPECT_TRUE(IsSentinelKey(branchSentinel.data(), length));
      EXPECT_EQ(Compare(def, x, sentinel, sentinel), 0);
      EXPECT_EQ(Compare(def, x, branchSentinel, sentinel), 0);
      // Real keys with their numbers at the extremes: all bits set reads as
      // -1 in a signed field and must not pass for the sentinel.
      for (uint8_t fill : {uint8_t(0), uint8_t(0x7F), uint8_t(0x80), uint8_t(0xFF), uint8_t('m')}) {
        Bytes record = FullRecord(def, fill);
        Bytes real = Entry(def, x, record, fill == 0xFF ? -1 : 5);
        if (IsSentinelKey(real.data(), length)) continue;  // see OnlyKeysOfNumbersAlone...
        EXPECT_GT(Compare(def, x, sentinel, real), 0) << "fill " << int(fill);
        EXPECT_LT(Compare(def, x, real, sentinel), 0) << "fill " << int(fill);
        EXPECT_GT(Compare(def, x, branchSentinel, real), 0) << "fill " << int(fill);
        EXPECT_LT(Compare(def, x, real, branchSentinel), 0) << "fill " << int(fill);
        EXPECT_EQ(Compare(def, x, real, real), 0);
      }
    }
  }
}

TEST(Catalogue, OnlyKeysOfNumbersAloneCanLookLikeTheSentinel) {
  // Every other key holds a text field, always NUL-terminated. Keys made of
  // numbers pass for the sentinel only when every number is 0xFFFFFFFF,
  // which unique numbers never reach; a note's part byte is 255 only in a
  // deleted record, which is never indexed.
  for (int t = 0; t < kCatalogueSize; ++t) {
    const TableDef& def = *CatalogueTables()[t];
    for (int x = 0; x < def.indexCount; ++x) {
      Bytes real = Entry(def, x, FullRecord(def, 0xFF), -1);
      bool looksLikeSentinel = IsSentinelKey(real.data(), def.indexes[x].entryLength);
      bool numbersOnly = (&def == &kFolderTable && x == 1) || (&def == &kMessageTable && x == 1) ||
                         &def == &kLcTable || &def == &kNoteTable;
      EXPECT_EQ(looksLikeSentinel, numbersOnly) << def.name << ".X" << x + 1;
    }
  }
}

// ---- NAME ----

TEST(NameIndex, NamesAreTheSameInAnyLetterCase) {
  EXPECT_EQ(Compare(kNameTable, 0, Entry(kNameTable, 0, Name("bob", 1)),
                    Entry(kNameTable, 0, Name("BOB", 2))),
            0);
}

TEST(NameIndex, GroupsComeBeforeLettersAndNamesSortAlphabetically) {
  auto e = [](const char* n) { return Entry(kNameTable, 0, Name(n, 9)); };
  ExpectBefore(kNameTable, 0, e("* - ALL"), e("*SALES"));
  ExpectBefore(kNameTable, 0, e("*SALES"), e("ADAM"));
  ExpectBefore(kNameTable, 0, e("adam"), e("Bob"));
  ExpectBefore(kNameTable, 0, e("BOB"), e("bobby"));
}

TEST(NameIndex, TheNumberDoesNotTakePartInTheOrder) {
  EXPECT_EQ(Compare(kNameTable, 0, Entry(kNameTable, 0, Name("ANN", 500)),
                    Entry(kNameTable, 0, Name("Ann", 2))),
            0);
}

TEST(NameIndex, AKeyNameIsAlwaysTerminated) {
  Bytes rec = FullRecord(kNameTable, 'x');
  Bytes entry = Entry(kNameTable, 0, rec);
  EXPECT_EQ(FieldText(entry.data(), r::name::x1::kName), std::string(19, 'x'));
}

// ---- MESSAGE ----

TEST(MessageIndex, FolderOrdersFirstAndNegativeFoldersComeFirst) {
  auto e = [](int32_t folder, const char* to, int32_t time) {
    return Entry(kMessageTable, 0, Message(folder, to, time, 1));
  };
  ExpectBefore(kMessageTable, 0, e(-5, "ZED", 900), e(1, "ANN", 100));
  ExpectBefore(kMessageTable, 0, e(1, "ZED", 900), e(3, "ANN", 100));
  // Folders far apart: a plain subtraction would overflow and turn the
  // order round.
  ExpectBefore(kMessageTable, 0, e(INT_MIN, "ANN", 1), e(1, "ANN", 1));
  ExpectBefore(kMessageTable, 0, e(-2, "ANN", 1), e(INT_MAX, "ANN", 1));
}

TEST(MessageIndex, WithinAFolderRecipientsSortWithoutRegardToCaseThenByTime) {
  auto e = [](const char* to, int32_t time, int32_t number) {
    return Entry(kMessageTable, 0, Message(1, to, time, number));
  };
  ExpectBefore(kMessageTable, 0, e("alice", 900, 1), e("BOB", 100, 1));
  ExpectBefore(kMessageTable, 0, e("bob", 100, 9), e("BOB", 200, 1));
  ExpectBefore(kMessageTable, 0, e("BOB", 200, 1), e("bob", 200, 2));
  EXPECT_EQ(Compare(kMessageTable, 0, e("Bob", 200, 2), e("BOB", 200, 2)), 0);
}

TEST(MessageIndex, TimesCompareAsSignedValues) {
  auto e = [](int32_t time) { return Entry(kMessageTable, 0, Message(1, "BOB", time, 1)); };
  ExpectBefore(kMessageTable, 0, e(-1), e(0));
  ExpectBefore(kMessageTable, 0, e(1000), e(INT_MAX));
}

TEST(MessageIndex, TheQueryPositionAfterAFolderLiesPastItsLastMessage) {
  // A reverse list of folder 1 for everybody searches with to = character
  // 127 and time and number at their maximum, then steps back.
  Bytes last = Entry(kMessageTable, 0, Message(1, "ZED", INT_MAX - 1, 40));
  Bytes search = Entry(kMessageTable, 0, Message(1, "\x7F", INT_MAX, INT_MAX));
  ExpectBefore(kMessageTable, 0, last, search);
  ExpectBefore(kMessageTable, 0, search, Entry(kMessageTable, 0, Message(3, "ANN", 0, 1)));
}

TEST(MessageIndex, ListColumnsDoNotTakePartInTheOrder) {
  Bytes a = Message(1, "BOB", 100, 7);
  Bytes b = a;
  SetFieldText(b.data(), r::message::kFrom, "SOMEONE ELSE");
  SetFieldByte(b.data(), r::message::kFlags, r::message::kFlagUrgent);
  SetFieldU16(b.data(), r::message::kChangeCount, 3);
  EXPECT_EQ(Compare(kMessageTable, 0, Entry(kMessageTable, 0, a), Entry(kMessageTable, 0, b)), 0);
  // ...but they ride along for the list.
  Bytes entry = Entry(kMessageTable, 0, b);
  EXPECT_EQ(FieldText(entry.data(), r::message::x1::kFrom), "SOMEONE ELSE");
  EXPECT_EQ(FieldByte(entry.data(), r::message::x1::kFlags), r::message::kFlagUrgent);
}

TEST(MessageIndex, X2OrdersByTimeThenNumberWhateverTheFolder) {
  auto e = [](int32_t folder, int32_t time, int32_t number) {
    return Entry(kMessageTable, 1, Message(folder, "BOB", time, number));
  };
  ExpectBefore(kMessageTable, 1, e(9, 100, 5), e(1, 200, 1));
  ExpectBefore(kMessageTable, 1, e(9, 100, 5), e(1, 100, 6));
  EXPECT_EQ(Compare(kMessageTable, 1, e(9, 100, 5), e(1, 100, 5)), 0);
}

// ---- SENDLOG ----

TEST(SendLogIndex, OrdersByFolderSenderTimeAndNumber) {
  auto e = [](int32_t folder, int32_t sender, int32_t time, int32_t number, const char* to) {
    Bytes rec = Message(folder, to, time, number);
    SetFieldI32(rec.data(), r::message::kSender, sender);
    return Entry(kSendLogTable, 0, rec);
  };
  ExpectBefore(kSendLogTable, 0, e(1, 9, 900, 9, "A"), e(3, 1, 100, 1, "A"));
  ExpectBefore(kSendLogTable, 0, e(1, -3, 900, 9, "A"), e(1, 2, 100, 1, "A"));
  ExpectBefore(kSendLogTable, 0, e(1, 2, 100, 9, "Z"), e(1, 2, 200, 1, "A"));
  ExpectBefore(kSendLogTable, 0, e(1, 2, 100, 1, "Z"), e(1, 2, 100, 2, "A"));
  EXPECT_EQ(Compare(kSendLogTable, 0, e(1, 2, 100, 1, "Z"), e(1, 2, 100, 1, "A")), 0);
}

// ---- FOLDER, NOTE, CC ----

Bytes Folder(int32_t owner, const char* name, int32_t number) {
  Bytes rec(r::folder::kRecordSize, 0);
  SetFieldText(rec.data(), r::folder::kName, name);
  SetFieldI32(rec.data(), r::folder::kOwner, owner);
  SetFieldI32(rec.data(), r::folder::kNumber, number);
  return rec;
}

TEST(FolderIndex, OwnerAndNameInAnyCaseAreUnique) {
  auto e = [](int32_t owner, const char* name, int32_t number) {
    return Entry(kFolderTable, 0, Folder(owner, name, number));
  };
  EXPECT_EQ(Compare(kFolderTable, 0, e(4, "Clients", 10), e(4, "CLIENTS", 11)), 0);
  // A personal folder may share a common folder's name.
  ExpectBefore(kFolderTable, 0, e(0, "Clients", 10), e(4, "CLIENTS", 11));
  ExpectBefore(kFolderTable, 0, e(4, "clients", 99), e(4, "Jobs", 2));
}

TEST(FolderIndex, X2OrdersByFolderNumberAlone) {
  auto e = [](int32_t owner, const char* name, int32_t number) {
    return Entry(kFolderTable, 1, Folder(owner, name, number));
  };
  ExpectBefore(kFolderTable, 1, e(9, "Z", 4), e(0, "A", 5));
  EXPECT_EQ(Compare(kFolderTable, 1, e(9, "Z", 4), e(0, "A", 4)), 0);
}

TEST(NoteIndex, OrdersByNoteNumberThenPart) {
  auto e = [](int32_t number, uint8_t part) {
    Bytes rec(r::note::kRecordSize, 0);
    SetFieldByte(rec.data(), r::note::kPart, part);
    SetFieldI32(rec.data(), r::note::kNumber, number);
    return Entry(kNoteTable, 0, rec);
  };
  ExpectBefore(kNoteTable, 0, e(5, 7), e(6, 0));
  ExpectBefore(kNoteTable, 0, e(6, 0), e(6, 1));
  EXPECT_EQ(Compare(kNoteTable, 0, e(6, 2), e(6, 2)), 0);
}

TEST(CcIndex, OrdersByMessageNumberThenNameWithoutRegardToCase) {
  auto e = [](int32_t message, const char* name) {
    Bytes rec(r::cc::kRecordSize, 0);
    SetFieldI32(rec.data(), r::cc::kMessageNumber, message);
    SetFieldText(rec.data(), r::cc::kName, name);
    return Entry(kCcTable, 0, rec);
  };
  ExpectBefore(kCcTable, 0, e(5, "ZED"), e(6, "ANN"));
  ExpectBefore(kCcTable, 0, e(6, "ann"), e(6, "Bob"));
  EXPECT_EQ(Compare(kCcTable, 0, e(6, "bob"), e(6, "BOB")), 0);
}

// ---- SCHED ----

constexpr int32_t kDay = 1'000'000'000;  // stands for 00:00:00 of some date

TEST(SchedIndex, TheCommonScheduleComesBeforeEveryPerson) {
  ExpectBefore(kSchedTable, 0, Entry(kSchedTable, 0, Sched(-1, kDay + 999, "Z", 9)),
               Entry(kSchedTable, 0, Sched(1, kDay, "A", 1)));
}

TEST(SchedIndex, AnEntryAtTwelveAmFollowsTheUntimedEntriesOfItsDay) {
  Bytes untimed = Entry(kSchedTable, 0, Sched(7, kDay, "zzz untimed", 50));
  Bytes midnight = Entry(kSchedTable, 0, Sched(7, kDay + 1, "AAA at 12:00AM", 1));
  Bytes morning = Entry(kSchedTable, 0, Sched(7, kDay + 9 * 3600, "AAA", 1));
  ExpectBefore(kSchedTable, 0, untimed, midnight);
  ExpectBefore(kSchedTable, 0, midnight, morning);
}

TEST(SchedIndex, ADaysRunStartsAtTheKeyOfOwnerAndDay) {
  Bytes dayKey = Entry(kSchedTable, 0, Sched(7, kDay, "", 0), 0);
  ExpectBefore(kSchedTable, 0, Entry(kSchedTable, 0, Sched(7, kDay - 1, "late", 3)), dayKey);
  ExpectBefore(kSchedTable, 0, dayKey, Entry(kSchedTable, 0, Sched(7, kDay, "A", 1)));
  ExpectBefore(kSchedTable, 0, Entry(kSchedTable, 0, Sched(6, kDay + 5, "x", 1)), dayKey);
}

TEST(SchedIndex, DescriptionsCompareByteForByteWithCase) {
  ExpectBefore(kSchedTable, 0, Entry(kSchedTable, 0, Sched(7, kDay, "Zebra", 9)),
               Entry(kSchedTable, 0, Sched(7, kDay, "apple", 1)));
}

TEST(SchedIndex, OnlyTheFirstNineteenCharactersOfADescriptionCount) {
  Bytes a = Entry(kSchedTable, 0, Sched(7, kDay, "Quarterly meeting: zz", 2));
  Bytes b = Entry(kSchedTable, 0, Sched(7, kDay, "Quarterly meeting: aa", 3));
  ExpectBefore(kSchedTable, 0, a, b);  // same prefix: unique id decides
  EXPECT_EQ(FieldText(a.data(), r::sched::x1::kPrefix), "Quarterly meeting: ");
}

TEST(SchedIndex, TheDescriptionPrefixStopsAtTheFirstLineBreak) {
  Bytes a = Entry(kSchedTable, 0, Sched(7, kDay, "Lunch\r\nwith Bob", 2));
  Bytes b = Entry(kSchedTable, 0, Sched(7, kDay, "Lunch", 3));
  EXPECT_EQ(FieldText(a.data(), r::sched::x1::kPrefix), "Lunch");
  ExpectBefore(kSchedTable, 0, a, b);
  ExpectBefore(kSchedTable, 0, Entry(kSchedTable, 0, Sched(7, kDay, "Lunch", 1)), a);
}

TEST(SchedIndex, UniqueIdsCompareSigned) {
  ExpectBefore(kSchedTable, 0, Entry(kSchedTable, 0, Sched(7, kDay, "A", -1)),
               Entry(kSchedTable, 0, Sched(7, kDay, "A", 1)));
}

// ---- TODO ----

TEST(TodoIndex, PrioritiesSortAsText) {
  auto e = [](const char* priority) {
    return Entry(kTodoTable, 0, Todo(7, kDay, priority, 0, "same", 1));
  };
  ExpectBefore(kTodoTable, 0, e("1"), e("10"));
  ExpectBefore(kTodoTable, 0, e("10"), e("2"));
  ExpectBefore(kTodoTable, 0, e("A"), e("a"));
}

TEST(TodoIndex, ThePriorityComparisonStopsAtItsNulSoTheStatusNeverCounts) {
  Bytes done = Entry(kTodoTable, 0, Todo(7, kDay, "1", r::todo::kStatusDone, "b", 1));
  Bytes open = Entry(kTodoTable, 0, Todo(7, kDay, "1", r::todo::kStatusNew, "a", 2));
  ExpectBefore(kTodoTable, 0, open, done);
  // Whatever follows the NUL inside the priority field is ignored.
  Bytes x = Entry(kTodoTable, 0, Todo(7, kDay, "1", 0, "a", 2));
  Bytes y = x;
  x[size_t(r::todo::x1::kPriority.offset + 2)] = 'Z';
  y[size_t(r::todo::x1::kPriority.offset + 2)] = 'A';
  EXPECT_EQ(Compare(kTodoTable, 0, x, y), 0);
  EXPECT_EQ(FieldByte(done.data(), r::todo::x1::kStatus), r::todo::kStatusDone);
}

TEST(TodoIndex, OwnerAndDateComeBeforePriority) {
  ExpectBefore(kTodoTable, 0, Entry(kTodoTable, 0, Todo(7, kDay, "9", 0, "z", 9)),
               Entry(kTodoTable, 0, Todo(7, kDay + 86400, "1", 0, "a", 1)));
  ExpectBefore(kTodoTable, 0, Entry(kTodoTable, 0, Todo(-1, kDay + 86400, "9", 0, "z", 9)),
               Entry(kTodoTable, 0, Todo(7, kDay, "1", 0, "a", 1)));
}

TEST(TodoIndex, TheTextPrefixIsTwentyThreeCharactersCutAtTheFirstLineBreak) {
  Bytes a = Entry(kTodoTable, 0, Todo(7, kDay, "1", 0, "Call the bank about the loan", 5));
  EXPECT_EQ(FieldText(a.data(), r::todo::x1::kPrefix), "Call the bank about the");
  Bytes b = Entry(kTodoTable, 0, Todo(7, kDay, "1", 0, "Buy\r\nmilk", 5));
  EXPECT_EQ(FieldText(b.data(), r::todo::x1::kPrefix), "Buy");
  ExpectBefore(kTodoTable, 0, Entry(kTodoTable, 0, Todo(7, kDay, "1", 0, "Buy", 4)), b);
}

// ---- PHONE, CAT, LC ----

TEST(PhoneIndex, TheSameListnameInTwoListsSortsByList) {
  Bytes common = Entry(kPhoneTable, 0, Phone(0, "ACME", "555-0100"));
  Bytes personal = Entry(kPhoneTable, 0, Phone(12, "ACME", "555-0100"));
  Bytes negative = Entry(kPhoneTable, 0, Phone(-3, "Zeta", "1"));
  ExpectBefore(kPhoneTable, 0, common, personal);
  ExpectBefore(kPhoneTable, 0, negative, common);
}

TEST(PhoneIndex, WithinAListListnameThenPhoneWithoutRegardToCase) {
  auto e = [](const char* name, const char* phone) {
    return Entry(kPhoneTable, 0, Phone(0, name, phone));
  };
  ExpectBefore(kPhoneTable, 0, e("acme", "9"), e("Beta", "1"));
  ExpectBefore(kPhoneTable, 0, e("ACME", "555-0100"), e("acme", "555-0199"));
  EXPECT_EQ(Compare(kPhoneTable, 0, e("Acme", "ext a"), e("ACME", "EXT A")), 0);
}

TEST(CatIndex, OrdersByListThenNameWithoutRegardToCase) {
  auto e = [](int32_t list, const char* name, int32_t number) {
    Bytes rec(r::cat::kRecordSize, 0);
    SetFieldText(rec.data(), r::cat::kName, name);
    SetFieldI32(rec.data(), r::cat::kNumber, number);
    SetFieldI32(rec.data(), r::cat::kList, list);
    return Entry(kCatTable, 0, rec);
  };
  ExpectBefore(kCatTable, 0, e(0, "Zulu", 1), e(4, "alpha", 2));
  ExpectBefore(kCatTable, 0, e(4, "alpha", 9), e(4, "Beta", 2));
  EXPECT_EQ(Compare(kCatTable, 0, e(4, "beta", 3), e(4, "BETA", 2)), 0);
}

TEST(LcIndex, OrdersByEntryNumberThenSignedCategoryNumber) {
  auto e = [](int32_t entryNumber, int32_t category) {
    Bytes rec(r::lc::kRecordSize, 0);
    SetFieldI32(rec.data(), r::lc::kEntryNumber, entryNumber);
    SetFieldI32(rec.data(), r::lc::kCategory, category);
    return Entry(kLcTable, 0, rec);
  };
  ExpectBefore(kLcTable, 0, e(5, 900), e(6, 1));
  ExpectBefore(kLcTable, 0, e(6, -1), e(6, 1));
  EXPECT_EQ(Compare(kLcTable, 0, e(6, 1), e(6, 1)), 0);
}

}  // namespace
