// main of every test binary: each test process gets a private NVR_ROOT before any code
// under test can resolve a path, so no test ever touches the host's /mnt, /dev or /tmp
// files of the system.
#include <gtest/gtest.h>

#include <cstdlib>

#include "temp_root.h"

int main(int argc, char** argv) {
  nvrtest::TempRoot root;
  setenv("NVR_ROOT", root.path().c_str(), 1);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
