#include "phonelist/phone_walks.h"

#include <vector>

#include "data/office/dpmain.h"
#include "data/phone/dpphone.h"
#include "phonelist/phone_list_view.h"
#include "storage/errors.h"
#include "toolkit/prompts.h"
#include "toolkit/record_text.h"

namespace {

// The tagged entries in index order: from the selected row when one entry
// is tagged, else from the list's first entry, until all are found or the
// list ends. False after an index failure (shown).
bool TaggedEntries(PhoneTable& phones, TPhoneListView& list, std::vector<PhoneEntry>* tagged) {
  int remaining = list.Tags().Count();
  if (remaining == 0) return true;
  PhoneEntry entry;
  int ok = 0;
  PhoneEntry selected;
  if (remaining == 1 && list.Selected(&selected) && list.IsTagged(selected.bytes)) {
    ok = PhoneFindKey(phones, selected, &entry);
  } else {
    ok = PhoneFirstOfList(phones, list.List(), &entry);
  }
  while (ok && remaining > 0) {
    if (list.IsTagged(entry.bytes)) {
      tagged->push_back(entry);
      --remaining;
    }
    if (remaining > 0) ok = PhoneNextInList(phones, list.List(), &entry);
  }
  // The list's end (1018, or the index's end without a code) ends the walk.
  if (!ok && AppErrorCode() != kAppEndOfFile && AppErrorCode() != 0) {
    ShowError();
    return false;
  }
  ClearAppError();
  DbClearError();
  return true;
}

// The nesting "Copying..." / "Deleting..." notice for the walk.
class WorkingNotice {
 public:
  explicit WorkingNotice(const QString& text) { Prompter().Working(true, text); }
  ~WorkingNotice() { Prompter().Working(false); }
  WorkingNotice(const WorkingNotice&) = delete;
  WorkingNotice& operator=(const WorkingNotice&) = delete;
};

// A handle of the walk's own, shown when it cannot be opened.
struct WalkHandle {
  PhoneTable phones;
  bool ok = false;
  WalkHandle() {
    ok = PhoneOpen(phones) != 0;
    if (!ok) ShowError();
  }
  ~WalkHandle() {
    if (phones.open) PhoneClose(phones);
  }
};

}  // namespace

int CopyTaggedEntries(TPhoneListView& list, int32_t target) {
  WalkHandle walk;
  if (!walk.ok) return 0;
  PhoneTable& phones = walk.phones;
  std::vector<PhoneEntry> tagged;
  if (!TaggedEntries(phones, list, &tagged)) return 0;
  WorkingNotice notice("Copying...");
  int copied = 0;
  bool yesToAll = false;
  bool noToAll = false;
  for (const PhoneEntry& entry : tagged) {
    if (PhoneCopyToList(phones, entry.RecordNumber(), target, yesToAll)) {
      ++copied;
      continue;
    }
    if (AppErrorCode() != kAppDuplicate) {
      ShowError();
      break;
    }
    ClearAppError();
    if (noToAll) continue;
    const int answer =
        Prompter().YesNoAll(QString("%1 already exists, would you like to overwrite it?")
                                .arg(FromCp1252(entry.Listname())));
    if (answer == kIdNo) continue;
    if (answer == kIdNoToAll) {
      noToAll = true;
      continue;
    }
    if (answer == kIdYesToAll) yesToAll = true;
    if (!PhoneCopyToList(phones, entry.RecordNumber(), target, true)) {
      ShowError();
      break;
    }
    ++copied;
  }
  return copied;
}

int DeleteTaggedEntries(TPhoneListView& list) {
  WalkHandle walk;
  if (!walk.ok) return 0;
  PhoneTable& phones = walk.phones;
  std::vector<PhoneEntry> tagged;
  if (!TaggedEntries(phones, list, &tagged)) return 0;
  const int row = list.SelectedRow();
  const PhoneEntry firstVisible = list.RowsFilled() > 0 ? list.Entry(0) : PhoneEntry();
  int deleted = 0;
  {
    WorkingNotice notice("Deleting...");
    for (const PhoneEntry& entry : tagged) {
      if (PhoneDelete(phones, entry.RecordNumber())) {
        ++deleted;
        continue;
      }
      if (DbGetError() == kDbRecordLocked || AppErrorCode() == kAppLockError) {
        // Another workstation has it open: the others go on.
        DbClearError();
        ClearAppError();
        Prompter().Inform("Record in use.");
        continue;
      }
      ShowError();
      break;
    }
  }
  // Back to the page as it began (its first entry gone: the next one; none
  // left after it: the list's last page), the same row selected.
  if (list.RowsFilled() > 0) {
    if (!list.ShowEntry(firstVisible, row)) ShowError();
  } else if (!list.ShowList(list.List())) {
    ShowError();
  }
  return deleted;
}
