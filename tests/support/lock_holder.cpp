#include "tests/support/lock_holder.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "storage/file.h"

LockHolder::LockHolder(const std::string& path, int64_t offset) {
  int down[2], up[2];
  if (pipe(down) != 0 || pipe(up) != 0) return;
  child_ = fork();
  if (child_ == 0) {
    close(down[1]);
    close(up[0]);
    File file;
    char answer = 'n';
    if (file.Open(path, OpenMode::kShared) && file.TryLock(offset) == LockResult::kGranted)
      answer = 'y';
    if (write(up[1], &answer, 1) != 1) _exit(1);
    char go;
    (void)!read(down[0], &go, 1);  // returns when told to release or the parent closes
    _exit(0);
  }
  close(down[0]);
  close(up[1]);
  toChild_ = down[1];
  char answer = 'n';
  held_ = read(up[0], &answer, 1) == 1 && answer == 'y';
  close(up[0]);
}

LockHolder::~LockHolder() {
  Release();
}

void LockHolder::Release() {
  if (toChild_ >= 0) {
    char go = 'g';
    (void)!write(toChild_, &go, 1);
    close(toChild_);
    toChild_ = -1;
  }
  if (child_ > 0) {
    waitpid(child_, nullptr, 0);
    child_ = -1;
  }
}

void LockHolder::Kill() {
  if (child_ > 0) {
    kill(child_, SIGKILL);
    waitpid(child_, nullptr, 0);
    child_ = -1;
  }
  if (toChild_ >= 0) close(toChild_);
  toChild_ = -1;
}
