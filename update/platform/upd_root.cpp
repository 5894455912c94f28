// Resolution of system paths under NVR_ROOT for update (see upd_root.h).
#include "upd_root.h"

#include <climits>
#include <cstdlib>
#include <cstring>

std::string upd_root() {
  const char* env = std::getenv("NVR_ROOT");
  if (env == nullptr) return {};
  std::string value(env);
  while (!value.empty() && value.back() == '/') value.pop_back();
  return value;
}

bool upd_emulated() {
  return !upd_root().empty();
}

std::string upd_path(std::string_view path) {
  std::string root = upd_root();
  if (root.empty() || path.empty() || path.front() != '/') return std::string(path);
  root.append(path);
  return root;
}

bool upd_root_is_host() {
  std::string root = upd_root();
  if (root.empty()) return false;
  char resolved[PATH_MAX];
  // A root that does not exist cannot be the host's; opening devices under it fails
  // on its own.
  if (realpath(root.c_str(), resolved) == nullptr) return false;
  return std::strcmp(resolved, "/") == 0;
}
