// The result file of update runs (see upfw_log.h).
#include "upfw_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "nvr_root.h"

namespace {
constexpr char kResultFile[] = "/mnt/nand/upfw.log";
constexpr size_t kMaxText = 255;
}  // namespace

int UPFW_log(int code, const char* text) {
  int fd = ::open(nvr_path(kResultFile).c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    std::perror("open /mnt/nand/upfw.log");
    return -1;
  }
  char line[16];
  int n = std::snprintf(line, sizeof line, "%d\n", code);
  if (::write(fd, line, static_cast<size_t>(n)) != n) {
    std::perror("write /mnt/nand/upfw.log");
    ::close(fd);
    return -1;
  }
  if (text == nullptr) text = "";
  size_t length = strnlen(text, kMaxText);
  std::fputs(std::string(text, length).c_str(), stderr);
  ssize_t written = ::write(fd, text, length);
  if (written != static_cast<ssize_t>(length)) {
    std::perror("write upfw.log");
    ::close(fd);
    return -1;
  }
  ::close(fd);
  return static_cast<int>(written);
}
