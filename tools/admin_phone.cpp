// dpadmin phonelist and add-phone: showing a phone list and adding one
// entry to it.
#include "tools/admin_phone.h"

#include <cstdio>

#include "data/cp1252.h"
#include "data/office/dpname.h"
#include "data/phone/phone_csv.h"
#include "storage/errors.h"
#include "tools/admin.h"
#include "tools/admin_office.h"

namespace ph = records::phone;

bool RequirePhoneList(const std::string& name, PhoneList* list) {
  std::string code;
  if (!Utf8ToCp1252(name, &code)) {
    Complain("no such person: " + name);
    return false;
  }
  if (!code.empty() && code[0] == '*') {
    Complain(name + " is a group; LIST is COMMON or a person's name");
    return false;
  }
  if (!PhoneListForName(code, list)) {
    if (AppErrorCode() == kAppNotFound)
      Complain("no such person: " + name + " (LIST is COMMON or a person's name)");
    else
      ComplainAppError(name);
    return false;
  }
  return true;
}

namespace {

// One list's rows as the list window shows them: Listname, a tab, Phone 1.
bool PrintList(PhoneTable& phones, int32_t list, const char* indent) {
  PhoneEntry e;
  int ok = PhoneFirstOfList(phones, list, &e);
  for (; ok; ok = PhoneNextInList(phones, list, &e))
    std::printf("%s%s\t%s\n", indent, Cp1252ToUtf8(e.Listname()).c_str(),
                Cp1252ToUtf8(e.Phone1()).c_str());
  if (AppErrorCode() == kAppEndOfFile) return true;
  ComplainAppError("PHONE");
  return false;
}

// The heading of a list: "COMMON" or its owner's name.
std::string ListHeading(int32_t list) {
  if (list == ph::kCommonList) return ph::kCommonListName;
  NameTable names;
  std::string heading = "list " + std::to_string(list) + " (no such person)";
  if (NameOpen(names)) {
    NameEntry owner;
    if (NameFindNumber(names, list, &owner)) heading = Cp1252ToUtf8(owner.Name());
    NameClose(names);
  }
  return heading;
}

int ShowAllLists(PhoneTable& phones) {
  if (!DbSetCurrentIndex(phones.table, 0) || !DbFirst(phones.table)) return kExitError;
  bool first = true;
  while (DbCurrentRecord(phones.table) >= 0) {
    PhoneEntry e;
    if (!DbCurrentEntry(phones.table, e.bytes)) return kExitError;
    const int32_t list = e.List();
    std::printf("%s%s\n", first ? "" : "\n", ListHeading(list).c_str());
    first = false;
    // The walk stops on the next list's first entry, or at the end.
    if (!PrintList(phones, list, "  ")) return kExitError;
  }
  return kExitOk;
}

}  // namespace

int RunPhoneList(const std::vector<std::string>& args) {
  if (args.empty() || args.size() > 2) {
    Complain("phonelist needs a directory: dpadmin phonelist DIR [LIST]");
    return kExitError;
  }
  OfficeSession session;
  if (!session.Open(args[0])) return kExitError;
  int status = kExitOk;
  PhoneList list;
  if (args.size() == 2 && !RequirePhoneList(args[1], &list)) status = kExitError;
  PhoneTable phones;
  if (status == kExitOk && !PhoneOpen(phones)) {
    ComplainAppError("PHONE");
    status = kExitError;
  }
  if (status == kExitOk) {
    if (args.size() == 2)
      status = PrintList(phones, list.number, "") ? kExitOk : kExitError;
    else
      status = ShowAllLists(phones);
    PhoneClose(phones);
  }
  return status;
}

int RunAddPhone(const std::vector<std::string>& args) {
  const char* usage =
      "add-phone needs a directory, a list and a Listname: dpadmin add-phone DIR LIST "
      "--listname NAME [--phone NUMBER] [--company TEXT] ... (see --help)";
  std::vector<std::string> plain;
  PhoneRecord record;
  bool listname = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.rfind("--", 0) != 0) {
      plain.push_back(a);
      continue;
    }
    int column = -1;
    for (int c = 0; c < kPhoneCsvColumnCount; ++c)
      if (a.substr(2) == PhoneCsvColumns()[c].option) column = c;
    if (column < 0 || i + 1 >= args.size()) {
      Complain(column < 0 ? "unknown option: " + a : a + " needs a value");
      Complain(usage);
      return kExitError;
    }
    std::string reason;
    if (!PhoneCsvSetField(column, args[++i], &record, &reason)) {
      Complain(reason);
      return kExitProblems;
    }
    if (column == 0) listname = true;
  }
  if (plain.size() != 2 || !listname) {
    Complain(usage);
    return kExitError;
  }
  if (record.Listname().find_first_not_of(' ') == std::string::npos) {
    Complain("Listname is missing");
    return kExitProblems;
  }
  OfficeSession session;
  if (!session.Open(plain[0])) return kExitError;
  int status = kExitOk;
  PhoneList list;
  PhoneTable phones;
  if (!RequirePhoneList(plain[1], &list)) {
    status = kExitError;
  } else if (!PhoneOpen(phones)) {
    ComplainAppError("PHONE");
    status = kExitError;
  } else {
    SetFieldI32(record.bytes, ph::kList, list.number);
    if (!PhoneAdd(phones, record)) {
      if (AppErrorCode() == kAppDuplicate) {
        Complain(Cp1252ToUtf8(record.Listname()) + " with phone \"" +
                 Cp1252ToUtf8(record.Phone1()) + "\" is in " + plain[1] + " already");
        status = kExitProblems;
      } else {
        ComplainAppError("PHONE");
        status = kExitError;
      }
    } else {
      std::printf("added %s to %s\n", Cp1252ToUtf8(record.Listname()).c_str(),
                  Cp1252ToUtf8(list.name).c_str());
    }
    PhoneClose(phones);
  }
  return status;
}
