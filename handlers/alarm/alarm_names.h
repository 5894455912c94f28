// The name lists of "/6032" and "/6034": {"nvr": [the recorder's contacts], "camera": [64
// arrays of each channel's contacts]}, the same shape for inputs and outputs.
#pragma once

#include <json-c/json.h>

#include "handler_kit.h"
#include "linkage.h"

// NvrRec: the recorder's contact record (kNvrCount of them, listed); CamRec: a camera's,
// keyed by channel and index 0 .. kCamCount - 1. Both have a `name` text field.
template <class NvrRec, int kNvrCount, class CamRec, int kCamCount>
int write_alarm_names() {
  NvrRec nvr[kNvrCount];
  int count = 0;
  if (store_list(kStoreMain, nvr, &count) != 0) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  Json answer(json_object_new_object());
  json_object* nvr_names = json_object_new_array();
  for (int i = 0; i < count; ++i)
    json_object_array_add(nvr_names, json_text_field(nvr[i].name, sizeof nvr[i].name));
  json_object_object_add(answer.get(), "nvr", nvr_names);
  json_object* cameras = json_object_new_array();
  json_object_object_add(answer.get(), "camera", cameras);
  for (int c = 0; c < kMaxChannels; ++c) {
    json_object* names = json_object_new_array();
    json_object_array_add(cameras, names);
    for (int i = 0; i < kCamCount; ++i) {
      CamRec rec{};
      if (store_read(kStoreMain, RecordKey(c, i), &rec) != 0) {
        cgi_error_to_webserver(kCgiJson);
        return -1;
      }
      json_object_array_add(names, json_text_field(rec.name, sizeof rec.name));
    }
  }
  write_json(answer.get());
  return 0;
}
