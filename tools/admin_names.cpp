// dpadmin's commands for the people and groups of the name table: listing,
// adding, renaming and removing names, making groups and showing members.
// They change the table through the same functions as the name picker, so
// a name added here is the same record one added at a desk would be.
#include <cstdio>
#include <string>
#include <vector>

#include "data/office/dpname.h"
#include "data/office/name_picking.h"
#include "storage/errors.h"
#include "tools/admin.h"
#include "tools/admin_office.h"

namespace {

constexpr char kAll[] = "* - ALL";

bool IsGroupName(const std::string& name) {
  return !name.empty() && name[0] == '*';
}

// Opens the directory and the name table, for the commands below.
struct NameSession {
  OfficeSession office;
  NameTable names;
  bool Open(const std::string& directory) {
    if (!office.Open(directory)) return false;
    if (!NameOpen(names)) {
      ComplainAppError("cannot open the name table");
      return false;
    }
    return true;
  }
  ~NameSession() {
    if (names.open) NameClose(names);
  }
};

// The name numbers of the names, in the order given; false after saying
// which name is missing.
bool NumbersOf(NameTable& names, const std::vector<std::string>& given,
               std::vector<int32_t>* numbers) {
  for (const std::string& name : given) {
    std::string fileName;
    if (!FileText(name, "name", &fileName)) return false;
    NameEntry entry;
    if (!NameFind(names, fileName, &entry)) {
      ComplainAppError("no such name: " + name);
      return false;
    }
    if (IsGroupName(entry.Name())) {
      Complain(name + " is a group; a group's members are people");
      return false;
    }
    numbers->push_back(entry.Number());
  }
  return true;
}

bool ReadGroup(NameTable& names, const std::string& given, NameRecord* group) {
  std::string fileName;
  if (!FileText(given, "group", &fileName)) return false;
  if (!IsGroupName(fileName) || fileName == kAll) {
    Complain(given + " is not a group (a group's name begins with '*')");
    return false;
  }
  if (!NameFind(names, fileName) || !NameReadCurrent(names, group)) {
    ComplainAppError("no such group: " + given);
    return false;
  }
  return true;
}

// Every office has "* - ALL", the entry that sends to everybody; a
// directory made by create gets it with its first names.
bool EnsureEverybody(NameTable& names) {
  if (NameAdd(names, kAll)) return true;
  ComplainAppError("cannot add * - ALL");
  return false;
}

}  // namespace

int RunNames(const std::vector<std::string>& args) {
  if (args.size() != 1) {
    Complain("names takes the data directory");
    return kExitError;
  }
  NameSession s;
  if (!s.Open(args[0])) return kExitError;
  NameEntry entry;
  for (int ok = NameFirst(s.names, &entry); ok; ok = NameNext(s.names, &entry)) {
    NameRecord record;
    if (!NameReadCurrent(s.names, &record)) {
      ComplainAppError("cannot read " + Shown(entry.Name()));
      return kExitError;
    }
    std::string kind = "person";
    if (record.Name() == kAll) {
      kind = "everybody";
    } else if (record.IsGroup()) {
      kind = "group of " + std::to_string(GroupMembers(record).size());
    }
    std::printf("%-20s %10d  %s\n", Shown(record.Name()).c_str(), record.Number(), kind.c_str());
  }
  if (AppErrorCode() != kAppEndOfFile) {
    ComplainAppError("cannot walk the name table");
    return kExitError;
  }
  return kExitOk;
}

int RunAddName(const std::vector<std::string>& args) {
  if (args.size() < 2) {
    Complain("add-name takes the data directory and one or more names");
    return kExitError;
  }
  // Every name is checked before any is added: a command that fails
  // leaves nothing behind.
  std::vector<std::string> names;
  for (size_t i = 1; i < args.size(); ++i) {
    std::string name;
    if (!FileText(args[i], "name", &name)) continue;
    if (IsGroupName(name))
      Complain(args[i] + ": a name beginning with '*' is a group; use add-group");
    else if (!NameIsValid(name))
      Complain(args[i] + ": " + NameProblem(name));
    else
      names.push_back(name);
  }
  if (names.size() != args.size() - 1) {
    Complain("no name added");
    return kExitProblems;
  }
  NameSession s;
  if (!s.Open(args[0])) return kExitError;
  if (!EnsureEverybody(s.names)) return kExitError;
  int status = kExitOk;
  for (size_t i = 0; i < names.size(); ++i) {
    const std::string& name = names[i];
    const std::string& given = args[i + 1];
    NameEntry before;
    const bool existed = NameFind(s.names, name, &before);
    if (!NameAdd(s.names, name)) {
      ComplainAppError("cannot add " + given);
      status = kExitProblems;
      continue;
    }
    NameEntry entry;
    NameFind(s.names, name, &entry);
    if (existed) {
      std::printf("%s: already there as %s (number %d)\n", given.c_str(),
                  Shown(entry.Name()).c_str(), entry.Number());
    } else {
      std::printf("%s: added as number %d\n", given.c_str(), entry.Number());
    }
  }
  return status;
}

int RunRenameName(const std::vector<std::string>& args) {
  if (args.size() != 3) {
    Complain("rename-name takes the data directory, the old name and the new name");
    return kExitError;
  }
  NameSession s;
  if (!s.Open(args[0])) return kExitError;
  std::string oldName, newName;
  if (!FileText(args[1], "old name", &oldName) || !FileText(args[2], "new name", &newName))
    return kExitProblems;
  if (!NameRename(s.names, oldName, newName)) {
    if (DbGetError() == kDbRecordLocked) {
      // What was carried stays carried under the new name; the person
      // keeps the old name until a run gets through.
      Complain("cannot rename " + args[1] + " to " + args[2] + ": Record in use. " +
               Shown(AppErrorName()) + " is held by another workstation; run rename-name " +
               "again when it is free");
      return kExitProblems;
    }
    ComplainAppError("cannot rename " + args[1] + " to " + args[2]);
    return kExitProblems;
  }
  std::printf("%s is now %s\n", args[1].c_str(), args[2].c_str());
  // Each workstation names its user in its own DPDESK.INI, which only that
  // workstation can reach; left as it is, DESKpost there no longer finds
  // its user.
  if (!NameIsGroup(newName))
    std::printf("Where %s starts DESKpost, set Name=%s in DPDESK.INI (or run dpsetup there)\n",
                args[1].c_str(), args[2].c_str());
  return kExitOk;
}

int RunRemoveName(const std::vector<std::string>& args) {
  if (args.size() != 2) {
    Complain("remove-name takes the data directory and one name");
    return kExitError;
  }
  NameSession s;
  if (!s.Open(args[0])) return kExitError;
  std::string name;
  if (!FileText(args[1], "name", &name)) return kExitProblems;
  if (name == kAll) {
    Complain("* - ALL is part of every office and is never removed");
    return kExitProblems;
  }
  NameEntry entry;
  if (!NameFind(s.names, name, &entry)) {
    ComplainAppError("no such name: " + args[1]);
    return kExitProblems;
  }
  if (!NameRemove(s.names, name)) {
    ComplainAppError("cannot remove " + args[1]);
    return kExitProblems;
  }
  std::printf("%s removed; what was sent or kept under number %d stays\n",
              Shown(entry.Name()).c_str(), entry.Number());
  return kExitOk;
}

int RunAddGroup(const std::vector<std::string>& args) {
  if (args.size() < 2) {
    Complain("add-group takes the data directory, *GROUP and its members");
    return kExitError;
  }
  NameSession s;
  if (!s.Open(args[0])) return kExitError;
  std::string group;
  if (!FileText(args[1], "group", &group)) return kExitProblems;
  if (!IsGroupName(group) || group == kAll || group.size() < 2) {
    Complain(args[1] + ": a group's name begins with '*', as in *SALES");
    return kExitProblems;
  }
  // A new group's name follows the rules of every new name; one already
  // there is used as it is.
  if (!NameIsValid(group) && !NameFind(s.names, group)) {
    Complain(args[1] + ": " + NameProblem(group));
    return kExitProblems;
  }
  // Every member is checked before anything is written.
  std::vector<int32_t> added;
  if (!NumbersOf(s.names, {args.begin() + 2, args.end()}, &added)) return kExitProblems;
  // And whether the group can hold them, before a new group is made.
  {
    NameRecord probe;
    NameEntry existing;
    if (NameFind(s.names, group, &existing) && !NameReadCurrent(s.names, &probe)) {
      ComplainAppError("cannot read " + args[1]);
      return kExitError;
    }
    std::vector<int32_t> members = GroupMembers(probe);
    members.insert(members.end(), added.begin(), added.end());
    if (!SetGroupMembers(probe, members)) {
      Complain(args[1] + " cannot hold them all (at most " +
               std::to_string(records::name::kMaxMembers) + " members)");
      return kExitProblems;
    }
  }
  if (!EnsureEverybody(s.names) || !NameAdd(s.names, group)) {
    ComplainAppError("cannot add " + args[1]);
    return kExitProblems;
  }
  NameRecord record;
  if (!NameReadCurrent(s.names, &record)) {
    ComplainAppError("cannot read " + args[1]);
    return kExitError;
  }
  std::vector<int32_t> members = GroupMembers(record);
  const size_t before = members.size();
  members.insert(members.end(), added.begin(), added.end());
  if (!SetGroupMembers(record, members)) {
    ComplainAppError(args[1] + " cannot hold them all");
    return kExitProblems;
  }
  if (!NameWriteCurrent(s.names, record)) {
    ComplainAppError("cannot write " + args[1]);
    return kExitProblems;
  }
  const size_t after = GroupMembers(record).size();
  std::printf("%s: %zu members (%zu new)\n", Shown(record.Name()).c_str(), after, after - before);
  return kExitOk;
}

int RunMembers(const std::vector<std::string>& args) {
  if (args.size() != 2) {
    Complain("members takes the data directory and *GROUP");
    return kExitError;
  }
  NameSession s;
  if (!s.Open(args[0])) return kExitError;
  NameRecord group;
  if (!ReadGroup(s.names, args[1], &group)) return kExitProblems;
  for (int32_t number : GroupMembers(group)) {
    NameEntry entry;
    if (NameFindNumber(s.names, number, &entry)) {
      std::printf("%s\n", Shown(entry.Name()).c_str());
    } else {
      std::printf("(removed name number %d)\n", number);
    }
  }
  return kExitOk;
}
