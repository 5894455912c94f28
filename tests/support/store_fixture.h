// A test with a store file of its own: "/mnt/nand/app/<test name>.db" under the process's
// NVR_ROOT, its connections closed after each test. For tests that link the store.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "dvdb.h"
#include "support/temp_root.h"

namespace nvrtest {

class StoreFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    process_temp_root();
    store_ = "/mnt/nand/app/" +
             std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + ".db";
  }
  void TearDown() override { store_close_all(); }
  const char* store() const { return store_.c_str(); }
  std::string store_;
};

}  // namespace nvrtest
