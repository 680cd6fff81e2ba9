#include "tests/support/dpadmin_run.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/support/temp_dir.h"

DpadminRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& scratchDir, const std::string& input) {
  const std::string base = scratchDir + program.substr(program.find_last_of('/') + 1);
  const std::string inPath = base + ".in";
  const std::string outPath = base + ".out";
  const std::string errPath = base + ".err";
  {
    int in = open(inPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || write(in, input.data(), input.size()) != ssize_t(input.size())) {
      if (in >= 0) close(in);
      return DpadminRun();
    }
    close(in);
  }
  pid_t child = fork();
  if (child == 0) {
    int in = open(inPath.c_str(), O_RDONLY);
    if (in < 0) _exit(127);
    dup2(in, 0);
    int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0 || err < 0) _exit(127);
    dup2(out, 1);
    dup2(err, 2);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  DpadminRun run;
  int status = 0;
  if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status))
    run.status = WEXITSTATUS(status);
  run.out = ReadWholeFile(outPath);
  run.err = ReadWholeFile(errPath);
  return run;
}

DpadminRun RunDpadmin(const std::vector<std::string>& args, const std::string& scratchDir,
                      const std::string& input) {
  return RunProgram(DPADMIN_PATH, args, scratchDir, input);
}

std::string ShowRun(const DpadminRun& run) {
  return "exit " + std::to_string(run.status) + "\nstdout:\n" + run.out + "stderr:\n" + run.err;
}
