// coresim's answers for the PTZ module and the aging quick settings: their built-in rules
// and named builders. The PTZ state is that of a dome camera with eight named presets, one
// three-step tour and one recorded pattern, the same for every channel.
#include <string>

#include "modules.h"

namespace {

std::int32_t read_i32(std::span<const std::uint8_t> bytes, std::size_t offset) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < 4 && offset + i < bytes.size(); ++i)
    v |= static_cast<std::uint32_t>(bytes[offset + i]) << (8 * i);
  return static_cast<std::int32_t>(v);
}

constexpr int kPresets = 300;
constexpr int kTours = 8;
constexpr int kSteps = 48;
constexpr int kEnabledPresets = 8;

// 6265 and 6268: 3901 int32 words. Presets (enable, 32-byte name) first, then per tour
// 48 preset ids, 48 dwell times and 48 speeds, then 4 pattern switches, the tour status
// (5 x 8) and the auto-scan status (5).
std::vector<std::uint8_t> ptz_state(std::span<const std::uint8_t>) {
  std::vector<std::uint8_t> out;
  for (int p = 0; p < kPresets; ++p) {
    const bool on = p < kEnabledPresets;
    put_i32(out, on ? 1 : 0);
    put_text(out, on ? "Preset " + std::to_string(p + 1) : "", 32);
  }
  for (int t = 0; t < kTours; ++t) {
    const int steps = t == 0 ? 3 : 0;  // tour 1: presets 1, 2 and 3
    for (int s = 0; s < kSteps; ++s) put_i32(out, s < steps ? s + 1 : 0);
    for (int s = 0; s < kSteps; ++s) put_i32(out, s < steps ? 10 : 0);
    for (int s = 0; s < kSteps; ++s) put_i32(out, s < steps ? 5 : 0);
  }
  for (int i = 0; i < 4; ++i) put_i32(out, i == 0 ? 1 : 0);
  for (int i = 0; i < 5 * 8; ++i) put_i32(out, 0);
  for (int i = 0; i < 5; ++i) put_i32(out, 0);
  return out;
}

// 6270: the asked channel's basic PTZ settings (136 bytes; the mask field empty).
std::vector<std::uint8_t> ptz_basic(std::span<const std::uint8_t> request) {
  std::vector<std::uint8_t> out;
  put_i32(out, 0);                              // status
  put_i32(out, read_i32(request, 0));           // chnId
  for (int i = 0; i < 6; ++i) put_i32(out, 1);  // zoom .. auto-scan supported
  for (std::int32_t v : {1, 5, 5, 1, 30, 0, 1, 60, 0}) put_i32(out, v);
  put_text(out, "", 68);
  return out;
}

// 8363: the asked channel's light, off.
std::vector<std::uint8_t> ptz_light(std::span<const std::uint8_t> request) {
  std::vector<std::uint8_t> out;
  put_i32(out, read_i32(request, 0));
  put_i32(out, 0);
  return out;
}

constexpr NamedBuilder kBuilders[] = {
    {"ptz_state", ptz_state, "6265/6268: 8 named presets, tour 1 of 3 steps, pattern 1"},
    {"ptz_basic", ptz_basic, "6270: the asked channel's PTZ basic settings"},
    {"ptz_light", ptz_light, "8363: the asked channel's light, off"},
};

}  // namespace

extern const CoreModule kCorePtz = {"ptz", R"(# ptz module
# Commands, preset operations, patterns, tours, preset calls, zoom, port changes.
1251 silent
1252 silent
1253 silent
1254 silent
1257 silent
1260 silent
1261 silent
1264 silent
1266 silent
1267 silent
1269 silent
# PTZ support (0: supported), the PTZ state, basic settings read and changed, control
# commands, the light state, and camera parameter pushes (speed, fisheye preset names).
1262 builder=status_ok
1265 builder=ptz_state
1268 builder=ptz_state
1270 builder=ptz_basic
1271 builder=status_ok
3361 builder=status_ok
3363 builder=ptz_light
# aging quick settings: the SSH switch (channel and record notices are the camera's and
# the record module's).
1702 silent
)",
                                    kBuilders};
