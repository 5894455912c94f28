// coresim's answers for the event module: its built-in rules and named builders.
#include <cstring>
#include <string>

#include "modules.h"

namespace {

// Answer 8206: the motion map of the requested channel as a camera would keep it -- the
// whole frame selected (18 rows of 16 cells), middle sensitivity, no fisheye.
std::vector<std::uint8_t> motion_map(std::span<const std::uint8_t> request) {
  std::int32_t channel = 0;
  if (request.size() >= sizeof channel) std::memcpy(&channel, request.data(), sizeof channel);
  std::vector<std::uint8_t> out;
  put_i32(out, 1);                                // detection on
  put_text(out, std::string(18 * 16, '1'), 300);  // grid
  put_i32(out, 5);                                // sensitivity
  put_i32(out, channel);
  put_i32(out, 0);  // result: read
  put_i32(out, 1);  // camera model type
  put_i32(out, 0);  // fisheye display, transfer, installation
  put_i32(out, 0);
  put_i32(out, 0);
  return out;
}

constexpr NamedBuilder kEventBuilders[] = {
    {"motion_map", motion_map, "332-byte motion map of the requested channel (answer 8206)"},
};

}  // namespace

extern const CoreModule kCoreEvent = {"event", R"(# event module
# Motion map of a camera.
3206 builder=motion_map
# Camera-side event settings: the camera's result word, 0 = accepted.
3244 builder=status_ok
3245 builder=status_ok
3246 builder=status_ok
3247 builder=status_ok
3248 builder=status_ok
3249 builder=status_ok
3250 builder=status_ok
3254 builder=status_ok
3260 builder=status_ok
3261 builder=status_ok
3269 builder=status_ok
# Notices and camera commands sent without waiting.
1403 silent
1410 silent
3207 silent
3209 silent
3212 silent
3251 silent
3252 silent
)",
                                      kEventBuilders};
