// The boot environment test fixture (see bootenv_fixture.h).
#include "bootenv_fixture.h"

#include <cstdlib>
#include <cstring>
#include <sstream>

#include "bootenv.h"
#include "layout.h"
#include "support/process.h"
#include "support/reference_crc.h"

namespace envtest {

namespace {
constexpr size_t kCopySize = 0x10000;
}

std::string make_copy(const Vars& vars, uint8_t generation, bool good_crc) {
  std::string bytes(kCopySize, '\0');
  size_t at = 4;
  for (const std::string& v : vars) {
    bytes.replace(at, v.size() + 1, v.c_str(), v.size() + 1);
    at += v.size() + 1;
  }
  bytes[kCopySize - 1] = static_cast<char>(generation);
  uint32_t crc =
      nvrtest::reference_crc(reinterpret_cast<const uint8_t*>(bytes.data()) + 4, kCopySize - 4);
  if (!good_crc) ++crc;
  for (int i = 0; i < 4; ++i) bytes[static_cast<size_t>(i)] = static_cast<char>(crc >> (8 * i));
  return bytes;
}

void EnvDeviceTest::SetUp() {
  const char* root = std::getenv("NVR_ROOT");
  saved_root_ = root != nullptr ? root : "";
  lay_out();
}

void EnvDeviceTest::lay_out() {
  flashsim::LayoutOptions options;
  options.small = true;
  options.tool_path = nvrtest::bin_path("flashsim");
  std::string error;
  ASSERT_TRUE(flashsim::create_recorder(root_.path(), options, &error)) << error;
  setenv("NVR_ROOT", root_.path().c_str(), 1);
  env_deinit();
}

void EnvDeviceTest::TearDown() {
  env_deinit();
  setenv("NVR_ROOT", saved_root_.c_str(), 1);
}

void EnvDeviceTest::put_copy(int index, const std::string& copy) const {
  std::string dev = device();
  dev.replace(static_cast<size_t>(index) * kCopySize, kCopySize, copy);
  put_device(dev);
}

Copy decode_copy(const std::string& dev, int index) {
  Copy c;
  const size_t base = static_cast<size_t>(index) * kCopySize;
  if (dev.size() < base + kCopySize) return c;
  const auto* b = reinterpret_cast<const uint8_t*>(dev.data() + base);
  uint32_t stored = b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24;
  c.valid = stored == nvrtest::reference_crc(b + 4, kCopySize - 4);
  c.generation = b[kCopySize - 1];
  // Texts must end before the generation byte.
  size_t at = 4;
  while (at < kCopySize - 1 && b[at] != 0) {
    size_t end = at;
    while (end < kCopySize - 1 && b[end] != 0) ++end;
    if (end == kCopySize - 1) break;
    c.vars.emplace_back(reinterpret_cast<const char*>(b + at), end - at);
    at = end + 1;
  }
  return c;
}

std::optional<Vars> boot_vars(const Copy& c0, const Copy& c1) {
  if (!c0.valid && !c1.valid) return std::nullopt;
  if (c0.valid && c1.valid)
    return (c0.generation == 255 && c1.generation == 0) || c0.generation < c1.generation ? c1.vars
                                                                                         : c0.vars;
  return c0.valid ? c0.vars : c1.vars;
}

std::optional<std::string> value_of(const Vars& vars, const std::string& name) {
  for (const std::string& v : vars)
    if (v.size() > name.size() && v.compare(0, name.size(), name) == 0 && v[name.size()] == '=')
      return v.substr(name.size() + 1);
  return std::nullopt;
}

Copy EnvDeviceTest::copy(int index) const {
  Copy c = decode_copy(device(), index);
  const size_t base = static_cast<size_t>(index) * kCopySize;
  // A NAND copy with a bad block in its range cannot be read.
  std::istringstream side_text(side());
  std::string key;
  uint64_t value = 0, erasesize = 0;
  bool nand = false;
  std::set<uint64_t> bad;
  while (side_text >> key) {
    if (key == "#") {
      std::getline(side_text, key);
      continue;
    }
    side_text >> value;
    if (key == "type") nand = value == 4;
    if (key == "erasesize") erasesize = value;
    if (key == "bad") bad.insert(value);
  }
  if (nand && erasesize != 0)
    for (uint64_t blk : bad)
      if (blk * erasesize < base + kCopySize && (blk + 1) * erasesize > base) c.valid = false;
  return c;
}

std::optional<Vars> EnvDeviceTest::boot_view() const {
  return boot_vars(copy(0), copy(1));
}

void EnvDeviceTest::make_nand(const std::set<int>& bad) const {
  std::string text = "type 4\nerasesize 16384\nwritesize 2048\noobsize 64\n";
  for (int b : bad) text += "bad " + std::to_string(b) + "\n";
  put_side(text);
}

}  // namespace envtest
