// Channel selections as core payloads carry them: a 64-bit mask as two 32-bit words, or a
// list of up to 64 channels with its count. Native little-endian, fixed layouts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

// A channel mask: two 32-bit words, channels 0 to 31 in the low word, sent first.
struct CoreChannelMask {
  uint32_t low;
  uint32_t high;
};
static_assert(sizeof(CoreChannelMask) == 8);
static_assert(std::is_trivially_copyable_v<CoreChannelMask>);

constexpr CoreChannelMask core_channel_mask(uint64_t mask) {
  return {static_cast<uint32_t>(mask), static_cast<uint32_t>(mask >> 32)};
}

// A channel list: `count` channels in the first entries, the rest zero.
struct CoreChannelList {
  int32_t channel[64];
  int32_t count;
};
static_assert(sizeof(CoreChannelList) == 260);
static_assert(offsetof(CoreChannelList, count) == 256);
static_assert(std::is_trivially_copyable_v<CoreChannelList>);

// Every channel of the mask, in ascending order.
constexpr CoreChannelList core_channel_list(uint64_t mask) {
  CoreChannelList list{};
  for (int c = 0; c < 64; ++c)
    if ((mask >> c) & 1u) list.channel[list.count++] = c;
  return list;
}
