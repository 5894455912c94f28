// The general settings page: "/6080" shows and "/6081" saves the local display and audio
// outputs with the recorder's identity and start-up wizard. Switching the two outputs
// between homologous (the same picture) and separate screens restarts the recorder.
#include <json-c/json.h>

#include <cstdio>
#include <cstdlib>
#include <optional>

#include "dvstd.h"
#include "handler_kit.h"
#include "network/network_record.h"
#include "system/system_handlers.h"
#include "system/system_ipc.h"
#include "system/system_store.h"

namespace {

constexpr auto kDisplayOutputs = pick_keys(kDisplayKind, {"mainResolution", "hdmiAudioOn"});
constexpr auto kDisplayControl = pick_keys(
    kDisplayKind, {"curControl", "subEnable", "subResolution", "audioOutputOn", "audioVolume"});
// What a save takes into the record ("homologous" is a parameter, "curControl" the core's).
constexpr auto kDisplaySaved =
    pick_keys(kDisplayKind, {"mainResolution", "audioOutputOn", "audioVolume", "audioStereo",
                             "hdmiAudioOn", "subResolution", "subEnable"});

void add_param_text(json_object* o, const char* key, const char* param, const char* fallback) {
  char value[256];
  get_param_value(kStoreMain, param, value, sizeof value, fallback);
  json_object_object_add(o, key, json_object_new_string(value));
}

bool is_switch(json_object* tree, const char* key) {
  return json_whole_int_in(tree, key, 0, 1);
}

// The save's check: both resolutions, the switches 0 or 1, a volume of 0 to 100 in steps of
// 10, a host name and a device id of 0 to 256.
bool general_is_valid(json_object* tree) {
  for (const char* key :
       {"audioOutputOn", "hdmiAudioOn", "wizardEnable", "displayMode", "subEnable"})
    if (!is_switch(tree, key)) return false;
  std::optional<int> volume = json_whole_int(tree, "audioVolume");
  return json_member(tree, "mainResolution") != nullptr &&
         json_member(tree, "subResolution") != nullptr && volume && *volume >= 0 &&
         *volume <= 100 && *volume % 10 == 0 && json_member(tree, "hostname") != nullptr &&
         json_whole_int_in(tree, "deviceId", 0, 256);
}

}  // namespace

int on_get_general_info(char* /*text*/) {
  DisplayRecord display;
  NetworkRecord net;
  if (store_read(kStoreMain, 0, &display) != 0 || store_read(kStoreMain, 0, &net) != 0) {
    std::fprintf(stderr, "6080: settings not read: %s\n", store_last_error());
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  char mode[32];
  get_param_value(kStoreMain, "display_mode", mode, sizeof mode, "0");
  Json o(json_object_new_object());
  json_object_object_add(o.get(), "displayMode", json_object_new_int(std::atoi(mode)));
  add_param_text(o.get(), "hdmihotplug", "hdmihotplug", "1");
  record_to_json(kDisplayOutputs, &display, o.get());
  json_object_object_add(o.get(), "homologous",
                         json_object_new_int(get_param_int(kStoreMain, "homologous", 1)));
  record_to_json(kDisplayControl, &display, o.get());
  add_param_text(o.get(), "deviceId", "deviceid", "255");
  json_object_object_add(o.get(), "hostname", json_object_new_string(net.host_name));
  add_param_text(o.get(), "wizardEnable", "wizard_enable", "0");
  write_json(o.get());
  return 0;
}

int on_set_general_info(char* text) {
  Json tree = request_object(text);
  if (tree == nullptr || !general_is_valid(tree.get())) return -1;
  json_object* t = tree.get();

  DisplayRecord display;
  if (store_read(kStoreMain, 0, &display) != 0) {
    std::fprintf(stderr, "6081: display settings not read: %s\n", store_last_error());
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  const DisplayRecord before = display;
  (void)record_from_json(kDisplaySaved, t, &display);

  bool restart = false;
  const bool homologous_changed = json_int(t, "isHomologousChanged").value_or(0) != 0;
  if (homologous_changed) {
    const int homologous = json_int(t, "homologous").value_or(0);
    display.quick_screen = homologous == 0 ? 1 : 0;
    if (set_param_int(kStoreMain, "homologous", homologous) != 0 ||
        set_param_int(kStoreMain, "quick_screen", display.quick_screen) != 0) {
      std::fprintf(stderr, "6081: output mode not stored: %s\n", store_last_error());
      cgi_error_to_webserver(kCgiText);
      return -1;
    }
    restart = true;
  }
  if (store_write(kStoreMain, display) != 0) {
    std::fprintf(stderr, "6081: display settings not stored: %s\n", store_last_error());
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  if (!homologous_changed && before.cur_control == 0 && display.quick_screen != display.sub_enable)
    kSystemCore.notice(kSubOutputChanged, int32_t{display.sub_enable});

  const int device_id = *json_int(t, "deviceId");
  bool stored = store_host_name(json_object_get_string(json_member(t, "hostname"))) &&
                set_param_int(kStoreMain, "deviceid", device_id) == 0 &&
                set_param_int(kStoreMain, "wizard_enable", *json_int(t, "wizardEnable")) == 0 &&
                set_param_int(kStoreMain, "display_mode", *json_int(t, "displayMode")) == 0;
  if (stored && json_member(t, "hdmihotplug") != nullptr)
    stored = set_param_int(kStoreMain, "hdmihotplug", json_int(t, "hdmihotplug").value_or(0)) == 0;
  if (stored && json_member(t, "streamInfo") != nullptr)
    stored =
        set_param_int(kStoreMain, "stream_information", json_int(t, "streamInfo").value_or(0)) == 0;
  if (!stored) {
    // The display part did reach the store and the core was told; nothing else is claimed.
    std::fprintf(stderr, "6081: identity not stored: %s\n", store_last_error());
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  notice_identity(device_id);

  if (display.main_resolution != before.main_resolution ||
      display.sub_resolution != before.sub_resolution) {
    kSystemCore.notice(kResolutionChanged, DisplayResolution{0, display.main_resolution});
    kSystemCore.notice(kResolutionChanged, DisplayResolution{1, display.sub_resolution});
    kSystemCore.notice(kDisplayApply);
  }
  kSystemCore.notice(
      kAudioOutputChanged,
      AudioOutput{display.hdmi_audio_on, display.audio_output_on, display.audio_volume});
  kSystemCore.log(kLogParamGeneral);
  cgi_writeback_webserver(kCgiText, before.cur_control != 0 ? "SUB" : "OK");
  if (restart) kSystemCore.notice(kRestart);
  return 0;
}
