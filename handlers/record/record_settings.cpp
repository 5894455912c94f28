// Record modes and record parameters: "/6042" and "/6043" show and save the record mode
// of every channel, "/6044" and "/6045" show one channel's pre- and post-event recording,
// audio, retention, recorded stream and camera ANR switch, and save them for a list of
// channels. The camera ANR change is passed on to the cameras through the core, whose
// answer is the response of "/6045".
#include <json-c/json.h>

#include <iterator>

#include "cgi_ipc.h"
#include "cgi_json.h"
#include "cgi_response.h"
#include "dvstd.h"
#include "record/record_handlers.h"
#include "record/record_ipc.h"
#include "record/record_store.h"
#include "field_json.h"
#include "web_utils.h"

namespace {

constexpr int kRtspProtocol = 1;  // cameras on a plain RTSP stream have no ANR

constexpr auto kModeKeys = pick_keys(kRecordSettingsKind, {"id", "mode"});
constexpr auto kModeOnly = pick_keys(kRecordSettingsKind, {"mode"});

// "/6044" answers the record and camera fields interleaved, in this order.
constexpr auto kParamKeysHead =
    pick_keys(kRecordSettingsKind, {"id", "prevRecordOn", "prevRecordDuration", "postRecordOn",
                                    "postRecordDuration", "audioEnable"});
constexpr auto kParamKeysStream = pick_keys(kCameraKind, {"recordStreamType"});
constexpr auto kParamKeysRetention = pick_keys(kRecordSettingsKind, {"recordExpDate"});
constexpr auto kParamKeysCamera = pick_renamed(kCameraKind, {{"anr", "cameraAnr"},
                                                             {"enable", "camEnable"},
                                                             {"model", "camProtocol"},
                                                             {"poechannel", "poeChannel"}});

// What "/6045" copies into each listed channel's record; a key the request leaves out
// (the retention, typically) keeps the stored value.
constexpr auto kParamSaveKeys =
    pick_keys(kRecordSettingsKind, {"prevRecordOn", "prevRecordDuration", "postRecordOn",
                                    "postRecordDuration", "audioEnable", "recordExpDate"});

// check_record_mode_info for one element of "records": "id" 0 to 63 and "mode" 0 to 2.
bool check_record_mode_info(json_object* element) {
  static constexpr const char* kRequired[] = {"id", "mode"};
  return record_validate(kRecordSettingsKind, element, kRequired,
                         static_cast<int>(std::size(kRequired))) == 0;
}

// "cnt", "chnid" and "camAnr" present; the record fields present and in their ranges
// (pre- and post-event switches and audio 0 or 1, pre-event duration not negative,
// recorded stream 0 to 2). Keys the page does not save are not looked at.
bool check_record_params_info(json_object* tree) {
  static constexpr const char* kRequired[] = {"prevRecordOn", "prevRecordDuration", "postRecordOn",
                                              "postRecordDuration", "audioEnable"};
  static constexpr const char* kCameraRequired[] = {"recordStreamType"};
  for (const char* key : {"cnt", "chnid", "camAnr"})
    if (!json_object_object_get_ex(tree, key, nullptr)) return false;
  return record_validate(kParamSaveKeys, tree, kRequired, static_cast<int>(std::size(kRequired))) ==
             0 &&
         record_validate(kParamKeysStream, tree, kCameraRequired, 1) == 0;
}

// Whether the camera may take the ANR value: switching it off always, on only for an
// enabled camera that is neither on a PoE port nor a plain RTSP stream.
bool anr_applies(const CameraRecord& camera, int anr) {
  if (camera.anr == anr) return false;
  return anr == 0 ||
         (camera.enable != 0 && camera.poechannel == 0 && camera.model != kRtspProtocol);
}

}  // namespace

int on_get_record_modes(char* /*text*/) {
  RecordSettings records[kMaxChannels];
  int count = 0;
  if (store_list(kStoreMain, records, &count) != 0) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  const int limit = max_cameras();
  const int shown = count < limit ? count : limit;
  write_record_list("records", kModeKeys, records, shown);
  return 0;
}

int on_set_record_modes(char* text) {
  Json tree(get_request_tokener_json_object(text));
  json_object* list = json_member(tree.get(), "records");
  RecordSettings records[kMaxChannels];
  int count = 0;
  if (!json_object_is_type(list, json_type_array) || store_list(kStoreMain, records, &count) != 0) {
    cgi_writeback_webserver(kCgiText, "ERROR");
    return -1;
  }
  // The position in the list is the channel; "id" is only checked. Beyond 64 entries
  // there is no channel left to set.
  std::size_t n = json_object_array_length(list);
  if (n > static_cast<std::size_t>(count)) n = static_cast<std::size_t>(count);
  bool valid = true;
  for (std::size_t i = 0; i < n && valid; ++i) {
    json_object* element = json_object_array_get_idx(list, i);
    valid =
        check_record_mode_info(element) && record_from_json(kModeOnly, element, &records[i]) == 1;
  }
  if (!valid) {
    cgi_writeback_webserver(kCgiText, "ERROR");
    return -1;
  }
  std::size_t written = 0;
  while (written < n && store_write(kStoreMain, records[written]) == 0) ++written;
  if (written == n) {
    kRecordCore.log(kLogParamRecordModes, -1);
    write_ok();
  } else {
    cgi_writeback_webserver(kCgiText, "ERROR");
  }
  // The core re-reads every channel that was stored.
  for (std::size_t c = 0; c < written; ++c)
    kRecordCore.notice(kRecordChannelChanged, static_cast<int32_t>(c));
  return written == n ? 0 : -1;
}

int on_get_record_params(char* text) {
  std::optional<int> channel = channel_from_text(text);
  if (!channel) return -1;
  RecordSettings record;
  CameraRecord camera;
  if (store_read(kStoreMain, *channel, &record) != 0 ||
      store_read(kStoreMain, *channel, &camera) != 0) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  Json answer(json_object_new_object());
  (void)record_to_json(kParamKeysHead, &record, answer.get());
  (void)record_to_json(kParamKeysStream, &camera, answer.get());
  (void)record_to_json(kParamKeysRetention, &record, answer.get());
  (void)record_to_json(kParamKeysCamera, &camera, answer.get());
  write_json(answer.get());
  return 0;
}

int on_set_record_params(char* text) {
  Json tree = request_object(text);
  if (tree == nullptr || !check_record_params_info(tree.get())) return -1;
  RecordSettings records[kMaxChannels];
  CameraRecord cameras[kMaxChannels];
  int record_count = 0, camera_count = 0;
  if (store_list(kStoreMain, records, &record_count) != 0 ||
      store_list(kStoreMain, std::span(cameras, kMaxChannels), &camera_count) != 0 ||
      record_count < kMaxChannels || camera_count < kMaxChannels) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  const int anr = json_int(tree.get(), "camAnr").value_or(0);
  const int stream = json_int(tree.get(), "recordStreamType").value_or(0);
  const ChannelSelection selection = read_channel_selection(tree.get(), "chnid", "cnt");

  AnrRequest anr_request{};
  anr_request.anr = anr;
  uint64_t anr_mask = 0, stream_mask = 0;
  for (int i = 0; i < selection.list.count; ++i) {
    const int c = selection.list.channel[i];
    (void)record_from_json(kParamSaveKeys, tree.get(), &records[c]);
    if (cameras[c].record_stream != stream) stream_mask |= uint64_t{1} << c;
    if (anr_applies(cameras[c], anr)) {
      anr_mask |= uint64_t{1} << c;
      anr_request.list.channel[anr_request.list.count++] = c;
    }
  }

  const bool records_stored =
      store_write_selected(kStoreMain, std::span<const RecordSettings>(records), selection.mask) ==
      0;
  const bool anr_stored =
      copy_table_column_int(kStoreMain, kCameraKind, "anr", anr, anr_mask, "id") == 0;
  const bool stream_stored = copy_table_column_int(kStoreMain, kCameraKind, "record_stream", stream,
                                                   stream_mask, "id") == 0;

  // The core follows whatever reached the store; the log record and the cameras' answer
  // only when all of it did.
  if (records_stored || stream_stored) kRecordCore.notice(kRecordParamsChanged, selection.list);
  if (!records_stored || !anr_stored || !stream_stored) {
    if (anr_stored && anr_request.list.count > 0) kRecordCore.notice(kSetCameraAnr, anr_request);
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  kRecordCore.log(kLogParamRecordParams, -1);
  kRecordCore.query(kSetCameraAnr, anr_request, kCgiJson);
  return 0;
}

int on_set_record_anr_cb(int count, const void* payload) {
  std::optional<AnrAnswer> answer = ipc_record<AnrAnswer>(payload, count, 0);
  if (!answer) return -1;
  // The count comes from the core: never past the 64 results the answer holds.
  const int results = answer->count < 0              ? 0
                      : answer->count > kMaxChannels ? kMaxChannels
                                                     : answer->count;
  bool any_failed = false;
  for (int i = 0; i < results; ++i) any_failed = any_failed || answer->result[i] != 0;
  // A lone channel's result does not count as a failure of the whole change.
  const int resp = answer->failed != 0 && results > 1 && any_failed ? -1 : 0;
  json_object* object = json_object_new_object();
  json_object_object_add(object, "resp", json_object_new_int(resp));
  return answer_json(object);
}
