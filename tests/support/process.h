// Running the real programs from tests: a child process with a chosen environment and
// standard input, its output captured.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace nvrtest {

struct ProcessResult {
  std::string out;
  std::string err;
  int exit_code = -1;  // exit status, or -1 when killed by a signal
  int signal = 0;      // the signal that ended it, or 0
  bool timed_out = false;
  int pid = 0;  // the child's process id (to tell its records from its children's)
};

struct ProcessSpec {
  std::vector<std::string> argv;           // argv[0] is the program path
  std::map<std::string, std::string> env;  // the whole environment of the child
  std::string input;                       // written to standard input, then closed
  double timeout_seconds = 60;
};

ProcessResult run_process(const ProcessSpec& spec);

// Path of a program built into the build's bin folder.
std::string bin_path(const std::string& name);

}  // namespace nvrtest
