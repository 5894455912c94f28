// Core payload bytes built by hand for the camera tests, independently of the code's
// structs: native little-endian int32 values and NUL-filled fixed text fields.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "support/bytes.h"

namespace camtest {

using nvrtest::Bytes;

using Sizes = std::vector<std::pair<int, int>>;

// An 8204 stream settings answer of 620 bytes: 24 resolution pairs per stream (the given
// main ones, then zero; one D1 sub size), the current main size, fixed ranges and rates.
inline std::string stream_answer(int state, int channel, const Sizes& main, int width, int height) {
  Bytes b;
  b.i32(state).i32(channel);
  for (std::size_t i = 0; i < 24; ++i)
    b.i32(i < main.size() ? main[i].first : 0).i32(i < main.size() ? main[i].second : 0);
  b.i32(30).i32(1).i32(8192).i32(256).i32(1).i32(width).i32(height);  // 50..56
  b.i32(25).i32(4096).i32(50).i32(2).i32(1).i32(200);                 // 57..62
  b.i32(704).i32(576);
  for (int i = 1; i < 24; ++i) b.i32(0).i32(0);
  b.i32(15).i32(1).i32(2048).i32(64).i32(0).i32(704).i32(576);  // 111..117
  b.i32(15).i32(1024).i32(30).i32(0).i32(1).i32(100);           // 118..123
  for (int v : {1, 0, 1, 5, 0, 1, 1, 1, 3, 0, 0, 0, 50, 30, 10}) b.i32(v);
  return b.zeros(64).str();
}

}  // namespace camtest
