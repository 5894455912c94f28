// Automatic maintenance ("/1016", "/1017": how long logs and pictures are kept) and the
// automatic reboot ("/1032", "/1033"). The core applies both when told.
#include <json-c/json.h>

#include <cstdio>
#include <optional>
#include <span>

#include "handler_kit.h"
#include "system/system_handlers.h"
#include "system/system_ipc.h"
#include "system/system_store.h"

namespace {

// The retention choices of the maintenance page: off (-1), no limit (0) or months.
bool is_retention(json_object* tree, const char* key) {
  std::optional<int> v = json_whole_int(tree, key);
  if (!v) return false;
  for (int allowed : {-1, 0, 1, 2, 4, 6, 8, 10, 12})
    if (*v == allowed) return true;
  return false;
}

// A single-record getter: the record under the kind's keys, or the JSON error body.
template <class T>
int write_single(const char* what) {
  T rec;
  if (store_read(kStoreMain, 0, &rec) != 0) {
    std::fprintf(stderr, "%s not read: %s\n", what, store_last_error());
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  Json o(json_object_new_object());
  record_to_json(kind_of<T>(), &rec, o.get());
  write_json(o.get());
  return 0;
}

}  // namespace

int on_get_auto_maintenance(char* /*text*/) {
  return write_single<MaintainRecord>("maintenance settings");
}

int on_set_auto_maintenance(char* text) {
  Json tree = request_object(text);
  if (tree == nullptr || !is_retention(tree.get(), "logRetention") ||
      !is_retention(tree.get(), "photoRetention"))
    return -1;
  MaintainRecord rec{*json_int(tree.get(), "logRetention"),
                     *json_int(tree.get(), "photoRetention")};
  if (store_write(kStoreMain, rec) != 0) {
    std::fprintf(stderr, "1017: maintenance settings not stored: %s\n", store_last_error());
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  kSystemCore.notice(kMaintainChanged);
  write_ok();
  return 0;
}

int on_get_auto_reboot(char* /*text*/) {
  return write_single<AutoRebootRecord>("automatic reboot settings");
}

int on_set_auto_reboot(char* text) {
  Json tree = request_object(text);
  if (tree == nullptr) return -1;
  AutoRebootRecord rec;
  if (store_read(kStoreMain, 0, &rec) != 0) {
    std::fprintf(stderr, "1033: automatic reboot settings not read: %s\n", store_last_error());
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  // Every key is taken; one the request leaves out reads as 0.
  for (const FieldDesc& f : std::span(kAutoRebootFields))
    field_set_int(f, &rec, json_int(tree.get(), f.json_key).value_or(0));
  if (store_write(kStoreMain, rec) != 0) {
    std::fprintf(stderr, "1033: automatic reboot settings not stored: %s\n", store_last_error());
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  kSystemCore.notice(kAutoRebootChanged);
  write_ok();
  return 0;
}
