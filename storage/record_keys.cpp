// Key builders and comparators of the catalogue's indexes.
#include <cstring>

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
#include "storage/text_compare.h"

namespace {

// Starts an entry: every byte of it zero, then the record number.
void StartEntry(uint8_t* entry, int length, int32_t recordNumber) {
  std::memset(entry, 0, size_t(length));
  SetFieldI32(entry, kEntryRecordNumber, recordNumber);
}

void CopyI32(uint8_t* entry, Field to, const uint8_t* record, Field from) {
  SetFieldI32(entry, to, FieldI32(record, from));
}
void CopyU16(uint8_t* entry, Field to, const uint8_t* record, Field from) {
  SetFieldU16(entry, to, FieldU16(record, from));
}
void CopyByte(uint8_t* entry, Field to, const uint8_t* record, Field from) {
  SetFieldByte(entry, to, FieldByte(record, from));
}

// Copies a text field into a key field of a zeroed entry: up to the NUL (or,
// for description prefixes, the first carriage return), never more than
// fits with a terminating NUL.
void CopyText(uint8_t* entry, Field to, const uint8_t* record, Field from,
              bool cutAtReturn = false) {
  int limit = to.width - 1 < from.width ? to.width - 1 : from.width;
  const uint8_t* src = record + from.offset;
  uint8_t* dst = entry + to.offset;
  for (int i = 0; i < limit; ++i) {
    if (src[i] == 0 || (cutAtReturn && src[i] == '\r')) break;
    dst[i] = src[i];
  }
}

// Three-way comparison of signed 32-bit fields. A subtraction could
// overflow (folder -2147483648 against 1 would come out positive), so the
// values are compared, not subtracted.
int CompareI32(const uint8_t* a, const uint8_t* b, Field f) {
  int32_t x = FieldI32(a, f);
  int32_t y = FieldI32(b, f);
  return x < y ? -1 : (x > y ? 1 : 0);
}
int CompareByte(const uint8_t* a, const uint8_t* b, Field f) {
  return int(FieldByte(a, f)) - int(FieldByte(b, f));
}
int CompareNoCase(const uint8_t* a, const uint8_t* b, Field f) {
  return CompareTextNoCase(a + f.offset, b + f.offset, size_t(f.width));
}
int CompareBytewise(const uint8_t* a, const uint8_t* b, Field f) {
  return CompareText(a + f.offset, b + f.offset, size_t(f.width));
}

// Puts the sentinel above every real key, whichever side it is on, before
// the index's own order looks at the fields.
template <int kLength, int (*Order)(const uint8_t*, const uint8_t*)>
int SentinelAware(const uint8_t* searched, const uint8_t* stored) {
  bool s = IsSentinelKey(searched, kLength);
  bool t = IsSentinelKey(stored, kLength);
  if (s || t) return int(s) - int(t);
  return Order(searched, stored);
}

namespace msg = records::message;
namespace slog = records::sendlog;
namespace nam = records::name;
namespace fld = records::folder;
namespace nte = records::note;
namespace ccr = records::cc;
namespace sch = records::sched;
namespace tdo = records::todo;
namespace phn = records::phone;
namespace cat = records::cat;
namespace lcr = records::lc;

int OrderMessageX1(const uint8_t* a, const uint8_t* b) {
  if (int r = CompareI32(a, b, msg::x1::kFolder)) return r;
  if (int r = CompareNoCase(a, b, msg::x1::kTo)) return r;
  if (int r = CompareI32(a, b, msg::x1::kTime)) return r;
  return CompareI32(a, b, msg::x1::kNumber);
}

int OrderMessageX2(const uint8_t* a, const uint8_t* b) {
  if (int r = CompareI32(a, b, msg::x2::kTime)) return r;
  return CompareI32(a, b, msg::x2::kNumber);
}

int OrderSendLogX1(const uint8_t* a, const uint8_t* b) {
  if (int r = CompareI32(a, b, slog::x1::kFolder)) return r;
  if (int r = CompareI32(a, b, slog::x1::kSender)) return r;
  if (int r = CompareI32(a, b, slog::x1::kTime)) return r;
  return CompareI32(a, b, slog::x1::kNumber);
}

int OrderNameX1(const uint8_t* a, const uint8_t* b) {
  return CompareNoCase(a, b, nam::x1::kName);
}

int OrderFolderX1(const uint8_t* a, const uint8_t* b) {
  if (int r = CompareI32(a, b, fld::x1::kOwner)) return r;
  return CompareNoCase(a, b, fld::x1::kName);
}

int OrderFolderX2(const uint8_t* a, const uint8_t* b) {
  return CompareI32(a, b, fld::x2::kNumber);
}

int OrderNoteX1(const uint8_t* a, const uint8_t* b) {
  if (int r = CompareI32(a, b, nte::x1::kNumber)) return r;
  return CompareByte(a, b, nte::x1::kPart);
}

int OrderCcX1(const uint8_t* a, const uint8_t* b) {
  if (int r = CompareI32(a, b, ccr::x1::kMessageNumber)) return r;
  return CompareNoCase(a, b, ccr::x1::kName);
}

int OrderSchedX1(const uint8_t* a, const uint8_t* b) {
  if (int r = CompareI32(a, b, sch::x1::kOwner)) return r;
  if (int r = CompareI32(a, b, sch::x1::kStart)) return r;
  if (int r = CompareBytewise(a, b, sch::x1::kPrefix)) return r;
  return CompareI32(a, b, sch::x1::kUniqueId);
}

int OrderTodoX1(const uint8_t* a, const uint8_t* b) {
  if (int r = CompareI32(a, b, tdo::x1::kOwner)) return r;
  if (int r = CompareI32(a, b, tdo::x1::kDate)) return r;
  if (int r = CompareBytewise(a, b, tdo::x1::kPriority)) return r;
  if (int r = CompareBytewise(a, b, tdo::x1::kPrefix)) return r;
  return CompareI32(a, b, tdo::x1::kUniqueId);
}

int OrderPhoneX1(const uint8_t* a, const uint8_t* b) {
  if (int r = CompareI32(a, b, phn::x1::kList)) return r;
  if (int r = CompareNoCase(a, b, phn::x1::kListname)) return r;
  return CompareNoCase(a, b, phn::x1::kPhone1);
}

int OrderCatX1(const uint8_t* a, const uint8_t* b) {
  if (int r = CompareI32(a, b, cat::x1::kList)) return r;
  return CompareNoCase(a, b, cat::x1::kName);
}

int OrderLcX1(const uint8_t* a, const uint8_t* b) {
  if (int r = CompareI32(a, b, lcr::x1::kEntryNumber)) return r;
  return CompareI32(a, b, lcr::x1::kCategory);
}

}  // namespace

bool IsSentinelKey(const uint8_t* entry, int entryLength) {
  for (int i = kEntryRecordNumber.End(); i < entryLength; ++i)
    if (entry[i] != 0xFF) return false;
  return entryLength > kEntryRecordNumber.End();
}

void BuildMessageX1(const uint8_t* record, uint8_t* entry, int32_t recordNumber) {
  StartEntry(entry, msg::x1::kLength, recordNumber);
  CopyI32(entry, msg::x1::kFolder, record, msg::kFolder);
  CopyByte(entry, msg::x1::kKind, record, msg::kKind);
  CopyByte(entry, msg::x1::kFlags, record, msg::kFlags);
  CopyText(entry, msg::x1::kTo, record, msg::kTo);
  CopyText(entry, msg::x1::kFrom, record, msg::kFrom);
  CopyI32(entry, msg::x1::kTime, record, msg::kTime);
  CopyI32(entry, msg::x1::kNumber, record, msg::kNumber);
  CopyU16(entry, msg::x1::kChangeCount, record, msg::kChangeCount);
}
int CompareMessageX1(const uint8_t* searched, const uint8_t* stored) {
  return SentinelAware<msg::x1::kLength, OrderMessageX1>(searched, stored);
}

void BuildMessageX2(const uint8_t* record, uint8_t* entry, int32_t recordNumber) {
  StartEntry(entry, msg::x2::kLength, recordNumber);
  CopyI32(entry, msg::x2::kNumber, record, msg::kNumber);
  CopyI32(entry, msg::x2::kTime, record, msg::kTime);
}
int CompareMessageX2(const uint8_t* searched, const uint8_t* stored) {
  return SentinelAware<msg::x2::kLength, OrderMessageX2>(searched, stored);
}

void BuildSendLogX1(const uint8_t* record, uint8_t* entry, int32_t recordNumber) {
  StartEntry(entry, slog::x1::kLength, recordNumber);
  CopyI32(entry, slog::x1::kFolder, record, msg::kFolder);
  CopyI32(entry, slog::x1::kSender, record, msg::kSender);
  CopyI32(entry, slog::x1::kTime, record, msg::kTime);
  CopyI32(entry, slog::x1::kNumber, record, msg::kNumber);
  CopyText(entry, slog::x1::kTo, record, msg::kTo);
  CopyI32(entry, slog::x1::kViewedTime, record, msg::kViewedTime);
  CopyByte(entry, slog::x1::kKind, record, msg::kKind);
  CopyByte(entry, slog::x1::kFlags, record, msg::kFlags);
}
int CompareSendLogX1(const uint8_t* searched, const uint8_t* stored) {
  return SentinelAware<slog::x1::kLength, OrderSendLogX1>(searched, stored);
}

void BuildNameX1(const uint8_t* record, uint8_t* entry, int32_t recordNumber) {
  StartEntry(entry, nam::x1::kLength, recordNumber);
  CopyText(entry, nam::x1::kName, record, nam::kName);
  CopyI32(entry, nam::x1::kNumber, record, nam::kNumber);
}
int CompareNameX1(const uint8_t* searched, const uint8_t* stored) {
  return SentinelAware<nam::x1::kLength, OrderNameX1>(searched, stored);
}

void BuildFolderX1(const uint8_t* record, uint8_t* entry, int32_t recordNumber) {
  StartEntry(entry, fld::x1::kLength, recordNumber);
  CopyI32(entry, fld::x1::kOwner, record, fld::kOwner);
  CopyText(entry, fld::x1::kName, record, fld::kName);
  CopyI32(entry, fld::x1::kNumber, record, fld::kNumber);
  CopyByte(entry, fld::x1::kSpare, record, fld::kSpare);
}
int CompareFolderX1(const uint8_t* searched, const uint8_t* stored) {
  return SentinelAware<fld::x1::kLength, OrderFolderX1>(searched, stored);
}

void BuildFolderX2(const uint8_t* record, uint8_t* entry, int32_t recordNumber) {
  StartEntry(entry, fld::x2::kLength, recordNumber);
  CopyI32(entry, fld::x2::kNumber, record, fld::kNumber);
}
int CompareFolderX2(const uint8_t* searched, const uint8_t* stored) {
  return SentinelAware<fld::x2::kLength, OrderFolderX2>(searched, stored);
}

void BuildNoteX1(const uint8_t* record, uint8_t* entry, int32_t recordNumber) {
  StartEntry(entry, nte::x1::kLength, recordNumber);
  CopyI32(entry, nte::x1::kNumber, record, nte::kNumber);
  CopyByte(entry, nte::x1::kPart, record, nte::kPart);
}
int CompareNoteX1(const uint8_t* searched, const uint8_t* stored) {
  return SentinelAware<nte::x1::kLength, OrderNoteX1>(searched, stored);
}

void BuildCcX1(const uint8_t* record, uint8_t* entry, int32_t recordNumber) {
  StartEntry(entry, ccr::x1::kLength, recordNumber);
  CopyI32(entry, ccr::x1::kMessageNumber, record, ccr::kMessageNumber);
  CopyText(entry, ccr::x1::kName, record, ccr::kName);
}
int CompareCcX1(const uint8_t* searched, const uint8_t* stored) {
  return SentinelAware<ccr::x1::kLength, OrderCcX1>(searched, stored);
}

void BuildSchedX1(const uint8_t* record, uint8_t* entry, int32_t recordNumber) {
  StartEntry(entry, sch::x1::kLength, recordNumber);
  CopyI32(entry, sch::x1::kOwner, record, sch::kOwner);
  CopyI32(entry, sch::x1::kStart, record, sch::kStart);
  CopyI32(entry, sch::x1::kEnd, record, sch::kEnd);
  CopyI32(entry, sch::x1::kAlarm, record, sch::kAlarm);
  CopyText(entry, sch::x1::kPrefix, record, sch::kDescription, /*cutAtReturn=*/true);
  CopyI32(entry, sch::x1::kRepeatGroup, record, sch::kRepeatGroup);
  CopyI32(entry, sch::x1::kUniqueId, record, sch::kUniqueId);
  CopyU16(entry, sch::x1::kChangeCount, record, sch::kChangeCount);
}
int CompareSchedX1(const uint8_t* searched, const uint8_t* stored) {
  return SentinelAware<sch::x1::kLength, OrderSchedX1>(searched, stored);
}

void BuildTodoX1(const uint8_t* record, uint8_t* entry, int32_t recordNumber) {
  StartEntry(entry, tdo::x1::kLength, recordNumber);
  CopyI32(entry, tdo::x1::kOwner, record, tdo::kOwner);
  CopyI32(entry, tdo::x1::kDate, record, tdo::kDate);
  CopyText(entry, tdo::x1::kPriority, record, tdo::kPriority);
  CopyByte(entry, tdo::x1::kStatus, record, tdo::kStatus);
  CopyText(entry, tdo::x1::kPrefix, record, tdo::kText, /*cutAtReturn=*/true);
  CopyI32(entry, tdo::x1::kUniqueId, record, tdo::kUniqueId);
  CopyU16(entry, tdo::x1::kChangeCount, record, tdo::kChangeCount);
}
int CompareTodoX1(const uint8_t* searched, const uint8_t* stored) {
  return SentinelAware<tdo::x1::kLength, OrderTodoX1>(searched, stored);
}

void BuildPhoneX1(const uint8_t* record, uint8_t* entry, int32_t recordNumber) {
  StartEntry(entry, phn::x1::kLength, recordNumber);
  CopyText(entry, phn::x1::kListname, record, phn::kListname);
  CopyText(entry, phn::x1::kPhone1, record, phn::kPhone1);
  CopyI32(entry, phn::x1::kEntryNumber, record, phn::kEntryNumber);
  CopyI32(entry, phn::x1::kList, record, phn::kList);
  CopyU16(entry, phn::x1::kChangeCount, record, phn::kChangeCount);
}
int ComparePhoneX1(const uint8_t* searched, const uint8_t* stored) {
  return SentinelAware<phn::x1::kLength, OrderPhoneX1>(searched, stored);
}

void BuildCatX1(const uint8_t* record, uint8_t* entry, int32_t recordNumber) {
  StartEntry(entry, cat::x1::kLength, recordNumber);
  CopyI32(entry, cat::x1::kList, record, cat::kList);
  CopyText(entry, cat::x1::kName, record, cat::kName);
  CopyI32(entry, cat::x1::kNumber, record, cat::kNumber);
}
int CompareCatX1(const uint8_t* searched, const uint8_t* stored) {
  return SentinelAware<cat::x1::kLength, OrderCatX1>(searched, stored);
}

void BuildLcX1(const uint8_t* record, uint8_t* entry, int32_t recordNumber) {
  StartEntry(entry, lcr::x1::kLength, recordNumber);
  CopyI32(entry, lcr::x1::kEntryNumber, record, lcr::kEntryNumber);
  CopyI32(entry, lcr::x1::kCategory, record, lcr::kCategory);
}
int CompareLcX1(const uint8_t* searched, const uint8_t* stored) {
  return SentinelAware<lcr::x1::kLength, OrderLcX1>(searched, stored);
}
