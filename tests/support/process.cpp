#include "process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace nvrtest {

std::string bin_path(const std::string& name) {
  return std::string(NVR_BIN_DIR) + "/" + name;
}

ProcessResult run_process(const ProcessSpec& spec) {
  ProcessResult result;
  int in_pipe[2], out_pipe[2], err_pipe[2];
  if (pipe2(in_pipe, O_CLOEXEC) != 0 || pipe2(out_pipe, O_CLOEXEC) != 0 ||
      pipe2(err_pipe, O_CLOEXEC) != 0)
    return result;

  std::vector<std::string> env_text;
  for (const auto& [k, v] : spec.env) env_text.push_back(k + "=" + v);
  std::vector<char*> envp, argv;
  for (auto& s : env_text) envp.push_back(s.data());
  envp.push_back(nullptr);
  std::vector<std::string> args = spec.argv;
  for (auto& s : args) argv.push_back(s.data());
  argv.push_back(nullptr);

  pid_t pid = fork();
  if (pid == 0) {
    dup2(in_pipe[0], 0);
    dup2(out_pipe[1], 1);
    dup2(err_pipe[1], 2);
    setpgid(0, 0);
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  result.pid = pid;
  close(in_pipe[0]);
  close(out_pipe[1]);
  close(err_pipe[1]);

  signal(SIGPIPE, SIG_IGN);
  std::size_t written = 0;
  int in_fd = in_pipe[1];
  if (spec.input.empty()) {
    close(in_fd);
    in_fd = -1;
  }
  auto deadline = std::chrono::steady_clock::now() +
                  std::chrono::milliseconds(static_cast<long>(spec.timeout_seconds * 1000));
  bool out_open = true, err_open = true;
  char buffer[65536];
  while (out_open || err_open) {
    pollfd fds[3];
    int n = 0;
    int out_i = -1, err_i = -1, in_i = -1;
    if (out_open) {
      fds[n] = {out_pipe[0], POLLIN, 0};
      out_i = n++;
    }
    if (err_open) {
      fds[n] = {err_pipe[0], POLLIN, 0};
      err_i = n++;
    }
    if (in_fd >= 0) {
      fds[n] = {in_fd, POLLOUT, 0};
      in_i = n++;
    }
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    deadline - std::chrono::steady_clock::now())
                    .count();
    if (left <= 0) {
      result.timed_out = true;
      kill(-pid, SIGKILL);
      break;
    }
    int rc = poll(fds, n, static_cast<int>(left));
    if (rc < 0 && errno == EINTR) continue;
    if (in_i >= 0 && (fds[in_i].revents & (POLLOUT | POLLERR | POLLHUP))) {
      ssize_t w = write(in_fd, spec.input.data() + written, spec.input.size() - written);
      if (w > 0) written += static_cast<std::size_t>(w);
      if (w < 0 || written == spec.input.size()) {
        close(in_fd);
        in_fd = -1;
      }
    }
    for (auto [idx, fd, open, sink] : {std::tuple{out_i, out_pipe[0], &out_open, &result.out},
                                       std::tuple{err_i, err_pipe[0], &err_open, &result.err}}) {
      if (idx < 0 || !(fds[idx].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      ssize_t r = read(fd, buffer, sizeof buffer);
      if (r > 0)
        sink->append(buffer, static_cast<std::size_t>(r));
      else
        *open = false;
    }
  }
  if (in_fd >= 0) close(in_fd);
  close(out_pipe[0]);
  close(err_pipe[0]);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) result.exit_code = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  return result;
}

}  // namespace nvrtest
