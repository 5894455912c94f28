// The translation stand-in: one language's texts held in memory between trans_init and
// trans_deinit (webcgi is one process per request, so one language at a time).
#include "dvtrans.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>

#include "nvr_root.h"

namespace {

constexpr const char* kLangDir = "/opt/app/lang/";
constexpr const char* kMacFile = "/etc/mac.conf";
// A language file larger than this is not a language file.
constexpr int kMaxLines = 8192;

std::mutex g_mutex;
std::map<int, std::string> g_texts;
bool g_selected = false;

}  // namespace

bool trans_language_ok(const char* language) {
  if (language == nullptr) return false;
  std::size_t n = 0;
  for (const char* p = language; *p != '\0'; ++p, ++n) {
    unsigned char c = static_cast<unsigned char>(*p);
    if (n >= kLanguageNameMax || !(std::isalnum(c) || c == '_' || c == '-')) return false;
  }
  return n > 0;
}

int trans_init(const char* language) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_texts.clear();
  g_selected = false;
  if (!trans_language_ok(language)) {
    std::fprintf(stderr, "trans_init: refused language name\n");
    return -1;
  }
  std::string path = nvr_path(std::string(kLangDir) + language + ".lang");
  FILE* f = std::fopen(path.c_str(), "re");
  if (f == nullptr) {
    std::fprintf(stderr, "trans_init: %s: %s\n", path.c_str(), std::strerror(errno));
    return -1;
  }
  char line[512];
  for (int lines = 0; lines < kMaxLines && std::fgets(line, sizeof line, f) != nullptr; ++lines) {
    line[std::strcspn(line, "\r\n")] = '\0';
    if (line[0] == '#' || line[0] == '\0') continue;
    char* eq = std::strchr(line, '=');
    if (eq == nullptr) continue;
    *eq = '\0';
    char* end = nullptr;
    long code = std::strtol(line, &end, 10);
    if (end == line || *end != '\0' || code < -100000 || code > 100000) continue;
    std::string text(eq + 1);
    if (text.size() > kTransTextMax) text.resize(kTransTextMax);
    g_texts[static_cast<int>(code)] = text;
  }
  std::fclose(f);
  g_selected = true;
  return 0;
}

int trans_get_value(int code, char* buffer, int size) {
  if (buffer == nullptr || size <= 0) return -1;
  buffer[0] = '\0';
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_selected) return -1;
  auto it = g_texts.find(code);
  if (it == g_texts.end()) return -1;
  std::snprintf(buffer, static_cast<std::size_t>(size), "%s", it->second.c_str());
  return 0;
}

void trans_deinit() {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_texts.clear();
  g_selected = false;
}

bool log_channo_is_disk(int main_type, int64_t sub_type) {
  return (main_type == 32 && sub_type >= 400 && sub_type <= 403) ||
         (main_type == 8 && sub_type >= 511 && sub_type <= 514);
}

int read_mac_conf(char* buffer, std::size_t size) {
  if (buffer == nullptr || size == 0) return -1;
  buffer[0] = '\0';
  FILE* f = std::fopen(nvr_path(kMacFile).c_str(), "re");
  if (f == nullptr) return -1;
  char line[128];
  bool got = std::fgets(line, sizeof line, f) != nullptr;
  std::fclose(f);
  if (!got) return -1;
  std::size_t n = 0;
  for (const char* p = line; *p != '\0' && n + 1 < size && n < 63; ++p) {
    unsigned char c = static_cast<unsigned char>(*p);
    if (std::isxdigit(c) || c == ':' || c == '-')
      buffer[n++] = *p;
    else if (c == '\r' || c == '\n')
      break;
  }
  buffer[n] = '\0';
  return n > 0 ? 0 : -1;
}
