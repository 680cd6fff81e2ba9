#include "tests/crash/kill_run.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/ptrace.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Everything the writer has told so far.
struct Told {
  int fd;
  std::string text;
  // Reads what is there (or, blocking, waits for more); false at the end.
  bool ReadSome() {
    char buffer[4096];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n > 0) text.append(buffer, size_t(n));
    return n > 0;
  }
  void ReadAll() {
    while (ReadSome()) {
    }
  }
  bool Ready() const { return text.find("READY\n") != std::string::npos; }
  // DONE, or a failure: the work is over.
  bool Over() const {
    return text.find("DONE") != std::string::npos || text.rfind("E ", 0) == 0 ||
           text.find("\nE ") != std::string::npos;
  }
  // The whole lines told after READY.
  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    size_t at = text.find("READY\n");
    if (at == std::string::npos) return lines;
    for (at += 6; text.find('\n', at) != std::string::npos; at = text.find('\n', at) + 1)
      lines.push_back(text.substr(at, text.find('\n', at) - at));
    return lines;
  }
};

// Kills the writer and takes in everything it told.
WriterRun Ended(pid_t child, Told& told, WriterRun& run) {
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  told.ReadAll();
  close(told.fd);
  run.report = ParseWriterReport(told.text);
  run.lines = int(told.Lines().size());
  return run;
}

pid_t StartWriter(WriterPlan plan, int fds[2], bool traced) {
  pid_t child = fork();
  if (child == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);  // never outlive a test that was stopped
    close(fds[0]);
    // Traced from READY on: opening the table and finding the messages are
    // not part of the work the kills are spread over.
    if (traced) {
      plan.atReady = [] {
        if (ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0) _exit(4);
        raise(SIGSTOP);  // the parent sets its options and lets go
      };
    }
    _exit(RunWriter(plan, fds[1]));
  }
  close(fds[1]);
  return child;
}

// Whether a system-call stop is on entry to the call. The kernel says so
// (since Linux 5.3); without it, entries and exits are taken to alternate.
bool AtEntry(pid_t child, bool* alternate) {
  __ptrace_syscall_info info{};
  const long got =
      ptrace(PTRACE_GET_SYSCALL_INFO, child, reinterpret_cast<void*>(sizeof info), &info);
  const bool guess = *alternate;
  *alternate = !*alternate;
  if (got <= 0) return guess;
  *alternate = info.op != PTRACE_SYSCALL_INFO_ENTRY;
  return info.op == PTRACE_SYSCALL_INFO_ENTRY;
}

void Spin(long micros) {
  const auto until = Clock::now() + std::chrono::microseconds(micros);
  while (Clock::now() < until) {
  }
}

WriterRun KillAfterLines(const WriterPlan& plan, KillPoint at) {
  WriterRun run;
  int fds[2];
  if (pipe(fds) != 0) return run;
  const pid_t child = StartWriter(plan, fds, false);
  Told told{fds[0], {}};
  while (!told.Over() &&
         (!told.Ready() || at.target < 0 || long(told.Lines().size()) < at.target) &&
         told.ReadSome()) {
  }
  Spin(at.micros);
  return Ended(child, told, run);
}

WriterRun KillAtSystemCall(const WriterPlan& plan, KillPoint at) {
  WriterRun run;
  int fds[2];
  if (pipe(fds) != 0) return run;
  const pid_t child = StartWriter(plan, fds, true);
  Told told{fds[0], {}};
  int status = 0;
  // Stopped at READY (or ended early by a failure).
  if (waitpid(child, &status, 0) == child && WIFSTOPPED(status))
    ptrace(PTRACE_SETOPTIONS, child, nullptr,
           reinterpret_cast<void*>(long(PTRACE_O_TRACESYSGOOD | PTRACE_O_EXITKILL)));
  fcntl(fds[0], F_SETFL, O_NONBLOCK);
  size_t seen = 0;
  bool entry = true;  // the next stop's guess without the kernel's word
  long signal = 0;
  for (;;) {
    if (ptrace(PTRACE_SYSCALL, child, nullptr, reinterpret_cast<void*>(signal)) != 0) break;
    signal = 0;
    if (waitpid(child, &status, 0) != child || !WIFSTOPPED(status)) break;
    if (WSTOPSIG(status) != (SIGTRAP | 0x80)) {
      signal = WSTOPSIG(status);  // a signal of its own: hand it on
      continue;
    }
    if (!AtEntry(child, &entry)) continue;
    // Stopped on entry to a call: every line written before it is in the pipe.
    if (run.systemCalls == at.target) break;
    told.ReadAll();
    const std::vector<std::string> lines = told.Lines();
    for (; seen < lines.size(); ++seen) run.timeline.emplace_back(lines[seen], run.systemCalls);
    // Done before the chosen call: it waits for its end now.
    if (told.Over()) break;
    ++run.systemCalls;
  }
  return Ended(child, told, run);
}

}  // namespace

bool CanStepSystemCalls() {
  pid_t child = fork();
  if (child == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0) _exit(1);
    raise(SIGSTOP);
    _exit(0);
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child) return false;
  const bool stopped = WIFSTOPPED(status);
  if (stopped) ptrace(PTRACE_CONT, child, nullptr, nullptr);
  waitpid(child, &status, 0);
  return stopped && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

WriterRun RunAndKill(const WriterPlan& plan, KillMethod method, KillPoint at) {
  return method == KillMethod::kAtSystemCall ? KillAtSystemCall(plan, at)
                                             : KillAfterLines(plan, at);
}
