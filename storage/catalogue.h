// The table catalogue: every shared table of the data directory with its
// header size, record size, version and indexes (entry lengths, key builders
// and comparators). The record layouts live in storage/records/.
#pragma once

#include <string_view>

#include "storage/database.h"

extern const TableDef kMessageTable;  // "MESSAGE"
extern const TableDef kPhoneTable;    // "PHONE"
extern const TableDef kNameTable;     // "NAME"
extern const TableDef kSchedTable;    // "SCHED"
extern const TableDef kTodoTable;     // "TODO"
extern const TableDef kCatTable;      // "CAT"
extern const TableDef kLcTable;       // "LC"
extern const TableDef kSendLogTable;  // "SENDLOG"
extern const TableDef kFolderTable;   // "FOLDER"
extern const TableDef kNoteTable;     // "NOTE"
extern const TableDef kCcTable;       // "CC"

constexpr int kCatalogueSize = 11;
// The catalogue in its documented order.
const TableDef* const* CatalogueTables();
// The definition of a table by name (exact, upper case), or nullptr.
const TableDef* FindTableDef(std::string_view name);

// The version of the whole data directory, held in byte 4 of CAT.DAT.
constexpr uint8_t kDirectoryVersion = 6;
