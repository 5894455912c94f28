// Core payload bytes built by hand for the camera tests, independently of the code's
// structs: native little-endian int32 values and NUL-filled fixed text fields.
#pragma once

#include <cstdint>
#include <string>

#include "support/bytes.h"

namespace camtest {

using nvrtest::Bytes;

}  // namespace camtest
