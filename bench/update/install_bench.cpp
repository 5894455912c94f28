// Whole-process time of an install: `update -u` of a 64 MiB image (a 4 MiB kernel and a
// filesystem record filling the rest) onto an emulated recorder of the board's partition
// sizes, laid out in a temporary folder. The time is split where update reports the end
// of verification ("Get mtd device information!", printed and flushed once every record's
// CRC-32 has been checked): before it, start-up, the boot environment, the version check
// and the verification; after it, writing the kernel and filesystem copies (erase,
// program, read back) and switching the boot variables.
//
// Between runs the recorder "reboots" into the copies the install chose, so each run
// writes the other pair, as successive installs on the board do. Median of several runs,
// with the image in the page cache as after its download.
//   install_bench [RUNS]
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_recorder.h"
#include "layout.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t kImageSize = 64u << 20;
constexpr size_t kKernel = 4u << 20;
constexpr char kEndOfVerification[] = "Get mtd device information!\n";

struct Split {
  double verify = 0, write = 0;
  double total() const { return verify + write; }
};

// One `update -u` under `root`: the times to the end of verification and from there to
// the exit. False when the install failed.
bool install_once(const std::string& update, const std::string& root, Split* split) {
  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) return false;
  const auto start = Clock::now();
  pid_t pid = fork();
  if (pid == 0) {
    setenv("NVR_ROOT", root.c_str(), 1);
    dup2(out[1], STDOUT_FILENO);
    int err = ::open((root + "/tmp/install_bench.err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(err, STDERR_FILENO);
    execl(update.c_str(), update.c_str(), "-u", static_cast<char*>(nullptr));
    _exit(127);
  }
  ::close(out[1]);
  std::string text;
  auto verified = Clock::time_point{};
  char buffer[65536];
  for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;) {
    text.append(buffer, static_cast<size_t>(n));
    if (verified == Clock::time_point{} && text.find(kEndOfVerification) != std::string::npos)
      verified = Clock::now();
  }
  ::close(out[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  const auto end = Clock::now();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || verified == Clock::time_point{})
    return false;
  split->verify = std::chrono::duration<double>(verified - start).count();
  split->write = std::chrono::duration<double>(end - verified).count();
  return true;
}

// The kernel command line the environment now names, as the boot loader would pass it.
bool reboot(const std::string& root, int copy) {
  const std::string line = flashsim::layout_bootargs(copy) + "\n";
  int fd = ::open((root + "/proc/cmdline").c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  bool ok = fd >= 0 && write_all(fd, reinterpret_cast<const uint8_t*>(line.data()), line.size());
  if (fd >= 0) ok = ::close(fd) == 0 && ok;
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc == 2 ? std::max(1, std::atoi(argv[1])) : 5;
  const std::string root = bench_recorder("install_bench");
  if (root.empty()) return 2;
  if (!write_bench_image(root + "/dev/shm/updateFM.bin", kImageSize, kKernel, 0x48090014)) {
    std::fprintf(stderr, "install_bench: cannot write the image under %s\n", root.c_str());
    std::filesystem::remove_all(root);
    return 2;
  }
  const std::string update = bench_bin_dir() + "/update";
  std::vector<Split> splits;
  int running = 1;
  for (int i = 0; i < runs; ++i) {
    Split s;
    if (!install_once(update, root, &s)) {
      std::fprintf(stderr, "install_bench: the install failed (run %d)\n", i + 1);
      if (FILE* err = std::fopen((root + "/tmp/install_bench.err").c_str(), "r")) {
        char line[512];
        while (std::fgets(line, sizeof line, err) != nullptr) std::fputs(line, stderr);
        std::fclose(err);
      }
      std::filesystem::remove_all(root);
      return 2;
    }
    splits.push_back(s);
    running = 3 - running;
    if (!reboot(root, running)) return 2;
  }
  std::filesystem::remove_all(root);

  std::sort(splits.begin(), splits.end(),
            [](const Split& a, const Split& b) { return a.total() < b.total(); });
  const Split& m = splits[splits.size() / 2];
  std::printf(
      "whole install of a 64 MiB image (4 MiB kernel, 60 MiB filesystem), median of %d runs\n",
      runs);
  std::printf("  %-44s %8.1f ms\n", "update -u, whole process:", m.total() * 1e3);
  std::printf("  %-44s %8.1f ms  (%.0f MB/s)\n",
              "  start-up, version check and verification:", m.verify * 1e3,
              kImageSize / m.verify / 1e6);
  std::printf("  %-44s %8.1f ms  (%.0f MB/s)\n",
              "  writing the copies and switching:", m.write * 1e3, kImageSize / m.write / 1e6);
  return 0;
}
