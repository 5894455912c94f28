// A factory-fresh emulated recorder laid out under a folder, used as NVR_ROOT afterwards:
// the eleven flash partitions as "/dev/mtd0" to "/dev/mtd10" with their side files,
// "/proc/mtd" and "/proc/cmdline", a valid redundant boot environment on "/dev/mtd1",
// the stand-ins of the programs the tools run, and the board settings.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "board.h"

namespace flashsim {

struct PartitionLayout {
  std::string name;  // partition name, as in "/proc/mtd"
  uint8_t type;      // kNorFlash or kNandFlash
  uint32_t size;     // bytes
  uint32_t erasesize;
  uint32_t writesize;
  uint32_t oobsize;
  uint32_t content_size;  // bytes of installed content at the start (0: none)
  uint32_t version;       // version in the partition's environment record
};

struct LayoutOptions {
  bool small = false;  // a layout of a few MiB for tests instead of the board's sizes
  int running = 1;     // the kernel and filesystem copy the environment boots, 1 or 2
  std::map<std::string, uint32_t> versions;  // record versions to use instead of the defaults
  BoardSettings board = {"model: NVR-3798", true, 0x004D, true, 0x00};
  std::string tool_path;  // absolute path of flashsim, which the stand-in programs run
};

// The partitions of the layout, index = mtd number.
std::vector<PartitionLayout> recorder_partitions(const LayoutOptions& options);

// The text of "/proc/mtd" for a partition list, in the kernel's format.
std::string proc_mtd_text(const std::vector<PartitionLayout>& parts);

// The kernel command line of the layout ("bootargs" and "/proc/cmdline").
std::string layout_bootargs(int running);

// What the board does when it starts again: the boot loader picks the environment copy of
// "/dev/mtd1" by its rule and passes that copy's "bootargs" to the kernel, so
// "/proc/cmdline" under `root` takes it. False, leaving "/proc/cmdline" as it was, when
// no copy is valid or the chosen one has no "bootargs" (the board would not boot from
// flash); the reason in `error`.
[[nodiscard]] bool boot_recorder(const std::string& root, std::string* error);

// Lays out the recorder under `dir` (created when missing). Refuses a folder that is
// the host's "/" or whose subfolders lead elsewhere through symbolic links. False with
// a one-line reason in `error`.
[[nodiscard]] bool create_recorder(const std::string& dir, const LayoutOptions& options,
                                   std::string* error);

}  // namespace flashsim
