// A workstation's account of what it saw succeed, one line per event,
// written with a single write() each so that the line is out of the process
// as soon as the call returns: into a file, or a pipe the parent reads. A
// process killed a moment later loses nothing it had written.
#pragma once

#include <unistd.h>

#include <string>

class Ledger {
 public:
  explicit Ledger(int fd) : fd_(fd) {}
  void Line(std::string text) {
    text += '\n';
    size_t done = 0;
    while (done < text.size()) {
      ssize_t n = ::write(fd_, text.data() + done, text.size() - done);
      if (n <= 0) return;
      done += size_t(n);
    }
  }

 private:
  int fd_;
};
