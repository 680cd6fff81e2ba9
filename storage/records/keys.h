// The key builder and the comparator of every index in the catalogue.
//
// A builder writes a whole entry of its index's length (record number, key
// fields, zeros in between) and nothing beyond it. Text fields are copied up
// to their NUL and always left NUL-terminated inside the key, so a key can
// be read as text by the list windows even when a record is damaged.
//
// A comparator is called as compare(searched, stored) and answers negative,
// 0 or positive. Every comparator puts the sentinel (an entry whose key
// bytes are all 0xFF) above every real key on either side; without that, a
// signed first field would read the sentinel as -1 and sort it first.
#pragma once

#include <cstdint>

// True when every key byte (all bytes after the record number) is 0xFF. A
// leaf's sentinel carries 0xFFFFFFFF as its record number too; the last
// entry of a branch on the rightmost path carries the sentinel key with its
// child's page number.
bool IsSentinelKey(const uint8_t* entry, int entryLength);

void BuildMessageX1(const uint8_t* record, uint8_t* entry, int32_t recordNumber);
int CompareMessageX1(const uint8_t* searched, const uint8_t* stored);
void BuildMessageX2(const uint8_t* record, uint8_t* entry, int32_t recordNumber);
int CompareMessageX2(const uint8_t* searched, const uint8_t* stored);

void BuildSendLogX1(const uint8_t* record, uint8_t* entry, int32_t recordNumber);
int CompareSendLogX1(const uint8_t* searched, const uint8_t* stored);

void BuildNameX1(const uint8_t* record, uint8_t* entry, int32_t recordNumber);
int CompareNameX1(const uint8_t* searched, const uint8_t* stored);

void BuildFolderX1(const uint8_t* record, uint8_t* entry, int32_t recordNumber);
int CompareFolderX1(const uint8_t* searched, const uint8_t* stored);
void BuildFolderX2(const uint8_t* record, uint8_t* entry, int32_t recordNumber);
int CompareFolderX2(const uint8_t* searched, const uint8_t* stored);

void BuildNoteX1(const uint8_t* record, uint8_t* entry, int32_t recordNumber);
int CompareNoteX1(const uint8_t* searched, const uint8_t* stored);

void BuildCcX1(const uint8_t* record, uint8_t* entry, int32_t recordNumber);
int CompareCcX1(const uint8_t* searched, const uint8_t* stored);

void BuildSchedX1(const uint8_t* record, uint8_t* entry, int32_t recordNumber);
int CompareSchedX1(const uint8_t* searched, const uint8_t* stored);

void BuildTodoX1(const uint8_t* record, uint8_t* entry, int32_t recordNumber);
int CompareTodoX1(const uint8_t* searched, const uint8_t* stored);

void BuildPhoneX1(const uint8_t* record, uint8_t* entry, int32_t recordNumber);
int ComparePhoneX1(const uint8_t* searched, const uint8_t* stored);

void BuildCatX1(const uint8_t* record, uint8_t* entry, int32_t recordNumber);
int CompareCatX1(const uint8_t* searched, const uint8_t* stored);

void BuildLcX1(const uint8_t* record, uint8_t* entry, int32_t recordNumber);
int CompareLcX1(const uint8_t* searched, const uint8_t* stored);
