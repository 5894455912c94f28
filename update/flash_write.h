// Writing image records into the flash partitions through the MTD devices: the device
// lookup by partition name, the NAND writer (kernel, root filesystem, base parameters,
// logo), which lives with bad blocks, the SPI NOR writer of the boot loader, and the
// cache flush used between writes.
//
// Both writers copy a byte range of the image file, check what they wrote by reading it
// back, prove it with the record's CRC-32 (the image may have changed since it was
// verified: it lies in a folder other processes can write), and only then record the
// new content in the partition's environment record through BootRecords.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "boot_records.h"
#include "upfw_image.h"

inline constexpr size_t kMtdTextSize = 32;  // device path and name fields, terminator included

struct MtdEntry {
  char device[kMtdTextSize];  // "/dev/mtd4"; empty when "/proc/mtd" lacks the partition
  char name[kMtdTextSize];    // the partition name
};

// One image record to write, as the update run fills it.
struct WritePlanEntry {
  char device[kMtdTextSize];  // "/dev/mtdN"
  char name[kMtdTextSize];    // partition name, one of g_part_str
  uint32_t offset;            // of the record's content in the image file
  uint32_t size;
  uint32_t flag;
  uint32_t addr;
  uint32_t version;
  uint32_t date;
  uint32_t crc32;  // the record's CRC-32: what the writer proves it wrote
  int pad;         // non-zero: the last page may be partial and is padded with 0xFF
};

// Copies offset, size, flag, addr, version, date and crc32 from an image record into
// the entry and sets the pad switch; device and name are the caller's.
void fill_plan_entry(const ImageRecord& record, WritePlanEntry* entry);

// Fills the 11 entries, in g_part_str order, from "/proc/mtd": the line whose quoted
// name is exactly the partition's gives the device. 0; -1 after a message when the file
// cannot be read or a partition that an update writes (uboot, baseparam, logo, ker1,
// ker2, fs1, fs2) is missing. Other missing partitions keep an empty device.
int get_mtd_info(std::array<MtdEntry, kPartitionCount>& entries);

// Writes the entry's bytes of the image at `image_path` (used as given) into a NAND
// partition: erases it with "/usr/sbin/flash_eraseall", then page by page with a read
// back of each; a page that reads back wrong costs its block (marked bad) and that
// block's data goes again into the next good block. Then records size, version and date
// in the partition's record. 0, or -1 after a message (a failed write leaves the
// partition partly written and its record unchanged).
int nand_flash_write_file(const char* image_path, const WritePlanEntry& entry,
                          const BootRecords& records);

// Writes the entry's bytes into a SPI NOR partition: erases the blocks it needs, copies,
// reads everything back to compare, and records the new content. 0, or -1 after a
// message; a record larger than the partition is refused before anything is erased.
int spi_flash_write_file(const char* image_path, const WritePlanEntry& entry,
                         const BootRecords& records);

// Drops the page cache and flushes the file systems, so that the large reads of an
// update do not crowd the board's memory. 0, or -1 after a message.
int clean_memory_and_sync();
