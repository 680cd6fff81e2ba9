// Runs the real dpadmin program (or another of ours) as another process
// and collects what it printed. dpadmin's path comes from the build
// (DPADMIN_PATH).
#pragma once

#include <string>
#include <vector>

struct DpadminRun {
  int status = -1;  // exit status, -1 when it did not exit normally
  std::string out;
  std::string err;
};

// Output goes through files in scratchDir (which must exist), so a long
// report never blocks the program on a full pipe. Standard input is the
// given text (empty unless given), never the test's own.
DpadminRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& scratchDir, const std::string& input = std::string());
DpadminRun RunDpadmin(const std::vector<std::string>& args, const std::string& scratchDir,
                      const std::string& input = std::string());
// "exit N", then both outputs, for failure messages.
std::string ShowRun(const DpadminRun& run);
