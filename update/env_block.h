// One copy of the boot environment as the boot loader reads it from flash, and the edits
// of its variable list. No I/O here: the store on the flash device (bootenv.h) and the
// flash emulation's factory layout both build their blocks with these functions, so the
// block has one encoder.
//
// A copy is 64 KiB: a CRC-32 (little-endian) of every byte after it, the variable list
// ("name=value" texts, each NUL-ended, an empty text ends the list, free space after it),
// and a generation byte in the very last byte. The boot loader keeps two copies and boots
// from the one env_choose_copy() names; this program applies the same rule.
//
// Block contents are untrusted: every walk of the list is bounded by the variable area
// and a list that runs to its end is "not terminated".
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

inline constexpr size_t kEnvSize = 0x10000;
inline constexpr size_t kEnvCrcSize = 4;
// The generation byte is the block's last byte, so the list may use the bytes between
// the checksum and it; a list reaching the last byte would lose its terminator.
inline constexpr size_t kEnvAreaSize = kEnvSize - kEnvCrcSize - 1;

struct EnvBlock {
  uint8_t crc[kEnvCrcSize];  // CRC-32 of bytes 4 to the end, little-endian
  char vars[kEnvAreaSize];   // the variable list
  uint8_t generation;        // +1 at every write of a copy, 255 wraps to 0
};
static_assert(sizeof(EnvBlock) == kEnvSize);
static_assert(offsetof(EnvBlock, vars) == 4);
static_assert(offsetof(EnvBlock, generation) == 0xFFFF);
static_assert(std::is_trivially_copyable_v<EnvBlock>);

// The checksum the block should carry, and the one it carries.
uint32_t env_computed_crc(const EnvBlock& block);
uint32_t env_stored_crc(const EnvBlock& block);
// Stored and computed checksums agree.
bool env_crc_ok(const EnvBlock& block);
// Stores the computed checksum.
void env_seal(EnvBlock* block);

// Which copy the boot loader boots from, given the validity (checksum) and generation of
// both: the only valid one; of two valid ones copy 1 when its generation is one step
// ahead across the wrap (copy 0 at 255, copy 1 at 0) or plainly greater, else copy 0
// (equal generations give copy 0); kDefault when neither is valid.
enum class EnvChoice { kCopy0, kCopy1, kDefault };
EnvChoice env_choose_copy(bool valid0, uint8_t generation0, bool valid1, uint8_t generation1);

// The boot loader's built-in environment, used when neither copy is valid: three
// variables ("bootcmd", "bootdelay", "baudrate"), 180 bytes with the list's end.
inline constexpr size_t kEnvDefaultSize = 180;
// Replaces the variable list with the built-in one (free space zeroed); checksum and
// generation are left as they were.
void env_put_default(EnvBlock* block);

// The texts of the list in order, as views into `block`; nullopt when the list is not
// terminated inside the variable area.
std::optional<std::vector<std::string_view>> env_entries(const EnvBlock& block);

// The value of `name` in a list of entries ("name=value"), or nullopt.
std::optional<std::string_view> env_find(const std::vector<std::string_view>& entries,
                                         std::string_view name);

// One change of a batch: set `name` to `value` ("" stores "name="), or remove the variable
// when `value` is nullopt.
struct EnvChange {
  std::string_view name;
  std::optional<std::string_view> value;
};

enum class EnvEdit {
  kDone,
  kNotTerminated,  // the list runs to the end of the area
  kBadName,        // empty, or holding '=' or a NUL (a NUL in a value is refused as well)
  kOverflow,       // the result would not fit in the variable area
};

// Applies the changes in order: each removes the variable when present (later ones
// move down over it) and, with a value, appends "name=value". On anything but kDone the
// block is left exactly as it was and `failed` (when given) names the change at fault.
// The checksum is not updated.
[[nodiscard]] EnvEdit env_apply(EnvBlock* block, std::span<const EnvChange> changes,
                                size_t* failed = nullptr);

// Lays out a whole list of "name=value" texts in a zeroed block; false, with the block
// undefined, when a text has no valid name or the list does not fit.
[[nodiscard]] bool env_encode(std::span<const std::string> texts, EnvBlock* block);
