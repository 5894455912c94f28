// Whole-process cost of the two long steps of an install, on an emulated recorder laid
// out in a temporary folder:
//   - verifying a 64 MiB image (every record's CRC-32), beside a process that only reads
//     the same file once with the same block size: the check must stay within twice the
//     read, so that the checksum is never what an install waits for;
//   - writing a 32 MiB record into an emulated NAND partition (erase, program, read back
//     each page).
// Each is the median of several runs of a fresh process, with MB/s (10^6 bytes per
// second). Exits 1 when verification takes more than twice the read.
//   flash_bench [RUNS]
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
#include "file_io.h"
#include "flash_write.h"
#include "layout.h"
#include "upfw_image.h"
#include "verify.h"

namespace {

constexpr size_t kImageSize = 64u << 20;
constexpr size_t kFsRecord = 32u << 20;
constexpr size_t kReadBlock = 256 * 1024;  // as the verifier reads

int child_read(const char* path) {
  int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 1;
  std::vector<uint8_t> block(kReadBlock);
  uint64_t total = 0;
  for (ssize_t n; (n = read_full(fd, block.data(), block.size())) > 0;)
    total += static_cast<uint64_t>(n);
  ::close(fd);
  return total == kImageSize ? 0 : 1;
}

int child_nand(const char* path) {
  ImageHeader header;
  if (read_image_header(path, &header) != 0) return 1;
  WritePlanEntry e{};
  std::snprintf(e.device, sizeof e.device, "/dev/mtd7");
  std::snprintf(e.name, sizeof e.name, "fs2");
  fill_plan_entry(header.records[2], &e);
  BootRecords records;
  records.record_partition = [](void*, size_t, uint32_t, uint32_t, uint32_t) { return 0; };
  return nand_flash_write_file(path, e, records) == 0 ? 0 : 1;
}

// Median wall time in seconds of `runs` fresh processes of this program in `mode`.
double median_seconds(int runs, const std::string& mode, const std::string& image,
                      const std::string& root) {
  std::vector<double> times;
  const std::string self = bench_bin_dir() + "/flash_bench";
  for (int i = 0; i < runs; ++i) {
    auto start = std::chrono::steady_clock::now();
    pid_t pid = fork();
    if (pid == 0) {
      setenv("NVR_ROOT", root.c_str(), 1);
      int null = ::open("/dev/null", O_WRONLY);
      dup2(null, STDOUT_FILENO);
      execl(self.c_str(), self.c_str(), mode.c_str(), image.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    times.push_back(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      std::fprintf(stderr, "flash_bench %s failed\n", mode.c_str());
      std::exit(2);
    }
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "read") == 0) return child_read(argv[2]);
  if (argc == 3 && std::strcmp(argv[1], "verify") == 0) return UPFW_verify(argv[2]) == 0 ? 0 : 1;
  if (argc == 3 && std::strcmp(argv[1], "nand") == 0) return child_nand(argv[2]);
  const int runs = argc == 2 ? std::max(1, std::atoi(argv[1])) : 7;

  const std::string root = bench_recorder("flash_bench");
  if (root.empty()) return 2;
  ImageRecord fs{};
  const std::string image = root + "/dev/shm/updateFM.bin";
  const size_t kernel = kImageSize - kImageHeaderSize - kFsRecord;
  if (!write_bench_image(image, kImageSize, kernel, kImageSlots[2].version, &fs)) {
    std::fprintf(stderr, "flash_bench: cannot write %s\n", image.c_str());
    std::filesystem::remove_all(root);
    return 2;
  }
  // Both measured with the image in the page cache, as after its download.
  (void)child_read(image.c_str());
  const double read_s = median_seconds(runs, "read", image, root);
  const double verify_s = median_seconds(runs, "verify", image, root);
  const double nand_s = median_seconds(std::max(1, runs / 2), "nand", image, root);
  std::filesystem::remove_all(root);

  auto mbps = [](double bytes, double s) { return bytes / s / 1e6; };
  std::printf("whole-process time, median of %d runs\n", runs);
  std::printf("%-40s %8.1f ms %8.0f MB/s\n", "read a 64 MiB image once:", read_s * 1e3,
              mbps(kImageSize, read_s));
  std::printf("%-40s %8.1f ms %8.0f MB/s  (%.2f x the read)\n",
              "verify a 64 MiB image:", verify_s * 1e3, mbps(kImageSize, verify_s),
              verify_s / read_s);
  std::printf("%-40s %8.1f ms %8.0f MB/s\n", "write 32 MiB to emulated NAND:", nand_s * 1e3,
              mbps(kFsRecord, nand_s));
  if (verify_s > 2 * read_s) {
    std::fprintf(stderr, "verification takes more than twice the read\n");
    return 1;
  }
  return 0;
}
