// A plain trace of what the program does, for the tests that run it as a
// real process: with DESKPOST_TRACE=FILE set, lines such as "started ANNE",
// "alert start level 1", "alert end" and "exit 0" are appended to FILE.
#pragma once

#include <string>

// Appends one line when tracing is on; does nothing otherwise.
void Trace(const std::string& line);
