// The partition table in the boot environment (see partition_table.h).
#include "partition_table.h"

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "bootenv.h"
#include "version.h"

namespace {

// The boot loader's own version text, from which a record lacking the memory variant
// (minor byte 0) is repaired; its platform code is 72.
constexpr char kBootVersionVariable[] = "ver";
constexpr char kBootVersionMark[] = "72.";
constexpr char kBadVersionText[] = "uboot version format invalid, eg: xx.xx.xx.xx";

void put_name(PartitionRecord* record, const char* name) {
  std::snprintf(record->name, sizeof record->name, "%s", name);
}

// The records only.
void read_records(PartitionTable* table) {
  for (size_t i = 0; i < kPartitionCount; ++i) {
    PartitionRecord& record = table->records[i];
    if (std::optional<std::string> value = hs_getenv(g_part_str[i]))
      record = parse_partition_record(*value);
    if (record.name[0] == '\0') put_name(&record, g_part_str[i]);
  }
}

// Copies a boot text into its field; false, leaving the field empty, when it is too long.
[[nodiscard]] bool read_boot_text(const char* name, char (&field)[kBootTextSize]) {
  std::optional<std::string> value = hs_getenv(name);
  if (!value) return true;
  if (value->size() >= sizeof field) {
    std::fprintf(stderr, "Error: \"%s\" is longer than %zu characters\n", name, sizeof field - 1);
    return false;
  }
  std::memcpy(field, value->c_str(), value->size() + 1);
  return true;
}

// The boot loader records of old tools lack the memory variant; its own version text has it.
void repair_boot_loader_version(PartitionRecord* uboot) {
  if (version_minor(uboot->version) != 0) return;
  std::optional<std::string> text = hs_getenv(kBootVersionVariable);
  if (!text) return;
  size_t at = text->find(kBootVersionMark);
  if (at == std::string::npos) return;
  uint32_t version = 0;
  if (!parse_version_text(std::string_view(*text).substr(at), &version)) {
    std::fputs(kBadVersionText, stdout);
    return;
  }
  if (version == uboot->version) return;
  uboot->version = version;
  (void)set_env_partition(*uboot);
}

// The field's text, or nullopt when it fills the whole field without a terminator.
std::optional<std::string_view> field_text(const char (&field)[kBootTextSize]) {
  size_t length = strnlen(field, sizeof field);
  if (length == sizeof field) return std::nullopt;
  return std::string_view(field, length);
}

}  // namespace

int get_env_mtd_table(PartitionTable* table) {
  *table = PartitionTable{};
  read_records(table);
  bool texts_ok = read_boot_text("bootargs", table->bootargs);
  texts_ok = read_boot_text("bootcmd", table->bootcmd) && texts_ok;
  repair_boot_loader_version(&table->records[kPartUboot]);
  return texts_ok ? 0 : -1;
}

int set_env_partition(const PartitionRecord& record) {
  std::string name(record.name, strnlen(record.name, sizeof record.name));
  return hs_setenv(name.c_str(), format_partition_record(record).c_str());
}

int set_env_mtd_table(const PartitionTable& table) {
  std::vector<std::string> values;
  std::vector<EnvChange> changes;
  values.reserve(kPartitionCount);
  for (size_t i = 0; i < kPartitionCount; ++i) {
    const PartitionRecord& record = table.records[i];
    if (strnlen(record.name, sizeof record.name) == sizeof record.name ||
        std::strcmp(record.name, g_part_str[i]) != 0)
      continue;
    values.push_back(format_partition_record(record));
    changes.push_back({g_part_str[i], values.back()});
  }
  if (changes.empty()) return 0;
  return hs_setenv_batch(changes);
}

int set_env_cmdline(const PartitionTable& table) {
  std::optional<std::string_view> bootargs = field_text(table.bootargs);
  std::optional<std::string_view> bootcmd = field_text(table.bootcmd);
  if (!bootargs || !bootcmd) return -1;
  std::vector<EnvChange> changes;
  if (!bootargs->empty()) changes.push_back({"bootargs", *bootargs});
  if (!bootcmd->empty()) changes.push_back({"bootcmd", *bootcmd});
  if (changes.empty()) return 0;
  // Both names in one write: the boot loader must never see the kernel of one copy with
  // the filesystem of the other.
  return hs_setenv_batch(changes);
}

int get_part_name(size_t index, char (&out)[kPartitionNameSize]) {
  if (index >= kPartitionCount) return -1;
  std::snprintf(out, sizeof out, "%s", g_part_str[index]);
  return 0;
}

int set_ptb_uboot_version(const char* text) {
  uint32_t version = 0;
  if (text == nullptr || !parse_version_text(text, &version)) {
    std::fputs(kBadVersionText, stdout);
    return -1;
  }
  PartitionTable table{};
  read_records(&table);
  table.records[kPartUboot].version = version;
  return set_env_partition(table.records[kPartUboot]);
}

namespace {

int read_installed(void*, InstalledSystem* out) {
  PartitionTable table;
  if (get_env_mtd_table(&table) != 0) return -1;
  out->uboot_version = table.records[kPartUboot].version;
  out->fs1_version = table.records[kPartFs1].version;
  out->fs2_version = table.records[kPartFs2].version;
  out->bootargs = table.bootargs;
  return 0;
}

int record_partition(void*, size_t index, uint32_t size, uint32_t version, uint32_t date) {
  PartitionTable table;
  if (index >= kPartitionCount || get_env_mtd_table(&table) != 0) return kRecordTableUnreadable;
  PartitionRecord& record = table.records[index];
  put_name(&record, g_part_str[index]);
  record.size = size;
  record.version = version;
  record.date = date;
  return set_env_partition(record) == 0 ? 0 : kRecordWriteFailed;
}

}  // namespace

BootRecords env_boot_records() {
  BootRecords records;
  records.read_installed = read_installed;
  records.record_partition = record_partition;
  return records;
}
