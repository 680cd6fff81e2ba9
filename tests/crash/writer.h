// The workstation that gets killed: it opens "MESSAGE" with handles of its
// own and appends, deletes and re-keys messages, telling its parent through
// a pipe what it is about to do and, as soon as each call has returned,
// that it succeeded. Whatever the parent has read is therefore true of the
// files; a call that was running when the kill came is reported as intended
// but not done.
//
// Lines:
//   READY                      tables open; the work starts now
//   N? / U n                   about to ask GetUniqueNumber / it returned n
//   A? facts / A rec           about to append / the append returned record rec
//   D? rec / D rec             about to delete / the delete returned
//   R? rec folder flags / R rec  about to re-key into folder / the re-key returned
//   DONE micros                all work done, in that many microseconds
//   E text                     an unexpected failure; nothing more follows
#pragma once

#include <cstdint>
#include <functional>
#include <string>

enum class WriterWork {
  kMixed,        // appends, deletes and re-keys of the messages it finds
  kAppendsOnly,  // appends alone: the table is set just short of a root move-down
};

struct WriterPlan {
  std::string dir;
  WriterWork work = WriterWork::kMixed;
  int operations = 12;
  uint32_t seed = 1;
  // Called once READY has been told, just before the work starts.
  std::function<void()> atReady;
};

// Runs in the child process; returns its exit status unless it is killed
// first. After DONE it waits for its end, so every kill meets a live process.
int RunWriter(const WriterPlan& plan, int reportFd);
