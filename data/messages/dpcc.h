// dpcc: the "CC" table. For each copy of a message sent to several people
// it holds the names of the other recipients, one record per name.
//
// A group send fills a CCList: CCStart collects the recipients' names once,
// CCWrite stores the CC records of each stored copy, CCEnd lets go. A
// message to one person has no CC list; a message to "* - ALL" has the
// single CC name "* - ALL". Every function answers 1 or 0 and leaves the
// application error on 0.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/field_problem.h"
#include "data/office/dpname.h"
#include "data/table_handle.h"
#include "storage/catalogue.h"
#include "storage/records/cc.h"

struct CCTable : TableHandle {
  CCTable() : TableHandle(kCcTable) {}
};

// The CC list of one group send.
struct CCList {
  // Filled by the caller before CCStart.
  NameTable* names = nullptr;    // the open name table
  std::string to;                // the message's to name: a group or "* - ALL"
  std::vector<int32_t> numbers;  // the chosen recipients' name numbers
  // Filled by CCStart.
  std::vector<std::string> recipients;  // at most 100 names, in name order
  bool truncated = false;               // more than 100 names qualified
  CCTable cc;                           // open while started
  bool started = false;
};

// An entry of X1: record number, message number, name.
struct CCEntry {
  uint8_t bytes[records::cc::x1::kLength] = {};
  int32_t RecordNumber() const;
  int32_t MessageNumber() const;
  std::string Name() const;
};

constexpr int kMaxCCNames = records::cc::kMaxNames;  // 100

int CCOpen(CCTable& handle);
int CCClose(CCTable& handle);

// Collects the recipients: for "* - ALL" the single name "* - ALL";
// otherwise, walking the name table in name order, every person (not a
// group) whose number is in the list. Answers 1 when the list has started,
// which is when the message is to "* - ALL" or at least two names were
// collected: the copies then get CC records and their CC flag. Answers 0
// when there is no list to keep: for one recipient with application error
// 0, else with the error (1014 "DPStartCC" when the name room cannot be
// had). More than 100 names: the list starts with the first 100, truncated
// is set and application error 1022 is left for the caller to show. The
// walk moves the name table's position.
int CCStart(CCList& list);
// Appends the CC records of one stored copy: every collected name except
// the copy's own recipient (without regard to case). Without a started
// list there is nothing to write.
int CCWrite(CCList& list, int32_t messageNumber, std::string_view recipient);
// Forgets the names and closes "CC".
int CCEnd(CCList& list);

// The first CC entry of a message (1017 when it has none) and the next one
// (1018 after its last).
int CCFind(CCTable& handle, int32_t messageNumber, CCEntry* entry = nullptr);
int CCNext(CCTable& handle, int32_t messageNumber, CCEntry* entry = nullptr);
// Opens "CC", reads the CC names of a message in name order (at most 100)
// and closes. A message without CC names gives an empty list and 1.
int CCReadNames(int32_t messageNumber, std::vector<std::string>* names);

// What a live CC record holds that none can, one problem a field: a message
// number outside 1 to messageLastIssued (the last number "MESSAGE" issued),
// and a name that is empty or without its NUL inside its width.
std::vector<FieldProblem> CcRecordProblems(const uint8_t (&record)[records::cc::kRecordSize],
                                           uint32_t messageLastIssued);
