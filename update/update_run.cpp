// The update run and the system switch (see update_run.h).
#include "update_run.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "file_io.h"
#include "flash_write.h"
#include "nvr_root.h"
#include "partition_table.h"
#include "shell.h"
#include "upfw_image.h"
#include "verify.h"
#include "version.h"

namespace {

constexpr char kFsMark[] = "=fs";      // "ubi.mtd=fs1" in the kernel command line
constexpr char kKernelMark[] = "ker";  // "nand read ... ker1 ..." in the boot command
constexpr char kProcCmdline[] = "/proc/cmdline";
constexpr size_t kProcCmdlineMax = 4096;
// What the board boots when "bootargs" names no filesystem copy.
constexpr char kDefaultBootargs[] =
    "mem=1024M console=ttyAMA0,115200 ubi.mtd=fs1 root=ubi0:rootfs rw rootfstype=ubifs "
    "mmz=ddr,0,0,150M";
static_assert(sizeof kDefaultBootargs <= kBootTextSize);
constexpr unsigned kRebootWaitMs = 3000;

constexpr size_t kKernelRecord = 1, kFilesysRecord = 2;

// Records rewritten in place, only when the image carries another version for this board:
// the minor byte is the board's variant (the boot loader's memory size), so only a record
// of the installed variant qualifies; the boot loader moves forward only.
struct InPlaceRule {
  size_t record;
  size_t partition;
  bool newer_only;
};
// In the order the plan tests them.
constexpr InPlaceRule kInPlace[] = {
    {0, kPartUboot, true},       // "bld", the 1024 MiB boot loader
    {6, kPartUboot, true},       // "bld2", the 2048 MiB boot loader
    {4, kPartBaseparam, false},  // "param"
    {5, kPartLogo, false},       // "jpg"
};

struct Plan {
  std::array<bool, kImageRecordCount> selected{};
  std::array<size_t, kImageRecordCount> partition{};
};

struct Result {
  const int code;
  const char* text;
};
constexpr Result kResultTexts[] = {
    {kUpdateDone, "update success!"},
    {kUpdateFailed, "update faild!"},
    {kUpdateVerifyFailed, "verify update firmware faild!"},
    {kUpdateBootTableFailed, "update ptb partition faild!"},
    {kUpdateBootLoaderFailed, "update bld partition faild!"},
    {kUpdateKernelFailed, "update kernel partition faild!"},
    {kUpdateFilesysFailed, "update filesys partition faild!"},
};

bool is_copy_digit(char c) {
  return c == '1' || c == '2';
}
char other_copy(char digit) {
  return digit == '1' ? '2' : '1';
}

// The copy digit after the first `mark` in a NUL-terminated field, or nullptr without the
// mark. The digit may be the terminator when the mark ends the text.
char* digit_after(char* text, const char* mark) {
  char* at = std::strstr(text, mark);
  return at == nullptr ? nullptr : at + std::strlen(mark);
}

// The filesystem copy the running kernel mounted: '1', '2', or 0 when the command line
// names none (a network root). False after a message when it cannot be read.
[[nodiscard]] bool running_filesystem(char* digit) {
  int fd = ::open(nvr_path(kProcCmdline).c_str(), O_RDONLY | O_CLOEXEC);
  std::string text(kProcCmdlineMax, '\0');
  ssize_t n = fd >= 0 ? read_full(fd, reinterpret_cast<uint8_t*>(text.data()), text.size()) : -1;
  if (fd >= 0) ::close(fd);
  if (n < 0) {
    std::perror("read /proc/cmdline");
    return false;
  }
  text.resize(static_cast<size_t>(n));
  size_t at = text.find(kFsMark);
  *digit = 0;
  if (at == std::string::npos) return true;
  at += std::strlen(kFsMark);
  if (at < text.size() && is_copy_digit(text[at])) *digit = text[at];
  return true;
}

void print_entry(const WritePlanEntry& e) {
  std::printf("Update %s partition:\n", e.name);
  std::printf("dev \t    = %s\n", e.device);
  std::printf("offset   = 0x%08X\n", e.offset);
  std::printf("size\t    = 0x%08X (%u K)\n", e.size, e.size / 1024);
  std::printf("addr\t    = 0x%08X\n", e.addr);
  std::printf("flag\t    = 0x%08X\n", e.flag);
  std::printf("date\t    = %d/%d/%d\n", date_year(e.date), date_month(e.date), date_day(e.date));
  std::printf("version = %u.%u.%u.%u\n", version_platform(e.version), version_major(e.version),
              version_minor(e.version), version_build(e.version));
  std::fflush(stdout);
}

// Which records go where. The kernel and filesystem go to the copies `target` names.
// kUpdateDone, or the result for a missing kernel or filesystem record.
int build_plan(const ImageHeader& header, const PartitionTable& table, char target, Plan* plan) {
  for (const InPlaceRule& rule : kInPlace) {
    const ImageRecord& r = header.records[rule.record];
    const uint32_t installed = table.records[rule.partition].version;
    if (!record_present(r) || version_minor(r.version) != version_minor(installed)) continue;
    if (rule.newer_only ? r.version > installed : r.version != installed) {
      plan->selected[rule.record] = true;
      plan->partition[rule.record] = rule.partition;
    }
  }
  const bool copy2 = target == '2';
  const struct {
    size_t record, partition;
    int missing;
  } copies[] = {
      {kFilesysRecord, copy2 ? kPartFs2 : kPartFs1, kUpdateFilesysFailed},
      {kKernelRecord, copy2 ? kPartKer2 : kPartKer1, kUpdateKernelFailed},
  };
  for (const auto& c : copies) {
    if (!record_present(header.records[c.record])) {
      std::fprintf(stderr, "No filesys image!\n");
      return c.missing;
    }
    plan->selected[c.record] = true;
    plan->partition[c.record] = c.partition;
  }
  return kUpdateDone;
}

// Writes one selected record: kUpdateDone or its failure result.
int write_entry(const char* path, size_t index, const WritePlanEntry& entry,
                const BootRecords& records) {
  if (index == 0 || index == 6)
    return spi_flash_write_file(path, entry, records) == 0 ? kUpdateDone : kUpdateBootLoaderFailed;
  if (nand_flash_write_file(path, entry, records) == 0) return kUpdateDone;
  if (index == kKernelRecord) return kUpdateKernelFailed;
  if (index == kFilesysRecord) return kUpdateFilesysFailed;
  std::fprintf(stderr, "nand_flash_write_file unkown parttition faild!\n");
  return kUpdateFailed;
}

// Sets a copy digit for set_env_boot: n = 1 or 2 selects, 0 toggles.
char chosen_digit(char current, unsigned long n) {
  return n == 0 ? other_copy(current) : static_cast<char>('0' + n);
}

// The wait before "reboot", so that the console shows the switch line. Tests shorten it
// with NVR_REBOOT_WAIT_MS; longer values are ignored.
void wait_before_reboot() {
  unsigned long ms = kRebootWaitMs;
  if (const char* text = std::getenv("NVR_REBOOT_WAIT_MS")) {
    char* end = nullptr;
    errno = 0;
    unsigned long v = std::strtoul(text, &end, 10);
    if (errno == 0 && end != text && *end == '\0') ms = std::min(ms, v);
  }
  timespec ts{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
  while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
  }
}

}  // namespace

const char* update_result_text(int result) {
  for (const Result& r : kResultTexts)
    if (r.code == result) return r.text;
  return "update faild!";
}

int UPFW_run_update(const char* path) {
  ImageHeader header;
  if (read_image_header(path, &header) != 0) {
    std::fprintf(stderr, "image_get_header_info faild!\n");
    return kUpdateFailed;
  }
  std::printf("Get old ptb information!\n");
  std::fflush(stdout);
  PartitionTable table;
  if (get_env_mtd_table(&table) != 0) {
    std::fprintf(stderr, "flprog_get_part_table faild!\n");
    return kUpdateBootTableFailed;
  }
  std::printf("Verify image %s \n", path);
  std::fflush(stdout);
  if (UPFW_verify(path) != 0) {
    std::fprintf(stderr, "Verify update firmware faild!\n");
    return kUpdateVerifyFailed;
  }
  std::printf("Get mtd device information!\n");
  std::fflush(stdout);
  std::array<MtdEntry, kPartitionCount> devices{};
  if (get_mtd_info(devices) != 0) {
    std::fprintf(stderr, "get_mtd_info faild!\n");
    return kUpdateBootTableFailed;
  }

  char* fs_digit = digit_after(table.bootargs, kFsMark);
  if (fs_digit == nullptr) {
    std::fprintf(stderr, "cmdline: %s \n", table.bootargs);
    std::fprintf(stderr, "bootargs not find fs, maybe NFS!\n");
    return kUpdateBootTableFailed;
  }
  if (!is_copy_digit(*fs_digit)) {
    std::fprintf(stderr, "unknow fs partition!\n");
    return kUpdateBootTableFailed;
  }
  std::printf("  current is fs%c \n", *fs_digit);
  char* ker_digit = digit_after(table.bootcmd, kKernelMark);
  if (ker_digit == nullptr) {
    std::fprintf(stderr, " bootcmd is null!\n");
    return kUpdateBootTableFailed;
  }
  if (!is_copy_digit(*ker_digit)) {
    std::fprintf(stderr, "  unknow bootcmd!\n");
    return kUpdateBootTableFailed;
  }
  std::printf("  current is ker%c \n", *ker_digit);
  std::fflush(stdout);
  // The kernel and filesystem go to the copies the environment does not boot, and the
  // kernel follows the filesystem: the pair written is the pair booted.
  const char target = other_copy(*fs_digit);
  char running = 0;
  if (!running_filesystem(&running)) return kUpdateBootTableFailed;
  if (running == target) {
    std::fprintf(stderr,
                 "fs%c is the running filesystem: reboot into the system the last update or "
                 "switch chose before updating again!\n",
                 running);
    return kUpdateBootTableFailed;
  }

  Plan plan;
  if (int result = build_plan(header, table, target, &plan); result != kUpdateDone) return result;
  const BootRecords records = env_boot_records();
  // Boot loader, kernel, filesystem, base parameters, logo, second boot loader.
  for (size_t i = 0; i < kImageRecordCount; ++i) {
    if (!plan.selected[i]) continue;
    WritePlanEntry entry{};
    std::memcpy(entry.device, devices[plan.partition[i]].device, sizeof entry.device);
    std::snprintf(entry.name, sizeof entry.name, "%s", g_part_str[plan.partition[i]]);
    fill_plan_entry(header.records[i], &entry);
    print_entry(entry);
    (void)clean_memory_and_sync();
    const int result = write_entry(path, i, entry, records);
    (void)clean_memory_and_sync();
    if (result != kUpdateDone) return result;
  }

  *fs_digit = target;
  *ker_digit = target;
  if (set_env_cmdline(table) != 0) {
    std::fprintf(stderr, "set_env_cmdline faild!\n");
    return kUpdateBootTableFailed;
  }
  std::printf("Update Success:\n");
  std::fflush(stdout);
  return kUpdateDone;
}

int set_env_boot(unsigned long n) {
  if (n > 2) {
    std::fprintf(stderr, "Unknown fs index, please choose 1 or 2\n");
    return -1;
  }
  PartitionTable table;
  if (get_env_mtd_table(&table) != 0) {
    std::fprintf(stderr, "get_env_mtd_table faild!\n");
    return -1;
  }
  char* ker_digit = digit_after(table.bootcmd, kKernelMark);
  if (ker_digit == nullptr || !is_copy_digit(*ker_digit)) {
    std::fprintf(stderr, "Can't find kernel partition!\n");
    return -1;
  }
  char* fs_digit = digit_after(table.bootargs, kFsMark);
  if (fs_digit == nullptr) {
    std::memcpy(table.bootargs, kDefaultBootargs, sizeof kDefaultBootargs);
    fs_digit = digit_after(table.bootargs, kFsMark);
  }
  if (!is_copy_digit(*fs_digit)) {
    std::fprintf(stderr, "unknow fs partition!\n");
    return -1;
  }
  *ker_digit = chosen_digit(*ker_digit, n);
  *fs_digit = chosen_digit(*fs_digit, n);
  std::printf("\tFilesys will switch to fs%c after reboot!\n", *fs_digit);
  std::fflush(stdout);
  return set_env_cmdline(table) == 0 ? 0 : -1;
}

int set_switch_filesys(unsigned long n) {
  // set_env_boot refuses an index above 2 with its message. Rebooting after a failed switch would
  // only restart the same system, hiding the failure.
  if (set_env_boot(n) != 0) return -1;
  wait_before_reboot();
  return upd_system("reboot") == 0 ? 0 : -1;
}
