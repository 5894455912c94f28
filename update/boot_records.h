// What the version policy and the flash writers need from the boot environment store,
// as a small interface the store fills in: the installed versions the policy compares
// with, the kernel command line that tells the running filesystem copy, and a way to
// record a partition's new content once a writer has put it on flash.
//
// The policy and the writers never read or write the environment themselves, so they
// are tested with a fake of this interface and the store is tested on its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "partition_record.h"

// The installed system as the environment's partition records describe it.
struct InstalledSystem {
  uint32_t uboot_version = 0;  // packed (see version.h)
  uint32_t fs1_version = 0;
  uint32_t fs2_version = 0;
  std::string bootargs;  // the kernel command line; names the running filesystem copy
};

// Results of BootRecords::record_partition.
inline constexpr int kRecordTableUnreadable = -1;
inline constexpr int kRecordWriteFailed = -2;

struct BootRecords {
  void* context = nullptr;
  // Fills `out` from the partition table. 0, or -1 when the table cannot be read.
  int (*read_installed)(void* context, InstalledSystem* out) = nullptr;
  // Records new content of partition `index` (0 to 10): reads the partition table, sets
  // that record's size, version and date, and writes the record to flash. 0;
  // kRecordTableUnreadable when the table cannot be read (nothing written);
  // kRecordWriteFailed when the write failed.
  int (*record_partition)(void* context, size_t index, uint32_t size, uint32_t version,
                          uint32_t date) = nullptr;
};
