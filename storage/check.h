// Internal consistency checks. A broken precondition is reported as
// "Check failed: <module>, line <n>" and execution carries on, so the
// operation then fails on its own terms instead of taking the program down.
#pragma once

#include <functional>

// Called with the module (source file) name and line of a failed check.
using CheckHandler = std::function<void(const char* module, unsigned line)>;

// The default handler writes the message to standard error; the windows
// install one that shows it in a box captioned "Assert".
void SetCheckHandler(CheckHandler handler);
void CheckFailed(const char* module, unsigned line);
// Number of failed checks since the program started (tests look at it).
unsigned CheckFailureCount();

// Evaluates to the condition, reporting it when false.
#define DP_CHECK(cond) ((cond) ? true : (CheckFailed(__FILE__, __LINE__), false))
