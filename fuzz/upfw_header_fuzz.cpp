// libFuzzer target for the firmware image reader: the input is an image file; it is read,
// listed and extracted (every record, into the private root's /dev/shm).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "upfw_image.h"

namespace {
std::string g_image;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  static char dir[] = "/tmp/nvrfuzz.XXXXXX";
  if (mkdtemp(dir) != nullptr) {
    setenv("NVR_ROOT", dir, 1);
    std::string base(dir);
    mkdir((base + "/dev").c_str(), 0700);
    mkdir((base + "/dev/shm").c_str(), 0700);
    g_image = base + "/image.bin";
  }
  // The listing's text is not what is under test.
  int null = open("/dev/null", O_WRONLY);
  if (null >= 0) dup2(null, STDOUT_FILENO);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FILE* f = std::fopen(g_image.c_str(), "wb");
  if (f == nullptr) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  ImageHeader header;
  if (read_image_header(g_image.c_str(), &header) == 0) {
    UPFW_list_intfo(g_image.c_str());
    UPFW_analysis_img(g_image.c_str(), 1);
    UPFW_analysis_img(g_image.c_str(), 0);
  }
  return 0;
}
