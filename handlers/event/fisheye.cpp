// Fisheye cameras: every request asks the camera through the core and answers what it
// said. The bodies are checked whole before anything is sent.
#include "event/fisheye.h"

#include <json-c/json.h>

#include <cstdio>

#include "event/video_ipc.h"
#include "field_json.h"
#include "handler_kit.h"

namespace {

constexpr auto kFisheyeAnswerKeys =
    pick_keys(kFisheyeKind, {"chnid", "result", "fishmount", "fishdisplay", "fishcorrect"});

}  // namespace

int on_get_fisheye_info(char* text) {
  Json tree = request_object(text);
  auto channel = channel_from_json(tree.get(), "id");
  if (!channel) {
    std::fprintf(stderr, "/6130: \"id\" is no channel\n");
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  kVideoCore.query(kFisheyeGet, int32_t{*channel}, kCgiText);
  return 0;
}

int on_get_fisheye_info_cb(int count, const void* payload) {
  return answer_record_json<FisheyeRecord>(kFisheyeAnswerKeys, count, payload, kCgiText);
}

int on_cgi_set_fisheye_mode(char* text) {
  Json tree =
      request_checked(text, kFisheyeKind, {"chnid", "fishcorrect", "fishmount", "fishdisplay"});
  if (tree == nullptr) return -1;
  FisheyeRecord rec{};
  (void)record_from_json(kFisheyeKind, tree.get(), &rec);
  rec.result = 0;
  kVideoCore.query(kFisheyeSet, rec, kCgiJson);
  return 0;
}

int on_cgi_check_fisheye_info(char* text) {
  Json tree =
      request_checked(text, kFisheyeSetupKind, {"ddns", "ipaddr", "username", "password", "port"});
  if (tree == nullptr) return -1;
  FisheyeSetup setup{};
  (void)record_from_json(kFisheyeSetupKind, tree.get(), &setup);
  // The check carries the address and login alone.
  kVideoCore.query(kFisheyeCheck, &setup, static_cast<int>(kFisheyeCheckSize), kCgiJson);
  return 0;
}

int on_cgi_check_fisheye_info_cb(int count, const void* payload) {
  return answer_record_json<FisheyeSupport>(kFisheyeSupportKind, count, payload);
}

int on_cgi_set_fisheye_info(char* text) {
  Json tree = request_checked(
      text, kFisheyeSetupKind,
      {"ddns", "ipaddr", "username", "password", "port", "transfer", "install", "display"});
  if (tree == nullptr) return -1;
  FisheyeSetup setup{};
  (void)record_from_json(kFisheyeSetupKind, tree.get(), &setup);
  kVideoCore.query(kFisheyeSetup, setup, kCgiJson);
  return 0;
}

int on_cgi_set_fisheye_info_cb(int count, const void* payload) {
  auto res = ipc_record<int32_t>(payload, count, 0);
  if (!res) return answer_error(kCgiJson);
  json_object* o = json_object_new_object();
  json_object_object_add(o, "res", json_object_new_int(*res));
  return answer_json(o);
}
