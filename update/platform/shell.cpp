// Shell commands of update, kept inside NVR_ROOT under emulation (see shell.h).
#include "shell.h"

#include <fcntl.h>
#include <unistd.h>

#include <map>
#include <string_view>

#include "nvr_shell.h"

namespace {

// The flash emulation's power-cut counter counts the operations of the process it was
// given to only; a command must not inherit it.
constexpr std::string_view kNotInherited[] = {"NVR_FLASH_POWER_CUT"};

std::map<FILE*, pid_t>& open_pipes() {
  static std::map<FILE*, pid_t> pipes;
  return pipes;
}

}  // namespace

int upd_system(const char* command) {
  return nvr_shell_run(command, kNotInherited);
}

FILE* upd_popen(const char* command) {
  if (command == nullptr) return nullptr;
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return nullptr;
  pid_t pid = nvr_shell_spawn(command, fds[1], kNotInherited);
  close(fds[1]);
  if (pid < 0) {
    close(fds[0]);
    return nullptr;
  }
  FILE* stream = fdopen(fds[0], "r");
  if (stream == nullptr) {
    close(fds[0]);
    nvr_shell_wait(pid);
    return nullptr;
  }
  open_pipes()[stream] = pid;
  return stream;
}

int upd_pclose(FILE* stream) {
  auto& pipes = open_pipes();
  auto it = pipes.find(stream);
  if (it == pipes.end()) return -1;
  pid_t pid = it->second;
  pipes.erase(it);
  std::fclose(stream);
  return nvr_shell_wait(pid);
}
