// dpadmin demo: a new data directory with a small office in it, for trying
// the program and the tools: a few people and a group, phone messages and
// memos waiting in their in-boxes, a folder, and office phone list entries.
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "storage/catalogue.h"
#include "storage/records/folder.h"
#include "storage/records/message.h"
#include "storage/records/name.h"
#include "storage/records/phone.h"
#include "tools/admin.h"

namespace {

namespace nm = records::name;
namespace msg = records::message;
namespace ph = records::phone;
namespace fld = records::folder;

struct Person {
  const char* name;
  const char* initials;
};
constexpr Person kPeople[] = {
    {"ANNE", "AB"}, {"BOB", "BC"}, {"CAROL", "CD"}, {"DAVE", "DE"}, {"RECEPTION", "REC"}};

struct Slip {
  const char* to;
  const char* from;
  const char* company;
  const char* phone;
  const char* text;
  bool urgent;
};
constexpr Slip kSlips[] = {
    {"ANNE", "Mr. Fischer", "Fischer & Sons", "555-0142", "Wants to move Thursday's meeting.",
     false},
    {"ANNE", "Dr. Lang", "City Clinic", "555-0199", "Lab results are in, please call.", true},
    {"BOB", "Mrs. Ortiz", "Ortiz Travel", "555-0110", "Tickets for Madrid are ready.", false},
    {"CAROL", "Tom", "Harbor Freight", "555-0175", "Delivery delayed until Monday.", false},
    {"DAVE", "Jane Miller", "Miller Print", "555-0123", "Proofs sent by courier.", false},
};

// Appends a record, taking its unique number first into the given field.
bool AppendNumbered(Table& table, std::vector<uint8_t>& record, Field numberField,
                    uint32_t* number) {
  if (!GetUniqueNumber(table, number)) return false;
  SetFieldU32(record.data(), numberField, *number);
  return DbAppendRecord(table, record.data()) == 1;
}

bool AddNames(const std::string& dir, std::vector<uint32_t>* numbers) {
  Table table(kNameTable);
  if (!DbOpenTable(table, dir)) return false;
  bool ok = true;
  for (const Person& p : kPeople) {
    std::vector<uint8_t> r(nm::kRecordSize, 0);
    SetFieldText(r.data(), nm::kName, p.name);
    SetFieldText(r.data(), nm::kInitials, p.initials);
    SetFieldText(r.data(), nm::kModemPrefix, "ATDT");
    SetFieldByte(r.data(), nm::kAddedHere, 2);
    SetFieldText(r.data(), nm::kPhoneListName, "COMMON");
    uint32_t number = 0;
    ok = ok && AppendNumbered(table, r, nm::kNumber, &number);
    numbers->push_back(number);
  }
  // Everybody, and a group of two.
  std::vector<uint8_t> all(nm::kRecordSize, 0);
  SetFieldText(all.data(), nm::kName, "* - ALL");
  uint32_t number = 0;
  ok = ok && AppendNumbered(table, all, nm::kNumber, &number);
  std::vector<uint8_t> sales(nm::kRecordSize, 0);
  SetFieldText(sales.data(), nm::kName, "*SALES");
  SetFieldU32(sales.data(), nm::Member(0), (*numbers)[0]);
  SetFieldU32(sales.data(), nm::Member(1), (*numbers)[1]);
  ok = ok && AppendNumbered(table, sales, nm::kNumber, &number);
  DbCloseTable(table);
  return ok;
}

bool AddMessages(const std::string& dir, const std::vector<uint32_t>& people) {
  const uint32_t reception = people.back();
  Table table(kMessageTable);
  if (!DbOpenTable(table, dir)) return false;
  bool ok = true;
  int32_t now = int32_t(std::time(nullptr));
  int minutesAgo = 90;
  for (const Slip& s : kSlips) {
    std::vector<uint8_t> r(msg::kRecordSize, 0);
    SetFieldByte(r.data(), msg::kKind, msg::kKindPhone);
    SetFieldI32(r.data(), msg::kFolder, 1);
    SetFieldByte(r.data(), msg::kFlags, uint8_t(2 | (s.urgent ? 4 : 0)));
    SetFieldText(r.data(), msg::kTo, s.to);
    SetFieldText(r.data(), msg::kFrom, s.from);
    SetFieldI32(r.data(), msg::kTime, now - 60 * minutesAgo);
    SetFieldU32(r.data(), msg::kSender, reception);
    SetFieldText(r.data(), msg::kCompany, s.company);
    SetFieldText(r.data(), msg::kPhone, s.phone);
    SetFieldText(r.data(), msg::kPhoneText, s.text);
    SetFieldText(r.data(), msg::kBy, "REC");
    SetFieldText(r.data(), msg::kCallBack, msg::kTicked);
    uint32_t number = 0;
    ok = ok && AppendNumbered(table, r, msg::kNumber, &number);
    minutesAgo -= 15;
  }
  std::vector<uint8_t> memo(msg::kRecordSize, 0);
  SetFieldByte(memo.data(), msg::kKind, msg::kKindMemo);
  SetFieldI32(memo.data(), msg::kFolder, 1);
  SetFieldByte(memo.data(), msg::kFlags, 2);
  SetFieldText(memo.data(), msg::kTo, "BOB");
  SetFieldText(memo.data(), msg::kFrom, "ANNE");
  SetFieldU32(memo.data(), msg::kSender, people.front());
  SetFieldI32(memo.data(), msg::kTime, now - 300);
  SetFieldText(memo.data(), msg::kMemoText, "Lunch with the Ortiz people at noon?");
  uint32_t number = 0;
  ok = ok && AppendNumbered(table, memo, msg::kNumber, &number);
  DbCloseTable(table);
  return ok;
}

bool AddFolder(const std::string& dir) {
  Table table(kFolderTable);
  if (!DbOpenTable(table, dir)) return false;
  std::vector<uint8_t> r(fld::kRecordSize, 0);
  SetFieldText(r.data(), fld::kName, "Customers");
  // Folder number 1 means the in-box in a message: pass over it as the
  // program's own folder adding does, or the demo's filed messages would
  // show as new.
  uint32_t number = 0;
  bool ok = GetUniqueNumber(table, &number) && AppendNumbered(table, r, fld::kNumber, &number);
  DbCloseTable(table);
  return ok;
}

bool AddPhoneList(const std::string& dir) {
  struct Card {
    const char* listname;
    const char* company;
    const char* city;
    const char* phone;
  };
  const Card cards[] = {{"FISCHER, KARL", "Fischer & Sons", "Springfield", "555-0142"},
                        {"LANG, DR. EVA", "City Clinic", "Springfield", "555-0199"},
                        {"ORTIZ TRAVEL", "Ortiz Travel", "Shelbyville", "555-0110"}};
  Table table(kPhoneTable);
  if (!DbOpenTable(table, dir)) return false;
  bool ok = true;
  for (const Card& c : cards) {
    std::vector<uint8_t> r(ph::kRecordSize, 0);
    SetFieldText(r.data(), ph::kListname, c.listname);
    SetFieldText(r.data(), ph::kCompany, c.company);
    SetFieldText(r.data(), ph::kCity, c.city);
    SetFieldText(r.data(), ph::kPhone1, c.phone);
    uint32_t number = 0;
    ok = ok && AppendNumbered(table, r, ph::kEntryNumber, &number);
  }
  DbCloseTable(table);
  return ok;
}

}  // namespace

int RunDemo(const std::vector<std::string>& args) {
  if (args.size() != 1) {
    Complain("demo takes one directory");
    return kExitError;
  }
  int created = RunCreate(args);
  if (created != kExitOk) return created;
  const std::string dir = WithSlash(args[0]);
  std::vector<uint32_t> numbers;
  if (!AddNames(dir, &numbers) || !AddMessages(dir, numbers) || !AddFolder(dir) ||
      !AddPhoneList(dir)) {
    Complain("could not fill the demo office: " + DbErrorName());
    return kExitError;
  }
  std::printf("%s: demo office with %zu people, %zu messages and a phone list\n", args[0].c_str(),
              numbers.size(), std::size(kSlips) + 1);
  return kExitOk;
}
