// The version policy (see version_policy.h).
#include "version_policy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "file_io.h"
#include "hwid.h"
#include "nvr_root.h"
#include "shell.h"
#include "upfw_image.h"
#include "version.h"

namespace {

constexpr size_t kFsRecord = 2;
constexpr size_t kBootLoaderRecords[] = {0, 6};  // "bld" (1024 MiB) and "bld2" (2048 MiB)
constexpr int kPhyOfOldBoards = 0x004D;
constexpr char kModelTool[] = "dvchip_update";
constexpr char kModelName[] = "KRT4420";
constexpr unsigned kBootLoader1024M = 1;  // minor byte of the 1024 MiB boot loader

struct PolicyRule {
  bool (*applies)(const PolicyFacts&);
  // The refusal line when the rule refuses these facts, else "".
  std::string (*refusal)(const PolicyFacts&);
};

std::string allow(const PolicyFacts&) {
  return {};
}

// In the order they are tried.
constexpr PolicyRule kRules[] = {
    {[](const PolicyFacts& f) { return f.n <= 7 && f.r <= 7 && f.oem; },
     [](const PolicyFacts& f) -> std::string {
       return f.nm == 0 && f.special ? "OEM special do not support update 7.0.x " : "";
     }},
    {[](const PolicyFacts& f) { return f.n > 7 && f.r <= 7 && f.oem; },
     [](const PolicyFacts& f) -> std::string {
       return f.special ? "" : "OEM do not support update 7.x to 8.x ";
     }},
    {[](const PolicyFacts& f) { return f.n <= 7 && f.r > 7 && f.oem; },
     [](const PolicyFacts&) -> std::string { return "OEM do not support update 8.x to 7.x "; }},
    {[](const PolicyFacts& f) { return f.n > 8 && f.r <= 8 && f.oem; },
     [](const PolicyFacts& f) -> std::string {
       return f.special ? "" : "OEM do not support update 8.x to 9.x ";
     }},
    {[](const PolicyFacts& f) { return f.n <= 7 && f.nb <= 8 && f.phy != kPhyOfOldBoards; },
     [](const PolicyFacts&) -> std::string { return "OEM do not support update < 7.x.9 "; }},
    {[](const PolicyFacts& f) { return f.n <= 8 && f.r > 8; },
     [](const PolicyFacts&) -> std::string {
       return "do not support back to < 9.0.1 form 9.0.x. ";
     }},
    {[](const PolicyFacts& f) { return f.n <= 7 && f.nb <= 9 && (f.poe == 0x44 || f.poe == 0xE3); },
     [](const PolicyFacts& f) -> std::string {
       char text[64];
       std::snprintf(text, sizeof text, "do not support update < 8.x.10 0x%x",
                     static_cast<unsigned>(f.poe));
       return text;
     }},
    {[](const PolicyFacts& f) { return f.model && f.n == 9 && f.nb <= 9; },
     [](const PolicyFacts&) -> std::string { return "new 4420 do not support update < 9.x.10 "; }},
    {[](const PolicyFacts&) { return true; }, allow},
};

bool system_file_exists(const char* path) {
  struct stat st;
  return ::stat(nvr_path(path).c_str(), &st) == 0;
}

// Creates the marker, or refreshes its time when it exists, as touch(1) does.
void touch_marker(const char* path) {
  int fd = ::open(nvr_path(path).c_str(), O_WRONLY | O_CREAT | O_NOCTTY | O_CLOEXEC, 0666);
  if (fd < 0 || futimens(fd, nullptr) != 0) std::perror(path);
  if (fd >= 0) ::close(fd);
}

}  // namespace

int read_phy_id() {
  return hw_read_phy_id();
}

int get_poe_id() {
  return hw_read_poe_id();
}

int query_board_model() {
  FILE* out = upd_popen(kModelTool);
  if (out == nullptr) return 0;
  char line[64] = {};
  bool model =
      std::fgets(line, sizeof line, out) != nullptr && std::strstr(line, kModelName) != nullptr;
  // Read the rest so that the tool never blocks on a full pipe before it exits.
  char rest[256];
  while (std::fgets(rest, sizeof rest, out) != nullptr) {
  }
  (void)upd_pclose(out);
  return model ? 1 : 0;
}

PolicyDecision decide_version_policy(const PolicyFacts& facts) {
  PolicyDecision decision;
  for (size_t i = 0; i < std::size(kRules); ++i) {
    if (!kRules[i].applies(facts)) continue;
    decision.rule = static_cast<int>(i) + 1;
    decision.refusal = kRules[i].refusal(facts);
    break;
  }
  // Only the last rule leaves the marker: OEM devices allowed by an exception do not.
  decision.create_marker =
      decision.rule == static_cast<int>(std::size(kRules)) && facts.n > 7 && facts.r <= 7;
  return decision;
}

int UPFW_version_check(const char* path, const BootRecords& records) {
  int fd = path != nullptr ? ::open(path, O_RDONLY | O_CLOEXEC) : -1;
  if (fd < 0) {
    if (path == nullptr) errno = EINVAL;
    std::perror("open output imager");
    return -1;
  }
  uint8_t bytes[kImageHeaderSize];
  ssize_t got = read_full(fd, bytes, sizeof bytes);
  ::close(fd);
  if (got != static_cast<ssize_t>(sizeof bytes)) {
    if (got >= 0) errno = EIO;
    std::perror("read output imager");
    return -1;
  }
  ImageHeader header;
  decode_image_header(bytes, &header);

  InstalledSystem installed;
  if (records.read_installed == nullptr ||
      records.read_installed(records.context, &installed) != 0) {
    std::fprintf(stderr, "flprog_get_part_table faild!\n");
    return -4;
  }
  PolicyFacts facts;
  const uint32_t fs = header.records[kFsRecord].version;
  facts.n = version_major(fs);
  facts.nm = version_minor(fs);
  facts.nb = version_build(fs);
  const bool running_fs2 = installed.bootargs.find("fs2") != std::string::npos;
  facts.r = version_major(running_fs2 ? installed.fs2_version : installed.fs1_version);
  std::printf("version = %u.%u.%u\n", facts.n, facts.nm, facts.nb);

  const unsigned platform = version_platform(installed.uboot_version);
  bool platform_matches = false;
  for (size_t i : kBootLoaderRecords)
    platform_matches = platform_matches || version_platform(header.records[i].version) == platform;
  if (!platform_matches) {
    std::fflush(stdout);
    std::fprintf(stderr, "platform dismatch !\n");
    return -1;
  }

  facts.phy = read_phy_id();
  facts.poe = get_poe_id();
  facts.oem = system_file_exists(kOemMarker);
  facts.special = system_file_exists(kSpecialOemMarker);
  // The model tool is a process of its own: start it only when the model rule can hold.
  facts.model = facts.n == 9 && facts.nb <= 9 &&
                version_minor(installed.uboot_version) == kBootLoader1024M &&
                query_board_model() == 1;

  PolicyDecision decision = decide_version_policy(facts);
  if (!decision.refusal.empty()) {
    std::fflush(stdout);
    std::fprintf(stderr, "%s\n", decision.refusal.c_str());
    return -1;
  }
  if (decision.create_marker) touch_marker(kUpgradeMarker);
  return 0;
}
