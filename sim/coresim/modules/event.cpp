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

// ---- Smart events (VCA): what a camera with analysis keeps ----------------------------------

void put_zero(std::vector<std::uint8_t>& out, std::size_t n) {
  out.insert(out.end(), n, 0);
}

// A 4480-byte area record: a box over the middle of a 22 x 18 grid, drawn once more as the
// first of the four regions. `event` picks the values that event's page shows.
std::vector<std::uint8_t> vca_area(std::span<const std::uint8_t> request, int event) {
  std::vector<std::uint8_t> out;
  put_i32(out, requested_channel(request));
  put_i32(out, 1);  // on
  put_zero(out, 16);
  put_i32(out, event == 6 ? 0 : 50);  // sensitivity
  put_i32(out, event == 5 ? 10 : 0);  // loitering time
  put_i32(out, event == 5 ? 2 : 0);   // loitering size
  put_i32(out, event == 6 ? 5 : 0);   // human tracks
  std::string grid;
  for (int row = 0; row < 18; ++row)
    grid += row >= 4 && row < 14 ? std::string(6, '0') + std::string(10, '1') + std::string(6, '0')
                                 : std::string(22, '0');
  put_text(out, event == 3 || event == 6 ? "" : grid, 300);
  put_i32(out, event == 2 ? 3 : 0);  // advanced motion: ignore time
  put_i32(out, 1);                   // object type: people
  put_text(out, "120,340,340,120", 64);
  put_text(out, "60,60,200,200", 64);
  put_zero(out, 564 - out.size());  // copy text and room
  put_i32(out, 1);                  // region type: one polygon per region
  put_i32(out, 0);                  // region scene
  put_i32(out, 1);                  // region 0 on
  put_zero(out, 4);
  put_i32(out, 10);  // its time
  put_i32(out, 1);   // its object type
  put_zero(out, 64);
  put_text(out, "120,340,340,120", 64);
  put_text(out, "60,60,200,200", 64);
  out.resize(4480, 0);
  return out;
}

std::vector<std::uint8_t> vca_region(std::span<const std::uint8_t> request) {
  return vca_area(request, 0);
}
std::vector<std::uint8_t> vca_motion(std::span<const std::uint8_t> request) {
  return vca_area(request, 2);
}
std::vector<std::uint8_t> vca_tamper(std::span<const std::uint8_t> request) {
  return vca_area(request, 3);
}
std::vector<std::uint8_t> vca_loitering(std::span<const std::uint8_t> request) {
  return vca_area(request, 5);
}
std::vector<std::uint8_t> vca_human(std::span<const std::uint8_t> request) {
  return vca_area(request, 6);
}

// Answer 8241: a 1920 x 1080 frame crossed by one line across its middle.
std::vector<std::uint8_t> vca_line(std::span<const std::uint8_t> request) {
  std::vector<std::uint8_t> out;
  put_i32(out, requested_channel(request));
  put_i32(out, 1);
  put_i32(out, 1920);
  put_i32(out, 1080);
  for (int l = 0; l < 4; ++l) {
    const bool drawn = l == 0;
    put_i32(out, drawn ? 480 : 0);
    put_i32(out, drawn ? 540 : 0);
    put_i32(out, drawn ? 1440 : 0);
    put_i32(out, drawn ? 540 : 0);
    put_i32(out, drawn ? 2 : 0);  // direction: both ways
    put_zero(out, 104);
  }
  put_i32(out, 1);  // object type
  out.resize(612, 0);
  return out;
}

// Answer 8253: one counting line down the middle of a 1920 x 1080 frame, counts shown.
std::vector<std::uint8_t> vca_people(std::span<const std::uint8_t> request) {
  std::vector<std::uint8_t> out;
  put_i32(out, requested_channel(request));
  for (std::int32_t v : {1920, 1080, 1, 2, 0, 50, 0, 1, 0, 1, 0, 100, 0, 0, 0}) put_i32(out, v);
  for (int l = 0; l < 4; ++l) {
    const bool drawn = l == 0;
    for (int flag = 0; flag < 4; ++flag) out.push_back(drawn && flag != 2 ? 1 : 0);
    put_i32(out, drawn ? 960 : 0);
    put_i32(out, drawn ? 100 : 0);
    put_i32(out, drawn ? 960 : 0);
    put_i32(out, drawn ? 980 : 0);
    put_i32(out, 0);  // reset on Sunday at midnight
    put_zero(out, 12);
    put_i32(out, 0);  // no alarm
    put_zero(out, 16);
  }
  out.resize(26536, 0);
  return out;
}

// Answer 8259: analysis at 8 frames a second on a 1920 x 1080 frame.
std::vector<std::uint8_t> vca_settings(std::span<const std::uint8_t> request) {
  std::vector<std::uint8_t> out;
  put_i32(out, requested_channel(request));
  for (std::int32_t v : {1, 8, 0, 0, 1, 1920, 1080, 10, 10, 96, 96, 0, 0, 1920, 1080})
    put_i32(out, v);
  return out;
}

// Answer 8268: both left and removed objects watched in the middle box.
std::vector<std::uint8_t> vca_object(std::span<const std::uint8_t> request) {
  std::vector<std::uint8_t> out;
  put_i32(out, requested_channel(request));
  put_i32(out, 50);  // sensitivity
  put_i32(out, 1);   // left
  put_i32(out, 1);   // removed
  put_i32(out, 30);  // seconds
  put_zero(out, 16);
  put_text(out, "", 300);
  put_text(out, "120,340,340,120", 64);
  put_text(out, "60,60,200,200", 64);
  out.resize(4468, 0);
  return out;
}

// Answer 8257: every smart event 0 to 8, all supported.
std::vector<std::uint8_t> vca_support(std::span<const std::uint8_t> /*request*/) {
  std::vector<std::uint8_t> out;
  for (int type = 0; type < 9; ++type) {
    put_i32(out, type);
    put_i32(out, 1);
    put_zero(out, 36);
  }
  return out;
}

// Answer 6209: the camera's own line-crossing record -- a 1920 x 1080 frame crossed by one
// line across its middle, people counted both ways.
std::vector<std::uint8_t> vca_line2(std::span<const std::uint8_t> request) {
  std::vector<std::uint8_t> out;
  put_i32(out, requested_channel(request));
  put_i32(out, 50);  // sensitivity
  put_i32(out, 1920);
  put_i32(out, 1080);
  for (int l = 0; l < 4; ++l) {
    const bool drawn = l == 0;
    put_i32(out, drawn ? 1 : 0);  // on
    put_i32(out, drawn ? 480 : 0);
    put_i32(out, drawn ? 540 : 0);
    put_i32(out, drawn ? 1440 : 0);
    put_i32(out, drawn ? 540 : 0);
    put_i32(out, drawn ? 2 : 0);  // direction: both ways
    put_i32(out, drawn ? 1 : 0);  // object type: people
    put_zero(out, 100);
  }
  out.resize(628, 0);
  return out;
}

// Answer 6211: the camera's own analysis settings -- 8 frames a second on a 1920 x 1080
// frame; the first box allows objects from 96 x 96 up to the whole frame, the others are
// unused.
std::vector<std::uint8_t> vca_settings2(std::span<const std::uint8_t> request) {
  std::vector<std::uint8_t> out;
  put_i32(out, requested_channel(request));
  for (std::int32_t v : {0, 8, 0, 0, 1, 1920, 1080}) put_i32(out, v);
  for (std::int32_t first : {10, 10, 96, 96, 0, 0, 1920, 1080}) {
    put_i32(out, first);
    put_zero(out, 7 * 4);
  }
  out.resize(356, 0);
  return out;
}

// Answer 8213: the camera's alarm input -- a normally open contact, off, linked to
// nothing. The trigger text fills the record to its end.
std::vector<std::uint8_t> camera_io(std::span<const std::uint8_t> request) {
  std::vector<std::uint8_t> out;
  put_i32(out, 0);
  put_i32(out, requested_channel(request));
  put_i32(out, 0);  // off
  put_i32(out, 0);  // normally open
  put_i32(out, 0);  // no actions
  put_text(out, "", 72);
  return out;
}

// Answer 8215: the camera's sound detection -- off, alarm on a rise above level 50 held
// for 3 seconds.
std::vector<std::uint8_t> volume_detect(std::span<const std::uint8_t> request) {
  std::vector<std::uint8_t> out;
  put_i32(out, 0);
  put_i32(out, requested_channel(request));
  put_i32(out, 0);   // off
  put_i32(out, 1);   // rise above the level
  put_i32(out, 50);  // level
  put_i32(out, 3);   // seconds
  put_i32(out, 1);   // event codes: on, off, ongoing
  put_i32(out, 2);
  put_i32(out, 3);
  put_i32(out, 0);  // no actions
  put_text(out, "", 72);
  return out;
}

// Answer 8232: a fisheye camera hung from the ceiling, showing its whole circle,
// dewarped by the recorder.
std::vector<std::uint8_t> fisheye(std::span<const std::uint8_t> request) {
  std::vector<std::uint8_t> out;
  put_i32(out, requested_channel(request));
  put_i32(out, 1);  // ceiling
  put_i32(out, 0);  // fisheye view
  put_i32(out, 1);  // dewarped by the recorder
  put_i32(out, 0);  // result: read
  return out;
}

// Answer 8373: the camera checked is a fisheye camera with its default modes and two
// streams.
std::vector<std::uint8_t> fisheye_support(std::span<const std::uint8_t> /*request*/) {
  std::vector<std::uint8_t> out;
  put_i32(out, 1);  // supported
  put_i32(out, 0);  // transfer
  put_i32(out, 1);  // install: ceiling
  put_i32(out, 0);  // display
  put_i32(out, 2);  // streams
  return out;
}

// ---- Number-plate recognition: what a camera with plate recognition keeps ---------------------

// An 80-byte named box.
void put_area(std::vector<std::uint8_t>& out, const std::string& name, std::int32_t x0,
              std::int32_t y0, std::int32_t x1, std::int32_t y1) {
  put_text(out, name, 64);
  for (std::int32_t v : {x0, y0, x1, y1}) put_i32(out, v);
}

// Answer 8289: recognition on over the lower middle of a 1920 x 1080 frame, plates of two
// regions, one region of interest, one preset area, night mode from 19:00 to 07:00, one
// polygon (the camera's analysis type draws them).
std::vector<std::uint8_t> anpr_settings(std::span<const std::uint8_t> request) {
  std::vector<std::uint8_t> out;
  put_i32(out, requested_channel(request));
  for (std::int32_t v : {1, 1920, 1080, 480, 540, 960, 480, 1, 0, 1, 1, 1, 0, 30, 0, 0, 0, 8080})
    put_i32(out, v);
  put_text(out, "", 64);  // post user, password, URL
  put_text(out, "", 64);
  put_text(out, "", 512);
  put_i32(out, 80);  // confidence
  for (int r = 0; r < 32; ++r) put_text(out, r == 0 ? "EU" : r == 1 ? "UK" : "", 32);
  put_text(out, "EU", 32);
  for (std::int32_t v : {0, 1, 1, 1}) put_i32(out, v);  // not in night mode, colours, types
  for (int i = 0; i < 4; ++i)
    put_area(out, i == 0 ? "gate" : "", 0, 0, i == 0 ? 460 : 0, i == 0 ? 260 : 0);
  for (int i = 0; i < 16; ++i)
    put_area(out, i == 0 ? "lane" : "", 0, 0, i == 0 ? 230 : 0, i == 0 ? 130 : 0);
  put_zero(out, 3656 - out.size());
  for (std::int32_t v : {1, 2, 19, 0, 7, 0, 0, 1, 0, 0, 0}) put_i32(out, v);
  for (int i = 0; i < 4; ++i) {
    put_text(out, i == 0 ? "entry" : "", 64);
    put_text(out, i == 0 ? "10,450,450,10" : "", 64);
    put_text(out, i == 0 ? "10,10,250,250" : "", 64);
  }
  put_i32(out, 11);  // analysis type: plate recognition
  return out;
}

// Answer 8293: plate recognition supported, version 2.
std::vector<std::uint8_t> anpr_support(std::span<const std::uint8_t> request) {
  std::vector<std::uint8_t> out;
  put_i32(out, requested_channel(request));
  put_i32(out, 1);
  put_i32(out, 2);
  return out;
}

// Answer 6215: the zoom lens at rest, at step 1.
std::vector<std::uint8_t> anpr_zoom(std::span<const std::uint8_t> request) {
  std::vector<std::uint8_t> out;
  put_i32(out, requested_channel(request));
  put_i32(out, 0);
  put_i32(out, 1);
  return out;
}

// Answer 6207: plate filter on, two wildcards of seven characters, plates of at most 10.
std::vector<std::uint8_t> anpr_format(std::span<const std::uint8_t> request) {
  std::vector<std::uint8_t> out;
  put_i32(out, requested_channel(request));
  put_i32(out, 1);
  for (int i = 0; i < 10; ++i) put_i32(out, i < 2 ? 1 : 0);  // nine switches, one spare
  for (int i = 0; i < 8; ++i) put_i32(out, i < 2 ? 7 : 0);   // counts
  for (int i = 0; i < 9; ++i) put_text(out, i == 0 ? "AA999AA" : i == 1 ? "A999AAA" : "", 16);
  put_i32(out, 10);
  return out;
}

// Answer 6220: regional counting with the first of four regions drawn over the middle of
// the picture (limits of 10 people and 60 seconds), and the camera detecting all week
// (rows 0 to 6 whole days, as the camera form carries them).
std::vector<std::uint8_t> regional_pcnt(std::span<const std::uint8_t> request) {
  std::vector<std::uint8_t> out;
  put_i32(out, 0);  // result: read
  put_i32(out, requested_channel(request));
  for (std::int32_t v : {50, 10, 10, 96, 96, 0, 0, 1920, 1080}) put_i32(out, v);
  for (int r = 0; r < 4; ++r) {
    const bool drawn = r == 0;
    put_i32(out, drawn ? 1 : 0);
    put_text(out, drawn ? "115,345,345,115" : "", 64);
    put_text(out, drawn ? "65,65,195,195" : "", 64);
    for (std::int32_t v : {1, 10, 0, 0, 1, 60}) put_i32(out, drawn ? v : 0);
  }
  put_text(out, "", 68);  // copy text and fill
  for (int day = 0; day < 8; ++day) {
    const bool week = day < 7;
    put_text(out, week ? "00:00" : "", 32);
    put_text(out, week ? "24:00" : "", 32);
    put_i32(out, 0);
    put_zero(out, 47 * 68);
    put_i32(out, week ? 1 : 0);  // whole day: the row holds data
    put_i32(out, 0);
  }
  return out;
}

constexpr NamedBuilder kEventBuilders[] = {
    {"motion_map", motion_map, "332-byte motion map of the requested channel (answer 8206)"},
    {"camera_osd", camera_osd, "848-byte camera OSD of the requested channel (answer 8211)"},
    {"camera_privacy_masks", camera_privacy_masks,
     "2832-byte privacy masks of the requested camera (answer 7502)"},
    {"vca_region", vca_region, "4480-byte region record of the requested camera (8237, 8238)"},
    {"vca_motion", vca_motion, "4480-byte advanced motion record (answer 8239)"},
    {"vca_tamper", vca_tamper, "4480-byte tamper record (answer 8240)"},
    {"vca_line", vca_line, "612-byte line-crossing record, one line (answer 8241)"},
    {"vca_loitering", vca_loitering, "4480-byte loitering record (answer 8242)"},
    {"vca_human", vca_human, "4480-byte human detection record (answer 8243)"},
    {"vca_people", vca_people, "26536-byte people-counting record, one line (answer 8253)"},
    {"vca_settings", vca_settings, "64-byte analysis settings (answer 8259)"},
    {"vca_object", vca_object, "4468-byte object left/removed record (answer 8268)"},
    {"vca_support", vca_support, "nine 44-byte support entries (answer 8257)"},
    {"vca_line2", vca_line2, "628-byte camera line-crossing record, one line (answer 6209)"},
    {"vca_settings2", vca_settings2, "356-byte camera analysis settings (answer 6211)"},
    {"camera_io", camera_io, "92-byte camera alarm input of the requested camera (answer 8213)"},
    {"fisheye", fisheye, "20-byte fisheye modes of the requested camera (answer 8232)"},
    {"fisheye_support", fisheye_support, "20-byte fisheye check result (answer 8373)"},
    {"volume_detect", volume_detect, "112-byte sound detection of the requested camera (8215)"},
    {"anpr_settings", anpr_settings, "4472-byte plate recognition settings (answer 8289)"},
    {"anpr_support", anpr_support, "12-byte plate recognition support (answer 8293)"},
    {"anpr_zoom", anpr_zoom, "12-byte zoom state of the requested camera (answer 6215)"},
    {"anpr_format", anpr_format, "228-byte plate format of the requested camera (answer 6207)"},
    {"regional_pcnt", regional_pcnt, "26912-byte regional counting record (answer 6220)"},
};

}  // namespace

extern const CoreModule kCoreEvent = {"event", R"(# event module
# Motion map of a camera.
3206 builder=motion_map
# Smart-event (VCA) settings the camera keeps.
3237 builder=vca_region
3238 builder=vca_region
3239 builder=vca_motion
3240 builder=vca_tamper
3241 builder=vca_line
3242 builder=vca_loitering
3243 builder=vca_human
3253 builder=vca_people
3257 builder=vca_support
3259 builder=vca_settings
3268 builder=vca_object
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
1412 silent
# Camera alarm input and sound detection: read, and set without an answer.
3213 builder=camera_io
3215 builder=volume_detect
3214 silent
3216 silent
# Fisheye cameras: modes set (result word) and read, a camera checked and set up.
3231 builder=status_ok
3232 builder=fisheye
3373 builder=fisheye_support
3374 builder=status_ok
# The camera's own line-crossing and analysis settings: read, and set (result word).
1209 builder=vca_line2
1211 builder=vca_settings2
1210 builder=status_ok
1212 builder=status_ok
# Plate recognition: settings, support, zoom state and plate format read; settings and
# format set (result word); a list mode's linkage changed (notice).
3289 builder=anpr_settings
3290 builder=status_ok
3293 builder=anpr_support
1215 builder=anpr_zoom
1207 builder=anpr_format
1208 builder=status_ok
1416 silent
# Regional people counting: read, and set (result word, 0 = accepted).
1220 builder=regional_pcnt
1221 builder=status_ok
)",
                                      kEventBuilders};
