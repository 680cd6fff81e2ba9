// The data directory this process works in, and the count of the tables it
// holds open.
//
// The start-up proves the directory and then sets it here; the table modules
// open their tables in it. Tables are opened and closed around each use, so
// when the directory is closed no table may be left open: every module's
// open and close go through DataOpenTable / DataCloseTable, which keep the
// count that the close-time check looks at.
#pragma once

#include <string>

#include "storage/database.h"

// Sets the directory; a missing trailing '/' is added, since every path is
// made by appending a file name. An empty string forgets the directory.
void SetDataDirectory(const std::string& directory);
// The directory, ending in '/' (empty before the start-up has set it).
const std::string& DataDirectory();

// DbOpenTable in the data directory; counts the table on success.
int DataOpenTable(Table& table);
// DbCloseTable; uncounts the table when it was open.
int DataCloseTable(Table& table);

// Tables opened through DataOpenTable and not yet closed.
int OpenTableCount();
// For modules that open files the engine way but not through the two calls
// above: count an open and a close by hand.
void CountTableOpened();
void CountTableClosed();
