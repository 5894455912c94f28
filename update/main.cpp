// update: the recorder's firmware installer. This build lists an image (-l) and
// extracts its tool record (-a, -e); installing and the boot-environment options come
// with the boot environment store and the flash writers.
#include <getopt.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "upd_root.h"
#include "upfw_image.h"
#include "upfw_log.h"

namespace {

constexpr char kDefaultImage[] = "/dev/shm/updateFM.bin";

struct OptionHelp {
  const char* name;
  int letter;  // 0 when the option has no short form
  const char* argument;
  const char* help;
};

// The options of this build, in the order of the usage text.
constexpr OptionHelp kOptions[] = {
    {"help", 0, nullptr, "display this help and exit"},
    {"analysis", 'a', nullptr, "Analysis Dravelin upgrade images"},
    {"oem", 'e', nullptr, "Analysis Dravelin upgrade OEM images"},
    {"list", 'l', nullptr, "List upgrade image information"},
};
constexpr int kHelpOption = 256;

void print_usage() {
  std::printf("Usage:\n  update [OPTION] upfw_file \n  Writes to the specified MTD device.\n\n");
  for (const OptionHelp& o : kOptions) {
    if (o.letter != 0)
      std::printf("-%c ", o.letter);
    else
      std::printf("   ");
    std::printf("--%s", o.name);
    if (o.argument != nullptr) std::printf(" [%s]", o.argument);
    std::printf("\t%s\n", o.help);
  }
  std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
  static const option kLongOptions[] = {
      {"help", no_argument, nullptr, kHelpOption},
      {"analysis", no_argument, nullptr, 'a'},
      {"oem", no_argument, nullptr, 'e'},
      {"list", no_argument, nullptr, 'l'},
      {nullptr, 0, nullptr, 0},
  };
  bool analysis = false, oem = false, list = false, failed = false;
  opterr = 0;
  int c;
  while (!failed && (c = getopt_long(argc, argv, "?ael", kLongOptions, nullptr)) != -1) {
    switch (c) {
      case kHelpOption: print_usage(); break;
      case 'a': analysis = true; break;
      case 'e': oem = true; break;
      case 'l': list = true; break;
      default:
        std::fprintf(stderr, "Error: Unknow option\n");
        failed = true;
        break;
    }
  }
  if (failed) {
    print_usage();
    return -1;
  }

  // The default is the system's path; a path given by the caller is used as given.
  std::string image = upd_path(kDefaultImage);
  if (argc - optind == 1) {
    // Refused rather than cut: a cut path would name another file.
    if (std::strlen(argv[optind]) >= kImagePathSize) {
      std::fprintf(stderr, "Error: image path longer than %zu characters\n", kImagePathSize - 1);
      return -1;
    }
    image = argv[optind];
  }

  if (list) {
    std::printf("List upfw %s infomation.\n", image.c_str());
    int result = UPFW_list_intfo(image.c_str());
    if (result != 0) {
      std::fprintf(stderr, "List upfw %s infomation failed!\n", image.c_str());
      return result;
    }
  }
  if (analysis || oem) {
    std::printf("Analysis image %s \n", image.c_str());
    std::fflush(stdout);
    int result = UPFW_analysis_img(image.c_str(), 0);
    if (result != 0) {
      // The default path under a test root may pass 128 characters: no fixed buffer.
      UPFW_log(result, ("Analysis " + image + " faild!\n").c_str());
      return result;
    }
  }
  return 0;
}
