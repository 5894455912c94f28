// coresim's answers for the system module (login, accounts, maintenance).
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "modules.h"
#include "nvr_root.h"

namespace {

// 8400: a 32-channel recorder with two network ports, two monitor outputs and talk-back.
// Offsets are those of the 592-byte system information record.
std::vector<std::uint8_t> system_info(std::span<const std::uint8_t>) {
  std::vector<std::uint8_t> out;
  const std::int32_t head[] = {255, 32, 0, 0, 16, 4, 0, 1, 2, 0, 0, 1, 0, 2, 0, 0, 0, 1};
  for (std::int32_t v : head) put_i32(out, v);  // 0 to 71: device id .. dvddns
  put_text(out, "NV32A2K2406001234", 65);       // 72: serial number
  put_text(out, "NVR", 16);                     // 137: prefix
  put_text(out, "NVR-32", 32);                  // 153: device name
  put_text(out, "V8.2.0.1 build 241120", 32);   // 185: software
  put_text(out, "V1.1", 192);                   // 217: hardware version
  put_text(out, "00:1a:2b:3c:4d:5e", 43);       // 409: MAC address
  put_i32(out, 1);                              // 452: talk-back
  out.resize(592, 0);
  return out;
}

// 8528: the package made (status 0) and its path in the folder the request named.
std::vector<std::uint8_t> diagnosis(std::span<const std::uint8_t>) {
  std::vector<std::uint8_t> out;
  put_i32(out, 0);
  put_i32(out, 0);
  put_text(out, "/tmp/diagnosis_NV32A2K2406001234.tar.gz", 64);
  return out;
}

// 9012: the ten audio file slots, two in use. Names are the URL-safe Base64 of
// "Door chime.wav" and "Siren.wav".
std::vector<std::uint8_t> audio_files(std::span<const std::uint8_t>) {
  std::vector<std::uint8_t> out;
  const char* names[10] = {"RG9vciBjaGltZS53YXY", "U2lyZW4ud2F2"};
  for (std::int32_t id = 0; id < 10; ++id) {
    put_i32(out, id);
    put_i32(out, names[id] != nullptr ? 1 : 0);
    put_text(out, names[id] != nullptr ? names[id] : "", 128);
  }
  return out;
}

// ---- The kept operation log --------------------------------------------------------------
// Records are the 672-byte operation log records as sent; the offsets read here are theirs:
// main type 0, sub type 8 (int64), time 20, parameter type 24, channel 32, address 36 (46
// bytes), user 82 (66 bytes), detail 152 (int32 kind, int32 length, the block).

constexpr std::size_t kLogRecordSize = 672;
constexpr std::size_t kKeptLogs = 2000;  // the oldest go first
constexpr int kPageSize = 100;
constexpr std::size_t kExportDetailSize = 4096;
constexpr const char* kExportFile = "/tmp/log/coresim_export.dat";

std::mutex g_log_mutex;
std::deque<std::vector<std::uint8_t>> g_logs;  // oldest first

template <class T>
T read_at(std::span<const std::uint8_t> bytes, std::size_t offset) {
  T v{};
  if (offset + sizeof v <= bytes.size()) std::memcpy(&v, bytes.data() + offset, sizeof v);
  return v;
}

std::string text_at(std::span<const std::uint8_t> bytes, std::size_t offset, std::size_t size) {
  std::string text;
  for (std::size_t i = offset; i < offset + size && i < bytes.size() && bytes[i] != 0; ++i)
    text.push_back(static_cast<char>(bytes[i]));
  return text;
}

// The search and export query: start 0, end 4, main type 8, sub types 16 (int64[100]),
// their number 816, page 820, channel mask 824, without-channel flag 832.
struct Query {
  std::int32_t start = 0, end = 0, main_type = 0, page = 1, no_channel = 0, sub_count = 0;
  std::int64_t subs[100] = {};
  std::uint64_t mask = 0;
};

Query read_query(std::span<const std::uint8_t> request) {
  Query q;
  q.start = read_at<std::int32_t>(request, 0);
  q.end = read_at<std::int32_t>(request, 4);
  q.main_type = read_at<std::int32_t>(request, 8);
  q.sub_count = read_at<std::int32_t>(request, 816);
  if (q.sub_count < 0) q.sub_count = 0;
  if (q.sub_count > 100) q.sub_count = 100;
  for (int i = 0; i < q.sub_count; ++i)
    q.subs[i] = read_at<std::int64_t>(request, 16 + 8 * static_cast<std::size_t>(i));
  q.page = read_at<std::int32_t>(request, 820);
  q.mask = read_at<std::uint64_t>(request, 824);
  q.no_channel = read_at<std::int32_t>(request, 832);
  return q;
}

// Main type 1 asks for every type, sub type 10 for every sub type; a channel mask of 0 or
// the without-channel flag for every channel.
bool matches(const Query& q, std::span<const std::uint8_t> r) {
  std::int32_t time = read_at<std::int32_t>(r, 20);
  if (time < q.start || time > q.end) return false;
  if (q.main_type != 1 && read_at<std::int32_t>(r, 0) != q.main_type) return false;
  if (q.sub_count > 0 && q.subs[0] != 10) {
    std::int64_t sub = read_at<std::int64_t>(r, 8);
    bool found = false;
    for (int i = 0; i < q.sub_count; ++i) found = found || q.subs[i] == sub;
    if (!found) return false;
  }
  std::int32_t channel = read_at<std::int32_t>(r, 32);
  if (q.no_channel == 0 && q.mask != 0 && channel >= 1 && channel <= 64 &&
      ((q.mask >> (channel - 1)) & 1) == 0)
    return false;
  return true;
}

// The matching records, newest first.
std::vector<std::vector<std::uint8_t>> select_logs(const Query& q) {
  std::lock_guard<std::mutex> lock(g_log_mutex);
  std::vector<std::vector<std::uint8_t>> out;
  for (auto it = g_logs.rbegin(); it != g_logs.rend(); ++it)
    if (matches(q, *it)) out.push_back(*it);
  return out;
}

// The description of a record: its packed detail block when it holds text, else who did
// it and from where.
std::string describe(std::span<const std::uint8_t> r) {
  std::uint32_t length = read_at<std::uint32_t>(r, 156);
  if (length > 0 && length <= 504) {
    std::string block = text_at(r, 160, length);
    if (!block.empty()) return block;
  }
  char text[256];
  std::snprintf(text, sizeof text, "User %s from %s, parameter %d, channel %d",
                text_at(r, 82, 66).c_str(), text_at(r, 36, 46).c_str(),
                read_at<std::int32_t>(r, 24), read_at<std::int32_t>(r, 32));
  return text;
}

// 8495: the requested page (from 1) of the matching records.
std::vector<std::uint8_t> log_search_page(std::span<const std::uint8_t> request) {
  Query q = read_query(request);
  auto logs = select_logs(q);
  std::size_t first = q.page > 1 ? static_cast<std::size_t>(q.page - 1) * kPageSize : 0;
  std::vector<std::uint8_t> out;
  put_i32(out, static_cast<std::int32_t>(logs.size()));
  std::size_t n = first < logs.size() ? std::min<std::size_t>(kPageSize, logs.size() - first) : 0;
  put_i32(out, static_cast<std::int32_t>(n));
  for (std::size_t i = 0; i < n; ++i)
    out.insert(out.end(), logs[first + i].begin(), logs[first + i].end());
  out.resize(8 + kPageSize * kLogRecordSize, 0);
  return out;
}

// 8494: every matching record with its description, written to the export file under the
// root; the answer names the file as the recorder sees it.
std::vector<std::uint8_t> log_export_file(std::span<const std::uint8_t> request) {
  auto logs = select_logs(read_query(request));
  std::string path = nvr_path(kExportFile);
  std::string folder = path.substr(0, path.rfind('/'));
  std::vector<std::uint8_t> out;
  put_i32(out, 0);
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) {
    std::fprintf(stderr, "coresim: cannot write %s\n", path.c_str());
    put_text(out, "", 64);
    return out;
  }
  std::vector<std::uint8_t> body;
  put_i32(body, static_cast<std::int32_t>(logs.size()));
  for (const auto& r : logs) {
    body.insert(body.end(), r.begin(), r.end());
    put_text(body, describe(r), kExportDetailSize);
  }
  std::fwrite(body.data(), 1, body.size(), f);
  std::fclose(f);
  put_text(out, kExportFile, 64);
  return out;
}

// 8488: the description of the record sent, as text.
std::vector<std::uint8_t> log_detail(std::span<const std::uint8_t> request) {
  std::string text = describe(request);
  return std::vector<std::uint8_t>(text.begin(), text.end());
}

// ---- Upgrades ----------------------------------------------------------------------------

// One 328-byte upgrade information record: state, file size, version, URL, description.
void put_upgrade_info(std::vector<std::uint8_t>& out, std::int32_t state, std::int32_t size,
                      std::string_view version, std::string_view url, std::string_view about) {
  put_i32(out, state);
  put_i32(out, size);
  put_text(out, version, 64);
  put_text(out, url, 128);
  put_text(out, about, 128);
}

// 6715: a newer recorder image is offered.
std::vector<std::uint8_t> online_check(std::span<const std::uint8_t>) {
  std::vector<std::uint8_t> out;
  put_upgrade_info(out, 1, 48234496, "V8.2.1.0 build 250301",
                   "http://upgrade.example.com/nvr/NVR-32_V8.2.1.0.bin",
                   "Stability fixes; faster playback search");
  return out;
}

// 8350: the requested camera took the image (status 0).
std::vector<std::uint8_t> camera_upgrade(std::span<const std::uint8_t> request) {
  std::vector<std::uint8_t> out;
  put_i32(out, read_at<std::int32_t>(request, 0));
  put_i32(out, 0);
  return out;
}

// 8365: one record per channel; the channels asked about have a newer camera image.
std::vector<std::uint8_t> camera_online_check(std::span<const std::uint8_t> request) {
  std::uint64_t mask = read_at<std::uint32_t>(request, 0) |
                       static_cast<std::uint64_t>(read_at<std::uint32_t>(request, 4)) << 32;
  std::vector<std::uint8_t> out;
  for (int ch = 0; ch < 64; ++ch) {
    if ((mask >> ch) & 1)
      put_upgrade_info(out, 1, 9437184, "V5.6.2 build 250110",
                       "http://upgrade.example.com/ipc/IPC-4M_V5.6.2.bin", "Night image tuning");
    else
      put_upgrade_info(out, 0, 0, "", "", "");
  }
  return out;
}

constexpr NamedBuilder kBuilders[] = {
    {"system_info", system_info, "8400: a 32-channel recorder's system information"},
    {"diagnosis", diagnosis, "8528: a diagnosis package made in /tmp"},
    {"audio_files", audio_files, "9012: ten alarm audio file slots, two in use"},
    {"log_search_page", log_search_page, "8495: a page of the operation log records kept"},
    {"log_export_file", log_export_file, "8494: the records kept, written to an export file"},
    {"log_detail", log_detail, "8488: the description of the record sent"},
    {"online_check", online_check, "6715: a newer recorder image is offered"},
    {"camera_upgrade", camera_upgrade, "8350: the camera took the image"},
    {"camera_online_check", camera_online_check, "8365: newer images for the channels asked"},
};

}  // namespace

extern const CoreModule kCoreSystem = {"system",
                                       R"(# Mail-link login check: 0 = the link is valid.
3504 builder=status_ok
# PoE camera password: 0 = every PoE camera took it.
3265 builder=status_ok
# System information.
3400 builder=system_info
# Log pages: search, export, detail of one record.
3495 builder=log_search_page
3494 builder=log_export_file
3488 builder=log_detail
# Upgrades: installation (0 = success), online check, download and removal, camera upgrade
# and camera online check; preparation and camera upgrade stop are notices.
1713 builder=status_ok
1715 builder=online_check
1716 builder=status_ok
1717 builder=status_ok
3350 builder=camera_upgrade
3365 builder=camera_online_check
1721 silent
3351 silent
# Notices: accounts changed, PoE notice, restore and its follow-up, restart, device id,
# network setting changed, display resolution, display apply, audio output, sub output,
# automatic reboot, maintenance.
3505 silent
3267 silent
3311 silent
3410 silent
1703 silent
1705 silent
1702 silent
1001 silent
1015 silent
1002 silent
1023 silent
1718 silent
2102 silent
# Diagnosis package.
3528 builder=diagnosis
# Alarm audio files: the list, then add, delete, rename and play, each accepted.
4012 builder=audio_files
4013 builder=status_ok
4014 builder=status_ok
4015 builder=status_ok
4016 builder=status_ok
# Notices: interface language by number, access filter changed, UPnP record.
4000 silent
1722 silent
3720 silent
)",
                                       kBuilders};

void coresim_keep_log(std::uint32_t type, std::span<const std::uint8_t> payload) {
  if ((type != 3485 && type != 3509) || payload.size() < kLogRecordSize) return;
  std::vector<std::uint8_t> record(payload.begin(), payload.begin() + kLogRecordSize);
  // The core stamps the time a record arrives.
  auto now = static_cast<std::int32_t>(std::time(nullptr));
  std::memcpy(record.data() + 20, &now, sizeof now);
  std::lock_guard<std::mutex> lock(g_log_mutex);
  g_logs.push_back(std::move(record));
  if (g_logs.size() > kKeptLogs) g_logs.pop_front();
}
