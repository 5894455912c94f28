// Camera channel requests that the core answers: the live channel list, the network
// search, camera login tests, camera address changes (one, or a batch whose results are
// fetched later), model type and model list, the motion state and commands for the
// recorder's local console. Also this file's answer table.
//
// Answers are untrusted: counts come from the payload length, text fields are read
// with their bounds, and channel ids are checked before they index the store.
#include <json-c/json.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "camera/camera_channels.h"
#include "handler_kit.h"
#include "camera/camera_ipc.h"
#include "camera/camera_record.h"
#include "camera/camera_wire.h"
#include "camera/osd_record.h"
#include "cgi_ipc.h"
#include "cgi_json.h"
#include "cgi_response.h"
#include "dvdb.h"
#include "dvstd.h"
#include "field_json.h"

namespace {

constexpr int kDefaultMaxCameras = 32;
constexpr int kBatchMax = 64;        // cameras in one batch address change
constexpr int kOutcomeAccepted = 2;  // flag of a login test the camera accepted

// ---- Answer handlers ---------------------------------------------------------------------

json_object* object_with(const char* key, json_object* value) {
  json_object* out = json_object_new_object();
  json_object_object_add(out, key, value);
  return out;
}

// Record i of an answer as JSON through its kind's field table.
template <class Rec>
json_object* entry_json(const RecordKind& kind, const void* payload, int count, int i) {
  auto rec = ipc_record<Rec>(payload, count, i);
  json_object* entry = json_object_new_object();
  if (rec) (void)record_to_json(kind, &*rec, entry);
  return entry;
}

// The first int32 of an answer, when it has one.
std::optional<int32_t> answer_code(int count, const void* payload) {
  return ipc_record<int32_t>(payload, count, 0);
}

bool has_high_byte(const char (&text)[64]) {
  for (char c : text) {
    if (c == '\0') return false;
    if (static_cast<unsigned char>(c) >= 128) return true;
  }
  return false;
}

}  // namespace

// 8201: the live channel list, named from the store.
int on_get_ipc_channel_list_cb(int count, const void* payload) {
  std::vector<OsdRecord> osds(kMaxChannels);
  int named = 0;
  if (store_list(kStoreMain, std::span(osds.data(), kMaxChannels), &named) != 0) named = 0;
  json_object* list = json_object_new_array();
  for (int i = 0; i < count; ++i) {
    auto entry = ipc_record<ChannelListEntry>(payload, count, i);
    // An id outside the store's channels names nothing the page could show.
    if (!entry || !channel_valid(entry->id)) continue;
    json_object* o = json_object_new_object();
    json_object_object_add(o, "id", json_object_new_int(entry->id));
    json_object_object_add(o, "enable", json_object_new_int(1));
    const char* name = entry->id < named ? osds[entry->id].name : "";
    json_object_object_add(o, "name", json_text_field(name, 64));
    (void)record_to_json(kChannelListKind, &*entry, o);
    json_object_array_add(list, o);
  }
  json_object* out = object_with("IPC", list);
  json_object_object_add(
      out, "maxIPCNums",
      json_object_new_int(get_param_int(kStoreMain, "max_cameras", kDefaultMaxCameras)));
  return answer_json(out);
}

// 8200: the cameras a search found; none (or less than one entry) is "NO".
int on_search_ipc_cb(int count, const void* payload) {
  json_object* list = json_object_new_array();
  for (int i = 0; i < count; ++i) {
    json_object* o = entry_json<SearchResultEntry>(kSearchResultKind, payload, count, i);
    // Camera names in a legacy code page would break the page's JSON decoding.
    if (has_high_byte(ipc_record<SearchResultEntry>(payload, count, i)->name))
      json_object_object_add(o, "name", json_object_new_string(""));
    json_object_array_add(list, o);
  }
  json_object* out = object_with("resultString", json_object_new_string(count > 0 ? "OK" : "NO"));
  json_object_object_add(out, "IPC", list);
  return answer_json(out);
}

// 8202, 8227: the outcome of a login test; an accepted login leaves the flag at 2.
int on_test_ipc_connection_cb(int count, const void* payload) {
  auto code = answer_code(count, payload);
  if (!code) return answer_error(kCgiText);
  switch (*code) {
    case 0:
    case 4:
      return answer_text("OK", kOutcomeAccepted);
    case 1:
      return answer_text("NETWORKERROR");
    case 2:
      return answer_text("USERERROR");
    case 5:
      return answer_text("BANDWIDTHERROR");
    default:
      return answer_text("UNKOWNERROR");
  }
}

// 8205: the outcome of one camera's address change.
int on_set_ipc_network_cb(int count, const void* payload) {
  auto code = answer_code(count, payload);
  if (!code) return answer_error(kCgiJson);
  static constexpr const char* kResults[] = {"OK", "NETWORK_ERR", "INVALID_USER", "UNKNOWN_ERR",
                                             "PROTO_NOT_SUPPORT"};
  const char* result =
      *code >= 0 && *code < static_cast<int>(std::size(kResults)) ? kResults[*code] : "ERROR";
  return answer_json(object_with("resultString", json_object_new_string(result)));
}

// 7503: the model type of a channel's camera.
int on_web_get_ipc_model_type_cb(int count, const void* payload) {
  auto type = answer_code(count, payload);
  if (!type) return answer_error(kCgiText);
  return answer_json(object_with("type", json_object_new_int(*type)));
}

// 9002, 9003: the console's result text, from byte 16 to the end of the answer (or its
// first NUL).
int on_get_qt_cmd_result_cb(int length, const void* payload) {
  if (payload == nullptr || length < static_cast<int>(kConsoleResultOffset))
    return answer_error(kCgiText);
  const char* text = static_cast<const char*>(payload) + kConsoleResultOffset;
  std::size_t n = strnlen(text, static_cast<std::size_t>(length) - kConsoleResultOffset);
  return answer_json(object_with("result", json_object_new_string_len(text, static_cast<int>(n))));
}

// 8307: the channels with motion as 64 characters "0"/"1", character n for channel n.
int on_web_get_motion_status_cb(int count, const void* payload) {
  auto state = ipc_record<MotionStateAnswer>(payload, count, 0);
  if (!state) return answer_error(kCgiText);
  const uint64_t mask = (static_cast<uint64_t>(state->high) << 32) | state->low;
  char text[kMaxChannels + 1];
  for (int n = 0; n < kMaxChannels; ++n) text[n] = (mask >> n) & 1u ? '1' : '0';
  text[kMaxChannels] = '\0';
  return answer_json(object_with("Motion", json_object_new_string(text)));
}

// 7505: the camera model of every channel (64 entries at most).
int on_web_get_channels_model_cb(int count, const void* payload) {
  if (count < 1) return answer_error(kCgiJson);
  json_object* list = json_object_new_array();
  for (int i = 0; i < std::min(count, kMaxChannels); ++i)
    json_object_array_add(list,
                          entry_json<ChannelModelEntry>(kChannelModelKind, payload, count, i));
  return answer_json(object_with("IPC", list));
}

// 8230: the results of the last batch address change, one per camera (64 at most), also
// those whose MAC text is empty: the page matches results to its cameras by position.
int on_get_ipc_network_batch_result_cb(int count, const void* payload) {
  json_object* list = json_object_new_array();
  for (int i = 0; i < std::min(count, kBatchMax); ++i) {
    auto entry = ipc_record<BatchResultEntry>(payload, count, i);
    json_object* o = json_object_new_object();
    (void)record_to_json(kBatchResultKind, &*entry, o);
    json_object_array_add(list, o);
  }
  return answer_json(object_with("IPC", list));
}

namespace {

// ---- Request helpers ---------------------------------------------------------------------

// A login test: the body must name a non-empty "ipAddr", a "managePort" not below 0 and a
// "camProtocol" 0 to 7; `Req` is filled from it through `kind`.
template <class Req>
int test_login(char* text, const RecordKind& kind, int type, int min_port) {
  Json tree = request_object(text);
  if (tree == nullptr) return -1;
  static const char* const kRequired[] = {"ipAddr", "managePort", "camProtocol"};
  bool ok =
      record_validate(kind, tree.get(), kRequired, static_cast<int>(std::size(kRequired))) == 0 &&
      json_text_nonempty(tree.get(), "ipAddr");
  Req req{};
  if (ok) (void)record_from_json(kind, tree.get(), &req);
  if (!ok) return -1;
  req.managePort = std::max(req.managePort, min_port);
  kCameraCore.query(type, &req, sizeof req, kCgiText);
  return 0;
}

// The body's "id" as a channel, or nothing (the body is then refused without a response).
std::optional<int32_t> body_channel(const char* text) {
  Json tree = request_object(text);
  if (tree == nullptr) return std::nullopt;
  auto id = json_int(tree.get(), "id");
  if (!id || !channel_valid(*id)) return std::nullopt;
  return *id;
}

}  // namespace

int on_get_ipc_channel_list(char* /*text*/) {
  kCameraCore.query(kReqChannelList, nullptr, 0, kCgiJson);
  return 0;
}

int on_search_ipc(char* text) {
  Json tree = request_object(text);
  if (tree == nullptr) return -1;
  // "nic" names the interface to search on; the core searches on all of them.
  auto protocol = json_int(tree.get(), "protocol");
  if (!protocol || *protocol < 0 || *protocol > kCameraProtocolMax) return -1;
  const int32_t payload = *protocol;
  kCameraCore.query(kReqSearch, &payload, sizeof payload, kCgiJson);
  return 0;
}

int on_set_ipc_network(char* text) {
  Json tree = request_object(text);
  if (tree == nullptr) return -1;
  static const char* const kRequired[] = {"macAddr",  "oldIpcAddr", "newIpcAddr", "netmask",
                                          "gateway",  "primaryDNS", "port",       "username",
                                          "password", "protocol"};
  NetworkChangeRequest req{};
  bool ok = record_validate(kNetworkChangeKind, tree.get(), kRequired,
                            static_cast<int>(std::size(kRequired))) == 0;
  if (ok) (void)record_from_json(kNetworkChangeKind, tree.get(), &req);
  if (!ok) return -1;
  kCameraCore.query(kReqNetworkChange, &req, sizeof req, kCgiJson);
  return 0;
}

int on_set_ipc_network_batch(char* text) {
  Json tree = request_object(text);
  if (tree == nullptr) return -1;
  // Without an "oIPCAddr" array there is nothing to change: the loop runs zero times.
  json_object* cameras = json_member(tree.get(), "oIPCAddr");
  const int length =
      json_object_is_type(cameras, json_type_array)
          ? static_cast<int>(std::min<std::size_t>(json_object_array_length(cameras), kBatchMax))
          : 0;
  const int n = std::min(json_int(tree.get(), "cnt").value_or(0), length);
  for (int i = 0; i < n; ++i) {
    json_object* entry = json_object_array_get_idx(cameras, static_cast<std::size_t>(i));
    if (!json_object_is_type(entry, json_type_object)) continue;
    NetworkBatchRequest req{};
    (void)record_from_json(kNetworkChangeKind, entry, &req.change);
    (void)record_from_json(kNetworkBatchKind, entry, &req);
    kCameraCore.notice(kReqNetworkBatch, &req, sizeof req);
  }
  write_ok();
  return 0;
}

int on_get_ipc_network_batch_result(char* /*text*/) {
  kCameraCore.query(kReqNetworkBatchResult, nullptr, 0, kCgiJson);
  return 0;
}

int on_test_ipc_connection(char* text) {
  return test_login<LoginTestRequest>(text, kLoginTestKind, kReqLoginTest, 0);
}

int on_test_ipc_web_connection(char* text) {
  // The web port of a camera is never below the HTTP port.
  return test_login<WebLoginTestRequest>(text, kWebLoginTestKind, kReqWebLoginTest, 80);
}

int on_web_get_ipc_model_type(char* text) {
  auto id = body_channel(text);
  if (!id) return -1;
  kCameraCore.query(kReqModelType, &*id, sizeof *id, kCgiText);
  return 0;
}

int on_web_sendto_qt_cmd(char* text) {
  Json tree = request_object(text);
  if (tree == nullptr) return -1;
  // The command is only handed to the core as text; nothing here runs it. Without "cmd"
  // the core gets an empty command.
  ConsoleCommandRequest req{};
  (void)on_cgi_get_string_from_json(tree.get(), "cmd", req.cmd, sizeof req.cmd);
  kCameraCore.query(kReqConsoleCommand, &req, sizeof req, kCgiText);
  return 0;
}

int on_web_get_motion_status(char* /*text*/) {
  kCameraCore.query(kReqMotionState, nullptr, 0, kCgiText);
  return 0;
}

int on_web_get_channels_model(char* /*text*/) {
  kCameraCore.query(kReqChannelModels, nullptr, 0, kCgiJson);
  return 0;
}
