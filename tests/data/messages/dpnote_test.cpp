// The note table: texts in parts of 506 bytes, up to 4,048 bytes; rewriting
// with fewer parts; duplicates; deleting; a part that contradicts its index
// entry; the shared handle of a group send.
#include "data/messages/dpnote.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>

#include "tests/data/messages/message_checks.h"
#include "tests/data/office/office_dir.h"
#include "tests/support/lock_holder.h"

namespace nt = records::note;

namespace {

// A text whose every byte tells where it is, so a misplaced part shows.
std::string Text(size_t length) {
  std::string text(length, ' ');
  for (size_t i = 0; i < length; ++i) text[i] = char('A' + (i * 7 + i / 506) % 26);
  return text;
}

class NoteTest : public OfficeDirTest {
 protected:
  std::string Read(int32_t number, int size = kMaxNoteText) {
    std::string text;
    EXPECT_EQ(NoteRead(number, &text, size), 1) << number;
    return text;
  }
  int Delete(int32_t number) {
    NoteTable handle;
    int deleted = NoteOpen(handle) && NoteDelete(handle, number);
    NoteClose(handle);
    return deleted;
  }

  // The parts the index holds for a note, in order, with their record numbers.
  std::vector<std::pair<int, int32_t>> PartRecords(int32_t number) {
    NoteTable handle;
    std::vector<std::pair<int, int32_t>> parts;
    if (!NoteOpen(handle)) return parts;
    uint8_t key[kEntryBufferSize] = {};
    SetFieldI32(key, nt::x1::kNumber, number);
    int exact = 0;
    DbFind(handle.table, key, &exact);
    uint8_t entry[kEntryBufferSize];
    while (!AtEnd(handle.table)) {
      DbCurrentEntry(handle.table, entry);
      if (FieldI32(entry, nt::x1::kNumber) != number) break;
      parts.emplace_back(FieldByte(entry, nt::x1::kPart), DbCurrentRecord(handle.table));
      DbNext(handle.table);
    }
    NoteClose(handle);
    return parts;
  }
  std::vector<int> Parts(int32_t number) {
    std::vector<int> parts;
    for (const auto& [part, record] : PartRecords(number)) parts.push_back(part);
    return parts;
  }
  int32_t PartRecord(int32_t number, int part) {
    return PartRecords(number).at(size_t(part)).second;
  }
};

TEST_F(NoteTest, NewNotesTakeRisingNumbersAndOnePartPer506Bytes) {
  int32_t first = 0, second = 0;
  ASSERT_EQ(NoteNew(&first), 1);
  ASSERT_EQ(NoteNew(&second), 1);
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 2);
  EXPECT_EQ(Parts(first), std::vector<int>{0});
  EXPECT_EQ(Read(first), "");
  for (size_t length : {size_t(506), size_t(507), size_t(4048)}) {
    std::string text = Text(length);
    int32_t note = NewNote(text);
    EXPECT_EQ(Parts(note).size(), (length + 505) / 506) << length;
    EXPECT_EQ(Read(note), text) << length;
  }
  EXPECT_EQ(Parts(5), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
}

TEST_F(NoteTest, NoNoteIsNotFoundAndTextOf4049BytesIsRefusedWithTheNoteKept) {
  std::string text = "left";
  int32_t copy = 0;
  EXPECT_TRUE(Fails(NoteRead(0, &text), kAppNotFound));
  EXPECT_EQ(text, "");
  EXPECT_TRUE(Fails(NoteRead(42, &text), kAppNotFound));
  EXPECT_TRUE(Fails(NoteWrite(42, "text"), kAppNotFound));
  EXPECT_TRUE(Fails(NoteDuplicate(42, &copy), kAppNotFound));
  EXPECT_EQ(RecordCount(kNoteTable), 0);
  int32_t note = NewNote("kept");
  EXPECT_TRUE(Fails(NoteWrite(note, Text(4049)), kAppMaxRecords));
  EXPECT_EQ(Read(note), "kept");
  EXPECT_EQ(RecordCount(kNoteTable), 1);
}

TEST_F(NoteTest, RewritingAddsOrDeletesPartsAndLeavesNoTailOrNeighbourTouched) {
  int32_t note = NewNote(Text(1200));
  int32_t other = NewNote(std::string(900, 'b'));
  ASSERT_EQ(Parts(note), (std::vector<int>{0, 1, 2}));
  int32_t partOne = PartRecord(note, 1);
  ASSERT_EQ(NoteWrite(note, "short"), 1);
  EXPECT_EQ(Parts(note), std::vector<int>{0});
  EXPECT_EQ(Read(note), "short");
  // The slot is marked deleted, not just left out of the index.
  Table raw(kNoteTable);
  ASSERT_EQ(DbOpenTable(raw, dir.Path()), 1);
  uint8_t record[nt::kRecordSize];
  EXPECT_EQ(DbReadRecord(raw, partOne, record), 0);
  EXPECT_EQ(DbGetError(), kDbRecordDeleted);
  DbCloseTable(raw);
  const struct {
    std::string text;
    size_t parts;
  } writes[] = {{Text(2000), 4}, {std::string(1000, 'x'), 2}, {std::string(600, 'y'), 2}, {"", 1}};
  for (const auto& w : writes) {
    ASSERT_EQ(NoteWrite(note, w.text), 1);
    EXPECT_EQ(Parts(note).size(), w.parts) << w.text.size();
    EXPECT_EQ(Read(note), w.text);
  }
  EXPECT_EQ(Read(other), std::string(900, 'b'));
}

TEST_F(NoteTest, ReadStopsAtTheSizeAskedOrAtANulUnlessBytesAreAsked) {
  std::string text = Text(1500);
  int32_t note = NewNote(text);
  EXPECT_EQ(Read(note, 600), text.substr(0, 600));
  EXPECT_EQ(Read(note, 0), "");
  std::string out;
  EXPECT_EQ(NoteRead(note, &out, 4049), 0);
  // Reading bytes keeps what follows a NUL: the signature note holds two
  // texts, at offsets 0 and 251, each NUL-terminated.
  std::string both(502, '\0');
  both.replace(0, 3, "one");
  both.replace(251, 3, "two");
  int32_t number = NewNote(both);
  EXPECT_EQ(Read(number), "one");
  std::string bytes;
  ASSERT_EQ(NoteReadBytes(number, &bytes), 1);
  ASSERT_GE(bytes.size(), 254u);
  EXPECT_EQ(bytes.substr(251, 3), "two");
}

TEST_F(NoteTest, PartCarryingAnotherNoteNumberIsACorruptIndex) {
  int32_t a = NewNote("first note");
  int32_t b = NewNote("second note");
  // The first part of note a claims to belong to b, as after a broken index rebuild.
  Table raw(kNoteTable);
  ASSERT_EQ(DbOpenTable(raw, dir.Path()), 1);
  int32_t slot = PartRecord(a, 0);
  uint8_t record[nt::kRecordSize];
  ASSERT_EQ(DbReadRecord(raw, slot, record), 1);
  SetFieldI32(record, nt::kNumber, b);
  ASSERT_EQ(DbWriteRecord(raw, slot, record), 1);
  DbCloseTable(raw);

  std::string text;
  EXPECT_TRUE(Fails(NoteRead(a, &text), kAppIndexCorrupt, "NOTE.IDX"));
  // Nor is that slot overwritten or deleted on a's behalf.
  EXPECT_TRUE(Fails(NoteWrite(a, "overwrite"), kAppIndexCorrupt));
  EXPECT_EQ(Delete(a), 0);
  EXPECT_EQ(Read(b), "second note");
}

TEST_F(NoteTest, PartAfterAGapIsNotReadAsTheNextPartButIsDeletedWithTheNote) {
  int32_t note = NewNote(std::string(506, 'a') + std::string(506, 'b') + std::string(10, 'c'));
  Table raw(kNoteTable);
  ASSERT_EQ(DbOpenTable(raw, dir.Path()), 1);
  uint8_t record[nt::kRecordSize];
  int32_t slot = PartRecord(note, 1);
  ASSERT_EQ(DbReadRecord(raw, slot, record), 1);
  ASSERT_EQ(DbDeleteRecord(raw, record, slot), 1);
  DbCloseTable(raw);
  EXPECT_EQ(Read(note), std::string(506, 'a'));
  EXPECT_EQ(Delete(note), 1);
  EXPECT_TRUE(Parts(note).empty());
}

TEST_F(NoteTest, DuplicateIsAnIndependentCopyUnderANewNumber) {
  for (size_t length : {size_t(1300), size_t(4048)}) {
    std::string text = Text(length);
    int32_t note = NewNote(text);
    int32_t copy = 0;
    ASSERT_EQ(NoteDuplicate(note, &copy), 1);
    EXPECT_NE(copy, note);
    EXPECT_NE(copy, 0);
    EXPECT_EQ(Parts(copy).size(), (length + 505) / 506);
    EXPECT_EQ(Read(copy), text);
    ASSERT_EQ(NoteWrite(copy, "changed"), 1);
    EXPECT_EQ(Read(note), text);
    EXPECT_EQ(Read(copy), "changed");
  }
}

TEST_F(NoteTest, DeleteRemovesEveryPartOrNoneWhileAnotherWorkstationHoldsOne) {
  int32_t note = NewNote(Text(3000));
  int32_t other = NewNote("other");
  int32_t slot = PartRecord(note, 1);
  {
    LockHolder holder(dir.File("NOTE.DAT"),
                      nt::kHeaderSize + int64_t(slot + 1) * nt::kRecordSize - 1);
    ASSERT_TRUE(holder.Held());
    EXPECT_TRUE(Fails(Delete(note), kAppLockError));
    EXPECT_EQ(DbGetError(), kDbRecordLocked);
    // Refused whole: not one part went before the held one stopped it.
    EXPECT_EQ(Read(note), Text(3000));
    // Nor does a shorter text that must delete the held part say it was written.
    EXPECT_TRUE(Fails(NoteWrite(note, "short"), kAppLockError));
  }
  // On a share this workstation may only read, the delete says why; as
  // root, whom permissions do not stop, it runs as nobody in a child.
  const std::string before = Read(note);
  for (const char* file : {"NOTE.DAT", "NOTE.X1"})
    ASSERT_EQ(::chmod(dir.File(file).c_str(), 0444), 0);
  ASSERT_EQ(::chmod(dir.Path().c_str(), 0555), 0);
  EXPECT_EQ(InChild([&] {
              if (!BecomeNobody()) return 2;
              return !Delete(note) && DbGetError() == kDbWriteFailed ? 0 : 1;
            }),
            0);
  ::chmod(dir.Path().c_str(), 0755);
  EXPECT_EQ(Read(note), before);
  NoteTable unopened;
  EXPECT_EQ(NoteDelete(unopened, note), 0);
  EXPECT_EQ(Delete(note), 1);
  EXPECT_EQ(Delete(note), 1);  // already gone
  EXPECT_EQ(Delete(0), 1);     // no note
  EXPECT_TRUE(Parts(note).empty());
  std::string text;
  EXPECT_EQ(NoteRead(note, &text), 0);
  EXPECT_EQ(Read(other), "other");
}

TEST_F(NoteTest, BegunNoteHandleIsBorrowedInsteadOfOpeningTheTable) {
  // Ending what was never begun is a failed check.
  unsigned before = CheckFailureCount();
  EXPECT_EQ(NoteEnd(), 0);
  EXPECT_GT(CheckFailureCount(), before);
  int32_t note = NewNote("before");
  ASSERT_EQ(NoteBegin(), 1);
  EXPECT_TRUE(NoteBegun());
  EXPECT_EQ(OpenTableCount(), openAtStart + 1);
  // With the file renamed away, only the open shared handle can reach it.
  ASSERT_EQ(std::rename(dir.File("NOTE.DAT").c_str(), dir.File("NOTE.OLD").c_str()), 0);
  int32_t fresh = 0, copy = 0;
  EXPECT_EQ(NoteNew(&fresh), 1);
  EXPECT_EQ(NoteWrite(fresh, "during"), 1);
  EXPECT_EQ(NoteDuplicate(note, &copy), 1);
  EXPECT_EQ(Read(copy), "before");
  EXPECT_EQ(Read(fresh), "during");
  EXPECT_EQ(OpenTableCount(), openAtStart + 1);
  ASSERT_EQ(NoteBegin(), 1);  // nested
  ASSERT_EQ(NoteEnd(), 1);
  EXPECT_TRUE(NoteBegun());
  ASSERT_EQ(NoteEnd(), 1);
  EXPECT_FALSE(NoteBegun());
  std::string text;
  EXPECT_TRUE(Fails(NoteRead(note, &text), kAppNoSuchFile));
  ASSERT_EQ(std::rename(dir.File("NOTE.OLD").c_str(), dir.File("NOTE.DAT").c_str()), 0);
  EXPECT_EQ(Read(fresh), "during");
}

}  // namespace
