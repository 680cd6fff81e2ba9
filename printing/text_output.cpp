#include "printing/text_output.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>

namespace {

// The file error boxes' captions by the system's reason.
const char* OpenCaption(int err) {
  switch (err) {
    case ENOENT:
    case ENOTDIR:
      return "PATH OR FILE DOES NOT EXIST:";
    case EMFILE:
    case ENFILE:
      return "NOT ENOUGH FILE HANDLES TO OPEN:";
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
      return "ACCESS DENIED, COULD NOT OPEN:";
    default:
      return "ERROR OPENING:";
  }
}

const char* WriteCaption(int err) {
  return err == EACCES || err == EPERM || err == EROFS ? "ACCESS DENIED, COULD NOT WRITE:"
                                                       : "ERROR WRITING:";
}

}  // namespace

ExportFile::~ExportFile() {
  Discard();
}

void ExportFile::Fail(const char* caption, const std::string& name) {
  if (!failure_.Failed()) failure_ = {caption, name};
}

bool ExportFile::Open(const std::string& path) {
  Discard();
  failure_ = {};
  path_ = path;
  partPath_ = path + ".part";
  // A directory under the chosen name can never be replaced by the file.
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    Fail(OpenCaption(EISDIR), path);
    return false;
  }
  file_ = std::fopen(partPath_.c_str(), "wb");
  if (!file_) {
    Fail(OpenCaption(errno), path);
    return false;
  }
  return true;
}

bool ExportFile::Output(std::string_view text) {
  if (!file_) return false;
  if (std::fwrite(text.data(), 1, text.size(), file_) != text.size()) {
    Fail(WriteCaption(errno), path_);
    Discard();
    return false;
  }
  return true;
}

bool ExportFile::Commit() {
  if (!file_) return false;
  std::FILE* f = file_;
  file_ = nullptr;
  const bool flushed = std::fflush(f) == 0;
  const int err = errno;
  if (std::fclose(f) != 0 || !flushed) {
    Fail(WriteCaption(flushed ? errno : err), path_);
    std::remove(partPath_.c_str());
    return false;
  }
  if (std::rename(partPath_.c_str(), path_.c_str()) != 0) {
    Fail(WriteCaption(errno), path_);
    std::remove(partPath_.c_str());
    return false;
  }
  return true;
}

void ExportFile::Discard() {
  if (file_) {
    std::fclose(file_);
    file_ = nullptr;
    std::remove(partPath_.c_str());
  }
}
