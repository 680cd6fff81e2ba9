#include "messaging/list_request.h"

#include <cstdio>

#include "data/local_time.h"
#include "data/office/dpmain.h"
#include "storage/records/field.h"
#include "storage/records/name.h"

MessageCriteria CriteriaOf(const ListRequest& r) {
  MessageCriteria c;
  c.folder = r.folder;
  c.newestFirst = r.newestFirst;
  c.start = r.start;
  c.end = r.end;
  c.phone = r.phone;
  c.memo = r.memo && !r.phonePassword;
  c.email = r.email && !r.phonePassword;
  c.fromText = r.fromText;
  c.companyText = r.companyText;
  c.phoneText = r.phoneText;
  c.text = r.text;
  c.exact = r.exact;
  if (r.sendLog) {
    // The user's own send log; a search compares its person text with the
    // To of each copy.
    c.sender = 0;
    c.person = "*";
    if (r.search) c.toText = r.person;
  } else {
    c.person = r.person;
  }
  return c;
}

std::string ListTitle(const ListRequest& r, int32_t rows) {
  std::string view;
  if (r.sendLog) {
    view = r.view == kViewArchive ? "Archive Send log" : "Send log";
  } else {
    switch (r.view) {
      case kViewAllFolders:
        view = "All folders";
        break;
      case kViewNew:
        view = "New";
        break;
      case kViewFolder:
        view = r.folderName;
        break;
      default:
        view = "Archive";
        break;
    }
  }
  return std::string(r.search ? "Found " : "") + std::to_string(rows) + " " +
         (rows == 1 ? "message" : "messages") + " in " + view + " for " + r.ownerName;
}

std::string RowTimeText(int32_t time) {
  if (time == 0) return std::string();
  const LocalTime t = ToLocal(time);
  return LocalDateText(t) + "   " + ClockText(t.hour, t.minute, ClockForm::kList);
}

bool NewestFirstOption() {
  return FieldByte(CurrentUser().record.bytes, records::name::kListOrder) != 0;
}
