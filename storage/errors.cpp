#include "storage/errors.h"

#include <cerrno>
#include <cstdio>
#include <utility>

#include "storage/index_failure.h"

namespace {

struct EngineState {
  int code = 0;
  int indexCode = 0;
  std::string name;
  SystemReason reason = SystemReason::kNone;
  bool readOnly = false;  // refused by a file only readable here (EROFS)
  ErrorReporter reporter;
};

EngineState& Engine() {
  static EngineState state;
  return state;
}

// diskFull: the write error was a full disk; readOnly: the write was
// refused by a read-only data directory.
AppError& App() {
  static AppError state;
  return state;
}

// The error name holds at most 255 characters.
std::string CutName(std::string_view name) {
  return std::string(name.substr(0, 255));
}

void Report() {
  if (Engine().reporter) Engine().reporter();
}

}  // namespace

SystemReason ReasonFromErrno(int err) {
  switch (err) {
    case 0:
      return SystemReason::kNone;
    case ENOENT:
    case ENOTDIR:
      return SystemReason::kNotFound;
    case EMFILE:
    case ENFILE:
      return SystemReason::kNoHandles;
    case EACCES:
    case EPERM:
    case EROFS:
      return SystemReason::kAccessDenied;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return SystemReason::kDiskFull;
    default:
      return SystemReason::kOther;
  }
}

void DbSetError(int code, std::string_view name) {
  EngineState& s = Engine();
  s.reason = ReasonFromErrno(errno);
  s.readOnly = errno == EROFS;
  s.indexCode = 0;
  s.code = code;
  s.name = CutName(name);
  Report();
}

void DbSetLockedError() {
  // Name and reporter stay as they were, but an index code left over from an
  // earlier failure must not decide how the refusal is read.
  Engine().code = kDbRecordLocked;
  Engine().indexCode = 0;
}

void DbReportIndexError(std::string_view tableName, int indexNumber) {
  EngineState& s = Engine();
  s.code = 0;
  s.name = CutName(std::string(tableName) + ".X" + std::to_string(indexNumber));
  Report();
}

void DbClearError() {
  Engine().code = 0;
}

int DbGetError(std::string* name) {
  if (name) *name = Engine().name;
  return Engine().code;
}

const std::string& DbErrorName() {
  return Engine().name;
}
SystemReason DbErrorReason() {
  return Engine().reason;
}

int IdxGetError() {
  return Engine().indexCode;
}

void IdxSetError(int code) {
  Engine().indexCode = code;
  if (code == kIdxOpenFailed) Engine().reason = ReasonFromErrno(errno);
}

void IdxSetWriteFailure(SystemReason reason) {
  Engine().indexCode = kIdxShortWrite;
  Engine().reason = reason;
}

ErrorReporter DbSetErrorReporter(ErrorReporter reporter) {
  return std::exchange(Engine().reporter, std::move(reporter));
}

void SetAppError(int code, std::string_view name) {
  App() = AppError{code, CutName(name)};
}

int AppErrorCode() {
  return App().code;
}
const std::string& AppErrorName() {
  return App().name;
}
AppError CurrentAppError() {
  return App();
}
void RestoreAppError(const AppError& error) {
  App() = error;
}
void ClearAppError() {
  App() = AppError{};
}

const char* AppErrorText(int code) {
  switch (code) {
    case 1000:
      return "Path is too long";
    case 1002:
      return "Share not installed";
    case 1003:
      return "Incorrect database version";
    case 1004:
      return "Path or file does not exist";
    case 1005:
      return "Not enough file handles";
    case 1006:
      return "Access denied opening file";
    case 1008:
      return "Error opening file";
    case 1009:
      return "Error reading file";
    case 1010:
      return "Access denied writing file";
    case 1011:
      return "Error writing file";
    case 1012:
      return "Error locking file";
    case 1013:
      return "Could not seek to postion in file";
    case 1014:
      return "Not enough memory for operation";
    case 1015:
      return "Index is corrupt, please reindex";
    case 1016:
      return "Selected record has been deleted";
    case 1017:
      return "Could not locate record";
    case 1018:
      return "End of file";
    case 1019:
      return "Could not create directory";
    case 1021:
      return "Invalid name";
    case 1022:
      return "Maximum records have been reached";
    case 1024:
      return "Could not find DESKpost in this location";
    case 1025:
      return "Error sorting";
    case 1026:
      return "Could not rename file";
    case 1027:
      return "Duplicate record";
    case 1028:
      return "Reached beginning of file";
    case 1029:
      return "Unknown time zone";
    default:
      return nullptr;
  }
}

int AppCodeForOpenFailure(SystemReason reason) {
  switch (reason) {
    case SystemReason::kNotFound:
      return kAppNoSuchFile;
    case SystemReason::kNoHandles:
      return kAppNoFileHandles;
    case SystemReason::kAccessDenied:
      return kAppOpenAccessDenied;
    default:
      return kAppOpenError;
  }
}

int AppCodeForReadFailure(SystemReason reason) {
  return reason == SystemReason::kAccessDenied ? kAppReadAccessDenied : kAppReadError;
}

int AppCodeForWriteFailure(SystemReason reason) {
  return reason == SystemReason::kAccessDenied ? kAppWriteAccessDenied : kAppWriteError;
}

int AppCodeForEngineError() {
  const EngineState& s = Engine();
  // The index code counts when it is set; its file codes mean what the
  // engine's do.
  int code = s.indexCode != 0 ? s.indexCode : s.code;
  switch (code) {
    case 1:
      return AppCodeForOpenFailure(s.reason);
    case 2:
      return AppCodeForReadFailure(s.reason);
    case 3:
      return AppCodeForWriteFailure(s.reason);
    case 4:
      return kAppSeekError;
    case 5:
      return kAppNoMemory;
    case 6:
    case 9:
      return kAppLockError;
    case 7:
      return kAppIndexCorrupt;
    case 8:
      return kAppRecordDeleted;
    case 10:
      return kAppWrongVersion;
    default:
      return 0;
  }
}

void TranslateEngineError() {
  int code = AppCodeForEngineError();
  // Out of memory is reported without a name.
  SetAppError(code, code == kAppNoMemory ? std::string_view() : std::string_view(Engine().name));
  App().diskFull = code == kAppWriteError && Engine().reason == SystemReason::kDiskFull;
  // Only a write: where an open is refused, the caller knows what the
  // person should be told of the share.
  App().readOnly = code == kAppWriteAccessDenied && Engine().readOnly;
}

std::string FormatAppError() {
  const char* text = AppErrorText(App().code);
  const std::string why = App().diskFull   ? " (the disk is full)"
                          : App().readOnly ? " (the data directory is read-only here)"
                                           : "";
  if (text) return std::string(text) + ": " + App().name + why;
  return "Error " + std::to_string(App().code) + ": " + App().name + why;
}
