// People counting across cameras: the nine counting groups ("/2066", "/2067"), the event
// action of a group ("/2069", "/2070", through the generic event linkage), the resets of a
// group's counters ("/2071", "/2072") and the automatic backup of the counting reports
// ("/2075", "/2076"). The settings live in the store; the core is told afterwards and its
// answer is the page's.
#include <json-c/json.h>

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "camera/camera_features.h"
#include "camera/camera_ipc.h"
#include "camera/camera_linkage_record.h"
#include "dvdb.h"
#include "handler_kit.h"
#include "web_utils.h"

namespace {

struct GroupActionNotice {
  int32_t group;
  int32_t all;  // -1: every part of the group's action
};
static_assert(sizeof(GroupActionNotice) == 8);

// The body's "groupid" 0 to 8; the JSON error body otherwise.
std::optional<int32_t> body_group(json_object* tree) {
  if (!json_whole_int_in(tree, "groupid", 0, kPeopleCountGroups - 1)) {
    std::fprintf(stderr, "webcgi: people counting request without a \"groupid\" 0 to 8\n");
    cgi_error_to_webserver(kCgiJson);
    return std::nullopt;
  }
  return json_whole_int(tree, "groupid");
}

// The action object of a group (with "ptzParams" for the groups page's dialog); null when
// its record cannot be read.
json_object* group_action_json(int group, bool dialog) {
  json_object* out = event_linkage_json(kPeopleCountLinkage, group);
  if (out == nullptr) return nullptr;
  // The page's "effective" is the audible schedule: counting has no schedule of its own.
  for (const LinkageSchedule& s : kPeopleCountLinkage.schedules)
    if (std::string_view(s.json_key) == "audible")
      json_object_object_add(out, "effective", linkage_schedule_json(s, group));
  json_object_object_add(out, "whiteInfo", get_pcnt_white_params_json_object(group));
  if (dialog)
    json_object_object_add(out, "ptzParams",
                           get_ptz_params_json_object(kPtzEventPeopleCount, group));
  return out;
}

// Applies element i of tree[key] (at most `count` of them) to records[i]; the key field is
// set back to i afterwards, so an element cannot move its record to another slot.
template <class Rec>
void overlay_elements(json_object* tree, const char* key, const RecordKind& kind, Rec* records,
                      int count, int32_t Rec::*slot) {
  json_object* list = json_member(tree, key);
  if (!json_object_is_type(list, json_type_array)) return;
  const int n = static_cast<int>(std::min<std::size_t>(json_object_array_length(list), count));
  for (int i = 0; i < n; ++i) {
    json_object* element = json_object_array_get_idx(list, i);
    if (json_object_is_type(element, json_type_object))
      (void)record_from_json(kind, element, &records[i]);
    records[i].*slot = i;
  }
}

// Writes every record; false (the reason on standard error) when one failed.
template <class Rec>
[[nodiscard]] bool write_all(const Rec* records, int count) {
  bool ok = true;
  for (int i = 0; i < count; ++i)
    if (store_write(kStoreMain, records[i]) != 0) ok = false;
  if (!ok) std::fprintf(stderr, "webcgi: cannot store the %s records\n", kind_of<Rec>().name);
  return ok;
}

}  // namespace

int on_cgi_get_peoplecnt_settings(char* text) {
  Json tree = request_object(text);
  if (tree == nullptr) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  const bool dialog = json_int(tree.get(), "action").value_or(0) != 0;
  PeopleCountGroup groups[kPeopleCountGroups];
  int count = 0;
  if (store_list(kStoreMain, groups, &count) != 0) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  Json out(json_object_new_object());
  json_object* list = json_object_new_array();
  json_object_object_add(out.get(), "groups", list);
  for (int i = 0; i < count && i < kPeopleCountGroups; ++i) {
    json_object* group = json_object_new_object();
    (void)record_to_json(kPeopleCountGroupKind, &groups[i], group);
    if (dialog) {
      json_object* action = group_action_json(groups[i].groupid, true);
      if (action == nullptr) {
        json_object_put(group);
        cgi_error_to_webserver(kCgiJson);
        return -1;
      }
      json_object_object_add(group, "dialog", action);
    }
    json_object_array_add(list, group);
  }
  write_json(out.get());
  return 0;
}

int on_cgi_set_peoplecnt_settings(char* text) {
  Json tree = request_object(text);
  if (tree == nullptr) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  PeopleCountGroup groups[kPeopleCountGroups];
  int count = 0;
  if (store_list(kStoreMain, groups, &count) != 0 || count != kPeopleCountGroups) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  overlay_elements(tree.get(), "groups", kPeopleCountGroupKind, groups, kPeopleCountGroups,
                   &PeopleCountGroup::groupid);
  if (!write_all(groups, kPeopleCountGroups)) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  kCameraCore.query(kReqPeopleCountGroups, int32_t{0}, kCgiJson);
  return 0;
}

int on_cgi_get_peoplecnt_action(char* text) {
  Json tree = request_object(text);
  auto group = body_group(tree.get());
  if (!group) return -1;
  json_object* out = group_action_json(*group, false);
  if (out == nullptr) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  write_json(out);
  json_object_put(out);
  return 0;
}

int on_cgi_set_peoplecnt_action(char* text) {
  Json tree = request_object(text);
  auto group = body_group(tree.get());
  if (!group) return -1;
  // The PTZ block and the white-LED list of counting groups have their own tables.
  FeatureEventRecord record{};
  LinkageSaveResult saved;
  (void)event_linkage_save(kPeopleCountLinkage, tree.get(), *group, &record, &saved,
                           {.keys = {}, .http = true, .ptz = false});
  WhiteLedEntry entries[kWhiteLedEntries] = {};
  int white = 0;
  if (get_pcnt_white_params_by_json(*group, entries, tree.get(), "whiteInfo", &white) == 0) {
    if (write_peoplecnt_wled_params_all(kStoreMain, entries, white, *group) != 0)
      saved.failed = true;
    else
      saved.stored = true;
  }
  json_object* ptz = json_member(tree.get(), "ptzParams");
  if (ptz != nullptr) {
    if (set_ptz_params_by_json(*group, kPtzEventPeopleCount, ptz) == 1)
      saved.stored = true;
    else
      saved.failed = true;
  }
  const GroupActionNotice notice{*group, -1};
  if (saved.failed) {
    std::fprintf(stderr, "webcgi: the action of counting group %d was not stored whole\n", *group);
    if (saved.stored) kCameraCore.notice(kReqPeopleCountAction, notice);
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  kCameraCore.query(kReqPeopleCountAction, notice, kCgiJson);
  return 0;
}

int on_cgi_set_peoplecnt_db_reset(char* text) {
  Json tree = request_object(text);
  auto group = body_group(tree.get());
  if (!group) return -1;
  kCameraCore.query(kReqPeopleCountDbReset, *group, kCgiJson);
  return 0;
}

int on_cgi_set_peoplecnt_liveview_reset(char* text) {
  Json tree = request_object(text);
  auto group = body_group(tree.get());
  if (!group) return -1;
  kCameraCore.query(kReqPeopleCountLiveviewReset, *group, kCgiJson);
  return 0;
}

int on_cgi_get_report_auto_backup(char* /*text*/) {
  ReportBackup reports[kReportBackups];
  int count = 0;
  if (store_list(kStoreMain, reports, &count) != 0) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  Json out(json_object_new_object());
  json_object* list = json_object_new_array();
  json_object_object_add(out.get(), "report", list);
  for (int i = 0; i < count && i < kReportBackups; ++i) {
    json_object* report = json_object_new_object();
    (void)record_to_json(kReportBackupKind, &reports[i], report);
    json_object_array_add(list, report);
  }
  // Reports always go out by e-mail as well.
  json_object_object_add(out.get(), "email", json_object_new_int(1));
  write_json(out.get());
  return 0;
}

int on_cgi_set_report_auto_backup(char* text) {
  Json tree = request_object(text);
  if (tree == nullptr) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  ReportBackup reports[kReportBackups];
  int count = 0;
  if (store_list(kStoreMain, reports, &count) != 0 || count != kReportBackups) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  overlay_elements(tree.get(), "report", kReportBackupKind, reports, kReportBackups,
                   &ReportBackup::slot);
  if (!write_all(reports, kReportBackups)) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  kCameraCore.query(kReqReportBackupChange, nullptr, 0, kCgiJson);
  return 0;
}

// ---- Answers -----------------------------------------------------------------------------

// 6423: the reports are stored whatever the core makes of them.
int on_set_report_auto_backup_cb(int /*count*/, const void* /*payload*/) {
  json_object* out = json_object_new_object();
  json_object_object_add(out, "res", json_object_new_int(0));
  return answer_json(out);
}
