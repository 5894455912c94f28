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

std::int32_t requested_channel(std::span<const std::uint8_t> request) {
  std::int32_t channel = 0;
  if (request.size() >= sizeof channel) std::memcpy(&channel, request.data(), sizeof channel);
  return channel;
}

// Answer 8211: the camera's OSD as a camera keeps it -- its name top left, the date top
// right, the same on the sub stream. A channel outside 0 to 63 answers as not connected.
std::vector<std::uint8_t> camera_osd(std::span<const std::uint8_t> request) {
  const std::int32_t channel = requested_channel(request);
  const bool known = channel >= 0 && channel < 64;
  const std::string name = "CAM" + std::to_string(known ? channel + 1 : 0);
  std::vector<std::uint8_t> out;
  put_i32(out, known ? channel : -1);
  for (int stream = 0; stream < 2; ++stream) {
    put_i32(out, 1);  // text shown
    put_text(out, name, 256);
    put_i32(out, 0);  // text position: top left
    put_i32(out, 1);  // date shown
    put_i32(out, 1);  // date position: top right
    put_i32(out, 0);  // date format
    put_i32(out, 2);  // font size
  }
  out.resize(844, 0);
  put_i32(out, 0);  // OSD type
  return out;
}

// Answer 7502: one camera entry for the requested channel with two drawn areas, a mask
// over the top left corner and a mosaic below it; room for four.
std::vector<std::uint8_t> camera_privacy_masks(std::span<const std::uint8_t> request) {
  std::vector<std::uint8_t> out;
  put_i32(out, requested_channel(request));
  put_i32(out, 1);  // masks on
  put_i32(out, 1);  // mask areas
  put_i32(out, 1);  // camera SDK flag
  put_text(out, "SDK 2.4.0", 32);
  put_i32(out, 4);  // largest PTZ zoom ratio
  put_i32(out, 1);  // area masks on
  put_text(out, "black,white,grey", 64);
  for (int a = 0; a < 28; ++a) {
    const bool drawn = a < 2;
    put_i32(out, a);               // area id
    put_i32(out, drawn ? 1 : 0);   // enabled
    put_i32(out, drawn ? 20 : 0);  // start x
    put_i32(out, drawn ? 20 + a * 80 : 0);
    put_i32(out, drawn ? 120 : 0);  // width
    put_i32(out, drawn ? 60 : 0);   // height
    put_i32(out, 0);                // fill colour
    put_i32(out, drawn ? 1 : 0);    // ratio
    put_text(out, drawn ? (a == 0 ? "mask" : "mosaic") : "", 64);
  }
  put_i32(out, 1);  // mosaic supported
  put_i32(out, 1);  // mosaic areas
  put_i32(out, 0);
  put_i32(out, 0);
  put_i32(out, 1);  // colours supported
  put_i32(out, 4);  // areas a camera takes
  return out;
}

constexpr NamedBuilder kEventBuilders[] = {
    {"motion_map", motion_map, "332-byte motion map of the requested channel (answer 8206)"},
    {"camera_osd", camera_osd, "848-byte camera OSD of the requested channel (answer 8211)"},
    {"camera_privacy_masks", camera_privacy_masks,
     "2832-byte privacy masks of the requested camera (answer 7502)"},
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
# Camera OSD: set (result word, 0 = done) and read.
3210 builder=status_ok
3211 builder=camera_osd
# Privacy masks on the camera and the mask edit switch (result word). The camera's model
# type (2503) is the camera module's rule.
2502 builder=camera_privacy_masks
3353 builder=status_ok
# Notices and camera commands sent without waiting.
1007 silent
1311 silent
1312 silent
1313 silent
1402 silent
1414 silent
2104 silent
2508 silent
2509 silent
3394 silent
1403 silent
1410 silent
3207 silent
3209 silent
3212 silent
3251 silent
3252 silent
)",
                                      kEventBuilders};
