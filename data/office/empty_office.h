// An office with nobody in it: every table of the catalogue, empty, and the
// DP.EXE marker by which the start-up proves the directory. dpadmin create
// makes a whole office around the same tables; the tests, the benchmarks
// and the gallery start from this one.
#pragma once

#include <string>

#include "storage/catalogue.h"

// The marker's text. The start-up locks the marker's first byte to prove
// that locking works, so it must not be empty.
inline constexpr char kOfficeMarkerText[] = "DESKpost data directory\n";

// Creates every table of the catalogue in dir (ending in '/'). On a
// failure the engine's error is set and *failed, when given, is the table
// that could not be made.
bool CreateCatalogueTables(const std::string& dir, const TableDef** failed = nullptr);
// The tables and the marker.
bool CreateEmptyOffice(const std::string& dir);
