// libFuzzer target for the boot environment as read from flash: the input is the start of
// one copy (the rest erased to zero). Its list is walked, every value read as a partition
// record and as a boot loader version, and edits are applied at the edges of its room.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "env_block.h"
#include "partition_record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto block = std::make_unique<EnvBlock>();
  std::memcpy(block.get(), data, size < sizeof *block ? size : sizeof *block);
  (void)env_crc_ok(*block);
  auto entries = env_entries(*block);
  if (!entries) return 0;
  std::string first_name;
  for (std::string_view e : *entries) {
    size_t eq = e.find('=');
    std::string_view value = eq == std::string_view::npos ? e : e.substr(eq + 1);
    (void)parse_partition_record(value);
    uint32_t version = 0;
    (void)parse_version_text(value, &version);
    if (first_name.empty() && eq != std::string_view::npos) first_name = e.substr(0, eq);
  }
  if (first_name.empty()) first_name = "bootargs";
  const std::string large(size, 'v');
  const EnvChange changes[] = {{first_name, large}, {"bootcmd", std::nullopt}, {first_name, ""}};
  (void)env_apply(block.get(), changes);
  auto again = env_entries(*block);
  if (!again) __builtin_trap();  // an edit must never leave an unterminated list
  env_seal(block.get());
  if (!env_crc_ok(*block)) __builtin_trap();
  return 0;
}
