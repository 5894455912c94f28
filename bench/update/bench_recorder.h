// What update's benchmarks run on: an emulated recorder of the board's partition sizes in
// a temporary folder, and images of random record contents (incompressible, as real
// kernels and filesystems are) behind a valid header.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "crc32.h"
#include "file_io.h"
#include "layout.h"
#include "upfw_image.h"

// The folder of the running program, where the other programs of the build lie.
inline std::string bench_bin_dir() {
  char path[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return ".";
  path[n] = '\0';
  return std::filesystem::path(path).parent_path().string();
}

// Lays out a recorder in a new folder "/tmp/NAME.XXXXXX": its path, or "" after a message.
inline std::string bench_recorder(const char* name) {
  std::string dir = std::string("/tmp/") + name + ".XXXXXX";
  if (mkdtemp(dir.data()) == nullptr) {
    std::perror("mkdtemp");
    return {};
  }
  flashsim::LayoutOptions options;
  options.tool_path = bench_bin_dir() + "/flashsim";
  std::string error;
  if (!flashsim::create_recorder(dir, options, &error)) {
    std::fprintf(stderr, "%s: cannot lay out a recorder in %s: %s\n", name, dir.c_str(),
                 error.c_str());
    std::filesystem::remove_all(dir);
    return {};
  }
  return dir;
}

// Writes an image of `total` bytes holding a kernel record of `kernel_size` bytes and a
// filesystem record filling the rest, with their usual names, versions and flags (the
// filesystem at `fs_version`), the other records empty. False when the file cannot be written.
inline bool write_bench_image(const std::string& path, size_t total, size_t kernel_size,
                              uint32_t fs_version, ImageRecord* fs_record = nullptr) {
  std::vector<uint8_t> bytes(total);
  std::mt19937_64 rng(7);
  for (size_t i = 0; i + 8 <= bytes.size(); i += 8) {
    uint64_t v = rng();
    std::memcpy(bytes.data() + i, &v, 8);
  }
  // Every record named and versioned, present or not, as the image builder leaves them
  // (the version check compares the boot loader records' platform).
  ImageHeader header{};
  for (size_t i = 0; i < kImageRecordCount; ++i) {
    header.records[i].version = kImageSlots[i].version;
    std::memcpy(header.records[i].name, kImageSlots[i].name, std::strlen(kImageSlots[i].name));
  }
  const struct {
    size_t index;
    size_t offset, size;
  } records[] = {{1, kImageHeaderSize, kernel_size},
                 {2, kImageHeaderSize + kernel_size, total - kImageHeaderSize - kernel_size}};
  for (const auto& r : records) {
    ImageRecord& rec = header.records[r.index];
    rec.offset = static_cast<uint32_t>(r.offset);
    rec.size = static_cast<uint32_t>(r.size);
    rec.version = r.index == 2 ? fs_version : kImageSlots[r.index].version;
    rec.flag = kImageSlots[r.index].flag;
    rec.date = kImageRecordDate;
    rec.crc32 = crc32(0, bytes.data() + r.offset, r.size);
  }
  encode_image_header(header, bytes.data());
  if (fs_record != nullptr) *fs_record = header.records[2];
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  bool ok = fd >= 0 && write_all(fd, bytes.data(), bytes.size());
  if (fd >= 0) ok = ::close(fd) == 0 && ok;
  return ok;
}
