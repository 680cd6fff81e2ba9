#include "tools/record_format.h"

#include <cstdio>
#include <ctime>
#include <initializer_list>
#include <string_view>

#include "storage/catalogue.h"
#include "storage/records/cat.h"
#include "storage/records/cc.h"
#include "storage/records/folder.h"
#include "storage/records/lc.h"
#include "storage/records/message.h"
#include "storage/records/name.h"
#include "storage/records/note.h"
#include "storage/records/phone.h"
#include "storage/records/sched.h"
#include "storage/records/todo.h"

namespace {

namespace r = records;

enum class Show {
  kText,    // quoted, left out when empty
  kNumber,  // signed 32-bit
  kCount,   // unsigned 16-bit
  kByte,    // 0 to 255
  kLetter,  // one character, quoted
  kTime,    // seconds since 1970 as a local date and time; 0 means none
};

// "2026-12-06 14:05" in local time, "0" for none, the raw number when the
// value is no date the C library can show.
std::string ShowTime(int32_t seconds) {
  if (seconds == 0) return "0";
  std::time_t t = seconds;
  std::tm local{};
  char text[32];
  if (!localtime_r(&t, &local) || !std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local))
    return std::to_string(seconds);
  return Quote(text);
}

struct Shown {
  const char* label;
  Field field;
  Show how;
};

void Append(std::string* out, const uint8_t* data, const Shown& s) {
  std::string value;
  switch (s.how) {
    case Show::kText:
      value = FieldText(data, s.field);
      if (value.empty()) return;
      value = Quote(value);
      break;
    case Show::kNumber:
      value = std::to_string(FieldI32(data, s.field));
      break;
    case Show::kCount:
      value = std::to_string(FieldU16(data, s.field));
      break;
    case Show::kByte:
      value = std::to_string(FieldByte(data, s.field));
      break;
    case Show::kTime:
      value = ShowTime(FieldI32(data, s.field));
      break;
    case Show::kLetter:
      value = Quote(std::string(1, char(FieldByte(data, s.field))));
      break;
  }
  if (!out->empty()) *out += ' ';
  *out += s.label;
  *out += '=';
  *out += value;
}

std::string Describe(const uint8_t* data, std::initializer_list<Shown> fields) {
  std::string out;
  for (const Shown& s : fields) Append(&out, data, s);
  return out;
}

void AppendAll(std::string* out, const uint8_t* data, std::initializer_list<Shown> fields) {
  for (const Shown& s : fields) Append(out, data, s);
}

std::string DescribeMessage(const uint8_t* rec) {
  namespace m = r::message;
  std::string out = Describe(rec, {
                                      {"kind", m::kKind, Show::kLetter},
                                      {"folder", m::kFolder, Show::kNumber},
                                      {"number", m::kNumber, Show::kNumber},
                                      {"flags", m::kFlags, Show::kByte},
                                      {"to", m::kTo, Show::kText},
                                      {"from", m::kFrom, Show::kText},
                                      {"time", m::kTime, Show::kTime},
                                      {"sender", m::kSender, Show::kNumber},
                                      {"viewed", m::kViewedTime, Show::kTime},
                                      {"viewer", m::kViewer, Show::kNumber},
                                      {"lognote", m::kLogNote, Show::kNumber},
                                      {"note", m::kAttachedNote, Show::kNumber},
                                      {"longtext", m::kLongTextNote, Show::kNumber},
                                      {"changes", m::kChangeCount, Show::kCount},
                                  });
  switch (FieldByte(rec, m::kKind)) {
    case m::kKindPhone:
      AppendAll(&out, rec,
                {
                    {"company", m::kCompany, Show::kText},
                    {"phone", m::kPhone, Show::kText},
                    {"ext", m::kExtension, Show::kText},
                    {"text", m::kPhoneText, Show::kText},
                    {"by", m::kBy, Show::kText},
                    {"rush", m::kRush, Show::kText},
                    {"callback", m::kCallBack, Show::kText},
                    {"returned", m::kReturnedCall, Show::kText},
                    {"willcall", m::kWillCall, Show::kText},
                });
      break;
    case m::kKindMemo:
      AppendAll(&out, rec, {{"text", m::kMemoText, Show::kText}});
      break;
    case m::kKindEmail:
      AppendAll(&out, rec,
                {
                    {"address", m::kSenderAddress, Show::kText},
                    {"subject", m::kSubject, Show::kText},
                    {"raw", m::kRawStem, Show::kText},
                });
      break;
    default:
      break;
  }
  return out;
}

std::string DescribeName(const uint8_t* rec) {
  namespace n = r::name;
  std::string out = Describe(rec, {
                                      {"name", n::kName, Show::kText},
                                      {"number", n::kNumber, Show::kNumber},
                                  });
  if (FieldByte(rec, n::kName) == uint8_t(n::kGroupPrefix)) {
    std::string members;
    for (int i = 0; i < n::kMaxMembers; ++i) {
      int32_t member = FieldI32(rec, n::Member(i));
      if (member == 0) continue;
      if (!members.empty()) members += ',';
      members += std::to_string(member);
    }
    out += " members=" + (members.empty() ? std::string("none") : members);
    return out;
  }
  // Passwords are never shown, only whether one is set.
  out += FieldText(rec, n::kPassword).empty() ? " password=none" : " password=set";
  AppendAll(&out, rec,
            {
                {"initials", n::kInitials, Show::kText},
                {"type", n::kDefaultKind, Show::kByte},
                {"order", n::kListOrder, Show::kByte},
                {"sound", n::kSoundRepeat, Show::kByte},
                {"notify", n::kNotify, Show::kByte},
                {"port", n::kModemPort, Show::kByte},
                {"prefix", n::kModemPrefix, Show::kText},
                {"suffix", n::kModemSuffix, Show::kText},
                {"sendlog", n::kSendLog, Show::kByte},
                {"fromsearch", n::kFromSearch, Show::kByte},
                {"phonelist", n::kPhoneListName, Show::kText},
                {"phonelistnumber", n::kPhoneListNumber, Show::kNumber},
                {"allcaps", n::kAllCaps, Show::kByte},
                {"no1", n::kNoLongDistanceOne, Show::kByte},
                {"signature", n::kSignature, Show::kByte},
                {"signaturenote", n::kSignatureNote, Show::kNumber},
                {"email", n::kEmailFrom, Show::kText},
                {"autoformat", n::kAutoFormat, Show::kByte},
                {"folder", n::kDefaultFolder, Show::kNumber},
                {"protected", n::kProtectedAreas, Show::kByte},
            });
  return out;
}

}  // namespace

std::string Quote(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 32 || c >= 127) {
          char hex[8];
          std::snprintf(hex, sizeof hex, "\\x%02X", c);
          out += hex;
        } else {
          out += char(c);
        }
    }
  }
  return out + "\"";
}

std::string DescribeRecord(const TableDef& def, const uint8_t* rec) {
  const std::string_view name = def.name;
  if (name == "MESSAGE" || name == "SENDLOG") return DescribeMessage(rec);
  if (name == "NAME") return DescribeName(rec);
  if (name == "FOLDER") {
    namespace f = r::folder;
    return Describe(rec, {{"name", f::kName, Show::kText},
                          {"owner", f::kOwner, Show::kNumber},
                          {"number", f::kNumber, Show::kNumber}});
  }
  if (name == "NOTE") {
    namespace n = r::note;
    return Describe(rec, {{"part", n::kPart, Show::kByte},
                          {"number", n::kNumber, Show::kNumber},
                          {"text", n::kText, Show::kText}});
  }
  if (name == "CC") {
    namespace c = r::cc;
    return Describe(
        rec, {{"message", c::kMessageNumber, Show::kNumber}, {"name", c::kName, Show::kText}});
  }
  if (name == "SCHED") {
    namespace s = r::sched;
    return Describe(rec, {{"description", s::kDescription, Show::kText},
                          {"owner", s::kOwner, Show::kNumber},
                          {"start", s::kStart, Show::kTime},
                          {"end", s::kEnd, Show::kTime},
                          {"alarm", s::kAlarm, Show::kTime},
                          {"note", s::kNote, Show::kText},
                          {"repeat", s::kRepeatGroup, Show::kNumber},
                          {"id", s::kUniqueId, Show::kNumber},
                          {"changes", s::kChangeCount, Show::kCount}});
  }
  if (name == "TODO") {
    namespace t = r::todo;
    return Describe(rec, {{"text", t::kText, Show::kText},
                          {"owner", t::kOwner, Show::kNumber},
                          {"date", t::kDate, Show::kTime},
                          {"priority", t::kPriority, Show::kText},
                          {"status", t::kStatus, Show::kByte},
                          {"id", t::kUniqueId, Show::kNumber},
                          {"changes", t::kChangeCount, Show::kCount}});
  }
  if (name == "PHONE") {
    namespace p = r::phone;
    return Describe(rec, {{"listname", p::kListname, Show::kText},
                          {"company", p::kCompany, Show::kText},
                          {"street1", p::kStreet1, Show::kText},
                          {"street2", p::kStreet2, Show::kText},
                          {"city", p::kCity, Show::kText},
                          {"state", p::kState, Show::kText},
                          {"zip", p::kZip, Show::kText},
                          {"country", p::kCountry, Show::kText},
                          {"contact", p::kContact, Show::kText},
                          {"phone1", p::kPhone1, Show::kText},
                          {"ext1", p::kExt1, Show::kText},
                          {"phone2", p::kPhone2, Show::kText},
                          {"ext2", p::kExt2, Show::kText},
                          {"fax", p::kFax, Show::kText},
                          {"cell", p::kCell, Show::kText},
                          {"url", p::kUrl, Show::kText},
                          {"email", p::kEmail, Show::kText},
                          {"id", p::kId, Show::kText},
                          {"misc", p::kMisc, Show::kText},
                          {"note", p::kNote, Show::kNumber},
                          {"entry", p::kEntryNumber, Show::kNumber},
                          {"list", p::kList, Show::kNumber},
                          {"changes", p::kChangeCount, Show::kCount}});
  }
  if (name == "CAT") {
    namespace c = r::cat;
    return Describe(rec, {{"name", c::kName, Show::kText},
                          {"number", c::kNumber, Show::kNumber},
                          {"list", c::kList, Show::kNumber}});
  }
  if (name == "LC") {
    namespace l = r::lc;
    return Describe(rec, {{"entry", l::kEntryNumber, Show::kNumber},
                          {"category", l::kCategory, Show::kNumber}});
  }
  return "";
}

std::string DescribeEntry(const TableDef& def, int x, const uint8_t* e) {
  const std::string_view name = def.name;
  if (name == "MESSAGE" && x == 0) {
    namespace k = r::message::x1;
    return Describe(e, {{"folder", k::kFolder, Show::kNumber},
                        {"kind", k::kKind, Show::kLetter},
                        {"flags", k::kFlags, Show::kByte},
                        {"to", k::kTo, Show::kText},
                        {"from", k::kFrom, Show::kText},
                        {"time", k::kTime, Show::kTime},
                        {"number", k::kNumber, Show::kNumber},
                        {"changes", k::kChangeCount, Show::kCount}});
  }
  if (name == "MESSAGE" && x == 1) {
    namespace k = r::message::x2;
    return Describe(e, {{"number", k::kNumber, Show::kNumber}, {"time", k::kTime, Show::kTime}});
  }
  if (name == "SENDLOG") {
    namespace k = r::sendlog::x1;
    return Describe(e, {{"folder", k::kFolder, Show::kNumber},
                        {"sender", k::kSender, Show::kNumber},
                        {"time", k::kTime, Show::kTime},
                        {"number", k::kNumber, Show::kNumber},
                        {"to", k::kTo, Show::kText},
                        {"viewed", k::kViewedTime, Show::kTime},
                        {"kind", k::kKind, Show::kLetter},
                        {"flags", k::kFlags, Show::kByte}});
  }
  if (name == "NAME") {
    namespace k = r::name::x1;
    return Describe(e, {{"name", k::kName, Show::kText}, {"number", k::kNumber, Show::kNumber}});
  }
  if (name == "FOLDER" && x == 0) {
    namespace k = r::folder::x1;
    return Describe(e, {{"owner", k::kOwner, Show::kNumber},
                        {"name", k::kName, Show::kText},
                        {"number", k::kNumber, Show::kNumber}});
  }
  if (name == "FOLDER" && x == 1) {
    namespace k = r::folder::x2;
    return Describe(e, {{"number", k::kNumber, Show::kNumber}});
  }
  if (name == "NOTE") {
    namespace k = r::note::x1;
    return Describe(e, {{"number", k::kNumber, Show::kNumber}, {"part", k::kPart, Show::kByte}});
  }
  if (name == "CC") {
    namespace k = r::cc::x1;
    return Describe(
        e, {{"message", k::kMessageNumber, Show::kNumber}, {"name", k::kName, Show::kText}});
  }
  if (name == "SCHED") {
    namespace k = r::sched::x1;
    return Describe(e, {{"owner", k::kOwner, Show::kNumber},
                        {"start", k::kStart, Show::kTime},
                        {"end", k::kEnd, Show::kTime},
                        {"alarm", k::kAlarm, Show::kTime},
                        {"description", k::kPrefix, Show::kText},
                        {"repeat", k::kRepeatGroup, Show::kNumber},
                        {"id", k::kUniqueId, Show::kNumber},
                        {"changes", k::kChangeCount, Show::kCount}});
  }
  if (name == "TODO") {
    namespace k = r::todo::x1;
    return Describe(e, {{"owner", k::kOwner, Show::kNumber},
                        {"date", k::kDate, Show::kTime},
                        {"priority", k::kPriority, Show::kText},
                        {"status", k::kStatus, Show::kByte},
                        {"text", k::kPrefix, Show::kText},
                        {"id", k::kUniqueId, Show::kNumber},
                        {"changes", k::kChangeCount, Show::kCount}});
  }
  if (name == "PHONE") {
    namespace k = r::phone::x1;
    return Describe(e, {{"list", k::kList, Show::kNumber},
                        {"listname", k::kListname, Show::kText},
                        {"phone1", k::kPhone1, Show::kText},
                        {"entry", k::kEntryNumber, Show::kNumber},
                        {"changes", k::kChangeCount, Show::kCount}});
  }
  if (name == "CAT") {
    namespace k = r::cat::x1;
    return Describe(e, {{"list", k::kList, Show::kNumber},
                        {"name", k::kName, Show::kText},
                        {"number", k::kNumber, Show::kNumber}});
  }
  if (name == "LC") {
    namespace k = r::lc::x1;
    return Describe(
        e, {{"entry", k::kEntryNumber, Show::kNumber}, {"category", k::kCategory, Show::kNumber}});
  }
  return "";
}
