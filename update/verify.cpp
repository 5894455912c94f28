// Record verification (see verify.h).
//
// Every present record is checked, named or not: the update run writes records by
// index, so an unnamed kernel or filesystem record would otherwise go to flash unchecked.
// The check reads each record once in large blocks; at the CRC's speed the file read is
// what it costs.
#include "verify.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <vector>

#include "crc32.h"
#include "file_io.h"
#include "upfw_image.h"
#include "version.h"

namespace {

// Large enough to keep the read calls few, small enough to stay in the processor's cache
// between the read and the checksum.
constexpr size_t kVerifyBlock = 256 * 1024;

void print_record(const ImageRecord& r) {
  std::string_view name = record_name(r);
  std::printf("%.*s: \n", static_cast<int>(name.size()), name.data());
  std::printf("offset  = 0x%08X\n", r.offset);
  std::printf("size    = 0x%08X (%d K)\n", r.size, static_cast<int>(r.size / 1024));
  std::printf("addr    = 0x%08X\n", r.addr);
  std::printf("flag    = 0x%08X\n", r.flag);
  std::printf("date    = %d/%d/%d\n", date_year(r.date), date_month(r.date), date_day(r.date));
  std::printf("crc32   = 0x%08X\n", r.crc32);
  std::printf("version = %u.%u.%u.%u\n", version_platform(r.version), version_major(r.version),
              version_minor(r.version), version_build(r.version));
}

// CRC-32 of the record's bytes in the open image. False after a message.
[[nodiscard]] bool record_crc(int fd, const ImageRecord& r, std::vector<uint8_t>* block,
                              uint32_t* crc) {
  if (::lseek(fd, static_cast<off_t>(r.offset), SEEK_SET) < 0) {
    std::perror("lseek output imager");
    return false;
  }
  uint32_t c = 0;
  for (uint64_t left = r.size; left > 0;) {
    size_t want = static_cast<size_t>(std::min<uint64_t>(left, block->size()));
    ssize_t n = read_full(fd, block->data(), want);
    if (n != static_cast<ssize_t>(want)) {
      // The image shrank since its header was checked.
      if (n >= 0) errno = EIO;
      std::perror("read output imager");
      return false;
    }
    c = crc32(c, block->data(), want);
    left -= want;
  }
  *crc = c;
  return true;
}

}  // namespace

int UPFW_verify(const char* path) {
  ImageHeader header;
  int fd = open_image(path, &header);
  if (fd < 0) return -1;
  std::vector<uint8_t> block(kVerifyBlock);
  int result = 0;
  for (size_t i = 0; i < kImageRecordCount && result == 0; ++i) {
    const ImageRecord& r = header.records[i];
    if (!record_present(r)) continue;
    std::string_view name = record_name(r);
    if (name != kImageSlots[i].name) {
      std::fprintf(stderr, "Record %zu is named \"%.*s\" instead of \"%s\"\n", i,
                   static_cast<int>(name.size()), name.data(), kImageSlots[i].name);
      result = -1;
      break;
    }
    print_record(r);
    uint32_t crc = 0;
    if (!record_crc(fd, r, &block, &crc)) {
      result = -1;
    } else if (crc != r.crc32) {
      std::fflush(stdout);
      std::fprintf(stderr, "check_img_crc %.*s failed\n", static_cast<int>(name.size()),
                   name.data());
      result = -1;
    }
  }
  ::close(fd);
  return result;
}
