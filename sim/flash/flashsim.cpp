// flashsim: lays out an emulated recorder for `update` and serves as the stand-ins of
// the board programs that the tool runs.
//
//   flashsim create DIR [--small] [--running 1|2] [--version PART=VER]... [--model TEXT]
//                       [--phy ID] [--poe ID]
//   flashsim eraseall DEVICE          the board's "flash_eraseall" on an emulated partition
//   flashsim reboot ROOT [ARG]...     "reboot": records its call and starts the recorder
//                                     again ("/proc/cmdline" from the boot environment)
//   flashsim chip ROOT                "dvchip_update": prints the board's model line
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "board.h"
#include "flash_model.h"
#include "layout.h"
#include "version.h"

namespace {

int usage() {
  std::fprintf(stderr,
               "Usage:\n"
               "  flashsim create DIR [--small] [--running 1|2] [--version PART=VER]...\n"
               "                      [--model TEXT] [--phy ID] [--poe ID]\n"
               "  flashsim eraseall DEVICE\n"
               "  flashsim reboot ROOT [ARG]...\n"
               "  flashsim chip ROOT\n");
  return 2;
}

// The absolute path of this program, for the stand-in scripts.
std::string self_path(const char* argv0) {
  char resolved[PATH_MAX];
  if (std::strchr(argv0, '/') != nullptr) {
    if (realpath(argv0, resolved) != nullptr) return resolved;
    return {};
  }
  const char* path = std::getenv("PATH");
  std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
  size_t pos = 0;
  while (pos <= dirs.size()) {
    size_t end = dirs.find(':', pos);
    if (end == std::string::npos) end = dirs.size();
    std::string candidate = dirs.substr(pos, end - pos) + "/" + argv0;
    if (access(candidate.c_str(), X_OK) == 0 && realpath(candidate.c_str(), resolved) != nullptr)
      return resolved;
    pos = end + 1;
  }
  return {};
}

[[nodiscard]] bool parse_id(const char* text, int* out) {
  char* end = nullptr;
  long v = std::strtol(text, &end, 0);
  if (end == text || *end != '\0' || v < 0 || v > 0xFFFF) return false;
  *out = static_cast<int>(v);
  return true;
}

int create(int argc, char** argv) {
  if (argc < 3) return usage();
  flashsim::LayoutOptions options;
  options.tool_path = self_path(argv[0]);
  for (int i = 3; i < argc; ++i) {
    std::string arg = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    if (arg == "--small") {
      options.small = true;
    } else if (arg == "--running" && value != nullptr) {
      options.running = std::atoi(value);
      ++i;
    } else if (arg == "--version" && value != nullptr) {
      std::string spec = value;
      size_t eq = spec.find('=');
      uint32_t version = 0;
      if (eq == std::string::npos || !parse_version(spec.substr(eq + 1), &version)) {
        std::fprintf(stderr, "flashsim: bad --version %s (PART=72.9.0.19)\n", value);
        return 2;
      }
      options.versions[spec.substr(0, eq)] = version;
      ++i;
    } else if (arg == "--model" && value != nullptr) {
      options.board.model_line = value;
      ++i;
    } else if ((arg == "--phy" || arg == "--poe") && value != nullptr) {
      int* target = arg == "--phy" ? &options.board.phy_id : &options.board.poe_id;
      if (!parse_id(value, target)) {
        std::fprintf(stderr, "flashsim: bad %s %s\n", arg.c_str(), value);
        return 2;
      }
      ++i;
    } else {
      return usage();
    }
  }
  std::string error;
  if (!flashsim::create_recorder(argv[2], options, &error)) {
    std::fprintf(stderr, "flashsim: %s\n", error.c_str());
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage();
  std::string command = argv[1];
  if (command == "create") return create(argc, argv);
  if (command == "eraseall" && argc == 3) return flashsim::erase_all(argv[2]) == 0 ? 0 : 1;
  if (command == "reboot" && argc >= 3) {
    std::string line = "reboot";
    for (int i = 3; i < argc; ++i) line += std::string(" ") + argv[i];
    if (!flashsim::record_call(argv[2], line)) return 1;
    std::string error;
    // The reboot itself happened; a recorder that cannot start from flash is reported.
    if (!flashsim::boot_recorder(argv[2], &error))
      std::fprintf(stderr, "flashsim: %s\n", error.c_str());
    return 0;
  }
  if (command == "chip" && argc == 3) {
    flashsim::BoardSettings board;
    if (!flashsim::record_call(argv[2], "dvchip_update") ||
        !flashsim::load_board_settings(argv[2], &board))
      return 1;
    std::printf("%s\n", board.model_line.c_str());
    return 0;
  }
  return usage();
}
