// mkupfw: builds a firmware image.
//
//   mkupfw                                  the build tree's image, from its fixed files
//                                           (paths under NVR_ROOT), padding them in place
//   mkupfw -o IMAGE RECORD=FILE[,VERSION]...  an image of the files given; RECORD is one
//                                           of bld ker fs cmd param jpg bld2 tool, VERSION
//                                           "72.9.0.19" or a number (default: the
//                                           record's usual version); the files are left
//                                           as they are and padded in the image
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "upfw_image.h"
#include "version.h"

namespace {

int usage() {
  std::fprintf(stderr,
               "Usage:\n"
               "  mkupfw\n"
               "  mkupfw -o IMAGE RECORD=FILE[,VERSION]...\n"
               "RECORD: bld ker fs cmd param jpg bld2 tool; VERSION: 72.9.0.19 or 0x48090013\n");
  return 2;
}

// Index of a record name; -1 when unknown.
int slot_index(const std::string& name) {
  for (size_t i = 0; i < kImageRecordCount; ++i)
    if (name == kImageSlots[i].name) return static_cast<int>(i);
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 1) return UPFW_creat_img() == 0 ? 0 : 1;

  ImageBuildSpec spec;
  for (size_t i = 0; i < kImageRecordCount; ++i) spec.versions[i] = kImageSlots[i].version;
  bool given[kImageRecordCount] = {};
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "-o" && i + 1 < argc) {
      spec.output = spec.output_name = argv[++i];
      continue;
    }
    size_t eq = arg.find('=');
    int slot = eq == std::string::npos ? -1 : slot_index(arg.substr(0, eq));
    if (slot < 0) {
      std::fprintf(stderr, "mkupfw: not a record: %s\n", arg.c_str());
      return usage();
    }
    std::string file = arg.substr(eq + 1);
    size_t comma = file.rfind(',');
    if (comma != std::string::npos) {
      uint32_t version = 0;
      if (!parse_version(file.substr(comma + 1), &version)) {
        std::fprintf(stderr, "mkupfw: bad version in %s\n", arg.c_str());
        return usage();
      }
      spec.versions[static_cast<size_t>(slot)] = version;
      file.erase(comma);
    }
    if (file.empty() || given[slot]) {
      std::fprintf(stderr, "mkupfw: %s\n", file.empty() ? "empty file name" : "record given twice");
      return usage();
    }
    given[slot] = true;
    spec.sources[static_cast<size_t>(slot)] = file;
  }
  if (spec.output.empty()) return usage();
  return build_image(spec) == 0 ? 0 : 1;
}
