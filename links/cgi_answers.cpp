// What every module's answer callback shares: record counts, bounded text copies, the
// routing of answers by type, and the shared callbacks that several modules use.
#include <cstdio>
#include <string>

#include "cgi_ipc.h"
#include "cgi_response.h"
#include "handler_kit.h"

int ipc_record_count(const std::uint32_t* header_words, std::size_t record_size) {
  if (header_words == nullptr || record_size == 0) return 0;
  // The length is at most kDvMaxPayload, so the count always fits an int.
  return static_cast<int>(ipc_payload_length(header_words) / record_size);
}

std::size_t ipc_copy_text(char* dst, std::size_t dst_size, const char* field,
                          std::size_t field_size) {
  if (dst == nullptr || dst_size == 0) return 0;
  std::size_t n = 0;
  if (field != nullptr)
    while (n < field_size && n + 1 < dst_size && field[n] != '\0') ++n;
  if (n > 0) std::memcpy(dst, field, n);
  dst[n] = '\0';
  return n;
}

bool ipc_route_answer(std::span<const IpcAnswerRoute> routes, const std::uint32_t* header_words,
                      const void* payload) {
  if (header_words == nullptr || payload == nullptr) return false;
  const int type = ipc_answer_type(header_words);
  for (const auto& route : routes) {
    if (route.answer_type != type || route.handler == nullptr) continue;
    int count = ipc_record_count(header_words, route.record_size);
    // A payload shorter than one record is no data: the handler never sees its bytes.
    route.handler(count, count > 0 ? payload : nullptr);
    return true;
  }
  return false;
}

int on_cgi_common_json_cb(int count, const void* payload) {
  auto status = ipc_record<std::int32_t>(payload, count, 0);
  if (!status) return -1;
  char body[32];
  std::snprintf(body, sizeof body, "{\"status\":%d}", *status);
  return answer_body(kCgiJson, body);
}

int on_cgi_common_text_cb(int /*ignored*/, int status, const char* text) {
  char body[256];
  const char* head = status >= 0 ? "CGI OK" : "CGI ERROR";
  if (text != nullptr)
    std::snprintf(body, sizeof body, "%s status:[%d], data:[%s]", head, status, text);
  else
    std::snprintf(body, sizeof body, "%s status:[%d]", head, status);
  return answer_text(body);
}

int on_cgi_ok_failed_cb(int count, const void* payload) {
  auto status = ipc_record<std::int32_t>(payload, count, 0);
  return answer_text(status && *status == 0 ? "OK" : "FAILED");
}

int on_cgi_text_echo_cb(int length, const void* payload) {
  if (length <= 0 || payload == nullptr) return answer_error(kCgiText);
  const auto* bytes = static_cast<const char*>(payload);
  std::string text(bytes, static_cast<std::size_t>(length));
  // The writer takes a C string: the text ends at its first NUL, as on the board.
  return answer_text(text.c_str());
}
