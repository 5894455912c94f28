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
#include <random>
#include <string>
#include <vector>

#include "crc32.h"
#include "file_io.h"
#include "flash_write.h"
#include "layout.h"
#include "upfw_image.h"
#include "verify.h"

namespace {

constexpr size_t kImageSize = 64u << 20;
constexpr size_t kFsRecord = 32u << 20;
constexpr size_t kReadBlock = 256 * 1024;  // as the verifier reads

std::string self_dir() {
  char path[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return ".";
  path[n] = '\0';
  return std::filesystem::path(path).parent_path().string();
}

// An image of a kernel record and a 32 MiB filesystem record filling 64 MiB.
bool build_image(const std::string& path, ImageRecord* fs_record) {
  std::vector<uint8_t> bytes(kImageSize);
  std::mt19937_64 rng(7);
  for (size_t i = 0; i < bytes.size(); i += 8) {
    uint64_t v = rng();
    std::memcpy(bytes.data() + i, &v, 8);
  }
  ImageHeader header{};
  const uint32_t ker_size = static_cast<uint32_t>(kImageSize - kImageHeaderSize - kFsRecord);
  const struct { size_t index; uint32_t offset, size; } records[] = {
      {1, kImageHeaderSize, ker_size},
      {2, static_cast<uint32_t>(kImageHeaderSize + ker_size), kFsRecord}};
  for (const auto& r : records) {
    ImageRecord& rec = header.records[r.index];
    rec.offset = r.offset;
    rec.size = r.size;
    rec.version = kImageSlots[r.index].version;
    rec.flag = kImageSlots[r.index].flag;
    rec.date = kImageRecordDate;
    std::memcpy(rec.name, kImageSlots[r.index].name, std::strlen(kImageSlots[r.index].name));
    rec.crc32 = crc32(0, bytes.data() + r.offset, r.size);
  }
  encode_image_header(header, bytes.data());
  *fs_record = header.records[2];
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  bool ok = fd >= 0 && write_all(fd, bytes.data(), bytes.size());
  if (fd >= 0) ok = ::close(fd) == 0 && ok;
  return ok;
}

int child_read(const char* path) {
  int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 1;
  std::vector<uint8_t> block(kReadBlock);
  uint64_t total = 0;
  for (ssize_t n; (n = read_full(fd, block.data(), block.size())) > 0;) total += static_cast<uint64_t>(n);
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
  const std::string self = self_dir() + "/flash_bench";
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
    times.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
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

  char dir[] = "/tmp/flash_bench.XXXXXX";
  if (mkdtemp(dir) == nullptr) return 2;
  const std::string root = dir;
  flashsim::LayoutOptions options;
  options.tool_path = self_dir() + "/flashsim";
  std::string error;
  ImageRecord fs{};
  const std::string image = root + "/dev/shm/updateFM.bin";
  if (!flashsim::create_recorder(root, options, &error) || !build_image(image, &fs)) {
    std::fprintf(stderr, "flash_bench: cannot set up %s: %s\n", dir, error.c_str());
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
  std::printf("%-40s %8.1f ms %8.0f MB/s  (%.2f x the read)\n", "verify a 64 MiB image:", verify_s * 1e3,
              mbps(kImageSize, verify_s), verify_s / read_s);
  std::printf("%-40s %8.1f ms %8.0f MB/s\n", "write 32 MiB to emulated NAND:", nand_s * 1e3,
              mbps(kFsRecord, nand_s));
  if (verify_s > 2 * read_s) {
    std::fprintf(stderr, "verification takes more than twice the read\n");
    return 1;
  }
  return 0;
}
