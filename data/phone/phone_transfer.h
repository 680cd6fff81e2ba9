// Moving a whole phone list in and out as a file, CSV (phone_csv.h) or
// vCards (phone_vcard.h), for dpadmin and the phone list window alike.
//
// An import reads the whole file first: a file that is not a phone list at
// all (no Listname column, no card) imports nothing and says why; a row or
// card that cannot be stored is refused with its line and reason, the rest
// go in. An entry the list has already (same Listname and Phone 1, letter
// case aside) is refused as a duplicate, never stored twice. An export is
// written beside the chosen name and renamed over it only when whole.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "data/phone/dpphone.h"
#include "data/phone/phone_vcard.h"

enum class PhoneFileFormat { kCsv, kVCard30, kVCard40 };

// What an import has to say about one line of the file.
struct PhoneImportLine {
  int line = 0;
  std::string text;  // UTF-8
};

// A file read for import: the entries to add, in file order, and what was
// refused or left out on the way.
struct PhoneImportPlan {
  // Why the file is not a phone list (nothing is imported); empty when it
  // is one.
  std::string notPhoneList;
  std::vector<PhoneImportLine> skippedColumns;  // unknown CSV columns
  struct Row {
    int line = 0;
    PhoneRecord record;
    std::vector<std::string> notes;  // what a card held that the entry does not
  };
  std::vector<Row> rows;
  std::vector<PhoneImportLine> refused;
};

// Whether a file's name ends in ".vcf" or ".vcard" (letter case aside): a
// vCard file, whatever it holds.
bool IsVCardFileName(std::string_view path);

// Reads a CSV text, or a vCard text when it begins with BEGIN:VCARD.
PhoneImportPlan PhoneImportRead(std::string_view text, int32_t list);
// The same for a file's text: vCards also when the file's name ends in
// ".vcf" or ".vcard" (letter case aside), so a card file that does not
// begin with a card says so instead of being read as CSV.
PhoneImportPlan PhoneImportReadFile(std::string_view path, std::string_view text, int32_t list);

// Adds one entry of a plan: 1 added; 0 refused with the reason (a
// duplicate, a Listname that cannot be stored), *duplicate set for the
// former; -1 for an engine failure, which should end the import (the
// reason then is the engine's message).
int PhoneImportAdd(PhoneTable& phones, PhoneRecord& record, std::string* reason,
                   bool* duplicate = nullptr);

// The list's entries as the text of a file: CSV with its header, or one
// card each. Entries deleted elsewhere during the walk are passed over.
// progress (if given) hears each entry written and may answer false to
// stop, which fails the export. 0 with the engine error on failure.
int PhoneExportText(PhoneTable& phones, int32_t list, PhoneFileFormat format, std::string* text,
                    int* count, const std::function<bool(int done)>& progress = {});

// Writes text to path whole or not at all: to a scratch file beside it,
// flushed, then renamed over path. False with the system's reason; path is
// then as it was and no scratch file stays.
bool WriteFileWhole(const std::string& path, std::string_view text, std::string* reason);

// A file's bytes; false with the system's reason.
bool ReadFileWhole(const std::string& path, std::string* text, std::string* reason);
