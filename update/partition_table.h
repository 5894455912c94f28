// The partition table kept in the boot environment: one record variable per partition
// (partition_record.h) and the kernel command line "bootargs" and boot command "bootcmd",
// which name the kernel and filesystem copies the boot loader starts. The update run
// reads the table, writes the inactive copies and then flips both names in one
// environment write.
//
// The environment must be loaded (env_init, bootenv.h).
#pragma once

#include <cstddef>

#include "boot_records.h"
#include "partition_record.h"

// "bootargs" and "bootcmd" copies hold at most 511 characters. Longer values stay in the
// environment as they are; the calls that would have to cut them refuse instead, since a
// cut kernel command line does not boot.
inline constexpr size_t kBootTextSize = 512;

struct PartitionTable {
  PartitionRecord records[kPartitionCount];  // in the order of g_part_str
  char bootargs[kBootTextSize];              // empty when absent
  char bootcmd[kBootTextSize];
};

// Reads the table. A partition without a record variable, or whose record has no
// readable name, gets its partition's name and zeros, so that a writer can record it
// under that name. A "uboot" record whose version has minor byte 0 is repaired from the
// "ver" variable's "72.x.y.z" text and written back. 0; -1 when "bootargs" or "bootcmd"
// is longer than 511 characters (the records are filled, the texts left empty).
int get_env_mtd_table(PartitionTable* table);

// Writes one record under the name it holds: result of hs_setenv.
int set_env_partition(const PartitionRecord& record);

// Writes every record whose name is its partition's own, in one environment write: 0/-1.
int set_env_mtd_table(const PartitionTable& table);

// Writes the table's non-empty "bootargs" and "bootcmd" in one environment write: 0 when
// both are empty, else 0/-1; -1 without writing when a text fills its whole field.
int set_env_cmdline(const PartitionTable& table);

// Copies the name of partition `index` (0 to 10): 0, or -1 for another index.
int get_part_name(size_t index, char (&out)[kPartitionNameSize]);

// Sets the "uboot" record's version from a text "72.1.2.26" and writes the record: 0/-1;
// -1 without writing when the text does not read as a version.
int set_ptb_uboot_version(const char* text);

// The partition table as the version policy and the flash writers see it (boot_records.h):
// read_installed reads the table (-1 when get_env_mtd_table fails); record_partition
// reads it again, sets the record's size, version and date and writes the record under
// its partition's own name, so that a record whose stored name differs is not written to a
// variable the table never reads.
BootRecords env_boot_records();
