// One workstation of the stress test, run in a child process of its own: it
// opens its own handles on the shared directory and does a random mix of
// what an office does to "MESSAGE" and "NAME", writing each success to its
// ledger (see stress_test.cpp for the line format).
#pragma once

#include "tests/stress/stress_plan.h"

// Waits until goFd reads end-of-file (every workstation has been started),
// then works; returns the process's exit status: 0 when it finished, 3 after
// an unexpected failure (written to the ledger as an "E" line).
int RunWorkstation(const StressPlan& plan, int id, int goFd);
