// Process-wide utilities: shell runner, advisory lock, file tests and moves, text
// replacement and the debug log.
#include "cgi_utils.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "nvr_root.h"
#include "nvr_shell.h"

extern char** environ;

int web_system(const char* command) {
  int status = nvr_shell_run(command);
  if (status == -1 || WIFSIGNALED(status)) return -1;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  return 0;
}

int file_lock(const char* path) {
  if (path == nullptr) return -1;
  int fd = open(path, O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return fd;
  while (lockf(fd, F_LOCK, 0) != 0 && errno == EINTR) {
  }
  return fd;
}

int file_unlock(int fd) {
  if (fd < 0) return fd;
  lseek(fd, 0, SEEK_SET);
  lockf(fd, F_ULOCK, 0);
  close(fd);
  return 0;
}

int IsFileExisted(const char* path) {
  if (path == nullptr || path[0] == '\0') return -1;
  struct stat st;
  return lstat(path, &st) == 0 || stat(path, &st) == 0 ? 0 : -1;
}

int IsDirExisted(const char* path) {
  if (path == nullptr || path[0] == '\0') return -1;
  struct stat st;
  if (lstat(path, &st) != 0) return -1;
  return S_ISDIR(st.st_mode) ? 0 : -1;
}

// Removing and moving go through the system calls, not a shell line: the paths may
// carry characters a shell would interpret.
int DeleteFile(const char* path) {
  if (path == nullptr) return -1;
  unlink(path);
  return 0;
}

int RemoveFile(const char* from, const char* to) {
  if (from == nullptr || to == nullptr) return -1;
  (void)move_file(from, to);
  return 0;
}

bool move_file(const char* from, const char* to) {
  if (rename(from, to) == 0) return true;
  if (errno != EXDEV) return false;
  int in = open(from, O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  struct stat st;
  if (fstat(in, &st) != 0) {
    close(in);
    return false;
  }
  int out = open(to, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, st.st_mode & 07777);
  if (out < 0) {
    close(in);
    return false;
  }
  char buffer[65536];
  bool ok = true;
  for (;;) {
    ssize_t n = read(in, buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    for (ssize_t done = 0; done < n;) {
      ssize_t w = write(out, buffer + done, static_cast<size_t>(n - done));
      if (w < 0) {
        if (errno == EINTR) continue;
        ok = false;
        break;
      }
      done += w;
    }
    if (!ok) break;
  }
  close(in);
  if (close(out) != 0) ok = false;
  if (!ok) {
    unlink(to);
    return false;
  }
  unlink(from);
  return true;
}

char* strrpl(char* dst, const char* src, const char* find, const char* replace) {
  std::size_t flen = std::strlen(find), rlen = std::strlen(replace);
  char* out = dst;
  while (*src != '\0') {
    if (flen > 0 && std::strncmp(src, find, flen) == 0) {
      std::memcpy(out, replace, rlen);
      out += rlen;
      src += flen;
    } else {
      *out++ = *src++;
    }
  }
  *out = '\0';
  return dst;
}

int cgi_log(const char* unit, int line, const char* function, const char* format, ...) {
  char message[2048];
  va_list ap;
  va_start(ap, format);
  std::vsnprintf(message, sizeof message, format, ap);
  va_end(ap);

  std::time_t now = std::time(nullptr);
  std::tm lt{};
  localtime_r(&now, &lt);
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "%4d-%02d-%02d %02d:%02d:%02d", lt.tm_year + 1900,
                lt.tm_mon + 1, lt.tm_mday, lt.tm_hour, lt.tm_min, lt.tm_sec);
  // Room for the longest parts; the line is cut to 2047 characters afterwards.
  char text[2048 + 512];
  std::snprintf(text, sizeof text, "[vorna debug] %s  %s:%d in %s: %s\n", stamp, unit, line,
                function, message);

  text[2047] = '\0';
  FILE* f = std::fopen(nvr_path("/mnt/nand/cgi_log.txt").c_str(), "a");
  if (f == nullptr) return -1;
  std::fputs(text, f);
  std::fflush(f);
  std::fclose(f);
  return 0;
}

// ---- Programs run with an argument list --------------------------------------------------

namespace {

// Exit status 0 of a wait status, as web_system counts success.
bool exited_zero(int status) {
  return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

int web_exec(const char* const* argv) {
  if (argv == nullptr || argv[0] == nullptr || argv[0][0] == '\0') return -1;
  std::string program = nvr_program_path(argv[0]);
  std::vector<char*> args;
  for (const char* const* a = argv; *a != nullptr; ++a) args.push_back(const_cast<char*>(*a));
  args.push_back(nullptr);
  std::fflush(nullptr);  // what the caller wrote comes before anything the program writes
  pid_t pid = -1;
  int rc = nvr_emulated()
               ? posix_spawn(&pid, program.c_str(), nullptr, nullptr, args.data(), environ)
               : posix_spawnp(&pid, program.c_str(), nullptr, nullptr, args.data(), environ);
  if (rc != 0) {
    std::fprintf(stderr, "web_exec: %s: %s\n", argv[0], std::strerror(rc));
    return -1;
  }
  return exited_zero(nvr_shell_wait(pid)) ? 0 : -1;
}

int web_read_command(const char* command, char* out, std::size_t size) {
  if (out == nullptr || size == 0) return -1;
  out[0] = '\0';
  int fds[2];
  if (command == nullptr || pipe2(fds, O_CLOEXEC) != 0) return -1;
  pid_t pid = nvr_shell_spawn(command, fds[1]);
  close(fds[1]);
  std::size_t kept = 0;
  char chunk[256];
  for (;;) {
    ssize_t n = read(fds[0], chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    std::size_t take = std::min(static_cast<std::size_t>(n), size - 1 - kept);
    std::memcpy(out + kept, chunk, take);
    kept += take;
  }
  close(fds[0]);
  out[kept] = '\0';
  if (pid < 0 || !exited_zero(nvr_shell_wait(pid))) {
    out[0] = '\0';
    return -1;
  }
  return static_cast<int>(kept);
}
