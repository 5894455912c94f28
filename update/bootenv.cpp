// The boot environment store on flash (see bootenv.h): loading and choosing a copy,
// reading and writing copies on NOR and NAND, the variable calls and the boot variables
// the command line sets.
#include "bootenv.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "mtd.h"
#include "nvr_root.h"

namespace {

// Where the copies lie. The boot loader has the same table built in, so it is fixed.
struct EnvDevice {
  const char* path;
  uint32_t offset;
  uint32_t env_size;
  uint32_t block_size;  // the erase unit of a copy
  uint32_t blocks;      // units in the copy's range
};
constexpr EnvDevice kEnvDevices[2] = {
    {"/dev/mtd1", 0x00000, kEnvSize, 0x10000, 1},
    {"/dev/mtd1", 0x10000, kEnvSize, 0x10000, 1},
};
// Each copy starts a unit and fills its range: a NAND copy has no spare unit, so a bad
// block in its range retires that copy.
static_assert(kEnvDevices[0].offset % kEnvDevices[0].block_size == 0 &&
              kEnvDevices[1].offset % kEnvDevices[1].block_size == 0 &&
              kEnvDevices[0].blocks * kEnvDevices[0].block_size == kEnvSize &&
              kEnvDevices[1].blocks * kEnvDevices[1].block_size == kEnvSize);

struct Store {
  std::unique_ptr<EnvBlock> block;  // the chosen copy; null when not loaded
  int current = 0;                  // its index
};
Store g_env;

const char* error_text() {
  return std::strerror(errno);
}

// An open MTD device that is closed on every path; close() reports a failing close.
class MtdHandle {
 public:
  MtdHandle(const char* path, int flags) : path_(path), fd_(mtd_open(path, flags)) {
    if (fd_ < 0) std::fprintf(stderr, "Can't open %s: %s\n", path, error_text());
  }
  ~MtdHandle() {
    if (fd_ >= 0) (void)mtd_close(fd_);
  }
  MtdHandle(const MtdHandle&) = delete;
  MtdHandle& operator=(const MtdHandle&) = delete;

  bool is_open() const { return fd_ >= 0; }
  int fd() const { return fd_; }
  const char* path() const { return path_; }
  [[nodiscard]] bool close() {
    int fd = fd_;
    fd_ = -1;
    if (mtd_close(fd) == 0) return true;
    std::fprintf(stderr, "I/O error on %s: %s\n", path_, error_text());
    return false;
  }

 private:
  const char* path_;
  int fd_;
};

// The device's geometry, for NOR and NAND only.
[[nodiscard]] bool device_info(const MtdHandle& dev, MtdInfo* info) {
  if (mtd_get_info(dev.fd(), info) != 0) {
    std::perror("Cannot get MTD information");
    return false;
  }
  if (info->type != kMtdNorFlash && info->type != kMtdNandFlash) {
    std::fprintf(stderr, "Unsupported flash type %u\n", static_cast<unsigned>(info->type));
    return false;
  }
  return true;
}

// The offsets of the units of a copy's range that hold its data: on NAND the first good
// ones (a unit with any bad erase block in it is skipped), on NOR the first ones. Fails
// when a bad-block query fails or too few good units are left.
[[nodiscard]] bool data_units(const MtdHandle& dev, const MtdInfo& info, const EnvDevice& copy,
                              std::vector<uint64_t>* units, const char* too_few) {
  const uint64_t needed = copy.env_size / copy.block_size;
  const uint64_t step = info.erasesize != 0 ? info.erasesize : copy.block_size;
  units->clear();
  for (uint64_t n = 0; n < copy.blocks && units->size() < needed; ++n) {
    const uint64_t at = copy.offset + n * copy.block_size;
    bool bad = false;
    if (info.type == kMtdNandFlash) {
      for (uint64_t b = at - at % step; !bad && b < at + copy.block_size; b += step) {
        int r = mtd_get_bad_block(dev.fd(), static_cast<int64_t>(b));
        if (r < 0) {
          std::perror("Cannot read bad block mark");
          return false;
        }
        bad = r > 0;
      }
    }
    if (!bad) units->push_back(at);
  }
  if (units->size() < needed) {
    std::fputs(too_few, stderr);
    return false;
  }
  return true;
}

// Reads a copy's bytes from its units into `image` (env_size bytes).
[[nodiscard]] bool read_units(const MtdHandle& dev, const EnvDevice& copy,
                              const std::vector<uint64_t>& units, std::vector<uint8_t>* image) {
  image->assign(copy.env_size, 0);
  for (size_t i = 0; i < units.size(); ++i) {
    const size_t at = i * copy.block_size;
    ssize_t n =
        mtd_pread(dev.fd(), image->data() + at, copy.block_size, static_cast<off_t>(units[i]));
    if (n != static_cast<ssize_t>(copy.block_size)) {
      if (n >= 0) errno = EIO;
      std::fprintf(stderr, "Read error on %s: %s\n", dev.path(), error_text());
      return false;
    }
  }
  return true;
}

// Reads copy `index` into `block`. False after a message when it cannot be read whole.
[[nodiscard]] bool read_copy(int index, EnvBlock* block, uint8_t* type) {
  const EnvDevice& copy = kEnvDevices[index];
  MtdHandle dev(copy.path, O_RDONLY);
  if (!dev.is_open()) return false;
  MtdInfo info;
  std::vector<uint64_t> units;
  std::vector<uint8_t> image;
  if (!device_info(dev, &info) ||
      !data_units(dev, info, copy, &units, "Too few good blocks within range\n") ||
      !read_units(dev, copy, units, &image) || !dev.close())
    return false;
  *type = info.type;
  std::memcpy(block, image.data(), sizeof *block);
  return true;
}

// Whether a copy can be rewritten on this device without touching the other one.
[[nodiscard]] bool geometry_writable(const MtdHandle& dev, const MtdInfo& info,
                                     const EnvDevice& copy) {
  if (info.erasesize > copy.block_size) {
    std::fprintf(stderr,
                 "Refusing to write %s: its %u-byte erase blocks hold both %u-byte environment "
                 "copies, erasing one would erase the other\n",
                 dev.path(), info.erasesize, copy.env_size);
    return false;
  }
  if (info.erasesize == 0 || copy.block_size % info.erasesize != 0) {
    std::fprintf(stderr, "Refusing to write %s: its %u-byte erase blocks do not divide a copy\n",
                 dev.path(), info.erasesize);
    return false;
  }
  return true;
}

// Erases and programs one unit (NAND) or the whole range (NOR), unlocking it first and
// locking it again. NAND answers the lock calls with EOPNOTSUPP, which is ignored.
[[nodiscard]] bool program_range(const MtdHandle& dev, uint64_t at, uint32_t length,
                                 const uint8_t* data) {
  const auto start = static_cast<uint32_t>(at);
  (void)mtd_unlock(dev.fd(), start, length);
  bool ok = false;
  if (mtd_erase(dev.fd(), start, length) != 0) {
    std::fprintf(stderr, "MTD erase error on %s: %s\n", dev.path(), error_text());
  } else if (mtd_seek(dev.fd(), static_cast<off_t>(at), SEEK_SET) != static_cast<off_t>(at)) {
    std::fprintf(stderr, "Seek error on %s: %s\n", dev.path(), error_text());
  } else if (ssize_t n = mtd_write(dev.fd(), data, length); n != static_cast<ssize_t>(length)) {
    if (n >= 0) errno = EIO;
    std::fprintf(stderr, "Write error on %s: %s\n", dev.path(), error_text());
  } else {
    ok = true;
  }
  (void)mtd_lock(dev.fd(), start, length);
  return ok;
}

// What writing one copy needs, found out before anything is erased.
struct CopyPlan {
  const EnvDevice* copy;
  MtdInfo info;
  std::vector<uint64_t> units;
};

[[nodiscard]] bool plan_copy(const MtdHandle& dev, int index, CopyPlan* plan) {
  plan->copy = &kEnvDevices[index];
  return device_info(dev, &plan->info) && geometry_writable(dev, plan->info, *plan->copy) &&
         data_units(dev, plan->info, *plan->copy, &plan->units, "End of range reached, aborting\n");
}

// Writes `block` as one copy and reads it back: only a copy proven on flash may let the
// writer go on to erase the other one.
[[nodiscard]] bool write_copy(const MtdHandle& dev, const CopyPlan& plan, const EnvBlock& block) {
  const EnvDevice& copy = *plan.copy;
  std::vector<uint8_t> image(copy.env_size);
  std::memcpy(image.data(), &block, sizeof block);
  if (plan.info.type == kMtdNorFlash) {
    if (!program_range(dev, copy.offset, copy.blocks * copy.block_size, image.data())) return false;
  } else {
    for (size_t i = 0; i < plan.units.size(); ++i)
      if (!program_range(dev, plan.units[i], copy.block_size, image.data() + i * copy.block_size))
        return false;
  }
  std::vector<uint8_t> back;
  if (!read_units(dev, copy, plan.units, &back)) return false;
  if (back != image) {
    std::fprintf(stderr, "Verify error on %s: the copy at 0x%05x reads back different\n",
                 dev.path(), copy.offset);
    return false;
  }
  return true;
}

// Writes the environment in memory to both copies: the other copy first, then the current
// one, each one generation further. False after a message.
[[nodiscard]] bool write_environment() {
  const int current = g_env.current, other = 1 - current;
  MtdHandle current_dev(kEnvDevices[current].path, O_RDWR);
  MtdHandle other_dev(kEnvDevices[other].path, O_RDWR);
  if (!current_dev.is_open() || !other_dev.is_open()) return false;
  CopyPlan plans[2];
  if (!plan_copy(other_dev, other, &plans[other]) ||
      !plan_copy(current_dev, current, &plans[current]))
    return false;
  EnvBlock& block = *g_env.block;
  for (int index : {other, current}) {
    ++block.generation;
    env_seal(&block);
    if (!write_copy(index == current ? current_dev : other_dev, plans[index], block)) return false;
  }
  bool closed = other_dev.close();
  return current_dev.close() && closed;
}

// The list of the loaded environment, or nullopt after a message.
std::optional<std::vector<std::string_view>> loaded_entries() {
  if (!g_env.block) {
    std::fprintf(stderr, "Error: environment not loaded\n");
    return std::nullopt;
  }
  auto entries = env_entries(*g_env.block);
  if (!entries) std::fprintf(stderr, "## Error: environment not terminated\n");
  return entries;
}

}  // namespace

int env_init() {
  env_deinit();
  for (const EnvDevice& copy : kEnvDevices) {
    struct stat st;
    if (stat(nvr_path(copy.path).c_str(), &st) != 0) {
      std::fprintf(stderr, "Cannot access MTD device %s: %s\n", copy.path, error_text());
      return -1;
    }
  }
  std::unique_ptr<EnvBlock> copies[2];
  bool readable[2] = {}, valid[2] = {};
  uint8_t type[2] = {};
  for (int i = 0; i < 2; ++i) {
    copies[i].reset(new (std::nothrow) EnvBlock());
    if (!copies[i]) {
      std::fprintf(stderr, "Not enough memory for environment (%ld bytes)\n",
                   static_cast<long>(kEnvSize));
      return -1;
    }
    // An unreadable copy is treated as one with a bad checksum.
    readable[i] = read_copy(i, copies[i].get(), &type[i]);
    valid[i] = readable[i] && env_crc_ok(*copies[i]);
  }
  if (!readable[0] && !readable[1]) return -1;
  if (readable[0] && readable[1] && type[0] != type[1]) {
    std::fprintf(stderr, "Incompatible flash types!\n");
    return -1;
  }
  switch (env_choose_copy(valid[0], copies[0]->generation, valid[1], copies[1]->generation)) {
    case EnvChoice::kCopy0:
      g_env.current = 0;
      break;
    case EnvChoice::kCopy1:
      g_env.current = 1;
      break;
    case EnvChoice::kDefault:
      std::fprintf(stderr, "Warning: Bad CRC, using default environment\n");
      env_put_default(copies[0].get());
      g_env.current = 0;
      break;
  }
  g_env.block = std::move(copies[g_env.current]);
  return 0;
}

int env_deinit() {
  g_env.block.reset();
  g_env.current = 0;
  return 0;
}

std::optional<std::string> hs_getenv(const char* name) {
  if (name == nullptr || !g_env.block) return std::nullopt;
  auto entries = loaded_entries();
  if (!entries) return std::nullopt;
  std::optional<std::string_view> value = env_find(*entries, name);
  if (!value) return std::nullopt;
  return std::string(*value);
}

int hs_setenv(const char* name, const char* value) {
  if (name == nullptr || value == nullptr) {
    errno = EINVAL;
    return -1;
  }
  const EnvChange change{name, std::string_view(value)};
  return hs_setenv_batch({&change, 1});
}

int hs_setenv_batch(std::span<const EnvChange> changes) {
  if (!g_env.block) {
    std::fprintf(stderr, "Error: environment not loaded\n");
    errno = EINVAL;
    return -1;
  }
  size_t failed = 0;
  switch (env_apply(g_env.block.get(), changes, &failed)) {
    case EnvEdit::kDone:
      break;
    case EnvEdit::kNotTerminated:
      std::fprintf(stderr, "## Error: environment not terminated\n");
      errno = EINVAL;
      return -1;
    case EnvEdit::kBadName:
      std::fprintf(stderr, "## Error: illegal variable name \"%.*s\"\n",
                   static_cast<int>(changes[failed].name.size()), changes[failed].name.data());
      errno = EINVAL;
      return -1;
    case EnvEdit::kOverflow:
      std::fprintf(stderr, "Error: environment overflow, \"%.*s\" deleted\n",
                   static_cast<int>(changes[failed].name.size()), changes[failed].name.data());
      errno = ENOSPC;
      return -1;
  }
  if (!write_environment()) {
    std::fprintf(stderr, "Error: can't write fw_env to flash\n");
    return -1;
  }
  return 0;
}

int hs_printenv() {
  auto entries = loaded_entries();
  if (!entries) return -1;
  for (std::string_view e : *entries) std::printf("%.*s\n", static_cast<int>(e.size()), e.data());
  return 0;
}

std::optional<std::string> fw_getenv(const char* name) {
  if (env_init() != 0) return std::nullopt;
  return hs_getenv(name);
}

int fw_printenv(int argc, char** argv) {
  if (env_init() != 0) return -1;
  if (argc < 2) return hs_printenv();
  const bool value_only = std::strcmp(argv[1], "-n") == 0;
  if (value_only && argc != 3) {
    std::fprintf(stderr, "## Error: `-n' option requires exactly one argument\n");
    return -1;
  }
  int result = 0;
  for (int i = value_only ? 2 : 1; i < argc; ++i) {
    std::optional<std::string> value = hs_getenv(argv[i]);
    if (!value) {
      std::fprintf(stderr, "## Error: \"%s\" not defined\n", argv[i]);
      result = -1;
    } else if (value_only) {
      std::printf("%s\n", value->c_str());
    } else {
      std::printf("%s=%s\n", argv[i], value->c_str());
    }
  }
  return result;
}

int fw_setenv(int argc, char** argv) {
  if (env_init() != 0) return -1;
  if (argc < 2) {
    errno = EINVAL;
    return -1;
  }
  const char* name = argv[1];
  // The board's serial number is set once, at the factory.
  if (std::strcmp(name, "serial#") == 0 && hs_getenv(name)) {
    std::fprintf(stderr, "Can't overwrite \"%s\"\n", name);
    errno = EROFS;
    return -1;
  }
  EnvChange change{name, std::nullopt};
  std::string value;
  if (argc > 2) {
    for (int i = 2; i < argc; ++i) {
      if (i > 2) value += ' ';
      value += argv[i];
    }
    change.value = value;
  }
  return hs_setenv_batch({&change, 1});
}

int dv_env_init() {
  return env_init();
}
int dv_env_deinit() {
  return env_deinit();
}
std::optional<std::string> dv_getenv(const char* name) {
  return hs_getenv(name);
}
int dv_setenv(const char* name, const char* value) {
  return hs_setenv(name, value) == 0 ? 0 : -1;
}

int set_boot_state(unsigned long state) {
  std::optional<std::string> value = hs_getenv("bootState");
  if (!value) return 0;
  if (state != 0 && value->find("None") != std::string::npos) return hs_setenv("bootState", "Done");
  if (state == 0 && value->find("Done") != std::string::npos) return hs_setenv("bootState", "None");
  return 0;
}

int set_ptb_sn(const char* text) {
  return hs_setenv("sn", text);
}
int set_ptb_cmdline(const char* text) {
  return hs_setenv("bootargs", text);
}
int set_ptb_pri_file(const char* text) {
  return hs_setenv("bootfile", text);
}
int set_ptb_tftpd_ip(const char* text) {
  return hs_setenv("serverip", text);
}
int set_ptb_eth_mac(const char* text) {
  return hs_setenv("ethaddr", text);
}
int set_ptb_eth_ip(const char* text) {
  return hs_setenv("ipaddr", text);
}
int set_ptb_eth_netmask(const char* text) {
  return hs_setenv("netmask", text);
}
int set_ptb_eth_gateway(const char* text) {
  return hs_setenv("gateway", text);
}
int set_ptb_wifi_mac(const char* text) {
  return hs_setenv("wifimac", text);
}
int set_ptb_wifi_ip(const char* text) {
  return hs_setenv("wifiip", text);
}
int set_ptb_wifi_netmask(const char* text) {
  return hs_setenv("wifinm", text);
}
int set_ptb_wifi_gateway(const char* text) {
  return hs_setenv("wifigw", text);
}

int set_ptb_bootdelay(unsigned long delay) {
  return hs_setenv("bootdelay", std::to_string(delay & 0xFF).c_str());
}

int set_ptb_autoboot(unsigned long) {
  return 0;
}
int set_ptb_autodownload(unsigned long) {
  return 0;
}
int set_ptb_pri_addr(unsigned long) {
  return 0;
}
