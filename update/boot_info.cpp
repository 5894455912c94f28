// Boot information listings (see boot_info.h).
#include "boot_info.h"

#include <cstdio>
#include <cstring>

#include "bootenv.h"
#include "partition_table.h"
#include "shell.h"
#include "version.h"

namespace {

constexpr char kToolVersion[] = "0.1.0.1";
constexpr char kShowVersion[] = "1.0.1";

enum class SizeStyle { kKiB, kHexAndKiB };

// A record's label: "(current)" when the boot variables name it, "(nfs)" for a
// filesystem while the system boots from the network.
void print_label(const PartitionRecord& r, const PartitionTable& table) {
  const bool named = r.name[0] != '\0' && (std::strstr(table.bootargs, r.name) != nullptr ||
                                           std::strstr(table.bootcmd, r.name) != nullptr);
  if (named)
    std::printf("%s:(current)\n", r.name);
  else if (std::strstr(table.bootargs, "nfs") != nullptr && std::strstr(r.name, "fs") != nullptr)
    std::printf("%s:(nfs)\n", r.name);
  else
    std::printf("%s:\n", r.name);
}

void print_record(const PartitionRecord& r, const PartitionTable& table, SizeStyle style) {
  print_label(r, table);
  std::printf("\tversion = %u.%u.%u.%u\n", version_platform(r.version), version_major(r.version),
              version_minor(r.version), version_build(r.version));
  if (style == SizeStyle::kKiB)
    std::printf("\tsize    = %u K\n", r.size / 1024);
  else
    std::printf("\tsize    = 0x%08X (%u K)\n", r.size, r.size / 1024);
  std::printf("\tdate    = %d/%d/%d\n", date_year(r.date), date_month(r.date), date_day(r.date));
}

// The table, printing the failure and going on with what could be read: the records are
// filled even when a boot variable is too long to copy.
void read_table(PartitionTable* table) {
  if (get_env_mtd_table(table) != 0) {
    std::fflush(stdout);
    std::fprintf(stderr, "flprog_get_part_table faild!\n");
  }
}

}  // namespace

void print_version_info() {
  std::printf("Dravelin update version: %s\n", kToolVersion);
  PartitionTable table;
  read_table(&table);
  for (const PartitionRecord& r : table.records)
    if (r.version != 0) print_record(r, table, SizeStyle::kKiB);
  std::fflush(stdout);
}

void display_info() {
  std::printf("Dravelin update version: %s \n", kShowVersion);
  PartitionTable table;
  read_table(&table);
  for (const PartitionRecord& r : table.records)
    if (r.size != 0) print_record(r, table, SizeStyle::kHexAndKiB);
  std::printf("\nMore details:\n\n");
  std::printf("Mtd information: \n");
  std::fflush(stdout);
  (void)upd_system("cat /proc/mtd ");
  if (hs_printenv() != 0) {
    std::fflush(stdout);
    std::fprintf(stderr, "hs_printenv faild!\n");
  }
  std::fflush(stdout);
}
