#include "storage/catalogue.h"

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

namespace {

namespace r = records;

static_assert(kHeaderVersion.offset == kVersionOffset);

constexpr IndexDef kMessageIndexes[] = {
    {r::message::x1::kLength, BuildMessageX1, CompareMessageX1},
    {r::message::x2::kLength, BuildMessageX2, CompareMessageX2},
};
constexpr IndexDef kPhoneIndexes[] = {{r::phone::x1::kLength, BuildPhoneX1, ComparePhoneX1}};
constexpr IndexDef kNameIndexes[] = {{r::name::x1::kLength, BuildNameX1, CompareNameX1}};
constexpr IndexDef kSchedIndexes[] = {{r::sched::x1::kLength, BuildSchedX1, CompareSchedX1}};
constexpr IndexDef kTodoIndexes[] = {{r::todo::x1::kLength, BuildTodoX1, CompareTodoX1}};
constexpr IndexDef kCatIndexes[] = {{r::cat::x1::kLength, BuildCatX1, CompareCatX1}};
constexpr IndexDef kLcIndexes[] = {{r::lc::x1::kLength, BuildLcX1, CompareLcX1}};
constexpr IndexDef kSendLogIndexes[] = {
    {r::sendlog::x1::kLength, BuildSendLogX1, CompareSendLogX1}};
constexpr IndexDef kFolderIndexes[] = {
    {r::folder::x1::kLength, BuildFolderX1, CompareFolderX1},
    {r::folder::x2::kLength, BuildFolderX2, CompareFolderX2},
};
constexpr IndexDef kNoteIndexes[] = {{r::note::x1::kLength, BuildNoteX1, CompareNoteX1}};
constexpr IndexDef kCcIndexes[] = {{r::cc::x1::kLength, BuildCcX1, CompareCcX1}};

template <size_t N>
constexpr int32_t Count(const IndexDef (&)[N]) {
  return int32_t(N);
}

}  // namespace

constinit const TableDef kMessageTable = {r::message::kHeaderSize,
                                          r::message::kRecordSize,
                                          Count(kMessageIndexes),
                                          kMessageIndexes,
                                          "MESSAGE",
                                          4};
constinit const TableDef kPhoneTable = {
    r::phone::kHeaderSize, r::phone::kRecordSize, Count(kPhoneIndexes), kPhoneIndexes, "PHONE", 3};
constinit const TableDef kNameTable = {
    r::name::kHeaderSize, r::name::kRecordSize, Count(kNameIndexes), kNameIndexes, "NAME", 1};
constinit const TableDef kSchedTable = {
    r::sched::kHeaderSize, r::sched::kRecordSize, Count(kSchedIndexes), kSchedIndexes, "SCHED", 3};
constinit const TableDef kTodoTable = {
    r::todo::kHeaderSize, r::todo::kRecordSize, Count(kTodoIndexes), kTodoIndexes, "TODO", 1};
// The version of "CAT" is the version of the whole data directory.
constinit const TableDef kCatTable = {
    r::cat::kHeaderSize, r::cat::kRecordSize, Count(kCatIndexes), kCatIndexes, "CAT",
    kDirectoryVersion};
constinit const TableDef kLcTable = {
    r::lc::kHeaderSize, r::lc::kRecordSize, Count(kLcIndexes), kLcIndexes, "LC", 0};
constinit const TableDef kSendLogTable = {r::sendlog::kHeaderSize,
                                          r::sendlog::kRecordSize,
                                          Count(kSendLogIndexes),
                                          kSendLogIndexes,
                                          "SENDLOG",
                                          3};
constinit const TableDef kFolderTable = {r::folder::kHeaderSize,
                                         r::folder::kRecordSize,
                                         Count(kFolderIndexes),
                                         kFolderIndexes,
                                         "FOLDER",
                                         0};
constinit const TableDef kNoteTable = {
    r::note::kHeaderSize, r::note::kRecordSize, Count(kNoteIndexes), kNoteIndexes, "NOTE", 0};
constinit const TableDef kCcTable = {
    r::cc::kHeaderSize, r::cc::kRecordSize, Count(kCcIndexes), kCcIndexes, "CC", 0};

namespace {
const TableDef* const kCatalogue[kCatalogueSize] = {
    &kMessageTable, &kPhoneTable,   &kNameTable,   &kSchedTable, &kTodoTable, &kCatTable,
    &kLcTable,      &kSendLogTable, &kFolderTable, &kNoteTable,  &kCcTable,
};
}  // namespace

const TableDef* const* CatalogueTables() {
  return kCatalogue;
}

const TableDef* FindTableDef(std::string_view name) {
  for (const TableDef* def : kCatalogue)
    if (name == def->name) return def;
  return nullptr;
}
