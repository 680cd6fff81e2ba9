// Starting a writer in a child process and killing it with SIGKILL at a
// chosen point of its work.
//
// The preferred way stops the writer at every system call it makes (ptrace)
// and kills it on entry to a chosen one, which then never runs. Between two
// system calls nothing the files hold can change, so kills at system calls
// reach every state that a kill at any moment could leave, and they spread
// evenly over the work however busy the machine is. Where a process may not
// trace its child, the writer runs freely and is killed after it has told a
// chosen number of lines and a short time more.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "tests/crash/office_model.h"
#include "tests/crash/writer.h"

enum class KillMethod {
  kAtSystemCall,  // ptrace: killed on entry to system call number `target`
  kAfterLines,    // killed `micros` after its `target`th line
};

struct KillPoint {
  long target = -1;  // counted from READY; -1: only after the writer reported DONE
  long micros = 0;   // kAfterLines only
};

struct WriterRun {
  WriterReport report;
  long systemCalls = 0;  // kAtSystemCall: calls begun after READY (up to DONE or the kill)
  int lines = 0;         // lines told after READY
  // kAtSystemCall, run to DONE: each line told after READY with the number of
  // system calls begun before it was in the pipe.
  std::vector<std::pair<std::string, long>> timeline;
};

// Whether this process may trace a child of its own.
bool CanStepSystemCalls();

WriterRun RunAndKill(const WriterPlan& plan, KillMethod method, KillPoint at);
