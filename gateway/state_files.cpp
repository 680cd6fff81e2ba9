#include "gateway/state_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace {

int WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n <= 0) return 0;
    done += size_t(n);
  }
  return 1;
}

int SyncFolderOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return 0;
  int ok = ::fsync(fd) == 0;
  ::close(fd);
  return ok;
}

}  // namespace

std::string ReadStateFile(const std::string& path) {
  std::string text;
  int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0) return text;
  char buffer[8192];
  ssize_t n;
  while ((n = ::read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, size_t(n));
  ::close(fd);
  return text;
}

int WriteStateFile(const std::string& path, const std::string& text) {
  std::string temp = path + ".new";
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (fd < 0) return 0;
  int ok = WriteAll(fd, text) && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (!ok || ::rename(temp.c_str(), path.c_str()) != 0) {
    ::unlink(temp.c_str());
    return 0;
  }
  return SyncFolderOf(path);
}

int AppendStateLine(const std::string& path, const std::string& line) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
  if (fd < 0) return 0;
  int ok = WriteAll(fd, line + "\n") && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  return ok;
}

int RemoveStateFile(const std::string& path) {
  if (::unlink(path.c_str()) != 0) return 0;
  return SyncFolderOf(path);
}
