// The phone list table: entries unique per list by Listname and Phone 1,
// walks that stay inside one list, deleting with the note, and copying an
// entry to another list with and without overwrite.
#include "data/phone/dpphone.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <vector>

#include "data/messages/dpnote.h"
#include "data/office/dpname.h"
#include "storage/index_page.h"
#include "tests/data/office/office_dir.h"
#include "tests/support/lock_holder.h"

namespace ph = records::phone;

namespace {

constexpr int32_t kCommon = 0;
constexpr int32_t kAnne = 7;
constexpr int32_t kBob = 8;

class PhoneTest : public OfficeDirTest {
 protected:
  void SetUp() override {
    OfficeDirTest::SetUp();
    ASSERT_EQ(PhoneOpen(phones), 1);
  }
  void TearDown() override {
    if (phones.open) PhoneClose(phones);
    OfficeDirTest::TearDown();
  }

  static PhoneRecord Make(int32_t list, const std::string& listname, const std::string& phone,
                          const std::string& company = "") {
    PhoneRecord r;
    r.SetText(ph::kListname, listname);
    r.SetText(ph::kPhone1, phone);
    r.SetText(ph::kCompany, company);
    SetFieldI32(r.bytes, ph::kList, list);
    return r;
  }

  int32_t Add(int32_t list, const std::string& listname, const std::string& phone,
              const std::string& company = "") {
    PhoneRecord r = Make(list, listname, phone, company);
    int32_t at = -1;
    EXPECT_EQ(PhoneAdd(phones, r, &at), 1) << listname << ": " << FormatAppError();
    return at;
  }

  std::vector<std::string> Listnames(int32_t list) {
    std::vector<std::string> names;
    PhoneEntry e;
    for (int ok = PhoneFirstOfList(phones, list, &e); ok; ok = PhoneNextInList(phones, list, &e))
      names.push_back(e.Listname());
    return names;
  }

  PhoneRecord Read(int32_t recordNumber) {
    PhoneRecord r;
    EXPECT_EQ(PhoneRead(phones, recordNumber, &r), 1);
    return r;
  }

  PhoneTable phones;
};

TEST_F(PhoneTest, SameListnameAndPhoneInOneListIsRefusedEvenInAnotherCase) {
  Add(kCommon, "Fischer", "555-0142");
  PhoneRecord again = Make(kCommon, "FISCHER", "555-0142");
  EXPECT_EQ(PhoneAdd(phones, again), 0);
  EXPECT_EQ(AppErrorCode(), kAppDuplicate);
  EXPECT_EQ(AppErrorName(), "FISCHER");
  // Another phone, or the same pair in another list, is a different entry.
  Add(kCommon, "Fischer", "555-0143");
  Add(kAnne, "FISCHER", "555-0142");
  EXPECT_EQ(Listnames(kCommon), (std::vector<std::string>{"Fischer", "Fischer"}));
  EXPECT_EQ(Listnames(kAnne), (std::vector<std::string>{"FISCHER"}));
}

TEST_F(PhoneTest, AddIssuesEntryNumbersStandsOnTheNewEntryAndRefusesListnamesThatCannotBeStored) {
  int32_t a = Add(kCommon, "Able", "1");
  int32_t c = Add(kCommon, "Charlie", "3");
  int32_t b = Add(kCommon, "Baker", "2");
  EXPECT_NE(Read(a).EntryNumber(), 0);
  EXPECT_NE(Read(a).EntryNumber(), Read(b).EntryNumber());
  uint8_t here[kEntryBufferSize] = {};
  ASSERT_EQ(DbCurrentEntry(phones.table, here), 1);
  EXPECT_EQ(FieldI32(here, kEntryRecordNumber), b);
  PhoneEntry next;
  ASSERT_EQ(PhoneNextInList(phones, kCommon, &next), 1);
  EXPECT_EQ(next.RecordNumber(), c);

  PhoneRecord blank = Make(kCommon, "", "3");
  EXPECT_EQ(PhoneAdd(phones, blank), 0);
  EXPECT_EQ(AppErrorCode(), kAppInvalidName);
  PhoneRecord marked = Make(kCommon, std::string(1, '\xff') + "Dead", "3");
  EXPECT_EQ(PhoneAdd(phones, marked), 0);
  EXPECT_EQ(AppErrorCode(), kAppInvalidName);
  EXPECT_EQ(RecordCount(kPhoneTable), 3);
  // A Listname filling its whole field is cut to what the field holds, on
  // an add and on an update alike.
  PhoneRecord full = Make(kCommon, "", "4");
  std::memset(full.bytes + ph::kListname.offset, 'F', size_t(ph::kListname.width));
  int32_t at = -1;
  ASSERT_EQ(PhoneAdd(phones, full, &at), 1);
  EXPECT_EQ(Read(at).Listname(), std::string(size_t(ph::kListname.width) - 1, 'F'));
  PhoneEntry e;
  ASSERT_EQ(PhoneFind(phones, kCommon, "Baker", "2", &e), 1);
  PhoneRecord baker = Read(b);
  std::memset(baker.bytes + ph::kListname.offset, 'G', size_t(ph::kListname.width));
  ASSERT_EQ(PhoneUpdate(phones, e, baker), 1);
  EXPECT_EQ(Read(b).Listname(), std::string(size_t(ph::kListname.width) - 1, 'G'));
  ASSERT_EQ(PhoneFind(phones, kCommon, Read(b).Listname(), "2", &e), 1);
  baker.SetText(ph::kListname, "");
  EXPECT_EQ(PhoneUpdate(phones, e, baker), 0);
  EXPECT_EQ(AppErrorCode(), kAppInvalidName);
}

TEST_F(PhoneTest, NothingIsReadAddedOrChangedThroughAHandleNeverOpenedOrALockedHeader) {
  int32_t at = Add(kCommon, "Able", "1");
  PhoneTable closed;
  PhoneRecord r = Read(at);
  PhoneEntry e;
  ASSERT_EQ(PhoneFind(phones, kCommon, "Able", "1", &e), 1);
  unsigned before = CheckFailureCount();
  EXPECT_EQ(PhoneRead(closed, at, &r), 0);
  EXPECT_EQ(PhoneUpdate(closed, e, r), 0);
  EXPECT_EQ(PhoneNextInList(closed, kCommon, &e), 0);
  EXPECT_EQ(CheckFailureCount(), before + 3);
  // Another workstation holds the header: no entry number, no entry.
  FastTicks fast;
  LockHolder holder(dir.File("PHONE.DAT"), 0);
  ASSERT_TRUE(holder.Held());
  PhoneRecord more = Make(kCommon, "Baker", "2");
  EXPECT_EQ(PhoneAdd(phones, more), 0);
  EXPECT_EQ(AppErrorCode(), kAppLockError);
  holder.Release();
  EXPECT_EQ(Listnames(kCommon), std::vector<std::string>{"Able"});
}

TEST_F(PhoneTest, WalksStayInsideTheirListInListnameOrder) {
  Add(kAnne, "zeta", "1");
  Add(kCommon, "Moss", "1");
  Add(kAnne, "Alpha", "1");
  Add(kBob, "Bravo", "1");
  Add(kAnne, "mike", "1");
  EXPECT_EQ(Listnames(kAnne), (std::vector<std::string>{"Alpha", "mike", "zeta"}));
  EXPECT_EQ(Listnames(kBob), (std::vector<std::string>{"Bravo"}));

  PhoneEntry e;
  EXPECT_EQ(PhoneFirstOfList(phones, 99, &e), 0);
  EXPECT_EQ(AppErrorCode(), kAppEndOfFile);

  ASSERT_EQ(PhoneFirstOfList(phones, kAnne, &e), 1);
  EXPECT_EQ(PhonePrevInList(phones, kAnne, &e), 0);
  EXPECT_EQ(AppErrorCode(), kAppBeginningOfFile);
  ASSERT_EQ(PhoneFind(phones, kAnne, "ZETA", "1", &e), 1);
  ASSERT_EQ(PhonePrevInList(phones, kAnne, &e), 1);
  EXPECT_EQ(e.Listname(), "mike");
}

TEST_F(PhoneTest, FindIsExactAndOtherwiseStandsOnTheNearestEntryOfTheList) {
  Add(kAnne, "Alpha", "1");
  Add(kAnne, "Mike", "1");
  Add(kBob, "Bravo", "1");
  PhoneEntry e;
  EXPECT_EQ(PhoneFind(phones, kAnne, "Mike", "2", &e), 0);
  EXPECT_EQ(AppErrorCode(), kAppNotFound);
  EXPECT_EQ(AppErrorName(), "Mike");
  // Past Anne's last entry the find landed in Bob's list and stepped back.
  uint8_t here[kEntryBufferSize] = {};
  ASSERT_EQ(DbCurrentEntry(phones.table, here), 1);
  EXPECT_EQ(FieldText(here, ph::x1::kListname), "Mike");

  ASSERT_EQ(PhoneFind(phones, kAnne, "alpha", "1", &e), 1);
  PhoneEntry key = e;
  EXPECT_EQ(PhoneFindKey(phones, key, &e), 1);
  EXPECT_EQ(e.List(), kAnne);
}

TEST_F(PhoneTest, UpdateRaisesTheChangeCountAndKeepsTheKeyUnique) {
  int32_t at = Add(kCommon, "Able", "1");
  Add(kCommon, "Baker", "2");
  PhoneEntry e;
  ASSERT_EQ(PhoneFind(phones, kCommon, "Able", "1", &e), 1);
  PhoneRecord r = Read(at);
  r.SetText(ph::kListname, "Adams");
  ASSERT_EQ(PhoneUpdate(phones, e, r), 1);
  EXPECT_EQ(Read(at).ChangeCount(), 1);
  EXPECT_EQ(Listnames(kCommon), (std::vector<std::string>{"Adams", "Baker"}));

  ASSERT_EQ(PhoneFind(phones, kCommon, "Adams", "1", &e), 1);
  r = Read(at);
  r.SetText(ph::kListname, "BAKER");
  r.SetText(ph::kPhone1, "2");
  EXPECT_EQ(PhoneUpdate(phones, e, r), 0);
  EXPECT_EQ(AppErrorCode(), kAppDuplicate);
  EXPECT_EQ(Listnames(kCommon), (std::vector<std::string>{"Adams", "Baker"}));
}

TEST_F(PhoneTest, DeletingAnEntryDeletesItsNote) {
  PhoneRecord r = Make(kCommon, "Able", "1");
  int32_t note = NewNote("call after five");
  SetFieldI32(r.bytes, ph::kNote, note);
  int32_t at = -1;
  ASSERT_EQ(PhoneAdd(phones, r, &at), 1);
  ASSERT_EQ(PhoneDelete(phones, at), 1);
  std::string text;
  EXPECT_EQ(NoteRead(note, &text), 0);
  EXPECT_TRUE(Listnames(kCommon).empty());
  // Deleted already (by another workstation): done.
  EXPECT_EQ(PhoneDelete(phones, at), 1);
}

TEST_F(PhoneTest, CopyToAnotherListGetsANewEntryNumberAndItsOwnNote) {
  PhoneRecord r = Make(kCommon, "Able", "555-1", "Able Inc");
  SetFieldI32(r.bytes, ph::kNote, NewNote("the note"));
  int32_t source = -1;
  ASSERT_EQ(PhoneAdd(phones, r, &source), 1);
  ASSERT_EQ(PhoneCopyToList(phones, source, kAnne, false), 1);

  PhoneEntry e;
  ASSERT_EQ(PhoneFind(phones, kAnne, "Able", "555-1", &e), 1);
  PhoneRecord copy = Read(e.RecordNumber());
  EXPECT_EQ(copy.Text(ph::kCompany), "Able Inc");
  EXPECT_EQ(copy.List(), kAnne);
  EXPECT_NE(copy.EntryNumber(), r.EntryNumber());
  EXPECT_NE(copy.Note(), r.Note());
  std::string text;
  ASSERT_EQ(NoteRead(copy.Note(), &text), 1);
  EXPECT_EQ(text, "the note");
  // The copy's note is its own: deleting the copy leaves the source's.
  ASSERT_EQ(PhoneDelete(phones, e.RecordNumber()), 1);
  EXPECT_EQ(NoteRead(r.Note(), &text), 1);
}

TEST_F(PhoneTest, CopyOntoAnExistingEntryNeedsOverwriteAndKeepsItsRecordNumber) {
  PhoneRecord r = Make(kCommon, "Able", "555-1", "New Address Co");
  SetFieldI32(r.bytes, ph::kNote, NewNote("source note"));
  int32_t source = -1;
  ASSERT_EQ(PhoneAdd(phones, r, &source), 1);
  PhoneRecord old = Make(kAnne, "ABLE", "555-1", "Old Address Co");
  int32_t oldNote = NewNote("old note");
  SetFieldI32(old.bytes, ph::kNote, oldNote);
  int32_t target = -1;
  ASSERT_EQ(PhoneAdd(phones, old, &target), 1);

  // Leave the handle somewhere to see that the copy puts it back.
  PhoneEntry before;
  ASSERT_EQ(PhoneFind(phones, kCommon, "Able", "555-1", &before), 1);

  EXPECT_EQ(PhoneCopyToList(phones, source, kAnne, false), 0);
  EXPECT_EQ(AppErrorCode(), kAppDuplicate);
  EXPECT_EQ(AppErrorName(), "Able");
  EXPECT_EQ(Read(target).Text(ph::kCompany), "Old Address Co");

  ASSERT_EQ(PhoneCopyToList(phones, source, kAnne, true), 1);
  uint8_t here[kEntryBufferSize] = {};
  ASSERT_EQ(DbCurrentEntry(phones.table, here), 1);
  EXPECT_EQ(FieldI32(here, kEntryRecordNumber), source);

  PhoneRecord now = Read(target);
  EXPECT_EQ(now.Text(ph::kCompany), "New Address Co");
  EXPECT_EQ(now.Listname(), "Able");
  EXPECT_EQ(now.List(), kAnne);
  EXPECT_NE(now.EntryNumber(), old.EntryNumber());
  EXPECT_NE(now.EntryNumber(), r.EntryNumber());
  EXPECT_NE(now.Note(), r.Note());
  std::string text;
  ASSERT_EQ(NoteRead(now.Note(), &text), 1);
  EXPECT_EQ(text, "source note");
  EXPECT_EQ(NoteRead(oldNote, &text), 0);  // the replaced entry's note went with it
  EXPECT_EQ(RecordCount(kPhoneTable), 2);
  EXPECT_EQ(Listnames(kAnne), (std::vector<std::string>{"Able"}));
}

// An old copy made without a note of its own shares the source's note;
// copying over it keeps that note, and a copy onto itself changes nothing.
TEST_F(PhoneTest, CopyOverAnEntrySharingTheSourcesNoteKeepsThatNoteAndOntoItselfChangesNothing) {
  int32_t note = NewNote("shared");
  PhoneRecord r = Make(kCommon, "Able", "1", "new");
  SetFieldI32(r.bytes, ph::kNote, note);
  int32_t source = -1;
  ASSERT_EQ(PhoneAdd(phones, r, &source), 1);
  PhoneRecord old = Make(kAnne, "Able", "1", "old");
  SetFieldI32(old.bytes, ph::kNote, note);
  ASSERT_EQ(PhoneAdd(phones, old), 1);
  ASSERT_EQ(PhoneCopyToList(phones, source, kAnne, true), 1);
  std::string text;
  EXPECT_EQ(NoteRead(note, &text), 1);
  EXPECT_EQ(text, "shared");
  const int32_t entryNumber = Read(source).EntryNumber();
  ASSERT_EQ(PhoneCopyToList(phones, source, kCommon, true), 1);
  EXPECT_EQ(Read(source).EntryNumber(), entryNumber);
  EXPECT_EQ(RecordCount(kPhoneTable), 2);
}

TEST_F(PhoneTest, CopyOverAnEntryHeldElsewhereFailsWithALockError) {
  int32_t source = Add(kCommon, "Able", "1", "new");
  int32_t target = Add(kAnne, "Able", "1", "old");
  int64_t lockByte = ph::kHeaderSize + int64_t(target + 1) * ph::kRecordSize - 1;
  LockHolder editor(dir.File("PHONE.DAT"), lockByte);
  ASSERT_TRUE(editor.Held());
  EXPECT_EQ(PhoneCopyToList(phones, source, kAnne, true), 0);
  EXPECT_EQ(AppErrorCode(), kAppLockError);
  editor.Release();
  EXPECT_EQ(Read(target).Text(ph::kCompany), "old");
}

TEST_F(PhoneTest, AnIndexThatCannotBeReadFailsFindDeleteAndCopy) {
  int32_t at = Add(kCommon, "Able", "1");
  PhoneEntry key;
  ASSERT_EQ(PhoneFind(phones, kCommon, "Able", "1", &key), 1);
  // Another program writes a root page that claims more entries than a
  // page holds, and counts its change.
  const std::string path = dir.File("PHONE.X1");
  std::string bytes = ReadWholeFile(path);
  ASSERT_EQ(bytes.size(), size_t(kPageSize));
  bytes[kPageCountOffset] = bytes[kPageCountOffset + 1] = '\xff';
  ++bytes[kPagePrevOffset];
  std::fstream(path, std::ios::binary | std::ios::in | std::ios::out) << bytes;
  EXPECT_EQ(PhoneFindKey(phones, key, &key), 0);
  EXPECT_NE(AppErrorCode(), 0);
  ClearAppError();
  EXPECT_EQ(PhoneCopyToList(phones, at, kAnne, false), 0);
  EXPECT_NE(AppErrorCode(), 0);
  ClearAppError();
  EXPECT_EQ(PhoneDelete(phones, at), 0);
  EXPECT_NE(AppErrorCode(), 0);
}

TEST_F(PhoneTest, ListNamesMapCommonAndGroupsToTheCommonList) {
  const int32_t anne = AddNames({"ANNE"})["ANNE"];

  PhoneList list;
  ASSERT_EQ(PhoneListForName("common", &list), 1);
  EXPECT_EQ(list.number, 0);
  EXPECT_EQ(list.name, "COMMON");
  ASSERT_EQ(PhoneListForName("*SALES", &list), 1);
  EXPECT_EQ(list.number, 0);
  ASSERT_EQ(PhoneListForName("anne", &list), 1);
  EXPECT_EQ(list.number, anne);
  EXPECT_EQ(list.name, "ANNE");
  EXPECT_EQ(PhoneListForName("NOBODY", &list), 0);
  EXPECT_EQ(AppErrorCode(), kAppNotFound);
}

}  // namespace
