// The audio files that alarms can play ("/6320" to "/6325"). The files lie in "/tmp" under
// names that are the URL-safe Base64 of the names the user gave, so any name is a safe file
// name; the core keeps the list. Files are moved and removed by their exact paths, never by
// a pattern that could touch other uploads.
#include <json-c/json.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "cgi_ipc.h"
#include "cgi_json.h"
#include "cgi_utils.h"
#include "handler_kit.h"
#include "nvr_root.h"
#include "system/system_handlers.h"
#include "system/system_ipc.h"
#include "webcrypto.h"

namespace {

constexpr int kAudioIdBits = 0x3FF;  // the ten audio file slots

// The URL-safe Base64 of `name` into out (128 bytes, at most 127 characters); false when
// it does not fit or the library failed.
bool encode_name(const char* name, char (&out)[128]) {
  return base64EncodeUrl(reinterpret_cast<const unsigned char*>(name),
                         static_cast<int>(std::strlen(name)), out, sizeof out) > 0;
}

// A name of a file directly in "/tmp": not empty, not "." or "..", no "/".
bool plain_name(const char* name) {
  return name[0] != '\0' && std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0 &&
         std::strchr(name, '/') == nullptr;
}

// Sends a waited request and, when answered, the operation log record.
int query_and_log(int type, const void* payload, int length) {
  if (kSystemCore.query(type, payload, length, kCgiJson) == 0) return -1;
  kSystemCore.log(kLogParamAudioFile);
  return 0;
}

}  // namespace

int on_get_audio_file_list_cb(int count, const void* payload) {
  if (count < 1) return -1;
  Json answer(json_object_new_object());
  json_object* list = json_object_new_array();
  for (int i = 0; i < count; ++i) {
    AudioFileRecord file;
    std::memcpy(&file, static_cast<const unsigned char*>(payload) + i * sizeof file, sizeof file);
    if (file.enable != 1) continue;
    json_object* entry = json_object_new_object();
    json_object_object_add(entry, "id", json_object_new_int(file.id));
    json_object_object_add(entry, "enable", json_object_new_int(file.enable));
    char encoded[sizeof file.name + 1] = {};
    std::memcpy(encoded, file.name, sizeof file.name);
    unsigned char name[128];
    int n = base64DecodeUrl(encoded, name, sizeof name - 1);
    if (n >= 0)
      json_object_object_add(entry, "name",
                             json_object_new_string_len(reinterpret_cast<char*>(name), n));
    json_object_array_add(list, entry);
  }
  json_object_object_add(answer.get(), "audioFileList", list);
  json_object_object_add(answer.get(), "status", json_object_new_int(0));
  return answer_json(answer.release());
}

int on_get_audio_file_list(char* /*text*/) {
  return kSystemCore.query(kGetAudioFiles, nullptr, 0, kCgiJson) != 0 ? 0 : -1;
}

int on_upload_audio_file(char* text) {
  std::string upload = uploaded_tmp_file(text);
  char encoded[128] = "";
  int result = -1;
  if (!upload.empty() && access(upload.c_str(), R_OK) == 0) {
    std::string name = upload.substr(upload.rfind('/') + 1);
    if (name.find(".wav") == std::string::npos && name.find(".WAV") == std::string::npos) {
      (void)unlink(upload.c_str());
      cgi_log("OnSystem", 3711, __func__, "htx upload_audio_file ret:[%d], pData:[%s], name:[%s]",
              result, text, encoded);
    } else if (!encode_name(name.c_str(), encoded)) {
      encoded[0] = '\0';
      (void)unlink(upload.c_str());
    } else if (rename(upload.c_str(), nvr_path(std::string("/tmp/") + encoded).c_str()) == 0) {
      result = 0;
    } else {
      std::fprintf(stderr, "6321: %s not moved\n", upload.c_str());
    }
  }
  // The shared text answer claims the response as a callback would: this request's own.
  cgi_ipc_begin_exchange();
  return on_cgi_common_text_cb(1, result, encoded);
}

int on_add_audio_file(char* text) {
  Json tree = request_object(text);
  char upload[128] = "", name[128] = "";
  AudioFileName target{};
  if (tree != nullptr) {
    on_cgi_get_string_from_json(tree.get(), "uploadName", upload, sizeof upload - 5);
    on_cgi_get_string_from_json(tree.get(), "name", name, sizeof name);
  }
  std::string source = nvr_path(std::string("/tmp/") + upload);
  if (tree == nullptr || !plain_name(upload) || access(source.c_str(), R_OK) != 0 ||
      name[0] == '\0' || !encode_name(name, target.name) ||
      rename(source.c_str(), nvr_path(std::string("/tmp/") + target.name).c_str()) != 0) {
    std::fprintf(stderr, "6322: audio file not added\n");
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  return query_and_log(kAddAudioFile, &target, sizeof target);
}

int on_del_audio_file(char* text) {
  Json tree = request_object(text);
  std::optional<int> mask = tree != nullptr ? json_whole_int(tree.get(), "idMask") : std::nullopt;
  if (!mask || (*mask & kAudioIdBits) == 0) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  int32_t id_mask = *mask;
  return query_and_log(kDeleteAudioFiles, &id_mask, sizeof id_mask);
}

int on_rename_audio_file(char* text) {
  Json tree = request_object(text);
  AudioFileRecord file{};
  char name[128] = "";
  std::optional<int> id = tree != nullptr ? json_whole_int(tree.get(), "id") : std::nullopt;
  if (tree != nullptr) on_cgi_get_string_from_json(tree.get(), "name", name, sizeof name);
  if (!id || *id < 0 || *id >= kAlarmAudioFiles || name[0] == '\0' ||
      !encode_name(name, file.name)) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  file.id = *id;
  file.enable = 1;
  return query_and_log(kRenameAudioFile, &file, sizeof file);
}

int on_audio_file_action(char* text) {
  Json tree = request_object(text);
  std::optional<int> id = tree != nullptr ? json_whole_int(tree.get(), "id") : std::nullopt;
  if (!id) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  int32_t file_id = *id;
  return kSystemCore.query(kAudioFileAction, &file_id, sizeof file_id, kCgiJson) != 0 ? 0 : -1;
}
