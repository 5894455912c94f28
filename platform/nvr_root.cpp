// Resolution of system paths and shell programs under NVR_ROOT (see nvr_root.h).
#include "nvr_root.h"

#include <unistd.h>

#include <array>
#include <cstdlib>
#include <cstring>

namespace {

// Read once per process: start-up stays a single getenv.
const char* root_prefix() {
  static const char* prefix = [] {
    static std::string value;
    const char* env = std::getenv("NVR_ROOT");
    if (env == nullptr) return "";
    value = env;
    while (!value.empty() && value.back() == '/') value.pop_back();
    return value.c_str();
  }();
  return prefix;
}

// File tools that may come from the host: they act only on the paths given to them.
constexpr std::array<std::string_view, 14> kHostTools = {"mv",    "rm",    "cp",     "tar", "unzip",
                                                         "mkdir", "chmod", "cat",    "ls",  "ln",
                                                         "touch", "gzip",  "gunzip", "sync"};

bool is_host_tool(std::string_view word) {
  auto slash = word.rfind('/');
  std::string_view base = slash == std::string_view::npos ? word : word.substr(slash + 1);
  if (slash != std::string_view::npos) {
    // Only the standard host locations count as "the host's file tool".
    std::string_view dir = word.substr(0, slash);
    if (dir != "/bin" && dir != "/usr/bin" && dir != "/sbin" && dir != "/usr/sbin") return false;
  }
  for (auto tool : kHostTools)
    if (base == tool) return true;
  return false;
}

std::string host_tool_path(std::string_view word) {
  if (!word.empty() && word.front() == '/') return std::string(word);
  for (const char* dir : {"/usr/bin/", "/bin/"}) {
    std::string candidate = std::string(dir) + std::string(word);
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return std::string(word);
}

}  // namespace

const char* nvr_root() {
  return root_prefix();
}

std::string nvr_path(std::string_view path) {
  const char* root = root_prefix();
  if (root[0] == '\0' || path.empty() || path.front() != '/') return std::string(path);
  std::string out(root);
  out.append(path);
  return out;
}

bool nvr_path_buf(std::string_view path, char* out, std::size_t size) {
  if (out == nullptr || size == 0) return false;
  std::string full = nvr_path(path);
  if (full.size() >= size) {
    out[0] = '\0';
    return false;
  }
  std::memcpy(out, full.c_str(), full.size() + 1);
  return true;
}

ShellCommand nvr_shell_command(std::string_view command) {
  const char* root = root_prefix();
  if (root[0] == '\0') return {std::string(command), {}};

  std::size_t start = command.find_first_not_of(" \t");
  if (start == std::string_view::npos) return {std::string(command), {}};
  std::size_t end = command.find_first_of(" \t;|&<>", start);
  if (end == std::string_view::npos) end = command.size();
  std::string_view word = command.substr(start, end - start);

  std::string first;
  if (is_host_tool(word))
    first = host_tool_path(word);
  else if (word.front() == '/')
    first = std::string(root) + std::string(word);
  else
    first = std::string(word);

  std::string out(command.substr(0, start));
  out += first;
  out.append(command.substr(end));
  std::string r(root);
  return {out, r + "/bin:" + r + "/sbin:" + r + "/usr/bin:" + r + "/usr/sbin"};
}
