// A laid-out emulated recorder for the tests of update's flash and policy code, and a
// fake of the boot environment's records that remembers what the writers recorded.
#pragma once

#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "boot_records.h"
#include "layout.h"
#include "support/process.h"
#include "support/temp_root.h"

struct FakeBootRecords {
  struct Recorded {
    size_t index;
    uint32_t size, version, date;
    bool operator==(const Recorded&) const = default;
  };
  InstalledSystem installed;
  int read_result = 0;
  int record_result = 0;
  std::vector<Recorded> recorded;

  BootRecords interface() {
    BootRecords r;
    r.context = this;
    r.read_installed = [](void* self, InstalledSystem* out) {
      auto* fake = static_cast<FakeBootRecords*>(self);
      if (fake->read_result == 0) *out = fake->installed;
      return fake->read_result;
    };
    r.record_partition = [](void* self, size_t index, uint32_t size, uint32_t version,
                            uint32_t date) {
      auto* fake = static_cast<FakeBootRecords*>(self);
      if (fake->record_result == 0) fake->recorded.push_back({index, size, version, date});
      return fake->record_result;
    };
    return r;
  }
};

class RecorderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    options_.small = true;
    options_.tool_path = nvrtest::bin_path("flashsim");
    std::string error;
    ASSERT_TRUE(flashsim::create_recorder(root_.path(), options_, &error)) << error;
    setenv("NVR_ROOT", root_.path().c_str(), 1);
  }
  // Back to the private root every test process starts with.
  void TearDown() override { setenv("NVR_ROOT", saved_root_.c_str(), 1); }

  const std::string saved_root_ = std::getenv("NVR_ROOT") != nullptr ? std::getenv("NVR_ROOT") : "";
  flashsim::LayoutOptions options_;
  nvrtest::TempRoot root_;
  FakeBootRecords env_;
};
