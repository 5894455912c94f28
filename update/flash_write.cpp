// Flash writers, device lookup and cache flush (see flash_write.h).
//
// Positions and sizes are 64-bit throughout: the record fields are 32-bit, but their sums
// and the page arithmetic must not wrap.
#include "flash_write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "crc32.h"
#include "file_io.h"
#include "mtd.h"
#include "nvr_root.h"
#include "shell.h"

namespace {

constexpr char kProcMtd[] = "/proc/mtd";
constexpr size_t kProcMtdMax = 64 * 1024;  // far more than 11 partitions' lines
constexpr size_t kProcMtdLineMax = 1023;
// The partitions a write plan can name.
constexpr std::string_view kPlanTargets[] = {"uboot", "baseparam", "logo", "ker1",
                                             "ker2",  "fs1",       "fs2"};
constexpr char kEraseProgram[] = "/usr/sbin/flash_eraseall";
constexpr size_t kNorChunk = 10240;

// The fields a plan entry takes over from its image record.
struct PlanField {
  uint32_t ImageRecord::*from;
  uint32_t WritePlanEntry::*to;
};
constexpr PlanField kPlanFields[] = {
    {&ImageRecord::offset, &WritePlanEntry::offset},   {&ImageRecord::size, &WritePlanEntry::size},
    {&ImageRecord::flag, &WritePlanEntry::flag},       {&ImageRecord::addr, &WritePlanEntry::addr},
    {&ImageRecord::version, &WritePlanEntry::version}, {&ImageRecord::date, &WritePlanEntry::date},
    {&ImageRecord::crc32, &WritePlanEntry::crc32},
};

struct NandGeometry {
  uint32_t oobsize, writesize;
};
// The page layouts the writer knows.
constexpr NandGeometry kKnownNand[] = {{16, 512}, {8, 256}, {64, 2048}, {60, 2048}, {32, 2048}};

std::string_view field_text(const char (&field)[kMtdTextSize]) {
  return std::string_view(field, strnlen(field, kMtdTextSize));
}

void set_field(char (&field)[kMtdTextSize], std::string_view text) {
  std::memset(field, 0, kMtdTextSize);
  std::memcpy(field, text.data(), std::min(text.size(), kMtdTextSize - 1));
}

// "mtd" and a device number: the only device names taken from "/proc/mtd" and the only
// ones a writer opens or hands to the erase program's command line.
bool valid_mtd_name(std::string_view name) {
  if (name.size() <= 3 || name.substr(0, 3) != "mtd" || name.size() > 3 + 9) return false;
  return std::all_of(name.begin() + 3, name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool valid_device_path(std::string_view path) {
  return path.substr(0, 5) == "/dev/" && valid_mtd_name(path.substr(5));
}

[[nodiscard]] bool read_proc_mtd(std::string* text) {
  int fd = ::open(nvr_path(kProcMtd).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  std::vector<uint8_t> buffer(kProcMtdMax);
  ssize_t n = read_full(fd, buffer.data(), buffer.size());
  ::close(fd);
  if (n < 0) return false;
  text->assign(reinterpret_cast<const char*>(buffer.data()), static_cast<size_t>(n));
  return true;
}

// The device name of a "/proc/mtd" line such as mtd4: 00800000 00020000 "ker1" when its
// quoted name is exactly `name`; empty otherwise.
std::string_view device_of_line(std::string_view line, std::string_view name) {
  size_t colon = line.find(':');
  size_t open = line.find('"');
  size_t close = line.rfind('"');
  if (colon == std::string_view::npos || open == std::string_view::npos || close <= open) return {};
  if (line.substr(open + 1, close - open - 1) != name) return {};
  std::string_view device = line.substr(0, colon);
  return valid_mtd_name(device) ? device : std::string_view{};
}

// Where the entry's bytes lie is untrusted: they must be inside the image file.
[[nodiscard]] bool entry_inside_image(int image, const WritePlanEntry& entry) {
  struct stat st;
  if (fstat(image, &st) != 0) return false;
  const uint64_t end = static_cast<uint64_t>(entry.offset) + entry.size;
  if (entry.offset != 0 && entry.size != 0 && end <= static_cast<uint64_t>(st.st_size)) return true;
  std::fprintf(stderr, "Record of 0x%08X bytes at 0x%08X lies outside the image (%llu bytes)\n",
               entry.size, entry.offset, static_cast<unsigned long long>(st.st_size));
  return false;
}

// The write is done; proves it with the record's CRC-32 of the bytes on flash.
[[nodiscard]] bool crc_matches(uint32_t written, const WritePlanEntry& entry) {
  if (written == entry.crc32) return true;
  std::fprintf(stderr, "image_crc 0x%08x differs from the record's crc32 0x%08x\n", written,
               entry.crc32);
  return false;
}

// Flushes the file systems on the board. Under emulation nothing: the emulated flash is
// kept in the host's page cache, which outlives the process as the board's flash outlives
// a power cut, and syncing the host's disk would only make every install (and every cut
// point of a power-cut sweep) wait for it.
void flush_file_systems() {
  if (!nvr_emulated()) ::sync();
}

// Records the written content in the partition's environment record, then flushes.
// 0 or -1 after a message; `write_failed` is the writer's own text for a failed write.
int record_new_content(const WritePlanEntry& entry, const BootRecords& records,
                       const char* write_failed) {
  int index = partition_index(field_text(entry.name));
  if (index < 0) {
    std::fprintf(stderr, "Not valid image, exit without update ptb!\n");
    return -1;
  }
  int result = records.record_partition == nullptr
                   ? kRecordTableUnreadable
                   : records.record_partition(records.context, static_cast<size_t>(index),
                                              entry.size, entry.version, entry.date);
  if (result == kRecordTableUnreadable) {
    std::fprintf(stderr, "flprog_get_part_table faild!\n");
    return -1;
  }
  if (result != 0) {
    std::fprintf(stderr, "%s", write_failed);
    return -1;
  }
  flush_file_systems();
  return 0;
}

bool known_nand(const MtdInfo& info) {
  return std::any_of(std::begin(kKnownNand), std::end(kKnownNand), [&](const NandGeometry& g) {
    return g.oobsize == info.oobsize && g.writesize == info.writesize;
  });
}

// Progress of a NAND write: what is left to write and the checksum of what is on flash.
struct NandProgress {
  uint64_t remaining = 0;
  uint32_t crc = 0;
};

// Steps before any page is written: alignment, size and the erase. False after a
// message.
[[nodiscard]] bool prepare_nand(const WritePlanEntry& entry, const MtdInfo& info,
                                std::string_view device) {
  const uint64_t page = info.writesize;
  if (entry.pad == 0 && entry.size % page != 0) {
    std::fprintf(stderr, "Input file is not page aligned\n");
    return false;
  }
  // Whole pages, the padded last one included: a record that cannot fit is refused
  // before the partition is erased.
  const uint64_t needed = (static_cast<uint64_t>(entry.size) + page - 1) / page * page;
  if (needed > info.size) {
    std::fprintf(stderr,
                 "Image %u bytes, NAND page %u bytes, OOB area %u bytes, device size %u bytes\n",
                 entry.size, info.writesize, info.oobsize, info.size);
    errno = EFBIG;
    std::perror("Input file does not fit into device");
    return false;
  }
  std::string command = std::string(kEraseProgram) + " " + std::string(device) + " ";
  if (upd_system(command.c_str()) != 0) {
    std::fprintf(stderr, "Fail on erase mtd device!\n");
    return false;
  }
  return true;
}

// Writes the pages. Stops after a message on the first error it cannot work around;
// `progress` tells how far it came.
void copy_nand_pages(int mtd, int image, const MtdInfo& info, const WritePlanEntry& entry,
                     NandProgress* progress) {
  const uint64_t page = info.writesize, block = info.erasesize, device_size = info.size;
  uint64_t file_pos = entry.offset, flash_pos = 0;
  uint64_t current_block = UINT64_MAX;
  uint32_t crc_at_block_start = 0;
  std::vector<uint8_t> data(page), back(page);
  while (progress->remaining > 0 && flash_pos < device_size) {
    const uint64_t block_start = flash_pos / block * block;
    if (block_start != current_block) {
      current_block = block_start;
      int bad = mtd_get_bad_block(mtd, static_cast<int64_t>(block_start));
      if (bad < 0) {
        std::perror("ioctl(MEMGETBADBLOCK)");
        return;
      }
      if (bad > 0) {
        std::fprintf(stderr, "Bad block at %x, %u block(s) from %x will be skipped\n",
                     static_cast<unsigned>(block_start), 1u, static_cast<unsigned>(block_start));
        flash_pos = block_start + block;
        continue;
      }
      crc_at_block_start = progress->crc;
    }
    size_t length = static_cast<size_t>(page);
    if (entry.pad != 0 && progress->remaining < page) {
      length = static_cast<size_t>(progress->remaining);
      std::fill(data.begin() + static_cast<std::ptrdiff_t>(length), data.end(), 0xFF);
    }
    ssize_t got = read_full_at(image, data.data(), length, file_pos);
    if (got != static_cast<ssize_t>(length)) {
      if (got == 0) {
        std::fprintf(stderr, "read file return 0 size!\n");
      } else {
        if (got > 0) errno = EIO;
        std::perror("File I/O error on input file");
      }
      return;
    }
    if (mtd_pwrite(mtd, data.data(), data.size(), static_cast<off_t>(flash_pos)) !=
        static_cast<ssize_t>(data.size())) {
      std::perror("pwrite");
      return;
    }
    if (mtd_pread(mtd, back.data(), back.size(), static_cast<off_t>(flash_pos)) !=
        static_cast<ssize_t>(back.size())) {
      std::perror("pread");
      return;
    }
    if (data != back) {
      // The block is wearing out: give it up and write its data again from its first
      // page in the next good block.
      if (mtd_set_bad_block(mtd, static_cast<int64_t>(current_block)) != 0) {
        std::perror("ioctl(MEMSETBADBLOCK)");
        return;
      }
      const uint64_t written_in_block = flash_pos - current_block;
      file_pos -= written_in_block;
      progress->remaining += written_in_block;
      progress->crc = crc_at_block_start;
      flash_pos = current_block + block;
      continue;
    }
    progress->crc = crc32(progress->crc, back.data(), length);
    progress->remaining -= length;
    flash_pos += page;
    file_pos += page;
  }
}

enum class NorPass { kCopy, kVerify };

// One pass over the entry's bytes in chunks: copy them to the flash from address 0, or
// compare the flash with them and compute the CRC-32 of the flash bytes into *crc. The
// bytes left when the pass stopped after a message; 0 when it completed.
uint64_t nor_pass(int image, int mtd, const WritePlanEntry& entry, NorPass pass, uint32_t* crc) {
  uint64_t left = entry.size;
  if (::lseek(image, static_cast<off_t>(entry.offset), SEEK_SET) < 0 ||
      mtd_seek(mtd, 0, SEEK_SET) != 0) {
    std::perror("lseek");
    return left;
  }
  const bool copy = pass == NorPass::kCopy;
  std::vector<uint8_t> chunk(kNorChunk), flash(kNorChunk);
  while (left > 0) {
    const size_t n = static_cast<size_t>(std::min<uint64_t>(left, kNorChunk));
    ssize_t got = read_full(image, chunk.data(), n);
    if (got != static_cast<ssize_t>(n)) {
      std::fprintf(stderr,
                   copy ? "Read image count error, result = [0x%x] ! \n"
                        : " Verify that flash, read image count error, result = [0x%x] ! \n",
                   static_cast<unsigned>(got));
      break;
    }
    ssize_t moved = copy ? mtd_write(mtd, chunk.data(), n) : mtd_read(mtd, flash.data(), n);
    if (moved != static_cast<ssize_t>(n)) {
      std::fprintf(stderr,
                   copy ? "Write image count error, reault = [0x%x] ! \n"
                        : " Verify that flash, write image count error, result = [0x%x] ! \n",
                   static_cast<unsigned>(moved));
      break;
    }
    if (!copy) {
      if (std::memcmp(chunk.data(), flash.data(), n) != 0) {
        std::fprintf(stderr, "File does not seem to match flash data. \n");
        break;
      }
      *crc = crc32(*crc, flash.data(), n);
    }
    left -= n;
  }
  return left;
}

}  // namespace

void fill_plan_entry(const ImageRecord& record, WritePlanEntry* entry) {
  for (const PlanField& f : kPlanFields) entry->*f.to = record.*f.from;
  entry->pad = 1;
}

int get_mtd_info(std::array<MtdEntry, kPartitionCount>& entries) {
  std::string text;
  if (!read_proc_mtd(&text)) {
    std::perror("open /proc/mtd");
    return -1;
  }
  std::vector<std::string_view> lines;
  for (size_t pos = 0; pos < text.size();) {
    size_t end = std::min(text.find('\n', pos), text.size());
    if (end - pos <= kProcMtdLineMax)
      lines.push_back(std::string_view(text).substr(pos, end - pos));
    pos = end + 1;
  }
  int result = 0;
  for (size_t i = 0; i < kPartitionCount; ++i) {
    MtdEntry& e = entries[i];
    set_field(e.name, g_part_str[i]);
    set_field(e.device, "");
    for (std::string_view line : lines) {
      std::string_view device = device_of_line(line, g_part_str[i]);
      if (device.empty()) continue;
      set_field(e.device, "/dev/" + std::string(device));
      break;
    }
    const bool needed = std::find(std::begin(kPlanTargets), std::end(kPlanTargets),
                                  g_part_str[i]) != std::end(kPlanTargets);
    if (needed && e.device[0] == '\0') {
      std::fprintf(stderr, "No partition \"%s\" in /proc/mtd\n", e.name);
      result = -1;
    }
  }
  return result;
}

int nand_flash_write_file(const char* image_path, const WritePlanEntry& entry,
                          const BootRecords& records) {
  const std::string device(field_text(entry.device));
  int mtd = valid_device_path(device) ? mtd_open(device.c_str(), O_RDWR) : (errno = ENODEV, -1);
  if (mtd < 0) {
    std::perror("open flash");
    return -1;
  }
  MtdInfo info;
  if (mtd_get_info(mtd, &info) != 0) {
    std::perror("MEMGETINFO");
    mtd_close(mtd);
    return -1;
  }
  if (!known_nand(info) || info.erasesize == 0 || info.erasesize % info.writesize != 0) {
    std::fprintf(stderr, "Unknown flash (not normal NAND)\n");
    mtd_close(mtd);
    return -1;
  }
  NandProgress progress;
  progress.remaining = entry.size;
  int image =
      image_path != nullptr ? ::open(image_path, O_RDONLY | O_CLOEXEC) : (errno = EINVAL, -1);
  bool written = false;
  if (image < 0) {
    std::perror("open input file");
  } else if (entry_inside_image(image, entry) && prepare_nand(entry, info, device)) {
    copy_nand_pages(mtd, image, info, entry, &progress);
    written = progress.remaining == 0;
  }
  if (image >= 0) ::close(image);
  mtd_close(mtd);
  if (!written) {
    std::fprintf(stderr, "Data was only partially written due to error\n");
    return -1;
  }
  std::printf("image_length = 0x%08x\n", entry.size);
  std::printf("image_crc = 0x%08x\n", progress.crc);
  std::fflush(stdout);
  if (!crc_matches(progress.crc, entry)) return -1;
  return record_new_content(entry, records, "set_env_partition faild!\n");
}

int spi_flash_write_file(const char* image_path, const WritePlanEntry& entry,
                         const BootRecords& records) {
  const std::string device(field_text(entry.device));
  int mtd = valid_device_path(device) ? mtd_open(device.c_str(), O_RDWR | O_SYNC) : -1;
  MtdInfo info;
  if (mtd < 0 || mtd_get_info(mtd, &info) != 0 || info.erasesize == 0 || info.size == 0) {
    std::fprintf(stderr, "This doesn't seem to be a valid MTD flash device! \n");
    if (mtd >= 0) mtd_close(mtd);
    return -1;
  }
  int image = image_path != nullptr ? ::open(image_path, O_RDONLY | O_CLOEXEC) : -1;
  if (image < 0) {
    std::fprintf(stderr, "Open image failed ! \n");
    mtd_close(mtd);
    return -1;
  }
  const uint64_t length = entry.size;
  auto fail = [&] {
    ::close(image);
    mtd_close(mtd);
    return -1;
  };
  if (!entry_inside_image(image, entry)) return fail();
  if (length > info.size) {
    std::fprintf(stderr, "The image length > mtd size ! \n");
    return fail();
  }
  const uint64_t erase_length = (length + info.erasesize - 1) / info.erasesize * info.erasesize;
  if (mtd_erase(mtd, 0, static_cast<uint32_t>(erase_length)) != 0) {
    std::printf("Fail erasing blocks from 0x%.8x-0x%.8x on %s \n", 0u,
                static_cast<unsigned>(erase_length), device.c_str());
    return fail();
  }

  uint32_t crc = 0;
  uint64_t left = nor_pass(image, mtd, entry, NorPass::kCopy, &crc);
  if (left == 0) left = nor_pass(image, mtd, entry, NorPass::kVerify, &crc);
  ::close(image);
  mtd_close(mtd);
  if (left > 0) {
    std::fprintf(stderr, "Data was only partially written due to error\n");
    return -1;
  }
  if (!crc_matches(crc, entry)) return -1;
  return record_new_content(entry, records, "flprog_set_part_table faild!\n");
}

int clean_memory_and_sync() {
  // What "echo 3 > /proc/sys/vm/drop_caches" does, without a shell.
  int fd = ::open(nvr_path("/proc/sys/vm/drop_caches").c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  static const uint8_t kDropAll[] = {'3', '\n'};
  bool dropped = fd >= 0 && write_all(fd, kDropAll, sizeof kDropAll);
  if (fd >= 0 && ::close(fd) != 0) dropped = false;
  if (!dropped) {
    std::fprintf(stderr, "clean memory error!\n");
    return -1;
  }
  flush_file_systems();
  return 0;
}
