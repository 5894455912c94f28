// Stream settings of the cameras: "/2009" reads one channel's main and sub stream (the
// camera's answer joined with what the store knows of the channel), "/2010" changes one
// channel and "/2030" several at once. The core answers a change with the channels whose
// cameras took it.
#include <json-c/json.h>

#include <cstdio>
#include <cstring>

#include "camera/camera_ipc.h"
#include "camera/camera_params.h"
#include "camera/camera_record.h"
#include "camera/ipc_catalog_record.h"
#include "camera/osd_record.h"
#include "handler_kit.h"
#include "loginfo.h"

namespace {

// Flag of a change that at least one camera took: the waiting handler logs it.
constexpr int kOutcomeTaken = 2;
// Operation log sub type of a stream change.
constexpr int kLogSubStreamChange = 212;

// ---- Keys of the stream answer, in the order the page reads them --------------------------

constexpr auto kStreamHead = pick_keys(kStreamSettingsKind, {"id"});
constexpr auto kChannelName = pick_renamed(kOsdKind, {{"name", "name"}});
constexpr auto kStreamKinds = pick_keys(
    kStreamSettingsKind,
    {"subEnable", "audioEnable", "videoTypeEnable", "mainVideoType", "subVideoType", "ipc_type"});
constexpr auto kCameraSync = pick_keys(kCameraKind, {"syncTime"});
constexpr auto kCameraLink =
    pick_keys(kCameraKind, {"managePort", "physicalport", "poechannel", "mac_addr",
                            "transmitProtocol", "ddns", "httpsPort"});
constexpr auto kStreamSmart =
    pick_keys(kStreamSettingsKind,
              {"mainStream", "subStream", "SupportSmartStream", "SmartStream", "SmartStreamLevel",
               "SubSupportSmartStream", "SubSmartStream", "SubSmartStreamLevel"});
constexpr auto kMainProfile =
    pick_renamed(kStreamSettingsKind, {{"main_framerate_max", "framerateMax"},
                                       {"main_framerate_min", "framerateMin"},
                                       {"main_bitrate_max", "bitrateMax"},
                                       {"main_bitrate_min", "bitrateMin"},
                                       {"main_framerate", "framerate"},
                                       {"main_bitrate", "bitrate"},
                                       {"main_iframe_interval", "iframeinterval"},
                                       {"main_iframe_interval_min", "iframeIntervalMin"},
                                       {"main_iframe_interval_max", "iframeIntervalMax"},
                                       {"main_bitrate_ctrl", "bitrateCtrl"}});
constexpr auto kSubProfile =
    pick_renamed(kStreamSettingsKind, {{"sub_framerate_max", "framerateMax"},
                                       {"sub_framerate_min", "framerateMin"},
                                       {"sub_bitrate_max", "bitrateMax"},
                                       {"sub_bitrate_min", "bitrateMin"},
                                       {"sub_framerate", "framerate"},
                                       {"sub_bitrate", "bitrate"},
                                       {"sub_iframe_interval", "iframeinterval"},
                                       {"sub_iframe_interval_min", "iframeIntervalMin"},
                                       {"sub_iframe_interval_max", "iframeIntervalMax"},
                                       {"sub_bitrate_ctrl", "bitrateCtrl"}});
constexpr auto kStreamGops = pick_keys(kStreamSettingsKind, {"mainGop", "subGop", "thirdGop"});

// ---- Keys of the changes ----------------------------------------------------------------------

constexpr auto kSingleChangeKeys =
    pick_keys(kStreamChangeKind,
              {"videoTypeEnable",    "subEnable",         "fisheyeType",       "mainVideoType",
               "mainResWidth",       "mainResHeight",     "mainFramerate",     "mainBitrate",
               "IframeInterval",     "bitrateControl",    "SmartStream",       "SmartStreamLevel",
               "recordtype",         "etframerate",       "etIframeinterval",  "etbitrate",
               "subVideoType",       "subResWidth",       "subResHeight",      "subFramerate",
               "subBitrate",         "subIframeInterval", "SubBitrateControl", "SubSmartStream",
               "SubSmartStreamLevel"});
// The batch page names the two rate controls otherwise and sets the transport for all.
constexpr auto kBatchChangeKeys =
    pick_renamed(kStreamChangeKind, {{"transmitProtocol", "transmitProtocol"},
                                     {"syncTime", "syncTime"},
                                     {"subEnable", "subEnable"},
                                     {"mainVideoType", "mainVideoType"},
                                     {"mainResWidth", "mainResWidth"},
                                     {"mainResHeight", "mainResHeight"},
                                     {"mainFramerate", "mainFramerate"},
                                     {"mainBitrate", "mainBitrate"},
                                     {"IframeInterval", "IframeInterval"},
                                     {"bitrateControl", "mainBitrateControl"},
                                     {"SmartStream", "SmartStream"},
                                     {"SmartStreamLevel", "SmartStreamLevel"},
                                     {"subVideoType", "subVideoType"},
                                     {"subResWidth", "subResWidth"},
                                     {"subResHeight", "subResHeight"},
                                     {"subFramerate", "subFramerate"},
                                     {"subBitrate", "subBitrate"},
                                     {"subIframeInterval", "subIframeInterval"},
                                     {"SubBitrateControl", "subBitrateControl"},
                                     {"SubSmartStream", "SubSmartStream"},
                                     {"SubSmartStreamLevel", "SubSmartStreamLevel"}});

// One stream's object: "curRes" (the index of the current size in the list, 0 when it is
// not listed), "res" (the sizes up to the first pair with a zero member) and the profile.
json_object* stream_object(const int32_t (&res)[2 * kStreamResolutions], int32_t width,
                           int32_t height, const FieldKeys& profile,
                           const StreamSettingsAnswer& answer) {
  json_object* list = json_object_new_array();
  int current = 0;
  for (int i = 0; i < kStreamResolutions; ++i) {
    const int32_t w = res[2 * i];
    const int32_t h = res[2 * i + 1];
    if (w == 0 || h == 0) break;
    if (w == width && h == height) current = i;
    char name[32];
    std::snprintf(name, sizeof name, "%d*%d", w, h);
    json_object* entry = json_object_new_object();
    json_object_object_add(entry, "width", json_object_new_int(w));
    json_object_object_add(entry, "height", json_object_new_int(h));
    json_object_object_add(entry, "name", json_object_new_string(name));
    json_object_array_add(list, entry);
  }
  json_object* out = json_object_new_object();
  json_object_object_add(out, "curRes", json_object_new_int(current));
  json_object_object_add(out, "res", list);
  (void)record_to_json(profile, &answer, out);
  return out;
}

// The mask text of a change: '1' for each channel of `mask`.
void set_mask_text(StreamChangeRequest* req, uint64_t mask) {
  for (int n = 0; n < kMaxChannels; ++n) req->mask[n] = (mask >> n) & 1u ? '1' : '0';
}

// The /2010 check: "id" 0 to 63, the four main stream sizes present and not negative,
// "subEnable" present, "audioEnable" 0 or 1.
bool check_stream_change(json_object* tree) {
  static const char* const kRequired[] = {"mainFramerate", "mainBitrate", "mainResWidth",
                                          "mainResHeight", "subEnable"};
  return json_int_in(tree, "id", 0, kMaxChannels - 1) && json_int_in(tree, "audioEnable", 0, 1) &&
         record_validate(kSingleChangeKeys, tree, kRequired,
                         static_cast<int>(std::size(kRequired))) == 0;
}

}  // namespace

void stream_change_defaults(void* record, RecordKey /*key*/) {
  for (int i = 0; i < kStreamChangeKind.field_count; ++i) {
    const FieldDesc& f = kStreamChangeKind.fields[i];
    if (field_is_integer(f.type)) field_set_int(f, record, -1);
    for (uint32_t e = 0; f.type == FieldType::kIntArray && e < f.count; ++e)
      field_set_element(f, record, e, -1);
  }
}

// 8204: the stream settings of one channel, with the channel's name and camera from the
// store. The answer's channel id indexes the store, so an id outside 0 to 63 is an error.
int on_get_ipc_stream_cb(int count, const void* payload) {
  auto answer = ipc_record<StreamSettingsAnswer>(payload, count, 0);
  if (!answer) return answer_error(kCgiJson);
  Json out(json_object_new_object());
  json_object_object_add(out.get(), "stateCode", json_object_new_int(answer->stateCode));
  if (answer->stateCode != 0) return answer_json(out.release());

  const int id = answer->chnid;
  CameraRecord cam;
  OsdRecord osd;
  if (!channel_valid(id) || store_read(kStoreMain, id, &cam) != 0 ||
      store_read(kStoreMain, id, &osd) != 0) {
    std::fprintf(stderr, "webcgi: stream settings of channel %d not shown\n", id);
    return answer_error(kCgiJson);
  }
  // A model id the catalogue does not hold reads as protocol 0.
  IpcModelRecord model{};
  if (read_ipc_model(kStoreMain, &model, cam.model) != 0) model.protocol = 0;

  json_object* o = out.get();
  (void)record_to_json(kStreamHead, &*answer, o);
  (void)record_to_json(kChannelName, &osd, o);
  (void)record_to_json(kStreamKinds, &*answer, o);
  (void)record_to_json(kCameraSync, &cam, o);
  json_object_object_add(o, "protocol", json_object_new_int(model.protocol));
  (void)record_to_json(kCameraLink, &cam, o);
  (void)record_to_json(kStreamSmart, &*answer, o);
  json_object_object_add(o, "main",
                         stream_object(answer->main_res, answer->main_width, answer->main_height,
                                       kMainProfile, *answer));
  json_object_object_add(
      o, "sub",
      stream_object(answer->sub_res, answer->sub_width, answer->sub_height, kSubProfile, *answer));
  (void)record_to_json(kStreamGops, &*answer, o);
  return answer_json(out.release());
}

// 8203: {"res": 64 characters, '1' for each channel whose camera took the change}.
int on_set_ipc_stream_cb(int count, const void* payload) {
  auto result = ipc_record<StreamChangeAnswer>(payload, count, 0);
  if (!result) return answer_error(kCgiJson);
  const uint64_t mask = (static_cast<uint64_t>(result->high) << 32) | result->low;
  char text[kMaxChannels + 1];
  for (int n = 0; n < kMaxChannels; ++n) text[n] = (mask >> n) & 1u ? '1' : '0';
  text[kMaxChannels] = '\0';
  json_object* out = json_object_new_object();
  json_object_object_add(out, "res", json_object_new_string(text));
  return answer_json(out, mask != 0 ? kOutcomeTaken : 1);
}

int on_get_ipc_stream(char* text) {
  // The query is JSON text ({"chnid":5}); a value that is no channel number is refused.
  Json tree = request_object(text);
  auto id = channel_from_json(tree.get(), "chnid");
  if (!id) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  const int32_t channel = *id;
  kCameraCore.query(kReqStreamQuery, channel, kCgiJson);
  return 0;
}

int on_set_ipc_stream(char* text) {
  Json tree = request_object(text);
  if (tree == nullptr || !check_stream_change(tree.get())) {
    std::fprintf(stderr, "webcgi: stream change refused: channel or main stream settings\n");
    return -1;
  }
  const int id = *json_int(tree.get(), "id");
  StreamChangeRequest req;
  record_reset(kStreamChangeKind, &req, 0);
  set_mask_text(&req, uint64_t{1} << id);
  (void)record_from_json(kSingleChangeKeys, tree.get(), &req);
  // Logged only when a camera took it: the answer says which did.
  if (kCameraCore.query(kReqStreamChange, req, kCgiText) == kOutcomeTaken)
    cgi_send_log(kCameraCore.callback, cgi_make_log(kLogSubStreamChange, kLogParamChannel, id));
  return 0;
}

int on_set_ipc_stream_batch(char* text) {
  Json tree = request_object(text);
  if (tree == nullptr) return -1;
  uint64_t mask = 0;
  json_object* chans = json_member(tree.get(), "chans");
  const std::size_t n = json_object_is_type(chans, json_type_array)
                            ? std::min<std::size_t>(json_object_array_length(chans), kMaxChannels)
                            : 0;
  for (std::size_t i = 0; i < n; ++i)
    if (json_object_get_int(json_object_array_get_idx(chans, i)) != 0) mask |= uint64_t{1} << i;
  StreamChangeRequest req;
  record_reset(kStreamChangeKind, &req, 0);
  set_mask_text(&req, mask);
  (void)record_from_json(kBatchChangeKeys, tree.get(), &req);
  req.videoTypeEnable = 1;
  req.fisheyeType = 0;
  kCameraCore.query(kReqStreamChange, req, kCgiJson);
  return 0;
}
