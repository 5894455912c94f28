// Schedule, mask and linkage converters, and the request and file utilities.
#include "web_utils.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <json-c/json.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "dvdb.h"
#include "dvmem.h"

namespace {

// tree[key], or null when the tree is not an object or lacks the key.
json_object* member(json_object* tree, const char* key) {
  json_object* value = nullptr;
  if (tree == nullptr || key == nullptr || !json_object_is_type(tree, json_type_object))
    return nullptr;
  if (!json_object_object_get_ex(tree, key, &value)) return nullptr;
  return value;
}

// Element i of an array, or null when `array` is not an array or too short.
json_object* element(json_object* array, std::size_t i) {
  if (array == nullptr || !json_object_is_type(array, json_type_array)) return nullptr;
  if (i >= json_object_array_length(array)) return nullptr;
  return json_object_array_get_idx(array, i);
}

std::size_t length_of(json_object* array) {
  if (array == nullptr || !json_object_is_type(array, json_type_array)) return 0;
  return json_object_array_length(array);
}

// Copies the value's text (json-c's text of any value; "" for null) cut to size-1.
void copy_text(char* out, std::size_t size, json_object* value) {
  const char* s = value != nullptr ? json_object_get_string(value) : nullptr;
  if (s == nullptr) s = "";
  std::size_t n = strnlen(s, size - 1);
  std::memcpy(out, s, n);
  std::memset(out + n, 0, size - n);
}

int int_of(json_object* value) {
  return value != nullptr ? json_object_get_int(value) : 0;
}

// A number (json-c's integer of it), or a text holding only a decimal integer.
bool channel_number(json_object* value, int* out) {
  if (value == nullptr) return false;
  if (json_object_is_type(value, json_type_int) || json_object_is_type(value, json_type_double)) {
    *out = json_object_get_int(value);
    return true;
  }
  if (!json_object_is_type(value, json_type_string)) return false;
  const char* s = json_object_get_string(value);
  char* end = nullptr;
  errno = 0;
  long v = std::strtol(s, &end, 10);
  if (end == s || *end != '\0' || errno != 0 || v < INT32_MIN || v > INT32_MAX) return false;
  *out = static_cast<int>(v);
  return true;
}

// A fixed text field of a stored record, which may lack its terminator.
json_object* text_value(const char* field, std::size_t size) {
  return json_object_new_string_len(field, static_cast<int>(strnlen(field, size)));
}

json_object* schedule_to_json(const ScheduleBlock* block, bool with_action, bool camera) {
  json_object* days = json_object_new_array();
  for (int d = 0; d < kScheduleDays; ++d) {
    const ScheduleDay& day = block->day[d];
    json_object* row = json_object_new_array();
    bool blank = camera && day.wholeDay == 0;
    for (int s = 0; s < 12; ++s) {
      const ScheduleSection& sec = day.section[s];
      json_object* o = json_object_new_object();
      json_object_object_add(
          o, "startTime",
          blank ? json_object_new_string("") : text_value(sec.start, sizeof sec.start));
      json_object_object_add(
          o, "endTime", blank ? json_object_new_string("") : text_value(sec.end, sizeof sec.end));
      if (with_action) json_object_object_add(o, "actionType", json_object_new_int(sec.action));
      json_object_array_add(row, o);
    }
    json_object_array_add(days, row);
  }
  return days;
}

int schedule_from_json(json_object* tree, const char* key, ScheduleBlock* block, int rows,
                       int sections, bool camera) {
  if (tree == nullptr || key == nullptr || block == nullptr) return -1;
  json_object* days = member(tree, key);
  if (days == nullptr && !(json_object_is_type(tree, json_type_object) &&
                           json_object_object_get_ex(tree, key, nullptr)))
    return -1;
  std::memset(block, 0, sizeof *block);
  for (int d = 0; d < rows; ++d) {
    json_object* row = element(days, static_cast<std::size_t>(d));
    ScheduleDay& day = block->day[d];
    for (int s = 0; s < sections; ++s) {
      json_object* sec = element(row, static_cast<std::size_t>(s));
      copy_text(day.section[s].start, sizeof day.section[s].start, element(sec, 0));
      copy_text(day.section[s].end, sizeof day.section[s].end, element(sec, 1));
      if (!camera) day.section[s].action = int_of(element(sec, 2));
    }
    if (camera) day.wholeDay = 1;
  }
  return 0;
}

}  // namespace

json_object* get_schedule_json_object(const ScheduleBlock* block) {
  return schedule_to_json(block, true, false);
}

int get_schedule_by_json(json_object* tree, const char* key, ScheduleBlock* block) {
  return schedule_from_json(tree, key, block, kScheduleDays, 12, false);
}

json_object* get_schedule_json_object_ex(const ScheduleBlock* block) {
  return schedule_to_json(block, true, false);
}

int get_schedule_by_json_ex(json_object* tree, const char* key, ScheduleBlock* block) {
  return schedule_from_json(tree, key, block, kScheduleDays, 12, false);
}

json_object* get_schedule_json_object_ipc(const ScheduleBlock* block) {
  return schedule_to_json(block, false, true);
}

int get_schedule_by_json_ipc(json_object* tree, const char* key, ScheduleBlock* block) {
  return schedule_from_json(tree, key, block, 7, 10, true);
}

uint64_t get_copy_flag_by_json(json_object* tree, const char* list_key, const char* count_key) {
  if (tree == nullptr || list_key == nullptr || count_key == nullptr) return 0;
  json_object* count_value = member(tree, count_key);
  if (count_value == nullptr) return 0;
  int count = json_object_get_int(count_value);
  if (count <= 0) return 0;
  json_object* list = member(tree, list_key);
  uint64_t mask = 0;
  std::size_t n = length_of(list);
  for (std::size_t i = 0; i < n && i < static_cast<std::size_t>(count); ++i) {
    int channel = 0;
    // A value that is not a channel number (text such as "x", an object) is skipped, not
    // taken as channel 0.
    if (!channel_number(element(list, i), &channel)) continue;
    if (channel >= 0 && channel < kMaxChannels) mask |= uint64_t{1} << channel;
  }
  return mask;
}

json_object* get_event_chn_alarmout_object(const char* text0, const char* text1) {
  json_object* array = json_object_new_array();
  for (const char* t : {text0, text1})
    json_object_array_add(array, t != nullptr ? text_value(t, 64) : json_object_new_string(""));
  return array;
}

int get_event_chn_alarmout_by_object(int channel, json_object* tree, const char* key,
                                     AlarmOutItem items[2]) {
  if (tree == nullptr || key == nullptr || items == nullptr) return -1;
  if (!json_object_is_type(tree, json_type_object) ||
      !json_object_object_get_ex(tree, key, nullptr))
    return -1;
  json_object* array = member(tree, key);
  for (int i = 0; i < 2; ++i) {
    json_object* v = element(array, static_cast<std::size_t>(i));
    if (v == nullptr) continue;
    items[i].chn = channel;
    items[i].index = i;
    copy_text(items[i].text, sizeof items[i].text, v);
  }
  return 0;
}

int get_smart_event_ptz_type(int event) {
  return event >= 0 && event <= 8 ? event + 5 : -1;
}

int get_section_info(const char* text, const char* pattern, char* out, int out_length) {
  if (text == nullptr || pattern == nullptr || out == nullptr || pattern[0] == '\0' ||
      out_length <= 0)
    return -1;
  const char* at = std::strstr(text, pattern);
  if (at == nullptr) return -1;
  at += std::strlen(pattern);
  int n = 0;
  while (n < out_length - 1 && at[n] != '\0' && at[n] != '?') {
    out[n] = at[n];
    ++n;
  }
  out[n] = '\0';
  return 0;
}

int get_audio_file_id_mask() {
  AlarmAudioFile files[kAlarmAudioFiles] = {};
  int count = 0;
  if (read_alarm_audio_file(kStoreMain, files, &count) != 0) return 0;
  int mask = 0;
  for (int i = 0; i < count && i < kAlarmAudioFiles; ++i)
    if (files[i].enable == 1) mask |= 1 << i;
  return mask;
}

int get_ptz_params_by_json(int channel, int event_type, json_object* array, PtzLinkBlock* block) {
  (void)event_type;
  if (channel < 0 || channel > 15 || array == nullptr || block == nullptr) return -1;
  std::memset(block, 0, sizeof *block);
  block->entry[0].eventChn = channel;
  std::size_t n = length_of(array);
  for (std::size_t i = 0; i < n && i < static_cast<std::size_t>(kPtzLinkEntries); ++i) {
    json_object* o = element(array, i);
    PtzLinkEntry& e = block->entry[i];
    e.eventChn = channel;
    e.ptzChn = int_of(member(o, "acto_ptz_channel"));
    e.actionType = int_of(member(o, "acto_ptz_type"));
    e.preset = int_of(member(o, "acto_ptz_preset"));
    e.patrol = int_of(member(o, "acto_ptz_patrol"));
    e.pattern = int_of(member(o, "acto_ptz_pattern"));
  }
  return 0;
}

int set_ptz_params_by_json(int channel, int event_type, json_object* array) {
  if (array == nullptr || event_type < 0 || event_type > kPtzEventTypeMax) return 0;
  PtzLinkBlock block;
  if (get_ptz_params_by_json(channel, event_type, array, &block) != 0) return 0;
  int rc = event_type == kPtzEventPeopleCount
               ? write_peoplecnt_ptz_params_ex(kStoreMain, &block, channel)
               : write_ptz_params_all(kStoreMain, &block, event_type, channel);
  return rc == 0 ? 1 : 0;
}

json_object* get_ptz_params_json_object(int event_type, int channel) {
  json_object* array = json_object_new_array();
  PtzLinkBlock block{};
  int count = 0;
  int limit = kPtzLinkEntries;
  if (event_type == kPtzEventPeopleCount) {
    read_peoplecnt_ptz_params(kStoreMain, &block, channel, &count);
    limit = kPeopleCountPtzEntries;
  } else {
    read_ptz_params(kStoreMain, &block, event_type, channel, &count);
  }
  if (count > limit) count = limit;
  for (int i = 0; i < count; ++i) {
    const PtzLinkEntry& e = block.entry[i];
    if (e.ptzChn <= 0) continue;
    json_object* o = json_object_new_object();
    json_object_object_add(o, "acto_ptz_channel", json_object_new_int(e.ptzChn));
    json_object_object_add(o, "acto_ptz_type", json_object_new_int(e.actionType));
    json_object_object_add(o, "acto_ptz_preset", json_object_new_int(e.preset));
    json_object_object_add(o, "acto_ptz_patrol", json_object_new_int(e.patrol));
    json_object_array_add(array, o);
  }
  return array;
}

namespace {

json_object* white_entries_to_json(const WhiteLedEntry* entries, int count) {
  json_object* array = json_object_new_array();
  for (int i = 0; i < count && i < kWhiteLedEntries; ++i) {
    json_object* o = json_object_new_object();
    json_object_object_add(o, "chnid", json_object_new_int(entries[i].chnid));
    json_object_object_add(o, "mode", json_object_new_int(entries[i].mode));
    json_object_object_add(o, "time", json_object_new_int(entries[i].time));
    json_object_array_add(array, o);
  }
  return array;
}

// Reads up to 16 entries of `list`; stops at the first missing element. Returns the count.
int white_entries_from_json(int channel, json_object* list, WhiteLedEntry* entries) {
  const char* text = list != nullptr ? json_object_to_json_string(list) : "";
  bool objects = text != nullptr && std::strstr(text, "chnid") != nullptr;
  std::size_t n = length_of(list);
  int count = 0;
  for (std::size_t i = 0; i < n && count < kWhiteLedEntries; ++i) {
    json_object* e = element(list, i);
    if (e == nullptr) break;
    WhiteLedEntry& out = entries[count++];
    out.eventChn = channel;
    if (objects) {
      out.chnid = int_of(member(e, "chnid"));
      out.mode = int_of(member(e, "mode"));
      out.time = int_of(member(e, "time"));
    } else {
      out.chnid = int_of(element(e, 0));
      out.mode = int_of(element(e, 1));
      out.time = int_of(element(e, 2));
    }
  }
  return count;
}

bool has_key(json_object* tree, const char* key) {
  return tree != nullptr && key != nullptr && json_object_is_type(tree, json_type_object) &&
         json_object_object_get_ex(tree, key, nullptr);
}

}  // namespace

json_object* get_white_params_json_object(int channel, const char* table) {
  WhiteLedSlot slot{};
  WhiteLedTarget target{channel, {}};
  if (table != nullptr) std::snprintf(target.table, sizeof target.table, "%s", table);
  int count = 0;
  if (table == nullptr || read_whiteled_params(kStoreMain, &slot, &target, &count) != 0) count = 0;
  return white_entries_to_json(slot.entry, count);
}

int get_white_params_by_json(int channel, WhiteLedSlots* slots, json_object* tree,
                             const char* key) {
  if (slots == nullptr || !has_key(tree, key) || channel < 0 || channel >= kMaxChannels) return -1;
  std::memset(slots, 0, sizeof *slots);
  WhiteLedSlot& slot = slots->slot[channel];
  slot.entry[0].eventChn = channel;
  slot.count = white_entries_from_json(channel, member(tree, key), slot.entry);
  return 0;
}

json_object* get_pcnt_white_params_json_object(int channel) {
  WhiteLedEntry entries[kWhiteLedEntries] = {};
  int count = 0;
  if (read_peoplecnt_wled_params(kStoreMain, entries, channel, &count) != 0) count = 0;
  return white_entries_to_json(entries, count);
}

int get_pcnt_white_params_by_json(int channel, WhiteLedEntry* entries, json_object* tree,
                                  const char* key, int* count) {
  if (entries == nullptr || !has_key(tree, key)) return -1;
  int n = white_entries_from_json(channel, member(tree, key), entries);
  if (count != nullptr) *count = n;
  return 0;
}

json_object* get_http_params_json_object(int channel, const char* table) {
  HttpNotifyRecord rec{};
  if (table != nullptr) read_http_notification_params(kStoreMain, &rec, table, channel);
  json_object* o = json_object_new_object();
  json_object_object_add(o, "chnId", json_object_new_int(channel));
  json_object_object_add(o, "url", text_value(rec.url, sizeof rec.url));
  json_object_object_add(o, "username", text_value(rec.username, sizeof rec.username));
  json_object_object_add(o, "password", text_value(rec.password, sizeof rec.password));
  return o;
}

int get_http_params_by_json(int channel, HttpNotifyRecord* record, json_object* tree,
                            const char* key) {
  if (record == nullptr || !has_key(tree, key)) return -1;
  std::memset(record, 0, sizeof *record);
  record->chn = channel;
  json_object* o = member(tree, key);
  copy_text(record->url, sizeof record->url, member(o, "url"));
  copy_text(record->username, sizeof record->username, member(o, "username"));
  copy_text(record->password, sizeof record->password, member(o, "password"));
  return 0;
}

json_object* get_request_tokener_json_object(const char* text) {
  if (text == nullptr) return nullptr;
  return json_tokener_parse(text);
}

char* dv_get_file_data(const char* path, int* length) {
  if (length != nullptr) *length = 0;
  if (path == nullptr) return nullptr;
  int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  off_t size = lseek(fd, 0, SEEK_END);
  if (size <= 0 || size > INT32_MAX || lseek(fd, 0, SEEK_SET) != 0) {
    close(fd);
    return nullptr;
  }
  char* data =
      static_cast<char*>(__dv_malloc(static_cast<std::size_t>(size), "web_utils", __LINE__));
  if (data == nullptr) {
    close(fd);
    return nullptr;
  }
  off_t done = 0;
  while (done < size) {
    ssize_t n = read(fd, data + done, static_cast<std::size_t>(size - done));
    if (n <= 0) break;
    done += n;
  }
  close(fd);
  if (done != size) {
    __dv_free(data);
    return nullptr;
  }
  if (length != nullptr) *length = static_cast<int>(size);
  return data;
}

int dv_wirte_file_data(const char* path, const char* data, int length) {
  if (path == nullptr || length < 0 || (data == nullptr && length > 0)) return -1;
  int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return -1;
  int done = 0;
  while (done < length) {
    ssize_t n = write(fd, data + done, static_cast<std::size_t>(length - done));
    if (n <= 0) break;
    done += static_cast<int>(n);
  }
  if (close(fd) != 0) return -1;
  return done == length ? 0 : -1;
}
