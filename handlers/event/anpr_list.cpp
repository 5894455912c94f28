// Plate lists: the entries live in the plate store (kStoreAnpr), one row per plate. Plate
// texts arrive URL-encoded; each is decoded in a buffer of its own length and only then
// cut to its field, so a long or escaped text can never overrun the entry.
#include <json-c/json.h>

#include <algorithm>
#include <cstdio>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "dvdb.h"
#include "dvstd.h"
#include "event/anpr_list.h"
#include "handler_kit.h"

namespace {

inline constexpr std::size_t kTypeChars = sizeof(AnprPlateRecord::type) - 1;    // 15
inline constexpr std::size_t kPlateChars = sizeof(AnprPlateRecord::plate) - 1;  // 63

// The text of a JSON string, URL-decoded, cut to `limit` characters; nothing for another
// type. Plates are decoded, list types are taken as they come.
std::optional<std::string> element_text(json_object* value, std::size_t limit, bool decode) {
  if (value == nullptr || !json_object_is_type(value, json_type_string)) return std::nullopt;
  std::string text(json_object_get_string(value), json_object_get_string_len(value));
  if (decode) {
    const int n = get_url_decode(text.data());
    text.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
  }
  // A NUL decoded from "%00" ends the text, as it would in the field.
  text.resize(std::min(text.find('\0'), text.size()));
  if (text.size() > limit) text.resize(limit);
  return text;
}

// Text k of a row (nothing for a missing row), as element_text.
std::optional<std::string> row_text(json_object* row, std::size_t k, std::size_t limit,
                                    bool decode) {
  if (row == nullptr) return std::nullopt;
  return element_text(json_object_array_get_idx(row, k), limit, decode);
}

// Element i of the array `value` when it is an array of exactly `size` strings.
json_object* element_row(json_object* list, std::size_t i, std::size_t size) {
  json_object* row = json_object_array_get_idx(list, i);
  if (row == nullptr || !json_object_is_type(row, json_type_array) ||
      json_object_array_length(row) != size)
    return nullptr;
  return row;
}

// The request's "cnt" (1 to 10000) and its "plate" array; nothing when either is wrong.
std::optional<std::size_t> plate_count(json_object* tree, json_object** list) {
  const auto cnt = json_int(tree, "cnt");
  *list = json_member(tree, "plate");
  if (!cnt || *cnt < 1 || *cnt > kAnprMaxPlatesPerRequest || *list == nullptr ||
      !json_object_is_type(*list, json_type_array)) {
    std::fprintf(stderr, "plate list: \"cnt\" not 1 to %d or no \"plate\" array\n",
                 kAnprMaxPlatesPerRequest);
    return std::nullopt;
  }
  return std::min(static_cast<std::size_t>(*cnt), json_object_array_length(*list));
}

AnprPlateRecord make_entry(const std::string& type, const std::string& plate) {
  AnprPlateRecord entry{};
  std::snprintf(entry.type, sizeof entry.type, "%s", type.c_str());
  std::snprintf(entry.plate, sizeof entry.plate, "%s", plate.c_str());
  return entry;
}

// Removes the row of `plate`; 0 also when there is none.
int delete_plate(const std::string& plate) {
  AnprPlateRecord found{};
  if (plate.empty() || store_find(kStoreAnpr, kAnprPlateKind, "plate", plate.c_str(), &found) != 0)
    return 0;
  return store_delete(kStoreAnpr, kAnprPlateKind, found.id);
}

// Stores the entry over the row of its plate, or in a free slot when the plate is new.
int put_plate(AnprPlateRecord entry) {
  AnprPlateRecord found{};
  if (store_find(kStoreAnpr, kAnprPlateKind, "plate", entry.plate, &found) == 0) {
    entry.id = found.id;
    return store_write(kStoreAnpr, entry);
  }
  int64_t slot = 0;
  return store_add(kStoreAnpr, kAnprPlateKind, &entry, "id", &slot);
}

}  // namespace

int on_set_anpr_del_lpr_plate(char* text) {
  Json tree = request_object(text);
  json_object* list = nullptr;
  const auto count = tree ? plate_count(tree.get(), &list) : std::nullopt;
  if (!count) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  std::vector<std::string> plates;
  for (std::size_t i = 0; i < *count; ++i) {
    auto plate = element_text(json_object_array_get_idx(list, i), kPlateChars, true);
    if (!plate) break;  // the first missing plate ends the list
    plates.push_back(std::move(*plate));
  }
  if (plates.empty()) {
    std::fprintf(stderr, "plate delete: no plate in the request\n");
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  for (const std::string& plate : plates) {
    if (delete_plate(plate) != 0) {
      std::fprintf(stderr, "plate delete: %s\n", store_last_error());
      cgi_error_to_webserver(kCgiText);
      return -1;
    }
  }
  write_ok();
  return 0;
}

int on_set_anpr_add_lpr_plate(char* text) {
  Json tree = request_object(text);
  json_object* list = nullptr;
  const auto count = tree ? plate_count(tree.get(), &list) : std::nullopt;
  if (!count) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  std::vector<AnprPlateRecord> entries;
  try {
    entries.reserve(*count);
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "plate add: no memory for %zu entries\n", *count);
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  for (std::size_t i = 0; i < *count; ++i) {
    json_object* row = element_row(list, i, 2);
    auto type = row_text(row, 0, kTypeChars, false);
    auto plate = row_text(row, 1, kPlateChars, true);
    if (!type || !plate || plate->empty()) break;
    entries.push_back(make_entry(*type, *plate));
  }
  if (entries.empty()) {
    std::fprintf(stderr, "plate add: no [type, plate] element in the request\n");
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  for (const AnprPlateRecord& entry : entries) {
    if (put_plate(entry) != 0) {
      std::fprintf(stderr, "plate add: %s\n", store_last_error());
      cgi_error_to_webserver(kCgiJson);
      return -1;
    }
  }
  Json answer(json_object_new_object());
  json_object_object_add(answer.get(), "count",
                         json_object_new_int(static_cast<int>(entries.size())));
  write_json(answer.get());
  return 0;
}

int on_set_anpr_update_lpr_plate(char* text) {
  Json tree = request_object(text);
  json_object* list = nullptr;
  const auto count = tree ? plate_count(tree.get(), &list) : std::nullopt;
  if (!count) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  // Every element is checked whole before any plate is touched: a malformed element must
  // not cost the old plate.
  struct Change {
    std::string old_plate;
    AnprPlateRecord entry;
  };
  std::vector<Change> changes;
  for (std::size_t i = 0; i < *count; ++i) {
    json_object* row = element_row(list, i, 3);
    auto old_plate = row_text(row, 0, kPlateChars, true);
    auto type = row_text(row, 1, kTypeChars, false);
    auto plate = row_text(row, 2, kPlateChars, true);
    if (!old_plate || !type || !plate || plate->empty()) {
      std::fprintf(stderr, "plate update: element %zu is not [old plate, type, new plate]\n", i);
      cgi_error_to_webserver(kCgiText);
      return -1;
    }
    changes.push_back({std::move(*old_plate), make_entry(*type, *plate)});
  }
  if (changes.empty()) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  for (const Change& change : changes) {
    if (delete_plate(change.old_plate) != 0 || put_plate(change.entry) != 0) {
      std::fprintf(stderr, "plate update: %s\n", store_last_error());
      cgi_error_to_webserver(kCgiText);
      return -1;
    }
  }
  write_ok();
  return 0;
}
