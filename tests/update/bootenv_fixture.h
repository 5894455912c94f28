// A laid-out emulated recorder for the boot environment tests, and an independent reader
// of the environment device: copies are built and decoded here byte by byte, and the
// boot loader's choice of a copy is restated, without the code under test.
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/temp_root.h"

namespace envtest {

using Vars = std::vector<std::string>;

// One copy as the boot loader sees it.
struct Copy {
  bool valid = false;  // readable and its checksum right
  uint8_t generation = 0;
  Vars vars;
};

// A 64 KiB copy holding `vars`; with `good_crc` false its checksum is off by one.
std::string make_copy(const Vars& vars, uint8_t generation, bool good_crc = true);

// Copy `index` (0 or 1) of an environment device's bytes, as the boot loader reads it from
// a device without bad blocks: checksum, generation and the list, which must end before
// the generation byte.
Copy decode_copy(const std::string& device, int index);

// The variables the boot loader boots with, given both copies; nullopt for its built-in
// environment.
std::optional<Vars> boot_vars(const Copy& c0, const Copy& c1);

// The value of `name` in a list of "name=value" texts.
std::optional<std::string> value_of(const Vars& vars, const std::string& name);

class EnvDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Lays out a factory-fresh recorder under the root (again) and unloads the store.
  void lay_out();

  // The environment device's bytes, and one copy of it.
  std::string device() const { return root_.read("/dev/mtd1"); }
  void put_device(const std::string& bytes) const { root_.write("/dev/mtd1", bytes); }
  void put_copy(int index, const std::string& copy) const;
  Copy copy(int index) const;
  // The variables the boot loader boots with, or nullopt for its built-in environment.
  std::optional<Vars> boot_view() const;

  // Replaces the device's settings ("type 4\nerasesize 16384\n...").
  void put_side(const std::string& text) const { root_.write("/dev/mtd1.flash", text); }
  std::string side() const { return root_.read("/dev/mtd1.flash"); }
  // NAND with 16 KiB erase blocks and 2 KiB pages: four erase blocks per copy; `bad` lists
  // bad erase blocks.
  void make_nand(const std::set<int>& bad = {}) const;

  nvrtest::TempRoot root_;
  std::string saved_root_;
};

}  // namespace envtest
