// Runs the real dpadmin program as another process and collects what it
// printed. The program's path comes from the build (DPADMIN_PATH).
#pragma once

#include <string>
#include <vector>

struct DpadminRun {
  int status = -1;  // exit status, -1 when it did not exit normally
  std::string out;
  std::string err;
};

// Output goes through files in scratchDir (which must exist), so a long
// report never blocks the program on a full pipe.
DpadminRun RunDpadmin(const std::vector<std::string>& args, const std::string& scratchDir);
// "exit N", then both outputs, for failure messages.
std::string ShowRun(const DpadminRun& run);
