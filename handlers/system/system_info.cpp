// The recorder's identity: "/1009" and "/1020" report the core's system information with
// the uptime and a few store parameters, "/1012" changes the host name and device id.
#include <json-c/json.h>

#include <cstdio>
#include <cstring>

#include "cgi_utils.h"
#include "dvstd.h"
#include "handler_kit.h"
#include "network/network_record.h"
#include "system/system_handlers.h"
#include "system/system_ipc.h"

namespace {

constexpr auto kInfoHead = pick_renamed(kSystemInfoKind, {{"device_name", "deviceName"},
                                                          {"device_id", "deviceId"},
                                                          {"device_name", "product"},
                                                          {"hwver", "hwver"},
                                                          {"software", "software"},
                                                          {"oem_version", "oemversion"},
                                                          {"sn", "sn"},
                                                          {"prefix", "prefix"}});
constexpr auto kInfoNet = pick_keys(kSystemInfoKind, {"macAddress", "dvddns"});
constexpr auto kInfoSncode = pick_renamed(kSystemInfoKind, {{"sn", "sncode"}});
constexpr auto kInfoResource =
    pick_keys(kSystemInfoKind, {"displayNum", "maxAudioOut", "maxNetworkLan", "maxSensor",
                                "maxAlarm", "maxCameras", "masRs485"});
constexpr auto kInfoTalk = pick_keys(kSystemInfoKind, {"isSupportTalk"});

void add_text(json_object* o, const char* key, const char* text) {
  json_object_object_add(o, key, json_object_new_string(text));
}
void add_int(json_object* o, const char* key, int value) {
  json_object_object_add(o, key, json_object_new_int(value));
}
void add_param_text(json_object* o, const char* key, const char* param, const char* fallback) {
  char value[256];
  get_param_value(kStoreMain, param, value, sizeof value, fallback);
  add_text(o, key, value);
}
void add_param_int(json_object* o, const char* key, const char* param) {
  add_int(o, key, get_param_int(kStoreMain, param, 0));
}

}  // namespace

void cut_uptime(char* text) {
  if (text == nullptr) return;
  if (char* users = std::strstr(text, "users"); users != nullptr) {
    text[users - text >= 5 ? users - text - 5 : 0] = '\0';
  } else if (char* l = std::strchr(text, 'l'); l != nullptr) {
    text[l - text >= 2 ? l - text - 2 : 0] = '\0';
  }
}

int on_get_system_info(char* /*text*/) {
  kSystemCore.query(kGetSystemInfo, nullptr, 0, kCgiJson);
  return 0;
}

int on_get_system_info_cb(int count, const void* payload) {
  if (count < 1 || payload == nullptr) return -1;
  SystemInfoAnswer info;
  std::memcpy(&info, payload, sizeof info);
  char uptime[64];
  (void)web_read_command("uptime", uptime, sizeof uptime);
  cut_uptime(uptime);

  json_object* o = json_object_new_object();
  add_text(o, "hostName", "");
  record_to_json(kInfoHead, &info, o);
  add_param_text(o, "pluginVersion", "plugin_version", "1.0");
  add_param_text(o, "mpluginVersion", "mplugin_version", "1.0");
  record_to_json(kInfoNet, &info, o);
  add_text(o, "uptime", uptime);
  record_to_json(kInfoSncode, &info, o);
  json_object* resource = json_object_new_object();
  record_to_json(kInfoResource, &info, resource);
  json_object_object_add(o, "resource", resource);
  add_param_int(o, "dvfsDbup", "dvfs_dbup");
  add_param_int(o, "transProtocol", "transport_protocol");
  add_param_int(o, "streamInfo", "stream_information");
  add_param_int(o, "oemonlineupdate", "oemupdateonline");
  add_param_text(o, "company", "company", "Dravelin");
  record_to_json(kInfoTalk, &info, o);
  return answer_json(o);
}

// Stores the host name in the network record, read first so that its other settings stay.
bool store_host_name(const char* name) {
  NetworkRecord net;
  if (store_read(kStoreMain, 0, &net) != 0) return false;
  std::snprintf(net.host_name, sizeof net.host_name, "%s", name);
  return store_write(kStoreMain, net) == 0;
}

// Tells the core the device id and that the host name changed.
void notice_identity(int device_id) {
  kSystemCore.notice(kDeviceIdChanged, int32_t{device_id});
  NetworkChangeName change{};
  std::snprintf(change.name, sizeof change.name, "hostname");
  kSystemCore.notice(kNetworkChanged, change);
}

int on_set_system_info(char* text) {
  Json tree = request_object(text);
  if (tree == nullptr || !json_text_nonempty(tree.get(), "hostName") ||
      !json_whole_int_in(tree.get(), "deviceId", 1, 255))
    return -1;
  const int device_id = *json_int(tree.get(), "deviceId");
  if (!store_host_name(json_object_get_string(json_member(tree.get(), "hostName"))) ||
      set_param_int(kStoreMain, "deviceid", device_id) != 0) {
    std::fprintf(stderr, "1012: identity not stored: %s\n", store_last_error());
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  notice_identity(device_id);
  write_ok();
  return 0;
}
