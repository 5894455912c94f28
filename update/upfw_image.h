// The "upfw" firmware image: a 2048-byte header describing up to eight records, then
// the records' contents. Building an image, reading and checking its header, listing it
// and extracting records.
//
// All header integers are 32-bit little-endian. The header has no magic number and no
// checksum of its own: any file of at least 2048 bytes reads as an image, and the record
// CRC-32 values prove the contents. Header bytes are untrusted: names are read within
// their 52 bytes, and a present record must lie inside the file.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <type_traits>

inline constexpr size_t kImageHeaderSize = 2048;
inline constexpr size_t kImageRecordCount = 8;
inline constexpr size_t kImageRecordNameSize = 52;
// Records are padded to whole 2048-byte units with 0xFF by the builder.
inline constexpr uint32_t kImageAlign = 2048;
// The date every built record carries: 2023/9/12.
inline constexpr uint32_t kImageRecordDate = 0x07E7090C;
inline constexpr char kImageFirmwareVersion[] = "9.0.19";
// Image paths on the command line live in a buffer of this size, terminator included.
inline constexpr size_t kImagePathSize = 128;

struct ImageRecord {
  uint32_t offset;                  // of the content in the file; 0 when the record is empty
  uint32_t size;                    // content length; 0 when the record is empty
  uint32_t version;                 // packed, see version.h
  uint32_t addr;                    // load address
  uint32_t flag;                    // load flag
  uint32_t date;                    // year << 16 | month << 8 | day
  char name[kImageRecordNameSize];  // NUL-terminated when shorter than the field
  uint32_t crc32;                   // CRC-32 of the content
};
static_assert(sizeof(ImageRecord) == 80);
static_assert(offsetof(ImageRecord, size) == 4);
static_assert(offsetof(ImageRecord, version) == 8);
static_assert(offsetof(ImageRecord, addr) == 12);
static_assert(offsetof(ImageRecord, flag) == 16);
static_assert(offsetof(ImageRecord, date) == 20);
static_assert(offsetof(ImageRecord, name) == 24);
static_assert(offsetof(ImageRecord, crc32) == 76);
static_assert(std::is_trivially_copyable_v<ImageRecord>);

struct ImageHeader {
  ImageRecord records[kImageRecordCount];
  char build_time[32];  // "%Y-%m-%d %H:%M:%S", local time
  char fw_version[7];   // "9.0.19"
  uint8_t reserved[1369];
};
static_assert(sizeof(ImageHeader) == kImageHeaderSize);
static_assert(offsetof(ImageHeader, build_time) == 640);
static_assert(offsetof(ImageHeader, fw_version) == 672);
static_assert(offsetof(ImageHeader, reserved) == 679);
static_assert(std::is_trivially_copyable_v<ImageHeader>);

// The fixed meaning of each record index: name, the builder's source file in the build
// tree, default version, load flag and the extraction target.
struct ImageSlot {
  const char* name;
  const char* source;
  uint32_t version;
  uint32_t flag;
  const char* target;
};
inline constexpr std::array<ImageSlot, kImageRecordCount> kImageSlots = {{
    {"bld", "/share/dvhn/targets/hi3798/firmware/uboot_1024M", 0x4801011A, 0, "/dev/shm/bld.bin"},
    {"ker", "/share/dvhn/targets/hi3798/firmware/uImage", 0x4801000A, 0, "/dev/shm/ker.bin"},
    {"fs", "/share/dvhn/targets/hi3798/firmware/ubifs", 0x48090013, 1, "/dev/shm/ubifs.bin"},
    {"cmd", "/share/dvhn/src/boards/hi3798/firmware/update", 0x00010001, 1, "/dev/shm/update"},
    {"param", "/share/dvhn/targets/hi3798/firmware/baseparam.img", 0x48010001, 1, "/dev/shm/param"},
    {"jpg", "/share/dvhn/targets/hi3798/firmware/logo.img", 0x48010002, 1, "/dev/shm/boot.jpg"},
    {"bld2", "/share/dvhn/targets/hi3798/firmware/uboot_2048M", 0x4801021A, 0, "/dev/shm/bld2.bin"},
    {"tool", "", 0x00000100, 1, "/dev/shm/tool.bin"},
}};
inline constexpr char kImageBuildOutput[] = "/share/dvhn/src/boards/hi3798/firmware/update_IMG";

// Header bytes <-> header, field by field in little-endian order.
void decode_image_header(const uint8_t* bytes, ImageHeader* header);
void encode_image_header(const ImageHeader& header, uint8_t* bytes);

// The record's name, never reaching past its field.
std::string_view record_name(const ImageRecord& record);
// Offset and size both non-zero.
bool record_present(const ImageRecord& record);

// Image paths are used as given (callers resolve system paths); extraction targets and
// the build tree are system paths, resolved under NVR_ROOT.

// Reads the header of the image at `path` and checks it against the file: at least 2048
// bytes, and every present record inside the file. 0, or -1 after a message.
int read_image_header(const char* path, ImageHeader* header);

// The same checks, leaving the image open: its descriptor (positioned after the header),
// or -1 after a message with nothing left open.
int open_image(const char* path, ImageHeader* header);

// Prints the header of the image. 0, or -1 when it cannot be read.
int UPFW_list_intfo(const char* path);

// Extracts records into "/dev/shm": mode 0 only the tool record "cmd" (made executable),
// any other mode records 0 to 3. 0 when every chosen record was copied, else -1.
int UPFW_analysis_img(const char* path, int mode);

// What an image is built from: per record index the source file to open (empty: no
// content) and the version; the output file; and whether sources are padded in place.
struct ImageBuildSpec {
  std::array<std::string, kImageRecordCount> sources;
  std::array<uint32_t, kImageRecordCount> versions;
  std::string output;       // the file to create
  std::string output_name;  // how messages name it
  bool pad_sources_in_place = false;
};

// The spec of the fixed build tree, paths resolved under NVR_ROOT.
ImageBuildSpec build_tree_spec();

// Builds an image. Records are laid back to back from offset 2048, each padded with 0xFF
// to a multiple of 2048 bytes (in the source file itself when asked). 0, or -1 after a
// message; a partial output is left in place.
int build_image(const ImageBuildSpec& spec);

// Builds "/share/dvhn/src/boards/hi3798/firmware/update_IMG" from the build tree,
// padding the source files in place. 0 or -1.
int UPFW_creat_img();
