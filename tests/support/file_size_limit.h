// A full disk for one piece of work: f runs in a child process whose files
// may not grow past limit bytes, so its writes fail there as they do when the
// disk fills up, while the test's own files stay untouched.
#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

// Answers f's result (its exit code), or -1 when the child did not exit.
template <class F>
int WithFileSizeLimit(rlim_t limit, F f) {
  pid_t pid = fork();
  if (pid == 0) {
    std::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead
    rlimit r{limit, limit};
    setrlimit(RLIMIT_FSIZE, &r);
    _exit(f());
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
