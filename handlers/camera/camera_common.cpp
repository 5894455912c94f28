// Shared helpers of the camera module's handler files (see camera_common.h).
#include "camera/camera_common.h"

#include <json-c/json.h>

#include "camera/camera_ipc.h"
#include "cgi_ipc.h"
#include "cgi_json.h"
#include "cgi_response.h"
#include "web_utils.h"

json_object* camera_request_object(const char* text) {
  json_object* tree = get_request_tokener_json_object(text);
  if (tree != nullptr && !json_object_is_type(tree, json_type_object)) {
    json_object_put(tree);
    return nullptr;
  }
  return tree;
}

std::optional<int> camera_json_int(json_object* object, const char* key) {
  int value = 0;
  if (on_cgi_get_int_from_json(object, key, &value) != 0) return std::nullopt;
  return value;
}

bool camera_json_int_in(json_object* object, const char* key, int lo, int hi) {
  auto value = camera_json_int(object, key);
  return value && *value >= lo && *value <= hi;
}

bool camera_json_text_nonempty(json_object* object, const char* key) {
  char first[2] = "";
  return on_cgi_get_string_from_json(object, key, first, sizeof first) == 0 && first[0] != '\0';
}

void camera_notify(int type, const void* payload, int length) {
  int rc = cgi_start_ipc(on_camera_ipc_callback, type, length, payload, 1);
  cgi_stop_ipc(rc);
}

int camera_query(int type, const void* payload, int length, int error_kind) {
  int rc = cgi_start_ipc(on_camera_ipc_callback, type, length, payload, 0);
  int done = g_callback_done;
  if (done == 0) cgi_error_to_webserver(error_kind);
  cgi_stop_ipc(rc);
  return done;
}

int camera_answer_json(json_object* object, int flag) {
  int rc = -1;
  if (object != nullptr && cgi_claim_response()) {
    cgi_writeback_webserver(kCgiJson, json_object_to_json_string(object));
    g_callback_done = flag;
    rc = 0;
  }
  json_object_put(object);
  return rc;
}

int camera_answer_text(const char* text, int flag) {
  if (!cgi_claim_response()) return -1;
  cgi_writeback_webserver(kCgiText, text);
  g_callback_done = flag;
  return 0;
}

int camera_answer_error(int kind) {
  if (!cgi_claim_response()) return -1;
  cgi_error_to_webserver(kind);
  g_callback_done = 1;
  return 0;
}

void camera_write_json(json_object* object) {
  if (object == nullptr) return;
  cgi_writeback_webserver(kCgiJson, json_object_to_json_string(object));
  json_object_put(object);
}
