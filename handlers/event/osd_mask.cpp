// OSD and privacy masks. The stored OSD is the camera module's kind (camera/osd_record.h),
// the stored masks its privacy-mask kind; the camera forms are the fixed layouts of
// event/osd_mask_core.h. Counts and texts the cameras send are bounded by their fields.
#include "event/osd_mask.h"

#include <json-c/json.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "camera/osd_record.h"
#include "camera/privacy_mask_record.h"
#include "cgi_ipc.h"
#include "event/osd_mask_core.h"
#include "event/video_ipc.h"
#include "field_json.h"
#include "handler_kit.h"
#include "web_utils.h"

namespace {

// The camera pages draw in a frame of this size; the cameras' coordinates are within it.
constexpr int kDrawWidth = 460;
constexpr int kDrawHeight = 260;

constexpr int kOsdNameText = 32;  // "/6002" keeps 31 characters of a name
constexpr int kMaxMaskArea = 24;  // "/6173" accepts area ids 0 to 24

constexpr const char* kOsdRequired[] = {"camId",    "camName",    "showName",   "showDate",
                                        "showWeek", "dateFormat", "timeFormat", "datePosX",
                                        "datePosY", "namePosX",   "namePosY",   "alpha"};
constexpr auto kOsdPositions =
    pick_keys(kOsdKind, {"datePosX", "datePosY", "namePosX", "namePosY"});

// "/6997" answers these of a connected camera, then "disconnect".
constexpr auto kCameraOsdAnswerKeys =
    pick_keys(kCameraOsdKind, {"enable_text", "text_name", "textpos", "enable_date", "datepos",
                               "dateformat", "enable_text_sub", "text_name_sub", "textpos_sub",
                               "enable_date_sub", "datepos_sub", "dateformat_sub"});

// An area of "/6115" in its key order: the camera's rectangle, the drawing frame, then the
// rectangle again as edges.
constexpr auto kAreaHead = pick_keys(
    kMaskAreaKind, {"area_id", "enable", "start_x", "start_y", "area_width", "area_height"});
constexpr auto kAreaColour = pick_keys(kMaskAreaKind, {"fill_color"});
constexpr auto kAreaEdges = pick_renamed(
    kMaskAreaKind,
    {{"start_x", "left"}, {"start_y", "top"}, {"area_width", "right"}, {"area_height", "bottom"}});
constexpr auto kAreaTail = pick_keys(kMaskAreaKind, {"ratio", "name"});

// A JSON count clamped to 0..hi (absent: 0).
int count_of(json_object* tree, const char* key, int hi) {
  return std::clamp(json_int(tree, key).value_or(0), 0, hi);
}

json_object* camera_area_json(const MaskAreaEntry& area) {
  json_object* o = json_object_new_object();
  (void)record_to_json(kAreaHead, &area, o);
  json_object_object_add(o, "width", json_object_new_int(kDrawWidth));
  json_object_object_add(o, "height", json_object_new_int(kDrawHeight));
  (void)record_to_json(kAreaColour, &area, o);
  (void)record_to_json(kAreaEdges, &area, o);
  (void)record_to_json(kAreaTail, &area, o);
  return o;
}

// A request of one channel id under `key`, sent as an int32 and waited for.
int query_channel(char* text, const char* key, int type, int error_kind) {
  Json tree = request_object(text);
  auto channel = channel_from_json(tree.get(), key);
  if (!channel) {
    cgi_error_to_webserver(error_kind);
    return -1;
  }
  kVideoCore.query(type, int32_t{*channel}, error_kind);
  return 0;
}

}  // namespace

// ---- Stored OSD ----------------------------------------------------------------------------

int on_get_osd_info(char* text) {
  auto channel = channel_from_text(text);
  if (!channel) return -1;
  OsdRecord rec{};
  if (store_read(kStoreMain, *channel, &rec) != 0) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  Json answer(json_object_new_object());
  (void)record_to_json(kOsdKind, &rec, answer.get());
  write_json(answer.get());
  return 0;
}

int on_set_osd_info(char* text) {
  // check_osd_info: every key, each within its field's limits; positions not negative.
  Json tree = request_object(text);
  if (tree == nullptr || record_validate(kOsdKind, tree.get(), kOsdRequired,
                                         static_cast<int>(std::size(kOsdRequired))) != 0)
    return -1;
  OsdRecord rec{};
  (void)record_from_json(kOsdPositions, tree.get(), &rec);
  if (rec.date_pos_x < 0 || rec.date_pos_y < 0 || rec.name_pos_x < 0 || rec.name_pos_y < 0) {
    std::fprintf(stderr, "osd: a position is negative\n");
    return -1;
  }
  auto channel = channel_from_json(tree.get(), "camId");
  if (!channel) return -1;
  if (store_read(kStoreMain, *channel, &rec) != 0) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  (void)record_from_json(kOsdKind, tree.get(), &rec);
  rec.channel = *channel;
  if (store_write(kStoreMain, rec) != 0) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  kVideoCore.notice(kOsdChanged, OsdChangeNotice{*channel, 1, 0});
  write_ok();
  return 0;
}

int OnSetOSDName(char* text) {
  Json tree = request_object(text);
  auto channel = channel_from_json(tree.get(), "camId");
  json_object* name = json_member(tree.get(), "camName");
  if (!channel || name == nullptr || json_object_is_type(name, json_type_object) ||
      json_object_is_type(name, json_type_array)) {
    std::fprintf(stderr, "osd name: needs \"camId\" 0 to 63 and a \"camName\" text\n");
    return -1;
  }
  OsdRecord rec{};
  if (store_read(kStoreMain, *channel, &rec) != 0) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  const char* value = json_object_get_string(name);
  std::size_t n = strnlen(value, kOsdNameText - 1);
  std::memset(rec.name, 0, sizeof rec.name);
  std::memcpy(rec.name, value, n);
  if (store_write(kStoreMain, rec) != 0) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  write_ok();
  return 0;
}

// ---- Camera OSD ----------------------------------------------------------------------------

int on_get_osdconfig(char* text) {
  return query_channel(text, "id", kCameraOsdGet, kCgiText);
}

int on_get_osdconfig_cb(int count, const void* payload) {
  auto rec = ipc_record<CameraOsdRecord>(payload, count, 0);
  if (!rec) return answer_error(kCgiText);
  json_object* o = json_object_new_object();
  // "disconnect" 1 marks an answer that carries the camera's settings.
  if (rec->ch >= 0) (void)record_to_json(kCameraOsdAnswerKeys, &*rec, o);
  json_object_object_add(o, "disconnect", json_object_new_int(rec->ch >= 0 ? 1 : 0));
  return answer_json(o);
}

int on_set_osdconfig(char* text) {
  // check_osdconfig_info; a body that does not parse fails it like one that lacks a key.
  Json tree = request_checked(text, kCameraOsdKind,
                              {"ch", "enable_text", "text_name", "textpos", "enable_date",
                               "datepos", "dateformat", "fontSize"});
  if (tree == nullptr) return -1;
  CameraOsdRecord rec{};
  (void)record_from_json(kCameraOsdKind, tree.get(), &rec);
  kVideoCore.query(kCameraOsdSet, rec, kCgiText);
  return 0;
}

int on_set_osdconfig_cb(int count, const void* payload) {
  auto result = ipc_record<int32_t>(payload, count, 0);
  if (!result) return answer_error(kCgiText);
  return answer_text(*result == 0 ? "OK" : *result == -1 ? "NO_SUPPORT" : "ERROR");
}

// ---- Privacy masks -------------------------------------------------------------------------

int on_get_privacy_masks(char* /*text*/) {
  PrivacyMaskRecord masks[kMaxChannels];
  int count = 0;
  if (read_privacy_masks(kStoreMain, masks, static_cast<int>(std::size(masks)), &count) != 0) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  count = std::clamp(count, 0, static_cast<int>(std::size(masks)));
  Json answer(json_object_new_array());
  for (int i = 0; i < count; ++i) {
    json_object* o = json_object_new_object();
    (void)record_to_json(kPrivacyMaskKind, &masks[i], o);
    json_object_array_add(answer.get(), o);
  }
  write_json(answer.get());
  return 0;
}

int on_set_privacy_mask(char* text) {
  // check_privacy_mask_info: "cnt", "area" and "chnid" present; the scalar keys integers.
  Json tree = request_checked(text, kPrivacyMaskRequestKind, {"cnt", "area", "chnid"});
  if (tree == nullptr) return -1;
  json_object* areas = json_member(tree.get(), "area");
  json_object* channels = json_member(tree.get(), "chnid");
  if (!json_object_is_type(areas, json_type_array) ||
      !json_object_is_type(channels, json_type_array)) {
    std::fprintf(stderr, "privacy mask: \"area\" and \"chnid\" must be arrays\n");
    return -1;
  }
  PrivacyMaskRequest req{};
  (void)record_from_json(kPrivacyMaskRequestKind, tree.get(), &req);

  // Each count clamped before they are added, so that neither a huge nor a negative value
  // can take the sum past the 28 entries.
  const int wanted = std::min(
      count_of(tree.get(), "num", kMaskEntries) + count_of(tree.get(), "mosaicNum", kMaskEntries),
      kMaskEntries);
  const int present = static_cast<int>(
      std::min<std::size_t>(json_object_array_length(areas), static_cast<std::size_t>(wanted)));
  for (int a = 0; a < present; ++a) {
    json_object* element = json_object_array_get_idx(areas, static_cast<std::size_t>(a));
    if (json_object_is_type(element, json_type_object))
      (void)record_from_json(kMaskAreaKind, element, &req.area[a]);
  }

  std::memset(req.selection, '0', sizeof req.selection);
  const uint64_t selected = get_copy_flag_by_json(tree.get(), "chnid", "cnt");
  for (int c = 0; c < kMaxChannels; ++c)
    if ((selected >> c & 1u) != 0) req.selection[c] = '1';
  kVideoCore.notice(kPrivacyMaskSet, req);
  write_ok();
  return 0;
}

int on_get_privacy_mask_ovf(char* text) {
  return query_channel(text, "id", kCameraMasksGet, kCgiText);
}

int on_get_privacy_mask_ovf_cb(int count, const void* payload) {
  if (count < 1) return answer_error(kCgiText);
  json_object* cameras = json_object_new_array();
  for (int i = 0; i < count; ++i) {
    auto entry = ipc_record<CameraMaskEntry>(payload, count, i);
    if (!entry) break;
    json_object* o = json_object_new_object();
    (void)record_to_json(kCameraMaskKind, &*entry, o);
    json_object* areas = json_object_new_array();
    const int shown = std::clamp(entry->max_mask_sum, 0, kMaskEntries);
    for (int a = 0; a < shown; ++a) json_object_array_add(areas, camera_area_json(entry->area[a]));
    json_object_object_add(o, "area", areas);
    json_object_array_add(cameras, o);
  }
  return answer_json(cameras);
}

int on_get_ipc_model_type(char* text) {
  return query_channel(text, "id", kCameraModelGet, kCgiText);
}

int on_get_ipc_model_type_cb(int count, const void* payload) {
  auto model = ipc_record<int32_t>(payload, count, 0);
  if (!model) return answer_error(kCgiText);
  json_object* o = json_object_new_object();
  json_object_object_add(o, "result", json_object_new_int(*model));
  return answer_json(o);
}

int on_delete_privacy_mask(char* text) {
  Json tree = request_object(text);
  auto channel = channel_from_json(tree.get(), "chan_id");
  if (!channel || !json_int_in(tree.get(), "area_id", 0, kMaxMaskArea)) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  kVideoCore.notice(kPrivacyMaskDelete,
                    ChannelAreaPair{*channel, *json_int(tree.get(), "area_id")});
  write_ok();
  return 0;
}

int on_cgi_set_privacy_edit(char* text) {
  Json tree = request_object(text);
  auto channel = channel_from_json(tree.get(), "chnid");
  auto mask = json_int(tree.get(), "maskid");
  if (!channel || !mask) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  kVideoCore.query(kPrivacyEdit, ChannelAreaPair{*channel, *mask}, kCgiJson);
  return 0;
}

int on_set_privacy_edit_cb(int count, const void* payload) {
  auto result = ipc_record<int32_t>(payload, count, 0);
  if (!result) return answer_error(kCgiJson);
  json_object* o = json_object_new_object();
  json_object_object_add(o, "res", json_object_new_int(*result));
  return answer_json(o);
}
