// The network queries of the utility library that the web pages need: whether the
// recorder has an IPv6 address.
#include <cstdio>
#include <cstring>

#include "dvstd.h"
#include "nvr_root.h"

namespace {

constexpr const char* kInet6List = "/proc/net/if_inet6";
constexpr unsigned kScopeGlobal = 0x00;

}  // namespace

int net_is_haveipv6() {
  FILE* f = std::fopen(nvr_path(kInet6List).c_str(), "re");
  if (f == nullptr) return 0;
  // One address a line: address (32 hex digits), interface index, prefix length, scope,
  // flags (all hex), interface name.
  char line[256];
  int found = 0;
  while (found == 0 && std::fgets(line, sizeof line, f) != nullptr) {
    char address[33], name[32];
    unsigned index = 0, prefix = 0, scope = 0, flags = 0;
    if (std::sscanf(line, "%32s %x %x %x %x %31s", address, &index, &prefix, &scope, &flags,
                    name) != 6)
      continue;
    if (std::strlen(address) == 32 && scope == kScopeGlobal && std::strcmp(name, "lo") != 0)
      found = 1;
  }
  std::fclose(f);
  return found;
}
