// POS sources and face capture: "/2073" and "/2074" the eight point-of-sale text sources
// and the event action of one (through the generic event linkage), "/2077" the face
// capture settings of a camera with their event action. Sources and actions live in the
// store; the face settings themselves are passed to the camera.
#include <json-c/json.h>

#include <algorithm>
#include <cstdio>

#include "camera/camera_features.h"
#include "camera/camera_ipc.h"
#include "camera/camera_linkage_record.h"
#include "cgi_ipc.h"
#include "dvdb.h"
#include "handler_kit.h"
#include "web_utils.h"

namespace {

// The body's `key` in 0..max; the JSON error body otherwise.
std::optional<int32_t> body_id(json_object* tree, const char* key, int max) {
  if (!json_whole_int_in(tree, key, 0, max)) {
    std::fprintf(stderr, "webcgi: request without a \"%s\" 0 to %d\n", key, max);
    cgi_error_to_webserver(kCgiJson);
    return std::nullopt;
  }
  return json_whole_int(tree, key);
}

// Stores the event action `action` of the kind's instance `id` (its PTZ list under
// "ptzParams" of the action's own PTZ event type). The result says what reached the store.
LinkageSaveResult save_action(const EventLinkageDesc& desc, json_object* action, int id) {
  FeatureEventRecord record{};
  LinkageSaveResult saved;
  (void)event_linkage_save(desc, action, id, &record, &saved,
                           {.keys = {}, .http = true, .ptz = false});
  json_object* ptz = json_member(action, "ptzParams");
  if (ptz != nullptr) {
    if (set_ptz_params_by_json(id, desc.ptz_event_type, ptz) == 1)
      saved.stored = true;
    else
      saved.failed = true;
  }
  return saved;
}

}  // namespace

int on_cgi_get_pos_info(char* text) {
  Json tree = request_object(text);
  auto id = body_id(tree.get(), "id", kPosSources - 1);
  if (!id) return -1;
  PosSetting sources[kPosSources];
  int count = 0;
  json_object* action = nullptr;
  if (store_list(kStoreMain, sources, &count) != 0 ||
      (action = event_linkage_json(kPosLinkage, *id)) == nullptr) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  Json out(json_object_new_object());
  json_object* list = json_object_new_array();
  for (int i = 0; i < count && i < kPosSources; ++i) {
    json_object* source = json_object_new_object();
    (void)record_to_json(kPosSettingKind, &sources[i], source);
    json_object_array_add(list, source);
  }
  json_object_object_add(out.get(), "pos", list);
  json_object_object_add(out.get(), "action", action);
  write_json(out.get());
  return 0;
}

int on_cgi_set_pos_info(char* text) {
  Json tree = request_object(text);
  auto id = body_id(tree.get(), "id", kPosSources - 1);
  if (!id) return -1;
  PosSetting source{};
  if (store_read(kStoreMain, *id, &source) != 0) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  (void)record_from_json(kPosSettingKind, tree.get(), &source);
  source.id = *id;
  LinkageSaveResult saved;
  if (json_object* action = json_member(tree.get(), "action"); action != nullptr)
    saved = save_action(kPosLinkage, action, *id);
  if (store_write(kStoreMain, source) != 0)
    saved.failed = true;
  else
    saved.stored = true;
  if (saved.failed) {
    std::fprintf(stderr, "webcgi: POS source %d was not stored whole\n", *id);
    if (saved.stored) kCameraCore.notice(kReqPosChange, *id);
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  kCameraCore.query(kReqPosChange, *id, kCgiJson);
  return 0;
}

int on_cgi_set_face_config(char* text) {
  Json tree = request_object(text);
  auto channel = body_id(tree.get(), "chnId", kFaceChannels - 1);
  if (!channel) return -1;
  FaceConfig face{};
  (void)record_from_json(kFaceConfigKind, tree.get(), &face);
  face.chnId = *channel;
  // Each element of "captureModeArray" is split over two arrays of the record.
  json_object* modes = json_member(tree.get(), "captureModeArray");
  const std::size_t n =
      json_object_is_type(modes, json_type_array)
          ? std::min<std::size_t>(json_object_array_length(modes), kFaceCaptureModes)
          : 0;
  for (std::size_t i = 0; i < n; ++i) {
    json_object* mode = json_object_array_get_idx(modes, i);
    face.captureQuality[i] = json_int(mode, "captureQuality").value_or(0);
    face.snapshot[i] = json_int(mode, "snapshot").value_or(0);
  }
  if (json_object* action = json_member(tree.get(), "action"); action != nullptr) {
    LinkageSaveResult saved = save_action(kFaceLinkage, action, *channel);
    if (saved.stored) kCameraCore.notice(kReqFaceActionChange, *channel);
    if (saved.failed) {
      std::fprintf(stderr, "webcgi: face action of channel %d was not stored whole\n", *channel);
      cgi_error_to_webserver(kCgiJson);
      return -1;
    }
  }
  kCameraCore.query(kReqFaceConfig, face, kCgiJson);
  return 0;
}
