// coresim's answers for the camera module: its built-in rules and named builders.
//
// The channel list and the model list are read from the settings store under the root
// (table "camera"), as the core daemon would know its channels, so that a channel added
// through the web pages shows up in them. Console commands are journaled and answered
// with a fixed text; coresim never runs them.
#include <sqlite3.h>

#include <cstdint>
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

constexpr NamedBuilder kBuilders[] = {
    {"ipc_channel_list", ipc_channel_list, "8201 channel list: the enabled channels of the store"},
    {"ipc_search", ipc_search, "8200 search: eight cameras of two models"},
    {"ipc_channels_model", ipc_channels_model, "7505 the camera model of each of 64 channels"},
    {"ipc_batch_result", ipc_batch_result, "8230 results of the last batch address change"},
    {"console_result", console_result, "9002 console command result (never run)"},
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
)",
                                       kBuilders};
