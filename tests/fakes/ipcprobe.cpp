// ipcprobe: a stand-in handler for the core-messaging tests. It sends one request the
// way every handler does (cgi_start_ipc, test g_callback_done, error body, cgi_stop_ipc)
// and answers through one of the shared callbacks or a module-like routing table.
//
//   ipcprobe --type T [--hex PAYLOAD] [--no-wait] [--cb MODE] [--answer A] [--kind K]
//            [--times N] [--linger-ms MS] [--null-callback]
//
// MODE: json (on_cgi_common_json_cb), okfailed (on_cgi_ok_failed_cb), echo
// (on_cgi_text_echo_cb), flag (stores 1, or 2 for a non-zero status, and the probe
// writes "done:[N]" after the wait), records (16-byte records {int32 id; char name[12]}
// written as JSON). A is the answer type routed (default T + 5000); K the error body
// kind (default 1). --linger-ms sleeps between the error body and cgi_stop_ipc, which
// gives a late answer every chance to write a second response.
// Standard output carries only the response; the probe's own report goes to standard
// error as "rc=<start result> done=<flag>" per exchange.
#include <json-c/json.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "cgi.h"
#include "cgi_ipc.h"
#include "cgi_response.h"

namespace {

struct ProbeRecord {
  std::int32_t id;
  char name[12];
};
static_assert(sizeof(ProbeRecord) == 16 && offsetof(ProbeRecord, name) == 4);
static_assert(std::is_trivially_copyable_v<ProbeRecord>);

int on_probe_records_cb(int count, const void* payload) {
  if (count < 1) return -1;  // no data: the waiter times out and writes the error body
  json_object* list = json_object_new_array();
  for (int i = 0; i < count; ++i) {
    auto rec = ipc_record<ProbeRecord>(payload, count, i);
    if (!rec) break;
    char name[sizeof rec->name + 1];
    ipc_copy_text(name, rec->name);
    json_object* item = json_object_new_object();
    json_object_object_add(item, "id", json_object_new_int(rec->id));
    json_object_object_add(item, "name", json_object_new_string(name));
    json_object_array_add(list, item);
  }
  int rc = -1;
  if (cgi_claim_response()) {
    cgi_writeback_webserver(kCgiJson, json_object_to_json_string_ext(list, JSON_C_TO_STRING_PLAIN));
    g_callback_done = 1;
    rc = 0;
  }
  json_object_put(list);
  return rc;
}

int on_probe_flag_cb(int count, const void* payload) {
  auto status = ipc_record<std::int32_t>(payload, count, 0);
  g_callback_done = status && *status != 0 ? 2 : 1;
  return 0;
}

IpcAnswerRoute g_route{};

void on_probe_ipc_callback(void*, const std::uint32_t* header_words, const void* payload) {
  (void)ipc_route_answer(std::span(&g_route, 1), header_words, payload);
}

[[nodiscard]] bool parse_hex(const char* text, std::vector<unsigned char>& out) {
  std::size_t n = std::strlen(text);
  if (n % 2 != 0) return false;
  for (std::size_t i = 0; i < n; i += 2) {
    char byte[3] = {text[i], text[i + 1], 0};
    char* end = nullptr;
    long v = std::strtol(byte, &end, 16);
    if (*end != '\0') return false;
    out.push_back(static_cast<unsigned char>(v));
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  cgi_capture_environment();
  int type = -1, answer = -1, kind = kCgiJson, times = 1, linger_ms = 0, no_wait = 0;
  bool null_callback = false;
  std::string mode = "json";
  std::vector<unsigned char> payload;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    if (arg == "--no-wait") {
      no_wait = 1;
    } else if (arg == "--null-callback") {
      null_callback = true;
    } else if (value == nullptr) {
      std::fprintf(stderr, "ipcprobe: %s needs a value\n", arg.c_str());
      return 2;
    } else {
      ++i;
      if (arg == "--type")
        type = std::atoi(value);
      else if (arg == "--answer")
        answer = std::atoi(value);
      else if (arg == "--kind")
        kind = std::atoi(value);
      else if (arg == "--times")
        times = std::atoi(value);
      else if (arg == "--linger-ms")
        linger_ms = std::atoi(value);
      else if (arg == "--cb")
        mode = value;
      else if (arg == "--hex") {
        if (!parse_hex(value, payload)) return 2;
      } else {
        std::fprintf(stderr, "ipcprobe: unknown option %s\n", arg.c_str());
        return 2;
      }
    }
  }
  if (type < 0) return 2;
  g_route.answer_type = answer >= 0 ? answer : type + 5000;
  if (mode == "json")
    g_route = {g_route.answer_type, 4, on_cgi_common_json_cb};
  else if (mode == "okfailed")
    g_route = {g_route.answer_type, 4, on_cgi_ok_failed_cb};
  else if (mode == "echo")
    g_route = {g_route.answer_type, 1, on_cgi_text_echo_cb};
  else if (mode == "flag")
    g_route = {g_route.answer_type, 4, on_probe_flag_cb};
  else if (mode == "records")
    g_route = {g_route.answer_type, sizeof(ProbeRecord), on_probe_records_cb};
  else
    return 2;

  for (int n = 0; n < times; ++n) {
    int rc = cgi_start_ipc(null_callback ? nullptr : on_probe_ipc_callback, type,
                           static_cast<int>(payload.size()),
                           payload.empty() ? nullptr : payload.data(), no_wait);
    int done = g_callback_done;
    if (!no_wait) {
      if (done == 0) {
        cgi_error_to_webserver(kind);
        std::this_thread::sleep_for(std::chrono::milliseconds(linger_ms));
      } else if (mode == "flag") {
        char body[32];
        std::snprintf(body, sizeof body, "done:[%d]", done);
        cgi_writeback_webserver(kCgiText, body);
      }
    }
    cgi_stop_ipc(rc);
    std::fprintf(stderr, "rc=%d done=%d\n", rc, done);
  }
  return 0;
}
