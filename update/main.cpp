// update: the recorder's firmware installer and boot-environment editor.
//
//   update [OPTION] upfw_file
//
// The boot environment is loaded first. The options then run in command-line order:
// setters of boot variables write the environment at once, --version and --show print,
// --system switches copies and reboots; -u, -a, -e and -l only mark what is done with the
// image afterwards, always in the same order: version check, list, extract, install.
// The install's outcome goes to the exit status and the result file (upfw_log.h).
#include <getopt.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "boot_info.h"
#include "bootenv.h"
#include "nvr_root.h"
#include "partition_table.h"
#include "update_run.h"
#include "upfw_image.h"
#include "upfw_log.h"
#include "version_policy.h"

namespace {

constexpr char kDefaultImage[] = "/dev/shm/updateFM.bin";

// What the marks ask for, done after the options in a fixed order.
struct Marks {
  bool upfw = false;      // -u: install
  bool analysis = false;  // -a: extract after the version check
  bool oem = false;       // -e: extract, and skip the version check (also of -u)
  bool list = false;      // -l: list the records
};

enum class Kind { kHelp, kVersion, kShow, kMark, kNumber, kText };
// An argument longer than its fixed buffer: cut to fit, or refused.
enum class Overlong { kCut, kRefuse };

struct OptionSpec {
  const char* name;
  char letter;           // 0 when the option has no short form
  const char* argument;  // the word the usage text shows; nullptr without an argument
  const char* help;
  Kind kind;
  bool Marks::*mark = nullptr;             // kMark
  int (*number)(unsigned long) = nullptr;  // kNumber
  int (*text)(const char*) = nullptr;      // kText
  const char* failure = nullptr;           // printed when the setter fails
  size_t buffer = 0;  // kText: the argument's buffer, terminator included; 0 for none
  Overlong overlong = Overlong::kCut;
};

constexpr OptionSpec action(const char* name, const char* help, Kind kind) {
  return {name, 0, nullptr, help, kind};
}
constexpr OptionSpec mark(const char* name, char letter, const char* help, bool Marks::*m) {
  return {name, letter, nullptr, help, Kind::kMark, m};
}
constexpr OptionSpec number(const char* name, char letter, const char* argument, const char* help,
                            int (*setter)(unsigned long), const char* failure) {
  return {name, letter, argument, help, Kind::kNumber, nullptr, setter, nullptr, failure};
}
constexpr OptionSpec text(const char* name, char letter, const char* argument, const char* help,
                          int (*setter)(const char*), const char* failure, size_t buffer = 0,
                          Overlong overlong = Overlong::kCut) {
  return {name,    letter, argument, help,   Kind::kText, nullptr,
          nullptr, setter, failure,  buffer, overlong};
}

// Every option, in the order of the usage text.
constexpr OptionSpec kOptions[] = {
    action("help", "display this help and exit", Kind::kHelp),
    action("version", "output version information and exit", Kind::kVersion),
    action("show", "Show Dravelin AMBOOT information ", Kind::kShow),
    mark("upfw", 'u', "Update Dravelin upgrade images", &Marks::upfw),
    mark("analysis", 'a', "Analysis Dravelin upgrade images", &Marks::analysis),
    mark("oem", 'e', "Analysis Dravelin upgrade OEM images", &Marks::oem),
    mark("list", 'l', "List upgrade image information", &Marks::list),
    number("bootState", 'B', "state", "set boot state", set_boot_state, "set boot state faild.\n"),
    number("system", 'S', "id", "Switch Dravelin System", set_switch_filesys,
           "switch system faild.\n"),
    text("sn", 'N', "sn", "Update Dravelin AMBOOT SN ", set_ptb_sn, "update sn faild.\n", 32),
    // A cut kernel command line would not boot: a longer one is refused.
    text("cmdline", 'C', "str", "Update Dravelin AMBOOT cmdline ", set_ptb_cmdline,
         "update cmdline faild.\n", 512, Overlong::kRefuse),
    number("delay", 'D', "digit", "Update Dravelin AMBOOT bootdelay ", set_ptb_bootdelay,
           "update bootdelay faild.\n"),
    number("auto_boot", 0, "digit", "Update Dravelin AMBOOT load linux from nandflash or no ",
           set_ptb_autoboot, "update auto_boot faild.\n"),
    number("auto_dl", 0, "digit", "Update Dravelin AMBOOT load linux from network or no ",
           set_ptb_autodownload, "update auto_dl faild.\n"),
    number("pri_addr", 0, "hex", "Update Dravelin AMBOOT pri_addr ", set_ptb_pri_addr,
           "update pri_addr faild.\n"),
    text("pri_file", 0, "str", "Update Dravelin updated file name(32bytes) ", set_ptb_pri_file,
         "update pri_file faild.\n", 32),
    text("serverip", 0, "ip", "Update Dravelin AMBOOT tftpd server ip ", set_ptb_tftpd_ip,
         "update tftpd ip address faild.\n"),
    text("eth0_mac", 'E', "MAC", "Update Dravelin AMBOOT eth0 MAC ", set_ptb_eth_mac,
         "update eth0 mac faild.\n"),
    text("eth0_ip", 0, "ip", "Update Dravelin AMBOOT eth0 lan ip ", set_ptb_eth_ip,
         "update eth0 ip address faild.\n"),
    text("eth0_mask", 0, "ip", "Update Dravelin AMBOOT eth0 lan mask ", set_ptb_eth_netmask,
         "update eth0 netmask faild.\n"),
    text("eth0_gw", 0, "ip", "Update Dravelin AMBOOT eth0 lan gw ", set_ptb_eth_gateway,
         "update eth0 gateway faild.\n"),
    text("uboot_ver", 0, "ver", "set uboot version , eg: xx.xx.xx.xx", set_ptb_uboot_version,
         "update uboot version faild.\n"),
    text("wifi0_mac", 'W', "MAC", "Update Dravelin AMBOOT wifi0 MAC ", set_ptb_wifi_mac,
         "update wifi0 mac faild.\n"),
    text("wifi0_ip", 0, "ip", "Update Dravelin AMBOOT wifi0 ip ", set_ptb_wifi_ip,
         "update wifi0 ip address faild.\n"),
    text("wifi0_mask", 0, "ip", "Update Dravelin AMBOOT wifi0 mask", set_ptb_wifi_netmask,
         "update wifi0 netmask faild.\n"),
    text("wifi0_gw", 0, "ip", "Update Dravelin AMBOOT wifi0 gw ", set_ptb_wifi_gateway,
         "update wifi0 gateway faild.\n"),
};
// getopt_long's value of an option without a short letter: this plus its table index.
constexpr int kLongOnly = 256;

void print_usage() {
  std::printf("Usage:\n  update [OPTION] upfw_file \n  Writes to the specified MTD device.\n\n");
  for (const OptionSpec& o : kOptions) {
    if (o.letter != 0)
      std::printf("-%c ", o.letter);
    else
      std::printf("   ");
    std::printf("--%s", o.name);
    if (o.argument != nullptr) std::printf(" [%s]", o.argument);
    std::printf("\t%s\n", o.help);
  }
  std::printf("\n");
  std::fflush(stdout);
}

// A number as the board's tools read them: decimal, "0x" hexadecimal or leading-zero
// octal. Text that is not a number fails rather than reading as 0 (which would, for
// --system, toggle the copies and reboot).
[[nodiscard]] bool parse_number(const char* text, unsigned long* out) {
  char* end = nullptr;
  errno = 0;
  *out = std::strtoul(text, &end, 0);
  if (errno == 0 && end != text && *end == '\0') return true;
  std::fprintf(stderr, "Error: \"%s\" is not a number\n", text);
  return false;
}

// Runs a setter option. 0 or non-zero as the setter returns.
int run_setter(const OptionSpec& o, const char* arg) {
  if (o.kind == Kind::kNumber) {
    unsigned long value = 0;
    return parse_number(arg, &value) ? o.number(value) : -1;
  }
  if (o.buffer == 0 || std::strlen(arg) < o.buffer) return o.text(arg);
  if (o.overlong == Overlong::kRefuse) {
    std::fprintf(stderr, "Error: --%s takes at most %zu characters\n", o.name, o.buffer - 1);
    return -1;
  }
  return o.text(std::string(arg, o.buffer - 1).c_str());
}

// Parses the options, running each action at once. False when an option was unknown
// (parsing ends there) or a setter failed (parsing goes on).
[[nodiscard]] bool parse_command_line(int argc, char** argv, Marks* marks) {
  std::string short_options = "?";
  std::vector<option> long_options;
  for (size_t i = 0; i < std::size(kOptions); ++i) {
    const OptionSpec& o = kOptions[i];
    const int value = o.letter != 0 ? o.letter : kLongOnly + static_cast<int>(i);
    if (o.letter != 0) {
      short_options += o.letter;
      if (o.argument != nullptr) short_options += ':';
    }
    long_options.push_back(
        {o.name, o.argument != nullptr ? required_argument : no_argument, nullptr, value});
  }
  long_options.push_back({nullptr, 0, nullptr, 0});

  bool ok = true;
  opterr = 0;
  int c;
  while ((c = getopt_long(argc, argv, short_options.c_str(), long_options.data(), nullptr)) != -1) {
    const OptionSpec* o = nullptr;
    if (c >= kLongOnly && c < kLongOnly + static_cast<int>(std::size(kOptions))) {
      o = &kOptions[c - kLongOnly];
    } else {
      for (const OptionSpec& candidate : kOptions)
        if (c != '?' && candidate.letter == c) o = &candidate;
    }
    if (o == nullptr) {
      std::fflush(stdout);
      std::fprintf(stderr, "Error: Unknow option\n");
      return false;
    }
    switch (o->kind) {
      case Kind::kHelp:
        print_usage();
        break;
      case Kind::kVersion:
        print_version_info();
        break;
      case Kind::kShow:
        display_info();
        break;
      case Kind::kMark:
        marks->*(o->mark) = true;
        break;
      case Kind::kNumber:
      case Kind::kText:
        if (run_setter(*o, optarg) != 0) {
          std::fflush(stdout);
          std::fputs(o->failure, stderr);
          ok = false;
        }
        break;
    }
  }
  return ok;
}

// "update --help" alone needs no boot environment.
bool help_only(int argc, char** argv) {
  if (argc < 2) return false;
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], "--help") != 0) return false;
  return true;
}

// Steps after the options: version check, list, extract, install. The exit result.
int work_on_image(const Marks& marks, const std::string& image) {
  if (!marks.oem && (marks.analysis || marks.upfw)) {
    if (UPFW_version_check(image.c_str(), env_boot_records()) != 0) {
      UPFW_log(kFirmwareMismatch, "firmware mismatch!\n");
      return kFirmwareMismatch;
    }
  }
  if (marks.list) {
    std::printf("List upfw %s infomation.\n", image.c_str());
    int result = UPFW_list_intfo(image.c_str());
    if (result != 0) {
      std::fflush(stdout);
      std::fprintf(stderr, "List upfw %s infomation failed!\n", image.c_str());
      return result;
    }
  }
  if (marks.analysis || marks.oem) {
    std::printf("Analysis image %s \n", image.c_str());
    std::fflush(stdout);
    int result = UPFW_analysis_img(image.c_str(), 0);
    if (result != 0) {
      // The default path under a test root may pass 128 characters: no fixed buffer.
      UPFW_log(result, ("Analysis " + image + " faild!\n").c_str());
      return result;
    }
  }
  if (!marks.upfw) return 0;
  std::printf("Begin update %s \n", image.c_str());
  std::fflush(stdout);
  int result = UPFW_run_update(image.c_str());
  std::fflush(stdout);
  UPFW_log(result, (std::string(update_result_text(result)) + "\n").c_str());
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  if (help_only(argc, argv)) {
    print_usage();
    return 0;
  }
  // Every later step reads or writes the environment: without it nothing is done.
  if (env_init() != 0) {
    std::fprintf(stderr, "Error: can't load the boot environment\n");
    return -1;
  }
  Marks marks;
  if (!parse_command_line(argc, argv, &marks)) {
    print_usage();
    env_deinit();
    return -1;
  }

  // The default is the system's path; a path given by the caller is used as given.
  std::string image = nvr_path(kDefaultImage);
  if (argc - optind == 1) {
    // Refused rather than cut: a cut path would name another file.
    if (std::strlen(argv[optind]) >= kImagePathSize) {
      std::fprintf(stderr, "Error: image path longer than %zu characters\n", kImagePathSize - 1);
      env_deinit();
      return -1;
    }
    image = argv[optind];
  }
  const int result = work_on_image(marks, image);
  env_deinit();
  return result;
}
