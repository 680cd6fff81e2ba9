// The phone list table: entries unique per list by Listname and Phone 1,
// walks that stay inside one list, deleting with the note, copying an
// entry to another list with and without overwrite, and adding an entry
// from a phone message.
#include "data/phone/dpphone.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <vector>

#include "data/phone/phone_quick_add.h"
#include "storage/index_page.h"
#include "tests/data/phone/phone_fixture.h"
#include "tests/support/lock_holder.h"

namespace ph = records::phone;
namespace msg = records::message;

namespace {

constexpr int32_t kCommon = 0;
constexpr int32_t kAnne = 7;
constexpr int32_t kBob = 8;

using Names = std::vector<std::string>;

class PhoneTest : public PhoneTableTest {
 protected:
  Names Listnames(int32_t list) {
    Names names;
    PhoneEntry e;
    for (int ok = PhoneFirstOfList(phones, list, &e); ok; ok = PhoneNextInList(phones, list, &e))
      names.push_back(e.Listname());
    return names;
  }

  // Adds the entry expecting a refusal; the reason's code.
  int AddRefused(PhoneRecord r) {
    EXPECT_EQ(PhoneAdd(phones, r), 0) << r.Listname();
    return AppErrorCode();
  }

  PhoneEntry Find(int32_t list, const std::string& listname, const std::string& phone) {
    PhoneEntry e;
    EXPECT_EQ(PhoneFind(phones, list, listname, phone, &e), 1) << listname;
    return e;
  }

  // The record number the handle stands on.
  int32_t Current() {
    uint8_t here[kEntryBufferSize] = {};
    EXPECT_EQ(DbCurrentEntry(phones.table, here), 1);
    return FieldI32(here, kEntryRecordNumber);
  }

  // A note's text, or "(none)" when it cannot be read.
  static std::string NoteText(int32_t note) {
    std::string text;
    return NoteRead(note, &text) ? text : "(none)";
  }
};

TEST_F(PhoneTest, SameListnameAndPhoneInOneListIsRefusedEvenInAnotherCase) {
  Add(kCommon, "Fischer", "555-0142");
  EXPECT_EQ(AddRefused(Make(kCommon, "FISCHER", "555-0142")), kAppDuplicate);
  EXPECT_EQ(AppErrorName(), "FISCHER");
  // Another phone, or the same pair in another list, is a different entry.
  Add(kCommon, "Fischer", "555-0143");
  Add(kAnne, "FISCHER", "555-0142");
  EXPECT_EQ(Listnames(kCommon), (Names{"Fischer", "Fischer"}));
  EXPECT_EQ(Listnames(kAnne), (Names{"FISCHER"}));
}

TEST_F(PhoneTest, AddIssuesEntryNumbersStandsOnTheNewEntryAndRefusesListnamesThatCannotBeStored) {
  int32_t a = Add(kCommon, "Able", "1");
  int32_t c = Add(kCommon, "Charlie", "3");
  int32_t b = Add(kCommon, "Baker", "2");
  EXPECT_NE(Read(a).EntryNumber(), 0);
  EXPECT_NE(Read(a).EntryNumber(), Read(b).EntryNumber());
  EXPECT_EQ(Current(), b);
  PhoneEntry next;
  ASSERT_EQ(PhoneNextInList(phones, kCommon, &next), 1);
  EXPECT_EQ(next.RecordNumber(), c);

  EXPECT_EQ(AddRefused(Make(kCommon, "", "3")), kAppInvalidName);
  EXPECT_EQ(AddRefused(Make(kCommon,
                            "\xff"
                            "Dead",
                            "3")),
            kAppInvalidName);
  EXPECT_EQ(RecordCount(kPhoneTable), 3);
  // A Listname filling its whole field is cut to what the field holds, on
  // an add and on an update alike.
  const size_t width = size_t(ph::kListname.width);
  PhoneRecord full = Make(kCommon, "", "4");
  std::memset(full.bytes + ph::kListname.offset, 'F', width);
  EXPECT_EQ(Read(Add(full)).Listname(), std::string(width - 1, 'F'));
  PhoneRecord baker = Read(b);
  std::memset(baker.bytes + ph::kListname.offset, 'G', width);
  ASSERT_EQ(PhoneUpdate(phones, Find(kCommon, "Baker", "2"), baker), 1);
  EXPECT_EQ(Read(b).Listname(), std::string(width - 1, 'G'));
  baker.SetText(ph::kListname, "");
  EXPECT_EQ(PhoneUpdate(phones, Find(kCommon, Read(b).Listname(), "2"), baker), 0);
  EXPECT_EQ(AppErrorCode(), kAppInvalidName);
}

TEST_F(PhoneTest, NothingIsReadAddedOrChangedThroughAHandleNeverOpenedOrALockedHeader) {
  int32_t at = Add(kCommon, "Able", "1");
  PhoneTable closed;
  PhoneRecord r = Read(at);
  PhoneEntry e = Find(kCommon, "Able", "1");
  unsigned before = CheckFailureCount();
  EXPECT_EQ(PhoneRead(closed, at, &r), 0);
  EXPECT_EQ(PhoneUpdate(closed, e, r), 0);
  EXPECT_EQ(PhoneNextInList(closed, kCommon, &e), 0);
  EXPECT_EQ(CheckFailureCount(), before + 3);
  // Another workstation holds the header: no entry number, no entry.
  FastTicks fast;
  LockHolder holder(dir.File("PHONE.DAT"), 0);
  ASSERT_TRUE(holder.Held());
  EXPECT_EQ(AddRefused(Make(kCommon, "Baker", "2")), kAppLockError);
  holder.Release();
  EXPECT_EQ(Listnames(kCommon), Names{"Able"});
}

TEST_F(PhoneTest, WalksStayInsideTheirListInListnameOrderAndFindStandsOnTheNearestEntry) {
  Add(kAnne, "zeta", "1");
  Add(kCommon, "Moss", "1");
  Add(kAnne, "Alpha", "1");
  Add(kBob, "Bravo", "1");
  Add(kAnne, "mike", "1");
  EXPECT_EQ(Listnames(kAnne), (Names{"Alpha", "mike", "zeta"}));
  EXPECT_EQ(Listnames(kBob), Names{"Bravo"});

  PhoneEntry e;
  EXPECT_EQ(PhoneFirstOfList(phones, 99, &e), 0);
  EXPECT_EQ(AppErrorCode(), kAppEndOfFile);
  ASSERT_EQ(PhoneFirstOfList(phones, kAnne, &e), 1);
  EXPECT_EQ(PhonePrevInList(phones, kAnne, &e), 0);
  EXPECT_EQ(AppErrorCode(), kAppBeginningOfFile);
  e = Find(kAnne, "ZETA", "1");
  ASSERT_EQ(PhonePrevInList(phones, kAnne, &e), 1);
  EXPECT_EQ(e.Listname(), "mike");

  // A find is exact; past Anne's last entry it landed in Bob's list and
  // stepped back.
  EXPECT_EQ(PhoneFind(phones, kAnne, "zeta", "2", &e), 0);
  EXPECT_EQ(AppErrorCode(), kAppNotFound);
  EXPECT_EQ(AppErrorName(), "zeta");
  EXPECT_EQ(Read(Current()).Listname(), "zeta");
  PhoneEntry key = Find(kAnne, "alpha", "1");
  EXPECT_EQ(PhoneFindKey(phones, key, &e), 1);
  EXPECT_EQ(e.List(), kAnne);
}

TEST_F(PhoneTest, UpdateRaisesTheChangeCountAndKeepsTheKeyUnique) {
  int32_t at = Add(kCommon, "Able", "1");
  Add(kCommon, "Baker", "2");
  PhoneRecord r = Read(at);
  r.SetText(ph::kListname, "Adams");
  ASSERT_EQ(PhoneUpdate(phones, Find(kCommon, "Able", "1"), r), 1);
  EXPECT_EQ(Read(at).ChangeCount(), 1);
  EXPECT_EQ(Listnames(kCommon), (Names{"Adams", "Baker"}));

  r = Read(at);
  r.SetText(ph::kListname, "BAKER");
  r.SetText(ph::kPhone1, "2");
  EXPECT_EQ(PhoneUpdate(phones, Find(kCommon, "Adams", "1"), r), 0);
  EXPECT_EQ(AppErrorCode(), kAppDuplicate);
  EXPECT_EQ(Listnames(kCommon), (Names{"Adams", "Baker"}));
}

TEST_F(PhoneTest, DeletingAnEntryDeletesItsNote) {
  int32_t note = NewNote("call after five");
  int32_t at = Add(Make(kCommon, "Able", "1", "", note));
  ASSERT_EQ(PhoneDelete(phones, at), 1);
  EXPECT_EQ(NoteText(note), "(none)");
  EXPECT_TRUE(Listnames(kCommon).empty());
  // Deleted already (by another workstation): done.
  EXPECT_EQ(PhoneDelete(phones, at), 1);
}

TEST_F(PhoneTest, CopyToAnotherListGetsANewEntryNumberAndItsOwnNote) {
  int32_t source = Add(Make(kCommon, "Able", "555-1", "Able Inc", NewNote("the note")));
  PhoneRecord r = Read(source);
  ASSERT_EQ(PhoneCopyToList(phones, source, kAnne, false), 1);

  int32_t at = Find(kAnne, "Able", "555-1").RecordNumber();
  PhoneRecord copy = Read(at);
  EXPECT_EQ(copy.Text(ph::kCompany), "Able Inc");
  EXPECT_EQ(copy.List(), kAnne);
  EXPECT_NE(copy.EntryNumber(), r.EntryNumber());
  EXPECT_NE(copy.Note(), r.Note());
  EXPECT_EQ(NoteText(copy.Note()), "the note");
  // The copy's note is its own: deleting the copy leaves the source's.
  ASSERT_EQ(PhoneDelete(phones, at), 1);
  EXPECT_EQ(NoteText(r.Note()), "the note");
}

TEST_F(PhoneTest, CopyOntoAnExistingEntryNeedsOverwriteAndKeepsItsRecordNumber) {
  int32_t source = Add(Make(kCommon, "Able", "555-1", "New Address Co", NewNote("source note")));
  const PhoneRecord r = Read(source);
  int32_t oldNote = NewNote("old note");
  int32_t target = Add(Make(kAnne, "ABLE", "555-1", "Old Address Co", oldNote));
  const PhoneRecord old = Read(target);
  // Leave the handle somewhere to see that the copy puts it back.
  Find(kCommon, "Able", "555-1");

  EXPECT_EQ(PhoneCopyToList(phones, source, kAnne, false), 0);
  EXPECT_EQ(AppErrorCode(), kAppDuplicate);
  EXPECT_EQ(AppErrorName(), "Able");
  EXPECT_EQ(Read(target).Text(ph::kCompany), "Old Address Co");

  ASSERT_EQ(PhoneCopyToList(phones, source, kAnne, true), 1);
  EXPECT_EQ(Current(), source);
  PhoneRecord now = Read(target);
  EXPECT_EQ(now.Text(ph::kCompany), "New Address Co");
  EXPECT_EQ(now.Listname(), "Able");
  EXPECT_EQ(now.List(), kAnne);
  EXPECT_NE(now.EntryNumber(), old.EntryNumber());
  EXPECT_NE(now.EntryNumber(), r.EntryNumber());
  EXPECT_NE(now.Note(), r.Note());
  EXPECT_EQ(NoteText(now.Note()), "source note");
  EXPECT_EQ(NoteText(oldNote), "(none)");  // the replaced entry's note went with it
  EXPECT_EQ(RecordCount(kPhoneTable), 2);
  EXPECT_EQ(Listnames(kAnne), Names{"Able"});
}

// An old copy made without a note of its own shares the source's note;
// copying over it keeps that note, and a copy onto itself changes nothing.
TEST_F(PhoneTest, CopyOverAnEntrySharingTheSourcesNoteKeepsThatNoteAndOntoItselfChangesNothing) {
  int32_t note = NewNote("shared");
  int32_t source = Add(Make(kCommon, "Able", "1", "new", note));
  Add(Make(kAnne, "Able", "1", "old", note));
  ASSERT_EQ(PhoneCopyToList(phones, source, kAnne, true), 1);
  EXPECT_EQ(NoteText(note), "shared");
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
  PhoneEntry key = Find(kCommon, "Able", "1");
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
  const struct {
    const char* name;
    int32_t number;
    const char* shown;
  } cases[] = {{"common", 0, "COMMON"}, {"*SALES", 0, "COMMON"}, {"anne", anne, "ANNE"}};
  for (const auto& c : cases) {
    PhoneList list;
    ASSERT_EQ(PhoneListForName(c.name, &list), 1) << c.name;
    EXPECT_EQ(list.number, c.number) << c.name;
    EXPECT_EQ(list.name, c.shown) << c.name;
  }
  PhoneList list;
  EXPECT_EQ(PhoneListForName("NOBODY", &list), 0);
  EXPECT_EQ(AppErrorCode(), kAppNotFound);
}

// "Add to PhoneList" from a phone message.
using QuickAddTest = PhoneTableTest;

MessageRecord Slip(const char* from, const char* company, const char* phone, const char* ext) {
  MessageRecord m;
  SetFieldByte(m.bytes, msg::kKind, msg::kKindPhone);
  SetFieldText(m.bytes, msg::kFrom, from);
  SetFieldText(m.bytes, msg::kCompany, company);
  SetFieldText(m.bytes, msg::kPhone, phone);
  SetFieldText(m.bytes, msg::kExtension, ext);
  return m;
}

TEST_F(QuickAddTest, PhoneMessageBecomesAnEntryNamedByItsCompanyOnce) {
  QuickAdd result;
  ASSERT_EQ(PhoneQuickAddMessage(phones, kAnne,
                                 Slip("Mr. Fischer", "Fischer & Sons", "555-0142", "12"), &result),
            1);
  EXPECT_EQ(result, QuickAdd::kAdded);
  PhoneEntry e;
  ASSERT_EQ(PhoneFind(phones, kAnne, "Fischer & Sons", "555-0142", &e), 1);
  PhoneRecord r = Read(e.RecordNumber());
  EXPECT_EQ(r.Text(ph::kCompany) + "|" + r.Text(ph::kContact) + "|" + r.Text(ph::kExt1),
            "Fischer & Sons|Mr. Fischer|12");
  EXPECT_NE(r.EntryNumber(), 0);
  // The same again is reported, not stored twice.
  ASSERT_EQ(PhoneQuickAddMessage(phones, kAnne, Slip("Someone", "FISCHER & SONS", "555-0142", ""),
                                 &result),
            1);
  EXPECT_EQ(result, QuickAdd::kExists);
  EXPECT_EQ(RecordCount(kPhoneTable), 1);
}

TEST_F(QuickAddTest, WithoutCompanyTheCallerNamesTheEntryAndABlankMessageAddsNothing) {
  QuickAdd result;
  ASSERT_EQ(PhoneQuickAdd(phones, kAnne, "", "Tom", "555-0175", "", &result), 1);
  EXPECT_EQ(result, QuickAdd::kAdded);
  EXPECT_EQ(PhoneFind(phones, kAnne, "Tom", "555-0175"), 1);
  ASSERT_EQ(PhoneQuickAdd(phones, kAnne, " ", "", "", "99", &result), 1);
  EXPECT_EQ(result, QuickAdd::kNothing);
  EXPECT_EQ(RecordCount(kPhoneTable), 1);
}

}  // namespace
