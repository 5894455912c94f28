// Whole-file helpers of the flash emulation (see sim_files.h).
#include "sim_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace flashsim {

namespace {

// Repeats `step` (a pread or pwrite at the running position) until `count` bytes moved.
template <typename Byte, typename Step>
bool transfer_full(Byte* data, size_t count, uint64_t offset, Step step) {
  while (count > 0) {
    ssize_t n = step(data, count, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    count -= static_cast<size_t>(n);
    offset += static_cast<uint64_t>(n);
  }
  return true;
}

}  // namespace

bool pread_full(int fd, uint8_t* data, size_t count, uint64_t offset) {
  return transfer_full(data, count, offset,
                       [fd](uint8_t* p, size_t n, off_t at) { return ::pread(fd, p, n, at); });
}

bool pwrite_full(int fd, const uint8_t* data, size_t count, uint64_t offset) {
  return transfer_full(data, count, offset, [fd](const uint8_t* p, size_t n, off_t at) {
    return ::pwrite(fd, p, n, at);
  });
}

bool write_full(int fd, const void* data, size_t count) {
  return transfer_full(static_cast<const uint8_t*>(data), count, 0,
                       [fd](const uint8_t* p, size_t n, off_t) { return ::write(fd, p, n); });
}

bool parse_number(const char* text, uint64_t* out) {
  if (text == nullptr || *text == '\0' || *text == '-' || *text == '+' || *text == ' ')
    return false;
  errno = 0;
  char* end = nullptr;
  unsigned long long value = std::strtoull(text, &end, 0);
  if (errno != 0 || end == text || *end != '\0') return false;
  *out = value;
  return true;
}

bool read_small_file(const std::string& path, std::string* out) {
  int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > (1 << 20)) {
    close(fd);
    return false;
  }
  out->clear();
  char buffer[4096];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      close(fd);
      return false;
    }
    if (n == 0) break;
    out->append(buffer, static_cast<size_t>(n));
  }
  close(fd);
  return true;
}

// No fsync: the emulation must survive the death of a process (the page cache does),
// not a crash of the host, and sweeps write side files often.
bool write_file_atomic(const std::string& path, const std::string& content, int mode) {
  std::string tmp = path + ".tmp";
  int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC,
                  static_cast<mode_t>(mode));
  if (fd < 0) return false;
  bool ok =
      fchmod(fd, static_cast<mode_t>(mode)) == 0 && write_full(fd, content.data(), content.size());
  ok = (close(fd) == 0) && ok;
  if (!ok || ::rename(tmp.c_str(), path.c_str()) != 0) {
    ::unlink(tmp.c_str());
    return false;
  }
  return true;
}

}  // namespace flashsim
