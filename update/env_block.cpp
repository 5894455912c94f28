// The boot environment block and the edits of its variable list (see env_block.h).
#include "env_block.h"

#include <cstring>

#include "crc32.h"
#include "le32.h"

namespace {

// Each text with its NUL, then two NULs: 180 bytes, as the boot loader has them built in.
constexpr char kDefaultEnvironment[] =
    "bootcmd=bootp; setenv bootargs root=/dev/nfs nfsroot=${serverip}:${rootpath} "
    "ip=${ipaddr}:${serverip}:${gatewayip}:${netmask}:${hostname}::off; bootm\0"
    "bootdelay=5\0"
    "baudrate=115200\0"
    "\0";  // with the literal's own NUL, the two closing NULs
static_assert(sizeof kDefaultEnvironment == kEnvDefaultSize);

// Bytes the entries take, each with its NUL, without the list's end.
size_t list_bytes(const std::vector<std::string_view>& entries) {
  size_t used = 0;
  for (std::string_view e : entries) used += e.size() + 1;
  return used;
}

bool valid_name(std::string_view name) {
  return !name.empty() && name.find('=') == std::string_view::npos &&
         name.find('\0') == std::string_view::npos;
}

// The entry of `name`, as an index into `entries`.
std::optional<size_t> find_index(const std::vector<std::string_view>& entries,
                                 std::string_view name) {
  for (size_t i = 0; i < entries.size(); ++i) {
    std::string_view e = entries[i];
    if (e.size() > name.size() && e[name.size()] == '=' && e.substr(0, name.size()) == name)
      return i;
  }
  return std::nullopt;
}

// One change on a list known to be terminated.
EnvEdit apply_one(EnvBlock* block, const EnvChange& change) {
  if (!valid_name(change.name) ||
      (change.value && change.value->find('\0') != std::string_view::npos))
    return EnvEdit::kBadName;
  std::optional<std::vector<std::string_view>> entries = env_entries(*block);
  if (!entries) return EnvEdit::kNotTerminated;
  size_t used = list_bytes(*entries);
  std::optional<size_t> old = find_index(*entries, change.name);
  size_t old_bytes = old ? (*entries)[*old].size() + 1 : 0;
  if (change.value) {
    // The old entry's room counts: replacing a value by one of the same length always fits.
    size_t needed = change.name.size() + 1 + change.value->size() + 1;
    if (used - old_bytes + needed + 1 > kEnvAreaSize) return EnvEdit::kOverflow;
  }
  char* area = block->vars;
  if (old) {
    char* at = area + ((*entries)[*old].data() - area);
    size_t after = used - static_cast<size_t>(at - area) - old_bytes;
    std::memmove(at, at + old_bytes, after);
    used -= old_bytes;
    std::memset(area + used, 0, old_bytes);
  }
  if (change.value) {
    char* at = area + used;
    std::memcpy(at, change.name.data(), change.name.size());
    at[change.name.size()] = '=';
    std::memcpy(at + change.name.size() + 1, change.value->data(), change.value->size());
    at[change.name.size() + 1 + change.value->size()] = '\0';
    used += change.name.size() + 1 + change.value->size() + 1;
  }
  area[used] = '\0';
  return EnvEdit::kDone;
}

}  // namespace

uint32_t env_computed_crc(const EnvBlock& block) {
  // Bytes 4 to the end: the variable area and the generation byte.
  uint32_t crc = crc32(0, block.vars, sizeof block.vars);
  return crc32(crc, &block.generation, 1);
}

uint32_t env_stored_crc(const EnvBlock& block) {
  return load_le32(block.crc);
}

bool env_crc_ok(const EnvBlock& block) {
  return env_stored_crc(block) == env_computed_crc(block);
}

void env_seal(EnvBlock* block) {
  store_le32(block->crc, env_computed_crc(*block));
}

EnvChoice env_choose_copy(bool valid0, uint8_t generation0, bool valid1, uint8_t generation1) {
  if (valid0 && !valid1) return EnvChoice::kCopy0;
  if (!valid0 && valid1) return EnvChoice::kCopy1;
  if (!valid0 && !valid1) return EnvChoice::kDefault;
  if ((generation0 == 255 && generation1 == 0) || generation0 < generation1)
    return EnvChoice::kCopy1;
  return EnvChoice::kCopy0;
}

void env_put_default(EnvBlock* block) {
  std::memset(block->vars, 0, sizeof block->vars);
  std::memcpy(block->vars, kDefaultEnvironment, sizeof kDefaultEnvironment);
}

std::optional<std::vector<std::string_view>> env_entries(const EnvBlock& block) {
  std::vector<std::string_view> entries;
  const char* area = block.vars;
  size_t at = 0;
  while (at < sizeof block.vars) {
    size_t length = strnlen(area + at, sizeof block.vars - at);
    if (length == 0) return entries;
    if (at + length >= sizeof block.vars) break;  // no NUL before the end of the area
    entries.emplace_back(area + at, length);
    at += length + 1;
  }
  return std::nullopt;
}

std::optional<std::string_view> env_find(const std::vector<std::string_view>& entries,
                                         std::string_view name) {
  std::optional<size_t> i = find_index(entries, name);
  if (!i) return std::nullopt;
  return entries[*i].substr(name.size() + 1);
}

EnvEdit env_apply(EnvBlock* block, std::span<const EnvChange> changes, size_t* failed) {
  // The variable area is edited on a copy so that a refused batch leaves no trace.
  std::vector<char> saved(block->vars, block->vars + sizeof block->vars);
  for (size_t i = 0; i < changes.size(); ++i) {
    EnvEdit result = apply_one(block, changes[i]);
    if (result != EnvEdit::kDone) {
      std::memcpy(block->vars, saved.data(), saved.size());
      if (failed != nullptr) *failed = i;
      return result;
    }
  }
  return EnvEdit::kDone;
}

bool env_encode(std::span<const std::string> texts, EnvBlock* block) {
  std::memset(block, 0, sizeof *block);
  size_t at = 0;
  for (const std::string& text : texts) {
    size_t eq = text.find('=');
    if (eq == std::string::npos || !valid_name(std::string_view(text).substr(0, eq)) ||
        text.find('\0') != std::string::npos || at + text.size() + 1 + 1 > sizeof block->vars)
      return false;
    std::memcpy(block->vars + at, text.c_str(), text.size() + 1);
    at += text.size() + 1;
  }
  return true;
}
