// The emulated flash partition: chip rules, side file and injected faults (see
// flash_model.h).
#include "flash_model.h"

#include "sim_files.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <utility>
#include <vector>

namespace flashsim {

// What all handles on one backing file share inside a process, so that two opens of the
// same partition (the environment writer opens "/dev/mtd1" twice) see one bad-block
// table and one lock state.
struct DeviceState {
  std::string side_path;
  SideFile side;
  uint64_t operations = 0;  // mutating operations on this partition in this process
};

namespace {

using Key = std::pair<dev_t, ino_t>;
std::map<Key, std::weak_ptr<DeviceState>>& registry() {
  static std::map<Key, std::weak_ptr<DeviceState>> open_devices;
  return open_devices;
}

uint64_t g_process_operations = 0;  // mutating operations over every partition

// The side file's list keys, declared once for reading and writing.
struct ListKey {
  const char* name;
  std::set<uint64_t> SideFile::*member;
};
constexpr ListKey kListKeys[] = {
    {"bad", &SideFile::bad},
    {"locked", &SideFile::locked},
    {"erase_fail", &SideFile::erase_fail},
    {"program_fail", &SideFile::program_fail},
    {"bit_flip", &SideFile::bit_flip},
    {"grow_bad", &SideFile::grow_bad},
};

uint64_t env_power_cut() {
  const char* text = std::getenv("NVR_FLASH_POWER_CUT");
  uint64_t k = 0;
  if (text == nullptr || !parse_number(text, &k)) return 0;
  return k;
}

enum class Operation { kErase, kProgram, kMarkBad };

// Appends the operation to the trace file NVR_FLASH_TRACE names, when set: one line
// "PID PROCESS_OP PARTITION OPERATION PARTITION_OP". O_APPEND keeps the lines of several
// processes (the erase program runs as a child) whole; the file stays open while the
// variable names it, since a sweep traces tens of thousands of operations.
void trace(const DeviceState& state, Operation op) {
  static std::string open_path;
  static int fd = -1;
  const char* path = std::getenv("NVR_FLASH_TRACE");
  if (path == nullptr || *path == '\0') return;
  if (fd < 0 || open_path != path) {
    if (fd >= 0) ::close(fd);
    open_path = path;
    fd = ::open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0) return;
  }
  static constexpr const char* kNames[] = {"erase", "program", "mark_bad"};
  const std::string device =
      state.side_path.substr(0, state.side_path.size() - std::strlen(".flash"));
  const std::string text = std::to_string(::getpid()) + " " + std::to_string(g_process_operations) +
                           " " + device + " " + kNames[static_cast<int>(op)] + " " +
                           std::to_string(state.operations) + "\n";
  (void)write_full(fd, text.data(), text.size());
}

// Counts one mutating operation; true when it is the one a power cut tears.
[[nodiscard]] bool power_cut_due(DeviceState& state, Operation op) {
  ++state.operations;
  ++g_process_operations;
  trace(state, op);
  if (state.side.power_cut_after != 0 && state.operations == state.side.power_cut_after)
    return true;
  uint64_t k = env_power_cut();
  return k != 0 && g_process_operations == k;
}

// The lights go out: the torn operation has been stored; nothing else may run.
[[noreturn]] void power_cut(DeviceState& state) {
  if (state.side.power_cut_after != 0) {
    // One-shot, as a real cut: the next run of the board goes on normally.
    state.side.power_cut_after = 0;
    (void)save_side_file(state.side_path, state.side);
  }
  std::fprintf(stderr, "flashsim: power cut after %" PRIu64 " flash operations\n",
               g_process_operations);
  std::fflush(stderr);
  ::raise(kPowerCutSignal);
  ::_exit(128 + kPowerCutSignal);
}

[[nodiscard]] bool geometry_valid(const Geometry& g, std::string* error) {
  auto fail = [&](const char* why) {
    if (error != nullptr) *error = why;
    return false;
  };
  if (g.type != kNorFlash && g.type != kNandFlash) return fail("type must be 3 (NOR) or 4 (NAND)");
  if (g.erasesize == 0 || g.writesize == 0) return fail("erasesize and writesize must be set");
  if (g.erasesize % g.writesize != 0) return fail("erasesize must be a multiple of writesize");
  if (g.size == 0 || g.size % g.erasesize != 0)
    return fail("partition size must be a non-zero multiple of erasesize");
  if (g.size > UINT32_MAX) return fail("partition larger than 4 GiB");
  return true;
}

}  // namespace

std::string side_file_path(const std::string& device_path) {
  return device_path + ".flash";
}

bool load_side_file(const std::string& path, SideFile* out, std::string* error) {
  std::string text;
  if (!read_small_file(path, &text)) {
    if (error != nullptr) *error = "cannot read " + path;
    return false;
  }
  SideFile side;
  size_t pos = 0;
  int line_no = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    pos = end + 1;
    ++line_no;
    if (size_t hash = line.find('#'); hash != std::string::npos) line.erase(hash);
    char key[32], value[32], extra[2];
    int fields = std::sscanf(line.c_str(), "%31s %31s %1s", key, value, extra);
    if (fields <= 0) continue;
    uint64_t number = 0;
    if (fields != 2 || !parse_number(value, &number)) {
      if (error != nullptr)
        *error = path + ":" + std::to_string(line_no) + ": expected 'key number'";
      return false;
    }
    std::string_view k(key);
    bool known = true;
    if (k == "type") {
      side.geometry.type = static_cast<uint8_t>(number > 255 ? 0 : number);
    } else if (k == "erasesize" || k == "writesize" || k == "oobsize") {
      if (number > UINT32_MAX) known = false;
      uint32_t v = static_cast<uint32_t>(number);
      if (k == "erasesize") side.geometry.erasesize = v;
      if (k == "writesize") side.geometry.writesize = v;
      if (k == "oobsize") side.geometry.oobsize = v;
    } else if (k == "eraseall_fail") {
      side.eraseall_fail = number != 0;
    } else if (k == "power_cut_after") {
      side.power_cut_after = number;
    } else {
      known = false;
      for (const ListKey& list : kListKeys)
        if (k == list.name) {
          (side.*list.member).insert(number);
          known = true;
        }
    }
    if (!known) {
      if (error != nullptr)
        *error = path + ":" + std::to_string(line_no) + ": unknown setting " + key;
      return false;
    }
  }
  *out = side;
  return true;
}

bool save_side_file(const std::string& path, const SideFile& side) {
  std::string text = "# Flash emulation settings of the partition beside this file.\n";
  auto line = [&text](const char* key, uint64_t value) {
    text += key;
    text += ' ';
    text += std::to_string(value);
    text += '\n';
  };
  line("type", side.geometry.type);
  line("erasesize", side.geometry.erasesize);
  line("writesize", side.geometry.writesize);
  line("oobsize", side.geometry.oobsize);
  for (const ListKey& list : kListKeys)
    for (uint64_t v : side.*list.member) line(list.name, v);
  if (side.eraseall_fail) line("eraseall_fail", 1);
  if (side.power_cut_after != 0) line("power_cut_after", side.power_cut_after);

  return write_file_atomic(path, text);
}

FlashDevice::FlashDevice(int fd, bool writable, std::shared_ptr<DeviceState> state)
    : fd_(fd), writable_(writable), state_(std::move(state)) {}

FlashDevice::~FlashDevice() {
  if (fd_ >= 0) ::close(fd_);
}

const Geometry& FlashDevice::geometry() const {
  return state_->side.geometry;
}
const SideFile& FlashDevice::side() const {
  return state_->side;
}

std::unique_ptr<FlashDevice> FlashDevice::open(const std::string& path, int flags,
                                               std::string* error) {
  // O_NONBLOCK: opening a FIFO planted in place of the partition must not hang.
  int fd =
      ::open(path.c_str(), (flags & (O_ACCMODE | O_SYNC)) | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    // A symbolic link in place of the partition could lead to a host device.
    if (errno == ELOOP) errno = ENODEV;
    return nullptr;
  }
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    if (error != nullptr) *error = path + " is not a regular file";
    errno = ENODEV;
    return nullptr;
  }
  Key key{st.st_dev, st.st_ino};
  std::shared_ptr<DeviceState> state = registry()[key].lock();
  if (!state) {
    state = std::make_shared<DeviceState>();
    state->side_path = side_file_path(path);
    std::string why;
    if (!load_side_file(state->side_path, &state->side, &why)) {
      ::close(fd);
      if (error != nullptr) *error = why;
      errno = EINVAL;
      return nullptr;
    }
    state->side.geometry.size = static_cast<uint64_t>(st.st_size);
    if (!geometry_valid(state->side.geometry, &why)) {
      ::close(fd);
      if (error != nullptr) *error = state->side_path + ": " + why;
      errno = EINVAL;
      return nullptr;
    }
    registry()[key] = state;
  }
  int mode = flags & O_ACCMODE;
  return std::unique_ptr<FlashDevice>(
      new FlashDevice(fd, mode == O_RDWR || mode == O_WRONLY, std::move(state)));
}

bool FlashDevice::writable_or_errno() const {
  if (!writable_) errno = EBADF;
  return writable_;
}

int FlashDevice::erase(uint64_t start, uint64_t length) {
  if (!writable_or_errno()) return -1;
  const Geometry& g = geometry();
  if (length == 0 || start % g.erasesize != 0 || length % g.erasesize != 0 || start > g.size ||
      length > g.size - start) {
    errno = EINVAL;
    return -1;
  }
  SideFile& side = state_->side;
  std::vector<uint8_t> erased(g.erasesize, 0xFF);
  for (uint64_t at = start; at < start + length; at += g.erasesize) {
    uint64_t block = at / g.erasesize;
    if (g.type == kNandFlash && side.bad.count(block) != 0) {
      errno = EIO;
      return -1;
    }
    if (g.type == kNorFlash && side.locked.count(block) != 0) {
      errno = EPERM;
      return -1;
    }
    if (side.erase_fail.count(block) != 0) {
      errno = EIO;
      return -1;
    }
    if (power_cut_due(*state_, Operation::kErase)) {
      (void)pwrite_full(fd_, erased.data(), g.erasesize / 2, at);
      power_cut(*state_);
    }
    if (!pwrite_full(fd_, erased.data(), erased.size(), at)) {
      errno = EIO;
      return -1;
    }
  }
  return 0;
}

ssize_t FlashDevice::program(const void* data, size_t count, uint64_t offset) {
  if (!writable_or_errno()) return -1;
  const Geometry& g = geometry();
  if (offset >= g.size) {
    errno = ENOSPC;
    return -1;
  }
  if (count > g.size - offset) count = static_cast<size_t>(g.size - offset);
  if (g.type == kNandFlash && (offset % g.writesize != 0 || count % g.writesize != 0)) {
    errno = EINVAL;
    return -1;
  }
  if (count == 0) return 0;
  SideFile& side = state_->side;
  const auto* src = static_cast<const uint8_t*>(data);
  // NAND programs page by page; a NOR write call is one operation.
  const size_t unit = g.type == kNandFlash ? g.writesize : count;
  std::vector<uint8_t> cells(unit);
  for (size_t done = 0; done < count; done += unit) {
    const uint64_t at = offset + done;
    const uint64_t first_block = at / g.erasesize, last_block = (at + unit - 1) / g.erasesize;
    const uint64_t first_page = at / g.writesize, last_page = (at + unit - 1) / g.writesize;
    auto any_in = [](const std::set<uint64_t>& set, uint64_t lo, uint64_t hi) {
      auto it = set.lower_bound(lo);
      return it != set.end() && *it <= hi;
    };
    if (g.type == kNandFlash && any_in(side.bad, first_block, last_block)) {
      errno = EIO;
      return -1;
    }
    if (g.type == kNorFlash && any_in(side.locked, first_block, last_block)) {
      errno = EPERM;
      return -1;
    }
    if (any_in(side.program_fail, first_page, last_page)) {
      errno = EIO;
      return -1;
    }
    if (!pread_full(fd_, cells.data(), unit, at)) {
      errno = EIO;
      return -1;
    }
    // Programming can only clear bits.
    for (size_t i = 0; i < unit; ++i) cells[i] &= src[done + i];
    if (power_cut_due(*state_, Operation::kProgram)) {
      (void)pwrite_full(fd_, cells.data(), unit / 2, at);
      power_cut(*state_);
    }
    if (g.type == kNandFlash && side.grow_bad.count(first_block) != 0) {
      // The block wears out under this program: nothing sticks and it is bad from now on.
      side.grow_bad.erase(first_block);
      side.bad.insert(first_block);
      (void)save_side_file(state_->side_path, side);
      continue;
    }
    for (auto it = side.bit_flip.lower_bound(first_page);
         it != side.bit_flip.end() && *it <= last_page; ++it)
      cells[static_cast<size_t>(*it * g.writesize - at)] ^= 0x01;
    if (!pwrite_full(fd_, cells.data(), unit, at)) {
      errno = EIO;
      return -1;
    }
  }
  return static_cast<ssize_t>(count);
}

ssize_t FlashDevice::read(void* data, size_t count, uint64_t offset) {
  const Geometry& g = geometry();
  if (offset >= g.size) return 0;
  if (count > g.size - offset) count = static_cast<size_t>(g.size - offset);
  if (!pread_full(fd_, static_cast<uint8_t*>(data), count, offset)) {
    errno = EIO;
    return -1;
  }
  return static_cast<ssize_t>(count);
}

int FlashDevice::is_bad(uint64_t offset) {
  const Geometry& g = geometry();
  if (offset >= g.size) {
    errno = EINVAL;
    return -1;
  }
  if (g.type != kNandFlash) return 0;
  return state_->side.bad.count(offset / g.erasesize) != 0 ? 1 : 0;
}

int FlashDevice::mark_bad(uint64_t offset) {
  const Geometry& g = geometry();
  if (g.type != kNandFlash) {
    errno = EOPNOTSUPP;
    return -1;
  }
  if (offset >= g.size) {
    errno = EINVAL;
    return -1;
  }
  if (power_cut_due(*state_, Operation::kMarkBad)) power_cut(*state_);
  state_->side.bad.insert(offset / g.erasesize);
  if (!save_side_file(state_->side_path, state_->side)) {
    errno = EIO;
    return -1;
  }
  return 0;
}

int FlashDevice::set_locked(uint64_t start, uint64_t length, bool locked) {
  const Geometry& g = geometry();
  if (g.type != kNorFlash) {
    errno = EOPNOTSUPP;
    return -1;
  }
  if (length == 0 || start % g.erasesize != 0 || length % g.erasesize != 0 || start > g.size ||
      length > g.size - start) {
    errno = EINVAL;
    return -1;
  }
  for (uint64_t block = start / g.erasesize; block < (start + length) / g.erasesize; ++block) {
    if (locked)
      state_->side.locked.insert(block);
    else
      state_->side.locked.erase(block);
  }
  if (!save_side_file(state_->side_path, state_->side)) {
    errno = EIO;
    return -1;
  }
  return 0;
}

void reset_operation_count() {
  g_process_operations = 0;
}

int erase_all(const std::string& path) {
  std::string why;
  std::unique_ptr<FlashDevice> dev = FlashDevice::open(path, O_RDWR, &why);
  if (!dev) {
    std::fprintf(stderr, "flash_eraseall: %s: %s\n", path.c_str(),
                 why.empty() ? std::strerror(errno) : why.c_str());
    return -1;
  }
  if (dev->side().eraseall_fail) {
    std::fprintf(stderr, "flash_eraseall: %s: erase failed (injected)\n", path.c_str());
    return -1;
  }
  const Geometry& g = dev->geometry();
  uint64_t erased = 0, skipped = 0;
  for (uint64_t at = 0; at < g.size; at += g.erasesize) {
    if (dev->is_bad(at) == 1) {
      std::printf("Skipping bad block at 0x%08" PRIx64 "\n", at);
      ++skipped;
      continue;
    }
    if (dev->erase(at, g.erasesize) != 0) {
      std::fprintf(stderr, "flash_eraseall: %s: erase of block at 0x%08" PRIx64 " failed: %s\n",
                   path.c_str(), at, std::strerror(errno));
      return -1;
    }
    ++erased;
  }
  std::printf("Erased %" PRIu64 " blocks of %s, skipped %" PRIu64 " bad\n", erased, path.c_str(),
              skipped);
  return 0;
}

}  // namespace flashsim
