// The small system requests: the IP access filter ("/6300", "/6301"), UPnP port mapping
// ("/1030", "/1031"), the two store flags the pages reset ("/1023", "/1024"), the page texts
// of the language files ("/json"), the bulk camera addresses ("/ipc") and the refused legacy
// download ("/dw.cgi").
#include <arpa/inet.h>
#include <json-c/json.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "camera/camera_record.h"
#include "cgi_json.h"
#include "dvstd.h"
#include "handler_kit.h"
#include "network/port_record.h"
#include "nvr_root.h"
#include "system/service_store.h"
#include "system/system_handlers.h"
#include "system/system_ipc.h"

namespace {

constexpr auto kPortKeys =
    pick_renamed(kPortKind, {{"httpPort", "http_port"}, {"rtspPort", "rtsp_port"}});

constexpr const char* kLangDir = "/opt/app/www/webfile/json/";
constexpr std::size_t kMaxLangText = 307199;

// The value of `key` ("lang") in a query text "a=1&lang=en": up to the next "&" or the end,
// cut to size-1 characters; "" when absent.
std::string query_value(const char* text, const char* key, std::size_t size) {
  std::string query = text != nullptr ? text : "";
  std::string want = std::string(key) + "=";
  for (std::size_t start = 0; start < query.size();) {
    std::size_t end = std::min(query.find('&', start), query.size());
    if (query.compare(start, want.size(), want) == 0 && start + want.size() <= end)
      return query.substr(start + want.size(), std::min(end - start - want.size(), size - 1));
    start = end + 1;
  }
  return "";
}

// A language name is a file name of ours: letters, digits, "_" and "-" only.
bool language_is_plain(const std::string& lang) {
  if (lang.empty()) return false;
  for (char c : lang)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '-') return false;
  return true;
}

bool store_flag_cleared(const char* key) {
  if (set_param_int(kStoreMain, key, 0) == 0) return true;
  std::fprintf(stderr, "%s not cleared: %s\n", key, store_last_error());
  cgi_error_to_webserver(kCgiText);
  return false;
}

// Gives channel `id` the address, keeping the rest of its record.
bool write_camera_ip(int id, const char* address) {
  CameraRecord camera;
  if (store_read(kStoreMain, id, &camera) != 0) return false;
  std::snprintf(camera.ipaddr, sizeof camera.ipaddr, "%s", address);
  return store_write(kStoreMain, camera) == 0;
}

}  // namespace

int on_get_access_filter(char* /*text*/) {
  AccessFilterRecord entries[kMaxAccessFilters];
  int count = 0;
  if (store_list(kStoreMain, entries, &count) != 0) {
    std::fprintf(stderr, "6300: access filter not read: %s\n", store_last_error());
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  Json answer(json_object_new_object());
  json_object_object_add(answer.get(), "filterEnable",
                         json_object_new_int(get_param_int(kStoreMain, "access_filter_enable", 0)));
  json_object_object_add(answer.get(), "filterType",
                         json_object_new_int(get_param_int(kStoreMain, "access_filter_type", 1)));
  json_object* list = json_object_new_array();
  for (int i = 0; i < count && i < kMaxAccessFilters; ++i) {
    json_object* entry = json_object_new_object();
    record_to_json(kAccessFilterEntryKeys, &entries[i], entry);
    json_object_array_add(list, entry);
  }
  json_object_object_add(answer.get(), "filterList", list);
  write_json(answer.get());
  return 0;
}

int on_set_access_filter(char* text) {
  Json tree = request_object(text);
  if (tree == nullptr) return -1;
  json_object* list = json_member(tree.get(), "filterList");
  std::optional<int> enable = json_whole_int(tree.get(), "filterEnable");
  std::optional<int> type = json_whole_int(tree.get(), "filterType");
  if (!enable || !type || !json_object_is_type(list, json_type_array)) {
    std::fprintf(stderr, "6301: filterEnable, filterType and filterList required\n");
    return -1;
  }
  std::size_t count = std::min<std::size_t>(json_object_array_length(list), kMaxAccessFilters);
  bool ok = set_param_int(kStoreMain, "access_filter_enable", *enable) == 0 &&
            set_param_int(kStoreMain, "access_filter_type", *type) == 0;
  for (std::size_t i = 0; ok && i < static_cast<std::size_t>(kMaxAccessFilters); ++i) {
    if (i < count) {
      AccessFilterRecord entry{};
      entry.id = static_cast<int32_t>(i);
      (void)record_from_json(kAccessFilterEntryKeys, json_object_array_get_idx(list, i), &entry);
      ok = store_write(kStoreMain, entry) == 0;
    } else {
      ok = store_delete(kStoreMain, kAccessFilterKind, static_cast<int64_t>(i)) == 0;
    }
  }
  if (!ok) {
    std::fprintf(stderr, "6301: access filter not stored: %s\n", store_last_error());
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  kSystemCore.notice(kAccessFilterChanged);
  write_ok();
  return 0;
}

int on_get_upnp_info(char* /*text*/) {
  UpnpRecord upnp;
  PortRecord port;
  if (store_read(kStoreMain, 0, &upnp) != 0 || store_read(kStoreMain, 0, &port) != 0) {
    std::fprintf(stderr, "1030: settings not read: %s\n", store_last_error());
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  Json answer(json_object_new_object());
  record_to_json(kUpnpKind, &upnp, answer.get());
  record_to_json(kPortKeys, &port, answer.get());
  write_json(answer.get());
  return 0;
}

int on_set_upnp_info(char* text) {
  Json tree = request_checked(text, kUpnpSaved, {});
  if (tree == nullptr) return -1;
  UpnpRecord upnp;
  if (store_read(kStoreMain, 0, &upnp) != 0) {
    std::fprintf(stderr, "1031: UPnP record not read: %s\n", store_last_error());
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  (void)record_from_json(kUpnpSaved, tree.get(), &upnp);
  // The core maps the ports and stores the record itself.
  kSystemCore.notice(kUpnpChanged, upnp);
  write_ok();
  return 0;
}

int on_clear_dvfs_dbup(char* /*text*/) {
  if (!store_flag_cleared("dvfs_dbup")) return -1;
  write_ok();
  return 0;
}

int on_clear_permission_update(char* /*text*/) {
  if (!store_flag_cleared("permission_update")) return -1;
  write_ok();
  return 0;
}

int on_get_lang_json(char* text) {
  std::string lang = query_value(text, "lang", 64);
  std::string page = query_value(text, "page", 128);
  std::string sub = query_value(text, "sub", 128);
  if (page.empty()) {
    cgi_writeback_webserver(kCgiText, "ERROR PAGE.");
    return -1;
  }
  std::string name = sub.empty() ? page : page + "=" + sub;
  std::string start = "{//" + name + ".json", end = "}//" + name + ".json";
  FILE* in = nullptr;
  if (language_is_plain(lang)) in = std::fopen(nvr_path(kLangDir + lang + ".json").c_str(), "r");
  if (in == nullptr) {
    std::fprintf(stderr, "json: no language file for %s\n", lang.c_str());
    cgi_writeback_webserver(kCgiText, "ERROR LANG.");
    return -1;
  }
  std::string out;
  char line[1024];
  bool copying = false;
  while (std::fgets(line, sizeof line, in) != nullptr) {
    if (!copying) {
      if (std::strstr(line, start.c_str()) == nullptr) continue;
      out = "{\n";
      copying = true;
    } else if (std::strstr(line, end.c_str()) != nullptr) {
      out += "\n}";
      break;
    } else {
      out += line;
    }
    if (out.size() > kMaxLangText) {
      out.resize(kMaxLangText);
      break;
    }
  }
  std::fclose(in);
  cgi_writeback_webserver(kCgiJson, out.c_str());
  return 0;
}

int on_set_camera_ip_batch(char* text) {
  Json tree = request_object(text);
  if (tree == nullptr) return -1;
  char start[32] = "";
  on_cgi_get_string_from_json(tree.get(), "startip", start, sizeof start);
  std::optional<int> addresses = json_whole_int(tree.get(), "chnNum");
  std::optional<int> per_address = json_whole_int(tree.get(), "chnFre");
  in_addr parsed{};
  // A step below 1 would assign nothing while counting towards 2^31.
  if (inet_pton(AF_INET, start, &parsed) != 1 || !addresses || !per_address || *per_address < 1) {
    std::fprintf(stderr, "ipc: startip, chnNum and chnFre (at least 1) required\n");
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  const unsigned char* octet = reinterpret_cast<const unsigned char*>(&parsed.s_addr);
  const int cameras = max_cameras();  // at most 64: never past channel 63
  int channel = 0;
  for (int i = 0; i < *addresses && octet[3] + i <= 255 && channel < cameras; ++i) {
    char address[32];
    std::snprintf(address, sizeof address, "%d.%d.%d.%d", octet[0], octet[1], octet[2],
                  octet[3] + i);
    for (int k = 0; k < *per_address && channel < cameras; ++k, ++channel) {
      if (!write_camera_ip(channel, address)) {
        std::fprintf(stderr, "ipc: channel %d not stored: %s\n", channel, store_last_error());
        cgi_error_to_webserver(kCgiText);
        return -1;
      }
    }
  }
  write_ok();
  return 0;
}

int on_download_stub(char* /*text*/) {
  cgi_writeback_webserver(kCgiText, "NG download");
  return 0;
}
