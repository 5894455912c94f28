// coresim's answers for the record module: its built-in rules and named builders.
#include "modules.h"

namespace {

constexpr int kChannels = 64;

std::int32_t read_i32(std::span<const std::uint8_t> bytes, std::size_t offset) {
  std::uint32_t v = 0;
  for (int i = 0; i < 4 && offset + i < bytes.size(); ++i)
    v |= static_cast<std::uint32_t>(bytes[offset + i]) << (8 * i);
  return static_cast<std::int32_t>(v);
}

// 7286: the asked channel and "supported".
std::vector<std::uint8_t> record_support(std::span<const std::uint8_t> request) {
  std::vector<std::uint8_t> out;
  put_i32(out, read_i32(request, 0));
  put_i32(out, 1);
  return out;
}

// 8218: a 32-channel recorder recording the main stream as primary and the sub stream as
// secondary on every channel.
std::vector<std::uint8_t> record_streams(std::span<const std::uint8_t>) {
  constexpr int kInUse = 32;
  std::vector<std::uint8_t> out;
  for (int i = 0; i < kChannels; ++i) put_i32(out, i < kInUse ? 1 : 0);
  for (int i = 0; i < kChannels; ++i) put_i32(out, i < kInUse ? 1 : 0);
  put_i32(out, kInUse);
  return out;
}

// 7285: every camera of the request's list took the ANR value.
std::vector<std::uint8_t> anr_all_ok(std::span<const std::uint8_t> request) {
  std::vector<std::uint8_t> out;
  std::int32_t count = read_i32(request, 4 * kChannels);
  if (count < 0 || count > kChannels) count = 0;
  for (int i = 0; i < kChannels; ++i) put_i32(out, i < count ? read_i32(request, 4 * i) : 0);
  for (int i = 0; i < kChannels; ++i) put_i32(out, 0);
  put_i32(out, count);
  put_i32(out, 0);
  return out;
}

constexpr NamedBuilder kBuilders[] = {
    {"record_support", record_support, "7286: the asked channel, support 1"},
    {"record_streams", record_streams, "8218: 32 channels, primary and secondary 1"},
    {"anr_all_ok", anr_all_ok, "7285: the request's ANR list, every result 0, not failed"},
};

}  // namespace

extern const CoreModule kCoreRecord = {"record", R"(# record module
# Change notices: holidays, one channel's record settings, schedule copy, mode change,
# record parameters.
1401 silent
1407 silent
1411 silent
1413 silent
1310 silent
# Camera ANR switch, record support of a channel, primary and secondary recording.
2285 builder=anr_all_ok
2286 builder=record_support
3218 builder=record_streams
)",
                                       kBuilders};
