// Runs the real update and mkupfw on an emulated recorder laid out in a private root, and
// reads back what they left: the partitions' bytes, the boot environment as the boot
// loader sees it (decoded here, not by the code under test), the result file and the
// programs the tool started.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "bootenv_fixture.h"
#include "layout.h"
#include "support/process.h"
#include "support/temp_root.h"

namespace updtest {

// One record of an image to build: its name for mkupfw ("ker", "fs", ...), its content and
// its version ("" for the record's usual one).
struct Part {
  std::string record;
  std::string content;
  std::string version;
};

// `content` padded with 0xFF to whole 2048-byte units, as mkupfw stores a record.
std::string padded(const std::string& content);

class RecorderProcessTest : public ::testing::Test {
 protected:
  void SetUp() override { lay_out(); }

  // Lays out a fresh recorder (small layout unless the options say otherwise).
  void lay_out(flashsim::LayoutOptions options = small_layout());
  static flashsim::LayoutOptions small_layout();

  // Runs a program of the build with NVR_ROOT set to the root; `env` adds variables.
  nvrtest::ProcessResult run(const std::string& program, const std::vector<std::string>& args,
                             const std::map<std::string, std::string>& env = {}) const;
  nvrtest::ProcessResult update(const std::vector<std::string>& args) const {
    return run("update", args);
  }

  // Builds an image with mkupfw at `rel` under the root; its full path.
  std::string image(const std::vector<Part>& parts,
                    const std::string& rel = "/dev/shm/updateFM.bin") const;

  // The boot loader's view of the environment (a test failure when it has none).
  envtest::Vars boot_env() const;
  std::optional<std::string> boot_var(const std::string& name) const;
  // Rewrites the environment with `vars` in both copies.
  void put_env(const envtest::Vars& vars) const;
  // The environment with `name` set to `value` (or removed when nullopt).
  void put_var(const std::string& name, const std::optional<std::string>& value) const;

  // The bytes of "/dev/mtdN".
  std::string partition(int mtd) const { return root_.read("/dev/mtd" + std::to_string(mtd)); }
  // Every partition and side file, to prove that nothing was written.
  std::map<std::string, std::string> flash_state() const;

  // The environment record of a partition ("name:fs2\tver:0x...\tsize:...\tdate:... ").
  static std::string record_text(const std::string& name, uint32_t version, uint32_t size,
                                 uint32_t date);

  nvrtest::TempRoot root_;
};

}  // namespace updtest
