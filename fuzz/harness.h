// The per-input code of the fuzz targets, shared with the test that replays
// saved inputs (tests/storage/hostile_files_test.cpp), so a fault found by
// fuzzing is replayed by exactly the code that found it.
//
// Each function lays one input out as files in a scratch directory, puts the
// engine (or dpadmin's check and reindex) through them, and answers "" when
// everything behaved: every call either worked or failed with the engine's
// codes, no lock was left held, no walk ran on for ever, and sound files
// stayed sound. Otherwise it answers what went wrong. Crashes and accesses
// outside a buffer are left to the sanitizers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// An index file of arbitrary bytes, opened, searched, walked both ways,
// changed by insert and delete through this handle and a second one, and
// scribbled on behind the engine's back.
std::string RunIndexInput(const uint8_t* data, size_t size);

// A record file of arbitrary length and content (and optionally an index
// file from the input too) read and changed through the engine.
std::string RunRecordsInput(const uint8_t* data, size_t size);

// A table's record and index files from the input, checked and rebuilt by
// dpadmin; after a rebuild the indexes must check clean.
std::string RunCheckInput(const uint8_t* data, size_t size);

// One raw Internet message delivered into a fresh office by the e-mail
// gateway (gateway/incoming.h); the office must check clean afterwards and
// no file may appear outside its own places.
std::string RunMailInput(const uint8_t* data, size_t size);
// A page template (a Windows metafile) of arbitrary bytes, read and laid
// out into regions and labels as a print does before it draws.
std::string RunTemplateInput(const uint8_t* data, size_t size);
// An iCalendar text of arbitrary bytes read by the schedule import; every
// entry it plans must be one a schedule can hold.
std::string RunIcsInput(const uint8_t* data, size_t size);
// A vCard file read as the phone list's import reads it; every card taken
// must write and read back as the same entry.
std::string RunVCardInput(const uint8_t* data, size_t size);
