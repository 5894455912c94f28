// An owned parsed JSON text for assertions: members by key, their plain JSON text, keys in
// order.
#pragma once

#include <json-c/json.h>

#include <string>
#include <vector>

namespace nvrtest {

class JsonTree {
 public:
  explicit JsonTree(const std::string& text) : tree_(json_tokener_parse(text.c_str())) {}
  ~JsonTree() { json_object_put(tree_); }
  JsonTree(const JsonTree&) = delete;
  JsonTree& operator=(const JsonTree&) = delete;

  json_object* get() const { return tree_; }
  bool ok() const { return tree_ != nullptr; }
  // The member `key`, or null.
  json_object* at(const char* key) const {
    json_object* v = nullptr;
    return json_object_object_get_ex(tree_, key, &v) ? v : nullptr;
  }
  // The member's plain JSON text, "(absent)" when there is none.
  std::string text(const char* key) const {
    json_object* v = at(key);
    return v != nullptr ? json_object_to_json_string_ext(v, JSON_C_TO_STRING_PLAIN) : "(absent)";
  }
  std::string plain() const {
    return tree_ != nullptr ? json_object_to_json_string_ext(tree_, JSON_C_TO_STRING_PLAIN) : "";
  }
  std::vector<std::string> keys() const {
    std::vector<std::string> k;
    if (!json_object_is_type(tree_, json_type_object)) return k;
    json_object_object_foreach(tree_, key, value) {
      (void)value;
      k.emplace_back(key);
    }
    return k;
  }

 private:
  json_object* tree_;
};

}  // namespace nvrtest
