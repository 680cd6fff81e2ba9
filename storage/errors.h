// The process-wide error state of the engine and the application.
//
// Every engine and data-layer function answers 1 or 0; on 0 the reason is
// left here: an engine code (below) and an error name, usually the path or
// table concerned, plus the index code of the index module. The start-up
// installs a reporter that turns engine and index codes into application
// codes (1000 to 1028) with fixed texts.
#pragma once

#include <functional>
#include <string>
#include <string_view>

// Engine codes.
enum EngineCode {
  kDbOk = 0,
  kDbOpenFailed = 1,
  kDbReadFailed = 2,
  kDbWriteFailed = 3,
  kDbSeekFailed = 4,
  kDbNoMemory = 5,
  kDbLockTimedOut = 6,
  kDbRecordDeleted = 8,
  kDbRecordLocked = 9,
  kDbWrongVersion = 10,
};

// Index codes, kept beside the engine code.
enum IndexCode {
  kIdxOk = 0,
  kIdxOpenFailed = 1,
  kIdxShortRead = 2,
  kIdxShortWrite = 3,
  kIdxSeekFailed = 4,
  kIdxLockTimedOut = 6,
  kIdxCorrupt = 7,
  kIdxDuplicate = 8,
  kIdxNotFound = 9,
};

// Application codes with a text (1007 and 1023 have none).
enum AppCode {
  kAppPathTooLong = 1000,
  kAppShareNotInstalled = 1002,
  kAppWrongVersion = 1003,
  kAppNoSuchFile = 1004,
  kAppNoFileHandles = 1005,
  kAppOpenAccessDenied = 1006,
  kAppReadAccessDenied = 1007,
  kAppOpenError = 1008,
  kAppReadError = 1009,
  kAppWriteAccessDenied = 1010,
  kAppWriteError = 1011,
  kAppLockError = 1012,
  kAppSeekError = 1013,
  kAppNoMemory = 1014,
  kAppIndexCorrupt = 1015,
  kAppRecordDeleted = 1016,
  kAppNotFound = 1017,
  kAppEndOfFile = 1018,
  kAppCannotCreateDir = 1019,
  kAppInvalidName = 1021,
  kAppMaxRecords = 1022,
  kAppPartialRow = 1023,
  kAppNotInstalledHere = 1024,
  kAppSortError = 1025,
  kAppRenameFailed = 1026,
  kAppDuplicate = 1027,
  kAppBeginningOfFile = 1028,
  kAppUnknownTimeZone = 1029,
};

// Why the operating system refused a file call, for choosing between the
// variants of an application code.
// kDiskFull: no room left for the file (the disk, the user's quota or the
// largest file the system allows).
enum class SystemReason { kNone, kNotFound, kNoHandles, kAccessDenied, kDiskFull, kOther };
SystemReason ReasonFromErrno(int err);

// ---- Engine error state ----

// Stores an engine error: clears the index code, keeps the code, the name
// and the system reason of the last failed call (errno), and calls the
// error reporter when one is installed.
void DbSetError(int code, std::string_view name);
// Stores code 9 (record locked elsewhere): name and reporter untouched.
void DbSetLockedError();
// Reports an index failure: engine code 0, the index code kept, the name
// "<table>.X<n>", reporter called.
void DbReportIndexError(std::string_view tableName, int indexNumber);
// Clears the engine code (the name is kept).
void DbClearError();
// The engine code; copies the error name when asked.
int DbGetError(std::string* name = nullptr);
const std::string& DbErrorName();
SystemReason DbErrorReason();

// The index module's own code.
int IdxGetError();
void IdxSetError(int code);

using ErrorReporter = std::function<void()>;
// Returns the reporter it replaced.
ErrorReporter DbSetErrorReporter(ErrorReporter reporter);

// ---- Application error state ----

void SetAppError(int code, std::string_view name);
int AppErrorCode();
const std::string& AppErrorName();
// The application error whole, with why it happened, for keeping it across
// clean-up work that may fail in its turn.
struct AppError {
  int code = 0;
  std::string name;
  bool diskFull = false;
  bool readOnly = false;
};
AppError CurrentAppError();
void RestoreAppError(const AppError& error);
void ClearAppError();
// The fixed text of an application code, or nullptr when it has none.
const char* AppErrorText(int code);
// The application code that the current engine/index state stands for.
int AppCodeForEngineError();
// Sets the application error from the current engine/index state; this is
// the reporter that the start-up installs.
void TranslateEngineError();
// "text: name", or "Error <code>: name" for a code without a text; a write
// refused for want of room adds " (the disk is full)", one refused by a
// read-only data directory " (the data directory is read-only here)".
std::string FormatAppError();

// Application codes for a failed open, read and write, by system reason;
// used by code that opens files of its own (sort files, flag files).
int AppCodeForOpenFailure(SystemReason reason);
int AppCodeForReadFailure(SystemReason reason);
int AppCodeForWriteFailure(SystemReason reason);
