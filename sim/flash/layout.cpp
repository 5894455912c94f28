// Lays out a factory-fresh emulated recorder (see layout.h).
#include "layout.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

#include "env_block.h"
#include "flash_model.h"
#include "partition_record.h"
#include "sim_files.h"
#include "version.h"

namespace flashsim {

namespace {

constexpr uint32_t KiB = 1024, MiB = 1024 * 1024;

// The boot loader and its environment sit on the SPI NOR chip, the rest on NAND.
constexpr uint32_t kNorErase = 64 * KiB;
constexpr uint32_t kNandErase = 128 * KiB, kNandPage = 2048, kNandOob = 64;

struct PartitionDefault {
  const char* name;
  uint8_t type;
  uint32_t size, small_size;
  uint32_t content, small_content;
  uint32_t version;
};

// Index = mtd number; the order of the boot environment's partition records.
constexpr PartitionDefault kPartitions[] = {
    {"uboot", kNorFlash, 1 * MiB, 512 * KiB, 512 * KiB, 256 * KiB, 0x48010119},
    {"env", kNorFlash, 128 * KiB, 128 * KiB, 0, 0, 0},
    {"baseparam", kNandFlash, 1 * MiB, 256 * KiB, 128 * KiB, 8 * KiB, 0x48010001},
    {"logo", kNandFlash, 2 * MiB, 256 * KiB, 256 * KiB, 16 * KiB, 0x48010002},
    {"ker1", kNandFlash, 8 * MiB, 1 * MiB, 4 * MiB, 256 * KiB, 0x48010009},
    {"ker2", kNandFlash, 8 * MiB, 1 * MiB, 4 * MiB, 256 * KiB, 0x48010009},
    {"fs1", kNandFlash, 64 * MiB, 2 * MiB, 40 * MiB, 1 * MiB, 0x48090012},
    {"fs2", kNandFlash, 64 * MiB, 2 * MiB, 40 * MiB, 1 * MiB, 0x48090012},
    {"cfg", kNandFlash, 8 * MiB, 256 * KiB, 0, 0, 0},
    {"oem", kNandFlash, 4 * MiB, 256 * KiB, 0, 0, 0},
    {"rsd", kNandFlash, 16 * MiB, 256 * KiB, 0, 0, 0},
};
constexpr uint32_t kRecordDate = 0x07E70801;  // 2023/8/1

uint32_t version_of(const LayoutOptions& options, const PartitionDefault& p) {
  auto it = options.versions.find(p.name);
  return it == options.versions.end() ? p.version : it->second;
}

std::vector<std::string> environment_variables(const std::vector<PartitionLayout>& parts,
                                               int running) {
  std::vector<std::string> vars = {
      "bootargs=" + layout_bootargs(running),
      "bootcmd=nand read 0x1000000 ker" + std::to_string(running) + " 0x800000;bootm 0x1000000",
      "bootdelay=1",
      "baudrate=115200",
      "ethaddr=02:00:00:00:00:01",
      "ipaddr=192.168.1.10",
      "serverip=192.168.1.2",
      "netmask=255.255.255.0",
      "gateway=192.168.1.1",
      "bootfile=uImage",
      "sn=EMU0000000001",
      "bootState=Done",
      "ver=" + version_text(parts[0].version),
  };
  for (const PartitionLayout& p : parts) {
    PartitionRecord record{};
    std::snprintf(record.name, sizeof record.name, "%s", p.name.c_str());
    record.size = p.content_size != 0 ? p.content_size : p.size;
    record.version = p.version;
    record.date = kRecordDate;
    vars.push_back(p.name + "=" + format_partition_record(record));
  }
  return vars;
}

// One copy of the environment, encoded as update encodes it.
[[nodiscard]] bool environment_copy(const std::vector<std::string>& vars, uint8_t generation,
                                    std::vector<uint8_t>* out) {
  auto block = std::make_unique<EnvBlock>();
  if (!env_encode(vars, block.get())) return false;
  block->generation = generation;
  env_seal(block.get());
  const size_t at = out->size();
  out->resize(at + sizeof *block);
  std::memcpy(out->data() + at, block.get(), sizeof *block);
  return true;
}

// Deterministic stand-in content, different per partition, with both 0 and 1 bits.
void fill_pattern(std::vector<uint8_t>* out, size_t size, uint32_t seed) {
  out->resize(size);
  uint32_t x = seed * 2654435761u + 1;
  for (size_t i = 0; i < size; ++i) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    (*out)[i] = static_cast<uint8_t>(x);
  }
}

std::string quote(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

class Writer {
 public:
  explicit Writer(std::string root) : root_(std::move(root)) {}

  // Creates `rel` under the root and checks that it really lies there.
  [[nodiscard]] bool folder(const std::string& rel, std::string* error) {
    std::error_code ec;
    std::filesystem::create_directories(root_ + rel, ec);
    char resolved[PATH_MAX];
    if (realpath((root_ + rel).c_str(), resolved) == nullptr || root_ + rel != resolved) {
      *error = root_ + rel + " is not a folder of its own under the root";
      return false;
    }
    return true;
  }

  // Writes a whole file; `content` then `fill_size - content.size()` bytes 0xFF.
  [[nodiscard]] bool file(const std::string& rel, const std::vector<uint8_t>& content,
                          size_t fill_size, int mode, std::string* error) {
    std::string path = root_ + rel;
    int fd =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC,
               static_cast<mode_t>(mode));
    struct stat st;
    if (fd < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      if (fd >= 0) ::close(fd);
      *error = "cannot create " + path;
      return false;
    }
    bool ok = fchmod(fd, static_cast<mode_t>(mode)) == 0 &&
              write_full(fd, content.data(), content.size());
    std::vector<uint8_t> erased(1 * MiB, 0xFF);
    for (size_t done = content.size(); ok && done < fill_size;) {
      size_t n = std::min(erased.size(), fill_size - done);
      ok = write_full(fd, erased.data(), n);
      done += n;
    }
    ok = (::close(fd) == 0) && ok;
    if (!ok) *error = "cannot write " + path;
    return ok;
  }

  [[nodiscard]] bool text(const std::string& rel, const std::string& content, int mode,
                          std::string* error) {
    return file(rel, std::vector<uint8_t>(content.begin(), content.end()), 0, mode, error);
  }

 private:
  std::string root_;
};

}  // namespace

std::vector<PartitionLayout> recorder_partitions(const LayoutOptions& options) {
  std::vector<PartitionLayout> parts;
  for (const PartitionDefault& p : kPartitions) {
    bool nor = p.type == kNorFlash;
    parts.push_back({p.name, p.type, options.small ? p.small_size : p.size,
                     nor ? kNorErase : kNandErase, nor ? 1 : kNandPage, nor ? 0 : kNandOob,
                     options.small ? p.small_content : p.content, version_of(options, p)});
  }
  return parts;
}

std::string proc_mtd_text(const std::vector<PartitionLayout>& parts) {
  std::string text = "dev:    size   erasesize  name\n";
  char line[96];
  for (size_t i = 0; i < parts.size(); ++i) {
    std::snprintf(line, sizeof line, "mtd%zu: %08x %08x \"%s\"\n", i, parts[i].size,
                  parts[i].erasesize, parts[i].name.c_str());
    text += line;
  }
  return text;
}

std::string layout_bootargs(int running) {
  return "mem=1024M console=ttyAMA0,115200 ubi.mtd=fs" + std::to_string(running) +
         " root=ubi0:rootfs rw rootfstype=ubifs mmz=ddr,0,0,150M";
}

bool create_recorder(const std::string& dir, const LayoutOptions& options, std::string* error) {
  if (options.running != 1 && options.running != 2) {
    *error = "the running copy must be 1 or 2";
    return false;
  }
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  char resolved[PATH_MAX];
  if (dir.empty() || realpath(dir.c_str(), resolved) == nullptr) {
    *error = "cannot use folder " + dir;
    return false;
  }
  std::string root(resolved);
  if (root == "/") {
    *error = "refusing to lay out an emulated recorder over the host's /";
    return false;
  }
  Writer w(root);
  for (const char* sub :
       {"/dev", "/dev/shm", "/proc", "/proc/sys/vm", "/flashsim", "/usr/sbin", "/sbin", "/usr/bin",
        "/bin", "/mnt/nand", "/mnt/nand2", "/opt/app/bin", "/tmp",
        "/share/dvhn/targets/hi3798/firmware", "/share/dvhn/src/boards/hi3798/firmware"})
    if (!w.folder(sub, error)) return false;

  std::vector<PartitionLayout> parts = recorder_partitions(options);
  std::vector<std::string> vars = environment_variables(parts, options.running);
  for (size_t i = 0; i < parts.size(); ++i) {
    const PartitionLayout& p = parts[i];
    std::string dev = "/dev/mtd" + std::to_string(i);
    std::vector<uint8_t> content;
    if (p.name == "env") {
      // Both copies valid; copy 0 one generation ahead, as a normal write leaves them.
      if (!environment_copy(vars, 2, &content) || !environment_copy(vars, 1, &content)) {
        *error = "the boot environment does not fit its block";
        return false;
      }
    } else {
      fill_pattern(&content, p.content_size, static_cast<uint32_t>(i + 1));
    }
    if (!w.file(dev, content, p.size, 0644, error)) return false;
    SideFile side;
    side.geometry = {p.type, 0, p.erasesize, p.writesize, p.oobsize};
    // The environment writer unlocks each block before it erases it and locks it again.
    if (p.name == "env")
      for (uint64_t b = 0; b < p.size / p.erasesize; ++b) side.locked.insert(b);
    if (!save_side_file(root + side_file_path(dev), side)) {
      *error = "cannot write " + root + side_file_path(dev);
      return false;
    }
  }
  if (!w.text("/proc/mtd", proc_mtd_text(parts), 0444, error) ||
      !w.text("/proc/cmdline", layout_bootargs(options.running) + "\n", 0444, error) ||
      !w.text("/proc/sys/vm/drop_caches", "0\n", 0644, error))
    return false;

  if (!options.tool_path.empty()) {
    const std::string tool = quote(options.tool_path);
    const std::string header = "#!/bin/sh\n# Stand-in of the board's program (flash emulation).\n";
    if (!w.text("/usr/sbin/flash_eraseall", header + "exec " + tool + " eraseall \"$@\"\n", 0755,
                error) ||
        !w.text("/sbin/reboot", header + "exec " + tool + " reboot " + quote(root) + " \"$@\"\n",
                0755, error) ||
        !w.text("/usr/bin/dvchip_update", header + "exec " + tool + " chip " + quote(root) + "\n",
                0755, error))
      return false;
  }
  if (!save_board_settings(root, options.board)) {
    *error = "cannot write " + board_settings_path(root);
    return false;
  }
  return true;
}

bool boot_recorder(const std::string& root, std::string* error) {
  std::string device;
  if (!read_small_file(root + "/dev/mtd1", &device) || device.size() < 2 * sizeof(EnvBlock)) {
    *error = "cannot read the boot environment " + root + "/dev/mtd1";
    return false;
  }
  std::unique_ptr<EnvBlock> copies[2] = {std::make_unique<EnvBlock>(),
                                         std::make_unique<EnvBlock>()};
  for (size_t i = 0; i < 2; ++i)
    std::memcpy(copies[i].get(), device.data() + i * sizeof(EnvBlock), sizeof(EnvBlock));
  const EnvChoice choice = env_choose_copy(env_crc_ok(*copies[0]), copies[0]->generation,
                                           env_crc_ok(*copies[1]), copies[1]->generation);
  if (choice == EnvChoice::kDefault) {
    *error = "no valid boot environment: the boot loader would start from the network";
    return false;
  }
  const EnvBlock& chosen = *copies[choice == EnvChoice::kCopy0 ? 0 : 1];
  std::optional<std::vector<std::string_view>> entries = env_entries(chosen);
  std::optional<std::string_view> bootargs =
      entries ? env_find(*entries, "bootargs") : std::nullopt;
  if (!bootargs) {
    *error = "the boot environment has no \"bootargs\"";
    return false;
  }
  if (!write_file_atomic(root + "/proc/cmdline", std::string(*bootargs) + "\n", 0444)) {
    *error = "cannot write " + root + "/proc/cmdline";
    return false;
  }
  return true;
}

}  // namespace flashsim
