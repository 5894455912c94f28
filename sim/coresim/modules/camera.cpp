// coresim's answers for the camera module: its built-in rules and named builders.
//
// The channel list and the model list are read from the settings store under the root
// (table "camera"), as the core daemon would know its channels, so that a channel added
// through the web pages shows up in them. Console commands are journaled and answered
// with a fixed text; coresim never runs them.
#include <sqlite3.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "modules.h"
#include "nvr_root.h"

namespace {

constexpr const char* kStorePath = "/mnt/nand/app/dvdb.db";
constexpr int kChannels = 64;

struct Camera {
  int id = 0;
  int port = 0;
  int protocol = 0;
  int rtsp_port = 0;
  int poe = 0;
  int physical = 0;
  int minor = 0;
  std::string address, mac, ddns;
};

std::string column_text(sqlite3_stmt* st, int col) {
  const unsigned char* t = sqlite3_column_text(st, col);
  return t != nullptr ? std::string(reinterpret_cast<const char*>(t)) : std::string();
}

// The enabled channels of the store, in id order; none when the store or its table is
// missing.
std::vector<Camera> stored_cameras() {
  std::vector<Camera> cameras;
  sqlite3* db = nullptr;
  std::string path = nvr_path(kStorePath);
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    return cameras;
  }
  sqlite3_busy_timeout(db, 5000);
  sqlite3_stmt* st = nullptr;
  const char* sql =
      "SELECT id, manage_port, model, main_rtsp_port, poechannel, physicalport, minorid, ipaddr, "
      "mac_addr, ddns FROM camera WHERE enable = 1 AND id BETWEEN 0 AND 63 ORDER BY id";
  if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) == SQLITE_OK) {
    while (sqlite3_step(st) == SQLITE_ROW) {
      Camera c;
      c.id = sqlite3_column_int(st, 0);
      c.port = sqlite3_column_int(st, 1);
      c.protocol = sqlite3_column_int(st, 2);
      c.rtsp_port = sqlite3_column_int(st, 3);
      c.poe = sqlite3_column_int(st, 4);
      c.physical = sqlite3_column_int(st, 5);
      c.minor = sqlite3_column_int(st, 6);
      c.address = column_text(st, 7);
      c.mac = column_text(st, 8);
      c.ddns = column_text(st, 9);
      cameras.push_back(std::move(c));
    }
  }
  sqlite3_finalize(st);
  sqlite3_close(db);
  return cameras;
}

const char* model_of(int id) {
  return id % 2 == 0 ? "IPC-B2" : "IPC-D4";
}

// 8201: one 1040-byte entry per enabled channel. An answer without channels carries 4
// zero bytes: an empty payload would reach webcgi as no answer at all.
std::vector<std::uint8_t> ipc_channel_list(std::span<const std::uint8_t>) {
  std::vector<std::uint8_t> out;
  for (const Camera& c : stored_cameras()) {
    put_i32(out, c.id);
    put_i32(out, c.port);
    put_i32(out, c.protocol);
    put_i32(out, 1);  // state: connected
    put_i32(out, c.rtsp_port);
    put_text(out, c.address, 32);
    put_text(out, "IPC Maker", 192);
    put_text(out, "SN" + std::to_string(100000 + c.id), 128);
    put_text(out, "V5.2.1", 64);
    put_text(out, c.mac, 48);
    put_text(out, model_of(c.id), 324);
    put_i32(out, c.poe);
    put_i32(out, c.physical);
    put_i32(out, 1);  // alarm inputs
    put_i32(out, 1);  // alarm outputs
    put_i32(out, 0);  // white LED
    put_i32(out, 0);  // LED alarm
    put_i32(out, 0);  // LED manual
    put_i32(out, c.minor);
    put_i32(out, 1);  // sub stream state
    put_i32(out, 1);  // connection state
    put_text(out, "SN" + std::to_string(100000 + c.id), 64);
    put_text(out, c.ddns, 64);
    put_text(out, "chip-a", 64);
  }
  if (out.empty()) put_i32(out, 0);
  return out;
}

// 8200: eight cameras of two models on 192.168.1.201 to .208, of the protocol searched.
std::vector<std::uint8_t> ipc_search(std::span<const std::uint8_t> request) {
  std::int32_t protocol = 0;
  if (request.size() >= 4)
    protocol = static_cast<std::int32_t>(request[0] | request[1] << 8 | request[2] << 16 |
                                         static_cast<std::uint32_t>(request[3]) << 24);
  std::vector<std::uint8_t> out;
  for (int i = 1; i <= 8; ++i) {
    std::string n = std::to_string(i);
    put_text(out, "192.168.1.20" + n, 32);
    put_text(out, "00:1a:2b:3c:4d:0" + n, 32);
    put_i32(out, 80);
    put_i32(out, protocol);
    put_text(out, "IPC Maker", 192);
    put_text(out, "SN20000" + n, 128);
    put_text(out, "V5.2.1", 64);
    put_text(out, model_of(i), 64);
    put_i32(out, i % 2 == 0 ? 10 : 11);
    put_text(out, "255.255.255.0", 32);
    put_text(out, "192.168.1.1", 32);
    put_text(out, "192.168.1.1", 32);
    put_text(out, "eth0", 8);
    put_i32(out, 1);
    put_text(out, "Camera " + n, 64);
    put_text(out, "SN20000" + n, 64);
  }
  return out;
}

// 7505: 64 entries of 164 bytes; channels without a camera have empty texts.
std::vector<std::uint8_t> ipc_channels_model(std::span<const std::uint8_t>) {
  std::vector<Camera> cameras = stored_cameras();
  std::vector<std::uint8_t> out;
  std::size_t next = 0;
  for (int ch = 0; ch < kChannels; ++ch) {
    bool has = next < cameras.size() && cameras[next].id == ch;
    put_i32(out, ch);
    put_text(out, has ? cameras[next].address : "", 32);
    put_text(out, has ? model_of(ch) : "", 64);
    put_text(out, has ? "V5.2.1" : "", 64);
    if (has) ++next;
  }
  return out;
}

// 8230: the results of the last batch: the first two cameras of a search, one changed.
std::vector<std::uint8_t> ipc_batch_result(std::span<const std::uint8_t>) {
  std::vector<std::uint8_t> out;
  put_text(out, "00:1a:2b:3c:4d:01", 48);
  put_i32(out, 0);
  put_text(out, "00:1a:2b:3c:4d:02", 48);
  put_i32(out, 1);
  return out;
}

// 9002: 16 bytes of status, then the result text.
std::vector<std::uint8_t> console_result(std::span<const std::uint8_t>) {
  std::vector<std::uint8_t> out(16, 0);
  const std::string text = "not run: the simulated core only journals console commands";
  out.insert(out.end(), text.begin(), text.end());
  out.push_back(0);
  return out;
}

// ---- Stream and image parameters of the cameras --------------------------------------------

// The channel id a query carries in its first 4 bytes (0 when it carries none).
std::int32_t request_channel(std::span<const std::uint8_t> request) {
  if (request.size() < 4) return 0;
  return static_cast<std::int32_t>(request[0] | request[1] << 8 | request[2] << 16 |
                                   static_cast<std::uint32_t>(request[3]) << 24);
}

// 24 (width, height) pairs: the sizes given, then zero pairs.
void put_resolutions(std::vector<std::uint8_t>& out, std::initializer_list<int> sizes) {
  int written = 0;
  for (int v : sizes) {
    put_i32(out, v);
    ++written;
  }
  for (; written < 48; ++written) put_i32(out, 0);
}

// 8204 (620 bytes): a 4 MP camera streaming 1080p H.265 main and D1 H.264 sub.
std::vector<std::uint8_t> stream_settings(std::span<const std::uint8_t> request) {
  std::vector<std::uint8_t> out;
  put_i32(out, 0);  // stateCode: valid
  put_i32(out, request_channel(request));
  put_resolutions(out, {2560, 1440, 1920, 1080, 1280, 720});
  for (int v : {30, 1, 8192, 256, 1, 1920, 1080, 25, 4096, 50, 0, 1, 200}) put_i32(out, v);
  put_resolutions(out, {704, 576, 640, 480, 352, 288});
  for (int v : {30, 1, 2048, 64, 0, 704, 576, 15, 1024, 30, 0, 1, 200}) put_i32(out, v);
  // subEnable .. thirdGop
  for (int v : {1, 0, 1, 0, 0, 1, 1, 0, 1, 1, 0, 1, 50, 30, 0}) put_i32(out, v);
  for (int i = 0; i < 16; ++i) put_i32(out, 0);
  return out;
}

// 8203: every channel of the change's mask text took it.
std::vector<std::uint8_t> stream_result(std::span<const std::uint8_t> request) {
  std::uint64_t mask = 0;
  for (std::size_t n = 0; n < 64 && n < request.size(); ++n)
    if (request[n] == '1') mask |= std::uint64_t{1} << n;
  std::vector<std::uint8_t> out;
  put_i32(out, static_cast<std::int32_t>(mask & 0xffffffffu));
  put_i32(out, static_cast<std::int32_t>(mask >> 32));
  return out;
}

// 8221 (232 bytes): WDR on at level 50 from 08:00 to 18:00, auto exposure, no defog.
std::vector<std::uint8_t> image_enhancement(std::span<const std::uint8_t> request) {
  std::vector<std::uint8_t> out;
  put_i32(out, request_channel(request));
  for (int v : {1, 0, 0, 0, 1, 50, 8, 0, 18, 0, 0, 0, 0, 0}) put_i32(out, v);
  put_text(out, "", 64);  // exposeregion
  for (int v : {0, 0, 50, 50, 128, 128, 0, 0, 0, 10, 50, 50, 50, 0, 0, 0}) put_i32(out, v);
  put_text(out, "V2.1.0", 32);
  for (int v : {0, 0, 0}) put_i32(out, v);
  return out;
}

// 8223 (360 bytes): colour by day, IR at night, no mirror or rotation.
std::vector<std::uint8_t> image_display(std::span<const std::uint8_t> request) {
  std::vector<std::uint8_t> out;
  put_i32(out, request_channel(request));
  for (int v : {0, 6, 0, 18, 0, 0, 0, 0, 0, 5, 5, 0, 0, 0, 0, 1, 50, 50, 50, 0, 0, 100})
    put_i32(out, v);
  put_text(out, "MIPI", 64);
  for (int v : {50, 50, 50, 0, 0}) put_i32(out, v);
  put_text(out, "IMX335", 16);
  put_text(out, model_of(request_channel(request)), 32);
  put_text(out, "V5.2.1", 32);
  for (int v : {0, 50, 0}) put_i32(out, v);
  put_text(out, "V2.1.0", 32);
  for (int i = 74; i < 89; ++i) put_i32(out, i == 76 || i == 77 ? 3 : 0);
  return out;
}

// 8225 (392 bytes): the parameter asked for, with the value "1".
std::vector<std::uint8_t> common_param(std::span<const std::uint8_t> request) {
  auto text_at = [&](std::size_t offset, std::size_t size) {
    std::string t;
    for (std::size_t i = offset; i < offset + size && i < request.size() && request[i] != 0; ++i)
      t.push_back(static_cast<char>(request[i]));
    return t;
  };
  std::vector<std::uint8_t> out;
  put_i32(out, request_channel(request));
  put_i32(out, 0);
  put_text(out, text_at(4, 64), 64);
  put_text(out, text_at(68, 64), 64);
  put_text(out, text_at(132, 128), 128);
  put_text(out, "1", 128);
  return out;
}

// 8278 (1084 bytes): a day and a night mode in use, the rest empty; one effective period.
std::vector<std::uint8_t> image_modes(std::span<const std::uint8_t> request) {
  std::vector<std::uint8_t> out;
  put_i32(out, request_channel(request));
  for (int v : {1, 1, 6, 0, 18, 0, 50, 1, 33, 50, 5, 0, 0, 0}) put_i32(out, v);
  for (int v : {1, 1, 18, 0, 6, 0, 70, 1, 40, 80, 5, 1, 1, 1}) put_i32(out, v);
  for (int i = 0; i < 5 * 14; ++i) put_i32(out, 0);
  put_i32(out, 1);  // hasSche
  put_text(out, "00:00", 32);
  put_text(out, "23:59", 32);
  put_i32(out, 0);
  for (int i = 0; i < 9 * 68; ++i) out.push_back(0);
  put_i32(out, 0);
  return out;
}

// 8271 (364 bytes): detection on, one area in the upper left of the 460 x 260 frame.
std::vector<std::uint8_t> camera_areas(std::span<const std::uint8_t> request) {
  std::vector<std::uint8_t> out;
  put_i32(out, request_channel(request));
  put_i32(out, 1);
  put_i32(out, 0);
  put_text(out, "V2.1.0", 32);
  for (int v : {1, 20, 20, 200, 120}) put_i32(out, v);
  for (int i = 0; i < 15 * 5; ++i) put_i32(out, 0);
  return out;
}

// Day rows of a camera schedule: slots of `slot_size` bytes, 48 per row, and `tail` bytes
// after them; days 0 to 6 hold the given slots, the eighth row is empty.
void put_days(std::vector<std::uint8_t>& out, std::size_t slot_size, std::size_t tail,
              const std::vector<std::vector<std::uint8_t>>& slots) {
  for (int d = 0; d < 8; ++d) {
    std::size_t used = 0;
    if (d < 7)
      for (const auto& s : slots) {
        out.insert(out.end(), s.begin(), s.end());
        used += s.size();
      }
    out.insert(out.end(), 48 * slot_size + tail - used, 0);
  }
}

std::vector<std::uint8_t> slot(const char* start, const char* end,
                               std::initializer_list<int> ints) {
  std::vector<std::uint8_t> s;
  put_text(s, start, 32);
  put_text(s, end, 32);
  for (int v : ints) put_i32(s, v);
  return s;
}

// 8273, 8277 (26180 bytes): every day from 00:00 to 23:59, action 1.
std::vector<std::uint8_t> camera_schedule(std::span<const std::uint8_t> request) {
  std::vector<std::uint8_t> out;
  put_i32(out, request_channel(request));
  put_days(out, 68, 8, {slot("00:00", "23:59", {1})});
  return out;
}

// 8275 (29188 bytes): a short exposure by day and a longer one with more gain at night.
std::vector<std::uint8_t> exposure_schedule(std::span<const std::uint8_t> request) {
  std::vector<std::uint8_t> out;
  put_i32(out, request_channel(request));
  put_days(out, 76, 0, {slot("06:00", "18:00", {1, 20, 30}), slot("18:00", "23:59", {1, 40, 60})});
  return out;
}

// ---- Camera feature settings ---------------------------------------------------------------

// A schedule block (26176 bytes): days 0 to 6 from 00:00 to 23:59 with action 1 and the
// whole-day word set, the eighth row empty.
void put_all_day_schedule(std::vector<std::uint8_t>& out) {
  for (int d = 0; d < 8; ++d) {
    std::size_t used = 0;
    if (d < 7) {
      std::vector<std::uint8_t> s = slot("00:00", "23:59", {1});
      out.insert(out.end(), s.begin(), s.end());
      used = s.size();
    }
    out.insert(out.end(), 48 * 68 - used, 0);
    put_i32(out, d < 7 ? 1 : 0);  // whole day
    put_i32(out, 0);
  }
}

// 8358 (26504 bytes): camera motion on, mid sensitivity, the whole picture, all week.
std::vector<std::uint8_t> ipc_motion(std::span<const std::uint8_t> request) {
  std::vector<std::uint8_t> out;
  for (int v : {request_channel(request), 1, 5, 2, 1, 3}) put_i32(out, v);
  put_text(out, std::string(22 * 9, '1'), 300);  // 22 x 9 grid, every cell on
  put_all_day_schedule(out);
  put_i32(out, 0);  // isNtPlatform
  return out;
}

// 8360: a few lines of the camera's own log.
std::vector<std::uint8_t> ipc_log(std::span<const std::uint8_t>) {
  const std::string text =
      "2026-12-07 08:00:12 System Boot\r\n2026-12-07 08:00:40 Network Link Up\r\n"
      "2026-12-07 09:15:03 Motion Detection Start\r\n";
  return {text.begin(), text.end()};
}

// 8294 (26520 bytes): tracking off, shown, people and vehicles, all week.
std::vector<std::uint8_t> auto_tracking(std::span<const std::uint8_t> request) {
  std::vector<std::uint8_t> out;
  for (int v : {request_channel(request), 0, 1, 5, 30, 0, 1, 2}) put_i32(out, v);
  put_all_day_schedule(out);
  put_text(out, "", 300);
  for (int v : {1, 3, 0}) put_i32(out, v);
  return out;
}

// 7507 (164 bytes): the channel's camera.
std::vector<std::uint8_t> ipc_type(std::span<const std::uint8_t> request) {
  const std::int32_t ch = request_channel(request);
  std::vector<std::uint8_t> out;
  put_i32(out, ch);
  put_text(out, "192.168.1." + std::to_string(201 + (ch & 0x3f)), 32);
  put_text(out, model_of(ch), 64);
  put_text(out, "V5.2.1", 64);
  return out;
}

// 6213 (44 bytes): watermark on, the recorder's default text.
std::vector<std::uint8_t> watermark(std::span<const std::uint8_t> request) {
  std::vector<std::uint8_t> out;
  for (int v : {request_channel(request), 1, 0}) put_i32(out, v);
  put_text(out, "NVR", 32);
  return out;
}

// 6217 (24 bytes): event stream on at 15 fps, 1024 kbps, I-frame every 30.
std::vector<std::uint8_t> event_stream(std::span<const std::uint8_t> request) {
  std::vector<std::uint8_t> out;
  for (int v : {request_channel(request), 0, 1, 15, 1024, 30}) put_i32(out, v);
  return out;
}

// 6219 (8 bytes): night mode 1.
std::vector<std::uint8_t> lpr_night_mode(std::span<const std::uint8_t> request) {
  std::vector<std::uint8_t> out;
  put_i32(out, request_channel(request));
  put_i32(out, 1);
  return out;
}

// 8371 (5968 bytes): G.711 A and u law at 8 kHz (64 kbps), AAC at 16 and 48 kHz.
std::vector<std::uint8_t> ipc_audio(std::span<const std::uint8_t> request) {
  struct Rate {
    int value;
    std::vector<int> bitrates;
  };
  struct Option {
    int encode;
    std::vector<Rate> rates;
  };
  const std::vector<Option> options = {{0, {{8000, {64}}}},
                                       {1, {{8000, {64}}}},
                                       {2, {{16000, {32, 48, 64}}, {48000, {64, 96, 128}}}}};
  std::vector<std::uint8_t> out;
  for (int v : {0, 1, 3, 1, static_cast<int>(options.size())}) put_i32(out, v);
  for (std::size_t i = 0; i < 9; ++i) {
    const Option* o = i < options.size() ? &options[i] : nullptr;
    put_i32(out, o ? o->encode : 0);
    put_i32(out, o ? static_cast<int>(o->rates.size()) : 0);
    for (std::size_t j = 0; j < 9; ++j) {
      const Rate* r = o && j < o->rates.size() ? &o->rates[j] : nullptr;
      put_i32(out, r ? r->value : 0);
      put_i32(out, r ? static_cast<int>(r->bitrates.size()) : 0);
      for (std::size_t k = 0; k < 16; ++k)
        put_i32(out, r && k < r->bitrates.size() ? r->bitrates[k] : 0);
    }
  }
  for (int v : {request_channel(request), 1, 0, 1, 0, 8000, 50, 0, 1, 60, 64}) put_i32(out, v);
  return out;
}

// 8376 (880 bytes): audio in and out, a line input, a speaker, no manual speed.
std::vector<std::uint8_t> ipc_system_info(std::span<const std::uint8_t>) {
  std::vector<std::uint8_t> out;
  for (int v : {0, 1, 3, 1, 1, 0}) put_i32(out, v);
  out.insert(out.end(), 880 - out.size(), 0);
  return out;
}

// 8377 (520 bytes): the parameter page the camera serves, echoed as its data.
std::vector<std::uint8_t> ipc_custom_param(std::span<const std::uint8_t> request) {
  std::string url;
  for (std::size_t i = 4; i < 260 && i < request.size() && request[i] != 0; ++i)
    url.push_back(static_cast<char>(request[i]));
  std::vector<std::uint8_t> out;
  put_i32(out, 0);
  put_i32(out, request_channel(request));
  put_text(out, "url=" + url + "&value=1", 512);
  return out;
}

// 8379, 8386 (72 bytes): the cameras of the start's mask (or cameras 1 and 2 for a status
// query) at status 100, done.
std::vector<std::uint8_t> ipc_upgrade_status(std::span<const std::uint8_t> request) {
  std::uint32_t low =
      request.size() >= 8 ? static_cast<std::uint32_t>(request_channel(request)) : 0x6u;
  std::vector<std::uint8_t> out;
  put_i32(out, static_cast<std::int32_t>(low));
  put_i32(out, 0);
  for (int c = 0; c < 16; ++c) put_i32(out, (low >> c) & 1u ? 100 : 0);
  return out;
}

constexpr NamedBuilder kBuilders[] = {
    {"ipc_channel_list", ipc_channel_list, "8201 channel list: the enabled channels of the store"},
    {"ipc_search", ipc_search, "8200 search: eight cameras of two models"},
    {"ipc_channels_model", ipc_channels_model, "7505 the camera model of each of 64 channels"},
    {"ipc_batch_result", ipc_batch_result, "8230 results of the last batch address change"},
    {"console_result", console_result, "9002 console command result (never run)"},
    {"stream_settings", stream_settings, "8204 stream settings: 1440p/1080p main, D1 sub"},
    {"stream_result", stream_result, "8203 every channel of the change took it"},
    {"image_enhancement", image_enhancement, "8221 image enhancement record, WDR on"},
    {"image_display", image_display, "8223 image display record, IR at night"},
    {"common_param", common_param, "8225 the camera parameter asked for, value \"1\""},
    {"image_modes", image_modes, "8278 image modes: day and night in use"},
    {"camera_areas", camera_areas, "8271 detection areas: one area set"},
    {"camera_schedule", camera_schedule, "8273, 8277 camera schedule: all day, every day"},
    {"exposure_schedule", exposure_schedule, "8275 exposure schedule: day and night slots"},
    {"ipc_motion", ipc_motion, "8358 camera motion: on, whole picture, all week"},
    {"ipc_log", ipc_log, "8360 the camera's log text"},
    {"auto_tracking", auto_tracking, "8294 auto tracking: off, all week"},
    {"ipc_type", ipc_type, "7507 the channel's camera address, model and firmware"},
    {"watermark", watermark, "6213 watermark on"},
    {"event_stream", event_stream, "6217 event stream: 15 fps, 1024 kbps"},
    {"lpr_night_mode", lpr_night_mode, "6219 licence-plate night mode 1"},
    {"ipc_audio", ipc_audio, "8371 audio options: G.711 and AAC"},
    {"ipc_system_info", ipc_system_info, "8376 camera capabilities: audio, speaker"},
    {"ipc_custom_param", ipc_custom_param, "8377 the custom parameter asked for"},
    {"ipc_upgrade_status", ipc_upgrade_status, "8379, 8386 camera upgrade: done"},
};

}  // namespace

extern const CoreModule kCoreCamera = {"camera", R"(# camera module
# Channel notices and batch address changes: no answer.
1201 silent
1202 silent
1203 silent
1206 silent
3229 silent
# Model type of a channel's camera; motion on channels 0 and 2.
2503 hex=00000000
3307 hex=0500000000000000
2505 builder=ipc_channels_model
3200 builder=ipc_search
3201 builder=ipc_channel_list
# Login tests and an address change: accepted.
3202 builder=status_ok
3227 builder=status_ok
3205 builder=status_ok
3230 builder=ipc_batch_result
4002 builder=console_result
# Stream and image parameters, asked of the camera.
3203 builder=stream_result
3204 builder=stream_settings
3221 builder=image_enhancement
3223 builder=image_display
3224 builder=status_ok
3225 builder=common_param
3226 builder=status_ok
3271 builder=camera_areas
3273 builder=camera_schedule
3275 builder=exposure_schedule
3277 builder=camera_schedule
3278 builder=image_modes
# Image, mode, area and schedule changes are pushed to the cameras: no answer.
3279 silent
3280 silent
3281 silent
3282 silent
3283 silent
3284 silent
3288 silent
# Camera feature settings, asked of the cameras; changes answer status 0.
3358 builder=ipc_motion
3366 builder=status_ok
3360 builder=ipc_log
3294 builder=auto_tracking
3375 builder=status_ok
2507 builder=ipc_type
1213 builder=watermark
1216 builder=status_ok
1217 builder=event_stream
1218 builder=status_ok
1219 builder=lpr_night_mode
3371 builder=ipc_audio
3372 builder=status_ok
3376 builder=ipc_system_info
3377 builder=ipc_custom_param
# Camera firmware upgrade: prepared, done at once; stop needs no answer.
3385 builder=status_ok
3379 builder=ipc_upgrade_status
3386 builder=ipc_upgrade_status
3390 silent
# People counting groups, POS sources, report backup and face capture: stored by the web
# pages, taken by the core with status 0; a face action change needs no answer.
2290 builder=status_ok
2291 builder=status_ok
2292 builder=status_ok
2293 builder=status_ok
1421 builder=status_ok
1423 builder=status_ok
3381 builder=status_ok
3383 silent
)",
                                       kBuilders};
