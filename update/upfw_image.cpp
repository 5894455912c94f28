// The "upfw" firmware image: building, header reading, listing and extraction (see
// upfw_image.h).
#include "upfw_image.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <vector>

#include "crc32.h"
#include "file_io.h"
#include "nvr_root.h"
#include "version.h"

namespace {

// Copies move data in blocks of this size.
constexpr size_t kCopyBlock = 64 * 1024;

uint32_t load_le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

void store_le32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// The record's integer fields in layout order, declared once for both directions.
constexpr uint32_t ImageRecord::*kRecordWords[] = {&ImageRecord::offset,  &ImageRecord::size,
                                                   &ImageRecord::version, &ImageRecord::addr,
                                                   &ImageRecord::flag,    &ImageRecord::date};
constexpr size_t kRecordCrcOffset = offsetof(ImageRecord, crc32);
constexpr size_t kRecordNameOffset = offsetof(ImageRecord, name);

void print_version_line(uint32_t v) {
  std::printf("version = %d.%d.%d.%d\n", static_cast<int>(version_platform(v)),
              static_cast<int>(version_major(v)), static_cast<int>(version_minor(v)),
              static_cast<int>(version_build(v)));
}

}  // namespace

int open_image(const char* path, ImageHeader* header) {
  if (path == nullptr || path[0] == '\0') {
    std::fprintf(stderr, "Please input datafile\n");
    return -1;
  }
  int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    std::perror("open output imager");
    return -1;
  }
  struct stat st;
  if (fstat(fd, &st) != 0) {
    std::perror("fstat output imager");
    ::close(fd);
    return -1;
  }
  const uint64_t file_size = static_cast<uint64_t>(st.st_size);
  if (file_size < kImageHeaderSize) {
    std::fprintf(stderr, "Bad size: \"%s\" is no valid image\n", path);
    ::close(fd);
    return -1;
  }
  uint8_t bytes[kImageHeaderSize];
  if (read_full(fd, bytes, sizeof bytes) != static_cast<ssize_t>(sizeof bytes)) {
    std::perror("read output imager");
    ::close(fd);
    return -1;
  }
  decode_image_header(bytes, header);
  // A record reaching past the end would be installed short, or wrap around 4 GiB into
  // the header: refuse the image before anything reads it.
  for (size_t i = 0; i < kImageRecordCount; ++i) {
    const ImageRecord& r = header->records[i];
    if (!record_present(r)) continue;
    if (static_cast<uint64_t>(r.offset) + r.size > file_size) {
      std::string_view name = record_name(r);
      std::fprintf(stderr, "Bad record: \"%s\" record %zu (%.*s) passes the end of the image\n",
                   path, i, static_cast<int>(name.size()), name.data());
      ::close(fd);
      return -1;
    }
  }
  return fd;
}

namespace {

// Creates an extraction target afresh: a file or link planted under the fixed name in
// the shared folder is removed, never written through.
int create_target(const std::string& path) {
  if (::unlink(path.c_str()) != 0 && errno != ENOENT) return -1;
  return ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
}

// Copies one record into `target` (a system path). 0 or -1 after a message.
int extract_record(int image_fd, const ImageRecord& record, const char* target, bool executable) {
  if (target == nullptr || target[0] == '\0') {
    std::fprintf(stderr, "Please check outfile\n");
    return -1;
  }
  int out = create_target(nvr_path(target));
  if (out < 0) {
    std::perror(target);
    return -1;
  }
  int result = 0;
  if (::lseek(image_fd, static_cast<off_t>(record.offset), SEEK_SET) < 0) {
    std::perror("lseek input imager");
    result = -1;
  }
  std::vector<uint8_t> block(kCopyBlock);
  uint64_t left = record.size;
  while (result == 0 && left > 0) {
    size_t want = static_cast<size_t>(std::min<uint64_t>(left, block.size()));
    ssize_t n = read_full(image_fd, block.data(), want);
    if (n < 0) {
      std::perror("read input imager");
      result = -1;
      break;
    }
    if (n == 0) break;  // the image shrank under us: what there was is copied
    if (!write_all(out, block.data(), static_cast<size_t>(n))) {
      std::perror("write output imager");
      result = -1;
      break;
    }
    left -= static_cast<uint64_t>(n);
  }
  // Executable for the owner and readable for all: world-writable would let anyone
  // change the program before it runs.
  if (result == 0 && executable && fchmod(out, 0755) != 0) {
    std::perror("chmod output imager");
    result = -1;
  }
  if (::close(out) != 0 && result == 0) {
    std::perror("close output imager");
    result = -1;
  }
  return result;
}

// Pads a source file in place with 0xFF to a multiple of 2048 bytes. 0 or -1.
int pad_file_to_2k(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) {
    std::perror(path.c_str());
    return -1;
  }
  struct stat st;
  if (fstat(fd, &st) != 0) {
    std::perror("fstat pc_file_name");
    ::close(fd);
    return -1;
  }
  uint64_t size = static_cast<uint64_t>(st.st_size);
  size_t pad = static_cast<size_t>((kImageAlign - size % kImageAlign) % kImageAlign);
  int result = 0;
  if (pad != 0) {
    std::vector<uint8_t> ff(pad, 0xFF);
    if (::lseek(fd, 0, SEEK_END) < 0 || !write_all(fd, ff.data(), ff.size())) {
      std::perror("write pc_file_name");
      result = -1;
    }
  }
  ::close(fd);
  return result;
}

// CRC-32 of the first `size` bytes of what a record holds: the file's bytes, then 0xFF
// up to `size`. Sets *file_size. 0 or -1.
int file_crc32(const std::string& path, uint64_t size, uint32_t* crc, uint64_t* file_size) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    std::perror(path.c_str());
    return -1;
  }
  std::vector<uint8_t> block(kCopyBlock);
  uint32_t c = 0;
  uint64_t done = 0;
  while (done < size) {
    ssize_t n = read_full(fd, block.data(),
                          static_cast<size_t>(std::min<uint64_t>(block.size(), size - done)));
    if (n < 0) {
      std::perror("read datafile failed");
      ::close(fd);
      return -1;
    }
    if (n == 0) break;
    c = crc32(c, block.data(), static_cast<size_t>(n));
    done += static_cast<uint64_t>(n);
  }
  ::close(fd);
  *file_size = done;
  std::fill(block.begin(), block.end(), 0xFF);
  for (uint64_t left = size - done; left > 0;) {
    size_t n = static_cast<size_t>(std::min<uint64_t>(left, block.size()));
    c = crc32(c, block.data(), n);
    left -= n;
  }
  *crc = c;
  return 0;
}

// Appends the record's `size` bytes to the output: the file, then 0xFF padding. 0 or -1.
int append_file(int out, const std::string& path, uint64_t size) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    std::perror("open datafile");
    return -1;
  }
  struct stat st;
  if (fstat(fd, &st) != 0) {
    std::perror("fstat datafile");
    ::close(fd);
    return -1;
  }
  uint64_t from_file = std::min<uint64_t>(static_cast<uint64_t>(st.st_size), size);
  int result = 0;
  if (from_file > 0) {
    void* map = mmap(nullptr, static_cast<size_t>(from_file), PROT_READ, MAP_PRIVATE, fd, 0);
    if (map == MAP_FAILED) {
      std::perror("mmap datafile");
      result = -1;
    } else {
      if (!write_all(out, static_cast<const uint8_t*>(map), static_cast<size_t>(from_file))) {
        std::perror("write output imager");
        result = -1;
      }
      munmap(map, static_cast<size_t>(from_file));
    }
  }
  ::close(fd);
  std::vector<uint8_t> ff(kImageAlign, 0xFF);
  for (uint64_t left = size - from_file; result == 0 && left > 0;) {
    size_t n = static_cast<size_t>(std::min<uint64_t>(left, ff.size()));
    if (!write_all(out, ff.data(), n)) {
      std::perror("write output imager");
      result = -1;
    }
    left -= n;
  }
  return result;
}

}  // namespace

void decode_image_header(const uint8_t* bytes, ImageHeader* header) {
  std::memset(header, 0, sizeof *header);
  for (size_t i = 0; i < kImageRecordCount; ++i) {
    const uint8_t* p = bytes + i * sizeof(ImageRecord);
    ImageRecord& r = header->records[i];
    for (size_t w = 0; w < std::size(kRecordWords); ++w) r.*kRecordWords[w] = load_le32(p + 4 * w);
    std::memcpy(r.name, p + kRecordNameOffset, sizeof r.name);
    r.crc32 = load_le32(p + kRecordCrcOffset);
  }
  std::memcpy(header->build_time, bytes + offsetof(ImageHeader, build_time),
              sizeof header->build_time);
  std::memcpy(header->fw_version, bytes + offsetof(ImageHeader, fw_version),
              sizeof header->fw_version);
  std::memcpy(header->reserved, bytes + offsetof(ImageHeader, reserved), sizeof header->reserved);
}

void encode_image_header(const ImageHeader& header, uint8_t* bytes) {
  std::memset(bytes, 0, kImageHeaderSize);
  for (size_t i = 0; i < kImageRecordCount; ++i) {
    uint8_t* p = bytes + i * sizeof(ImageRecord);
    const ImageRecord& r = header.records[i];
    for (size_t w = 0; w < std::size(kRecordWords); ++w) store_le32(p + 4 * w, r.*kRecordWords[w]);
    std::memcpy(p + kRecordNameOffset, r.name, sizeof r.name);
    store_le32(p + kRecordCrcOffset, r.crc32);
  }
  std::memcpy(bytes + offsetof(ImageHeader, build_time), header.build_time,
              sizeof header.build_time);
  std::memcpy(bytes + offsetof(ImageHeader, fw_version), header.fw_version,
              sizeof header.fw_version);
  std::memcpy(bytes + offsetof(ImageHeader, reserved), header.reserved, sizeof header.reserved);
}

std::string_view record_name(const ImageRecord& record) {
  return std::string_view(record.name, strnlen(record.name, sizeof record.name));
}

bool record_present(const ImageRecord& record) {
  return record.offset != 0 && record.size != 0;
}

int read_image_header(const char* path, ImageHeader* header) {
  int fd = open_image(path, header);
  if (fd < 0) return -1;
  ::close(fd);
  return 0;
}

int UPFW_list_intfo(const char* path) {
  ImageHeader header;
  if (read_image_header(path, &header) != 0) return -1;
  std::printf("Image info: \n");
  for (const ImageRecord& r : header.records) {
    std::string_view name = record_name(r);
    if (name.empty()) continue;
    std::printf("%.*s: \n", static_cast<int>(name.size()), name.data());
    if (record_present(r)) {
      std::printf("offset  = 0x%08X\n", r.offset);
      std::printf("size    = %d K\n", static_cast<int>(r.size / 1024));
      std::printf("addr    = 0x%08X\n", r.addr);
      std::printf("flag    = 0x%08X\n", r.flag);
      std::printf("date    = %d/%d/%d\n", date_year(r.date), date_month(r.date), date_day(r.date));
      std::printf("crc32   = 0x%08X\n", r.crc32);
    }
    print_version_line(r.version);
  }
  return 0;
}

int UPFW_analysis_img(const char* path, int mode) {
  if (path == nullptr || path[0] == '\0') {
    std::fprintf(stderr, "Please input datafile\n");
    return -1;
  }
  std::printf("==============name %s=\n", path);
  ImageHeader header;
  int fd = open_image(path, &header);
  if (fd < 0) return -1;
  int result = 0;
  for (size_t i = 0; i < kImageRecordCount; ++i) {
    const ImageRecord& r = header.records[i];
    if (!record_present(r)) continue;
    const char* target = nullptr;
    bool executable = false;
    if (mode != 0) {
      if (i <= 3) target = kImageSlots[i].target;
    } else if (record_name(r) == "cmd") {
      target = kImageSlots[3].target;
      executable = true;
    }
    if (target == nullptr) continue;
    std::printf("Create file: %s \n", target);
    std::fflush(stdout);
    if (extract_record(fd, r, target, executable) != 0) {
      std::fprintf(stderr, "write %s faild\n", target);
      result = -1;
      break;
    }
  }
  ::close(fd);
  return result;
}

ImageBuildSpec build_tree_spec() {
  ImageBuildSpec spec;
  for (size_t i = 0; i < kImageRecordCount; ++i) {
    if (kImageSlots[i].source[0] != '\0') spec.sources[i] = nvr_path(kImageSlots[i].source);
    spec.versions[i] = kImageSlots[i].version;
  }
  spec.output = nvr_path(kImageBuildOutput);
  spec.output_name = kImageBuildOutput;
  spec.pad_sources_in_place = true;
  return spec;
}

int build_image(const ImageBuildSpec& spec) {
  ImageHeader header;
  std::memset(&header, 0, sizeof header);
  uint64_t running = kImageHeaderSize;
  for (size_t i = 0; i < kImageRecordCount; ++i) {
    ImageRecord& r = header.records[i];
    const std::string& source = spec.sources[i];
    if (!source.empty()) {
      if (spec.pad_sources_in_place && pad_file_to_2k(source) != 0) return -1;
      struct stat st;
      if (::stat(source.c_str(), &st) != 0) {
        std::perror(source.c_str());
        return -1;
      }
      uint64_t size =
          (static_cast<uint64_t>(st.st_size) + kImageAlign - 1) / kImageAlign * kImageAlign;
      // Offsets and sizes are 32-bit on the board.
      if (running + size > UINT32_MAX) {
        std::fprintf(stderr, "%s: the image would pass 4 GiB\n", source.c_str());
        return -1;
      }
      uint64_t file_size = 0;
      if (file_crc32(source, size, &r.crc32, &file_size) != 0) return -1;
      r.offset = static_cast<uint32_t>(running);
      r.size = static_cast<uint32_t>(size);
      running += size;
      r.flag = kImageSlots[i].flag;
      r.addr = 0;
      r.date = kImageRecordDate;
    }
    r.version = spec.versions[i];
    std::memcpy(r.name, kImageSlots[i].name, std::strlen(kImageSlots[i].name));
  }
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  std::strftime(header.build_time, sizeof header.build_time, "%Y-%m-%d %H:%M:%S", &local);
  std::memcpy(header.fw_version, kImageFirmwareVersion, sizeof kImageFirmwareVersion);

  int out = ::open(spec.output.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (out < 0) {
    std::perror(("open output imager " + spec.output_name).c_str());
    return -1;
  }
  uint8_t bytes[kImageHeaderSize];
  encode_image_header(header, bytes);
  if (!write_all(out, bytes, sizeof bytes)) {
    std::perror("write output imager");
    ::close(out);
    return -1;
  }
  std::printf("Copy data to image!!!\n");
  for (size_t i = 0; i < kImageRecordCount; ++i) {
    const std::string& source = spec.sources[i];
    if (source.empty()) continue;
    if (append_file(out, source, header.records[i].size) != 0 || fsync(out) != 0) {
      std::fprintf(stderr, "   Copy %s: %s failed!\n", kImageSlots[i].name, source.c_str());
      std::fprintf(stderr, "image_copy_data faild.\n");
      ::close(out);
      return -1;
    }
  }
  if (::close(out) != 0) {
    std::fprintf(stderr, "close output imager\n");
    return -1;
  }
  return 0;
}

int UPFW_creat_img() {
  return build_image(build_tree_spec());
}
