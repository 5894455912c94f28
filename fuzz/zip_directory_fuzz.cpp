// libFuzzer target for the customisation package's zip directory as decrypted from an
// upload: the check walks the end record and every directory entry within the bytes given.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "system/system_handlers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // An exact-size copy, so that a read past the end is caught.
  std::vector<unsigned char> bytes(data, data + size);
  (void)zip_entries_are_safe(bytes.data(), bytes.size());
  return 0;
}
