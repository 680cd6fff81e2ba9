// Writes the seed corpus of the fuzz targets: small, valid files made by
// the engine itself, each followed by a script that the harness reads
// (fuzz/harness_support.h). Run from the build directory:
//   make_seeds <source>/fuzz/corpus
// The result is committed; run it again only when the layouts change.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "storage/catalogue.h"
#include "storage/database.h"
#include "storage/index.h"
#include "storage/records/cc.h"
#include "storage/records/keys.h"
#include "storage/records/lc.h"
#include "storage/records/message.h"
#include "storage/records/name.h"

namespace {

using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

// The script lengths the harnesses use.
constexpr size_t kIndexScript = 64;
constexpr size_t kRecordsScript = 64;
constexpr size_t kCheckScript = 16;

// Positions of the tables in the catalogue, as the harnesses choose them.
int CatalogueNumber(const TableDef& def) {
  for (int i = 0; i < kCatalogueSize; ++i)
    if (CatalogueTables()[i] == &def) return i;
  return 0;
}

// A fixed pseudo-random script, so the seeds come out the same every time.
Bytes Script(size_t length, std::initializer_list<uint8_t> start, uint32_t seed) {
  Bytes script(start);
  uint32_t state = seed;
  while (script.size() < length) {
    state = state * 1103515245u + 12345u;
    script.push_back(uint8_t(state >> 16));
  }
  script.resize(length);
  return script;
}

int CompareLongKeys(const uint8_t* a, const uint8_t* b) {
  return std::memcmp(a + 4, b + 4, 70);
}

Bytes ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Save(const fs::path& path, const std::vector<Bytes>& parts) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  for (const Bytes& part : parts)
    out.write(reinterpret_cast<const char*>(part.data()), std::streamsize(part.size()));
  out.close();
  std::printf("%s: %zu bytes\n", path.c_str(), size_t(fs::file_size(path)));
}

Bytes U16(size_t value) {
  return {uint8_t(value), uint8_t(value >> 8)};
}

// ---- Records ----

Bytes NameRecord(const char* name, int32_t number) {
  namespace n = records::name;
  Bytes r(n::kRecordSize, 0);
  SetFieldText(r.data(), n::kName, name);
  SetFieldI32(r.data(), n::kNumber, number);
  return r;
}

Bytes MessageRecord(int32_t folder, const char* to, int32_t time, int32_t number) {
  namespace m = records::message;
  Bytes r(m::kRecordSize, 0);
  SetFieldByte(r.data(), m::kKind, 'P');
  SetFieldI32(r.data(), m::kFolder, folder);
  SetFieldI32(r.data(), m::kNumber, number);
  SetFieldText(r.data(), m::kTo, to);
  SetFieldText(r.data(), m::kFrom, "RECEPTION");
  SetFieldI32(r.data(), m::kTime, time);
  SetFieldText(r.data(), m::kBody, "Please call back.");
  return r;
}

Bytes CcRecord(int32_t message, const char* name) {
  namespace c = records::cc;
  Bytes r(c::kRecordSize, 0);
  SetFieldI32(r.data(), c::kMessageNumber, message);
  SetFieldText(r.data(), c::kName, name);
  return r;
}

Bytes LcRecord(int32_t entry, int32_t category) {
  namespace l = records::lc;
  Bytes r(l::kRecordSize, 0);
  SetFieldI32(r.data(), l::kEntryNumber, entry);
  SetFieldI32(r.data(), l::kCategory, category);
  return r;
}

// A table made by the engine in dir, with the records appended and the
// records numbered in `deleted` deleted again.
void MakeTable(const std::string& dir, const TableDef& def, const std::vector<Bytes>& rows,
               std::initializer_list<int32_t> deleted = {}) {
  Table t(def);
  if (!DbCreateTable(t, dir, def.version) || !DbOpenTable(t, dir)) {
    std::fprintf(stderr, "make_seeds: cannot create %s\n", def.name);
    std::exit(1);
  }
  for (const Bytes& row : rows) DbAppendRecord(t, row.data());
  for (int32_t n : deleted) DbDeleteRecord(t, rows[size_t(n)].data(), n);
  DbCloseTable(t);
}

// ---- Index files ----

// An index of the given definition holding `count` keys made by `key`, less
// the ones numbered in `deleted`.
template <typename KeyMaker>
Bytes MakeIndex(const std::string& dir, const IndexDef& def, int count, KeyMaker key,
                int deleteFrom = 0, int deleteTo = 0) {
  const std::string path = dir + "SEED.X1";
  Index index(def);
  IdxCreate(index, path);
  IdxOpen(index, path);
  uint8_t entry[kEntryBufferSize];
  for (int i = 0; i < count; ++i) {
    std::memset(entry, 0, sizeof entry);
    key(i, entry);
    IdxInsert(index, entry);
  }
  for (int i = deleteFrom; i < deleteTo; ++i) {
    std::memset(entry, 0, sizeof entry);
    key(i, entry);
    IdxDelete(index, entry);
  }
  IdxClose(index);
  return ReadAll(path);
}

void IndexSeeds(const std::string& dir, const fs::path& out) {
  // The choices of fuzz/harness_index.cpp: 0 NAME X1, 1 MESSAGE X1,
  // 2 MESSAGE X2, 3 NOTE X1, 6 plain 74-byte keys.
  const char* names[] = {"ADAMS", "baker", "Clark", "DAVIS", "evans", "Foster"};
  Save(out / "name_one_page", {MakeIndex(dir, kNameTable.indexes[0], 6,
                                         [&](int i, uint8_t* e) {
                                           PutI32(e, i);
                                           std::memcpy(e + 4, names[i], std::strlen(names[i]));
                                           PutI32(e + 24, 100 + i);
                                         }),
                               Script(kIndexScript, {0}, 1)});
  // 40 message keys overflow page 0: the root moves down and splits.
  Save(out / "message_x1_split", {MakeIndex(dir, kMessageTable.indexes[0], 40,
                                            [&](int i, uint8_t* e) {
                                              Bytes r = MessageRecord(i % 3 - 1, names[i % 6],
                                                                      1000 + i, i + 1);
                                              BuildMessageX1(r.data(), e, i);
                                            }),
                                  Script(kIndexScript, {1}, 2)});
  Save(out / "message_x2_two_levels", {MakeIndex(dir, kMessageTable.indexes[1], 300,
                                                 [&](int i, uint8_t* e) {
                                                   Bytes r =
                                                       MessageRecord(0, "A", 5000 - i * 7, i + 1);
                                                   BuildMessageX2(r.data(), e, i);
                                                 }),
                                       Script(kIndexScript, {2}, 3)});
  Save(out / "note_empty", {MakeIndex(dir, kNoteTable.indexes[0], 0, [](int, uint8_t*) {}),
                            Script(kIndexScript, {3}, 4)});
  // Long keys, 27 to a page; one leaf emptied by deletes sits on the free list.
  Save(out / "long_keys_free_page", {MakeIndex(
                                         dir, {74, nullptr, CompareLongKeys}, 60,
                                         [](int i, uint8_t* e) {
                                           PutI32(e, i);
                                           e[4] = uint8_t(i);
                                           std::memset(e + 5, 'k', 60);
                                         },
                                         14, 28),
                                     Script(kIndexScript, {6}, 5)});
}

// Seeds of the built mode of fuzz/harness_index.cpp: the file part is a list
// of 9-byte changes (a flag byte, 8 key bytes) that the harness applies to a
// fresh index; about one change in six deletes a key inserted before.
Bytes Changes(int count, uint32_t seed) {
  Bytes changes;
  uint32_t state = seed;
  auto next = [&] {
    state = state * 1103515245u + 12345u;
    return uint8_t(state >> 16);
  };
  for (int i = 0; i < count; ++i) {
    const size_t at = changes.size();
    if (i > 4 && next() % 6 == 0) {
      const size_t earlier = size_t(next() % i) * 9;
      changes.insert(changes.end(), changes.begin() + long(earlier),
                     changes.begin() + long(earlier) + 9);
      changes[at] = 0x80;
      continue;
    }
    changes.push_back(0);
    for (int k = 0; k < 8; ++k) changes.push_back(k < 2 ? next() % 4 : next());
  }
  return changes;
}

void BuiltIndexSeeds(const fs::path& out) {
  constexpr uint8_t kBuilt = 0x80;
  Save(out / "built_name_keys", {Changes(120, 21), Script(kIndexScript, {kBuilt | 0}, 22)});
  Save(out / "built_message_keys", {Changes(200, 23), Script(kIndexScript, {kBuilt | 1}, 24)});
  Save(out / "built_long_keys_three_levels",
       {Changes(400, 25), Script(kIndexScript, {kBuilt | 6}, 26)});
}

// ---- Record and check seeds ----

void RecordSeeds(const std::string& dir, const fs::path& records, const fs::path& check) {
  MakeTable(dir, kNameTable,
            {NameRecord("ADAMS", 1), NameRecord("Baker", 2), NameRecord("* SALES", 3),
             NameRecord("clark", 4)},
            {2});
  Bytes nameData = ReadAll(DbDataPath(dir, "NAME"));
  Bytes nameX1 = ReadAll(DbIndexPath(dir, "NAME", 1));
  // Script: table, flags (2: the version byte kept right), operations.
  Save(records / "name",
       {nameData, Script(kRecordsScript, {uint8_t(CatalogueNumber(kNameTable)), 2}, 11)});
  // The index taken from the input too (flag 1), after the record file.
  Save(records / "name_with_index", {nameData, nameX1,
                                     Script(kRecordsScript,
                                            {uint8_t(CatalogueNumber(kNameTable)), 3,
                                             U16(nameData.size())[0], U16(nameData.size())[1]},
                                            12)});
  Save(check / "name", {nameData, nameX1,
                        Script(kCheckScript,
                               {uint8_t(CatalogueNumber(kNameTable)), 0, U16(nameData.size())[0],
                                U16(nameData.size())[1]},
                               13)});

  std::vector<Bytes> lc;
  for (int i = 0; i < 24; ++i) lc.push_back(LcRecord(i / 3, i % 5));
  MakeTable(dir, kLcTable, lc, {4, 9});
  Save(records / "lc", {ReadAll(DbDataPath(dir, "LC")),
                        Script(kRecordsScript, {uint8_t(CatalogueNumber(kLcTable)), 0}, 14)});

  MakeTable(dir, kCcTable, {CcRecord(7, "ADAMS"), CcRecord(7, "baker"), CcRecord(9, "ADAMS")});
  Bytes ccData = ReadAll(DbDataPath(dir, "CC"));
  Bytes ccX1 = ReadAll(DbIndexPath(dir, "CC", 1));
  Save(records / "cc",
       {ccData, Script(kRecordsScript, {uint8_t(CatalogueNumber(kCcTable)), 0}, 15)});
  Save(
      check / "cc",
      {ccData, ccX1,
       Script(kCheckScript,
              {uint8_t(CatalogueNumber(kCcTable)), 0, U16(ccData.size())[0], U16(ccData.size())[1]},
              16)});

  MakeTable(dir, kMessageTable,
            {MessageRecord(0, "ADAMS", 100, 1), MessageRecord(0, "BAKER", 90, 2),
             MessageRecord(-1, "ADAMS", 80, 3)});
  Bytes messageData = ReadAll(DbDataPath(dir, "MESSAGE"));
  Bytes messageX1 = ReadAll(DbIndexPath(dir, "MESSAGE", 1));
  Bytes messageX2 = ReadAll(DbIndexPath(dir, "MESSAGE", 2));
  Save(records / "message", {messageData, messageX1,
                             Script(kRecordsScript,
                                    {uint8_t(CatalogueNumber(kMessageTable)), 3,
                                     U16(messageData.size())[0], U16(messageData.size())[1]},
                                    17)});
  Save(check / "message",
       {messageData, messageX1, messageX2,
        Script(kCheckScript,
               {uint8_t(CatalogueNumber(kMessageTable)), 0, U16(messageData.size())[0],
                U16(messageData.size())[1], U16(messageX1.size())[0], U16(messageX1.size())[1]},
               18)});
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_seeds CORPUS_DIR\n");
    return 2;
  }
  const fs::path out = argv[1];
  char pattern[] = "/tmp/deskpost-seeds-XXXXXX";
  if (!mkdtemp(pattern)) return 1;
  const std::string dir = std::string(pattern) + "/";
  IndexSeeds(dir, out / "index");
  BuiltIndexSeeds(out / "index");
  RecordSeeds(dir, out / "records", out / "check");
  fs::remove_all(pattern);
  return 0;
}
