// Tour editing: the steps of one tour changed ("/6055", kept in the channel's tour table and
// sent with 1264), a fisheye camera's tour ("/6056", sent with 1269, kept by the camera)
// and a tour cleared ("/6057").
//
// A tour request names its channel (0 to 63), its tour (1 to 8) and, for a change, the
// number of steps (0 to 48) and their "path": anything else lies outside the 8 x 48 table
// and the messages, and is refused without an answer. Steps are taken from "path" up to
// "rowsize" or the end of the array, whichever comes first.
#include <json-c/json.h>

#include <algorithm>

#include "handler_kit.h"
#include "ptz/ptz_handlers.h"
#include "ptz/ptz_ipc.h"
#include "ptz/ptz_store.h"

namespace {

struct TourEdit {
  int32_t chn = 0;
  int32_t tourid = 0;  // 1 to 8
  int steps = 0;       // steps taken from the path
  PtzTourStep step[kPtzTourSteps] = {};
};

bool tour_target(json_object* tree, TourEdit* edit) {
  auto chn = channel_from_json(tree, "chn");
  if (!chn || !json_int_in(tree, "tourid", 1, kPtzTours)) return false;
  edit->chn = *chn;
  edit->tourid = *json_int(tree, "tourid");
  return true;
}

// The tour and its steps; nothing when the body is refused.
std::optional<TourEdit> tour_edit(json_object* tree) {
  TourEdit edit;
  json_object* path = json_member(tree, "path");
  if (!tour_target(tree, &edit) || !json_int_in(tree, "rowsize", 0, kPtzTourSteps) ||
      !json_object_is_type(path, json_type_array))
    return std::nullopt;
  const std::size_t n = std::min<std::size_t>(json_object_array_length(path),
                                              static_cast<std::size_t>(*json_int(tree, "rowsize")));
  for (std::size_t k = 0; k < n; ++k) {
    // A step that is no object ends the path like its end would.
    if (record_from_json(kPtzTourStepKind, json_object_array_get_idx(path, k), &edit.step[k]) < 0)
      break;
    ++edit.steps;
  }
  return edit;
}

}  // namespace

int on_set_ptz_tour_set(char* text) {
  Json tree = request_object(text);
  auto edit = tree != nullptr ? tour_edit(tree.get()) : std::nullopt;
  if (!edit) return -1;
  PtzTourTable table;
  if (store_read(kStoreMain, edit->chn, &table) != 0) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  // Steps beyond the edit keep their stored values; the message carries only the edit.
  PtzTourChange change{};
  change.chn = edit->chn;
  change.tourid = edit->tourid;
  change.rowsize = edit->steps;
  for (int k = 0; k < edit->steps; ++k) {
    table.tour[edit->tourid - 1].step[k] = edit->step[k];
    change.step[k] = edit->step[k];
  }
  if (store_write(kStoreMain, table) != 0) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  kPtzCore.notice(kPtzTourChange, change);
  ptz_log(kLogParamPtz, edit->chn);
  write_ok();
  return 0;
}

int on_set_fish_ptz_tour_set(char* text) {
  Json tree = request_object(text);
  auto edit = tree != nullptr ? tour_edit(tree.get()) : std::nullopt;
  if (!edit) return -1;
  PtzFishTourChange change{};
  change.chn = edit->chn;
  change.streamId = json_int(tree.get(), "streamId").value_or(0);
  change.tour = edit->tourid - 1;
  PtzFishTour& tour = change.tours[change.tour];
  for (int k = 0; k < edit->steps; ++k) {
    tour.preset[k] = edit->step[k].preset;
    tour.time[k] = edit->step[k].time;
    tour.speed[k] = edit->step[k].speed;
  }
  kPtzCore.notice(kPtzFishTourChange, change);
  ptz_log(kLogParamPtz, edit->chn);
  write_ok();
  return 0;
}

// The tour's steps lose their presets; their dwell times and speeds stay for the next
// edit.
int on_set_ptz_tour_clear(char* text) {
  Json tree = request_object(text);
  TourEdit target;
  if (tree == nullptr || !tour_target(tree.get(), &target)) return -1;
  PtzTourTable table;
  if (store_read(kStoreMain, target.chn, &table) != 0) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  for (PtzTourStep& step : table.tour[target.tourid - 1].step) step.preset = 0;
  if (store_write(kStoreMain, table) != 0) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  PtzTourControl control{};
  (void)record_from_json(kPtzTourControlKind, tree.get(), &control);
  control.chn = target.chn;
  control.tourid = target.tourid;
  kPtzCore.notice(kPtzTourClear, control);
  ptz_log(kLogParamPtz, target.chn);
  write_ok();
  return 0;
}
