// The JSON getters shared by the handlers.
#include "cgi_json.h"

#include <json-c/json.h>

#include <cstring>

#include "cgi_ipc.h"

namespace {

// The value of `key`, or null when it is missing or holds JSON null.
json_object* member(json_object* object, const char* key) {
  if (object == nullptr || key == nullptr || !json_object_is_type(object, json_type_object))
    return nullptr;
  json_object* value = nullptr;
  if (!json_object_object_get_ex(object, key, &value)) return nullptr;
  return value;
}

}  // namespace

int on_cgi_get_value_by_json(const char* text, const char* key, int* out) {
  if (text == nullptr || key == nullptr || out == nullptr) return -1;
  json_object* root = json_tokener_parse(text);
  if (root == nullptr) return -1;
  int rc = on_cgi_get_int_from_json(root, key, out);
  json_object_put(root);
  return rc;
}

int on_cgi_get_int_from_json(json_object* object, const char* key, int* out) {
  json_object* value = member(object, key);
  if (value == nullptr || out == nullptr) return -1;
  *out = json_object_get_int(value);
  return 0;
}

int on_cgi_get_string_from_json(json_object* object, const char* key, char* buffer, int size) {
  json_object* value = member(object, key);
  if (value == nullptr || buffer == nullptr || size < 1) return -1;
  const char* text = json_object_get_string(value);
  (void)ipc_copy_text(buffer, static_cast<std::size_t>(size), text,
                      text != nullptr ? std::strlen(text) : 0);
  return 0;
}

int on_cgi_is_dv_lpr(int type) {
  return type >= 11 && type <= 14 ? 1 : 0;
}
