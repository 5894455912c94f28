// Record verification: exact details of each checked record, every present record
// checked whatever its name, misnamed and damaged records refused, checking stops at the
// first failure, and records outside the file never read.
#include "verify.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "capture.h"
#include "image_bytes.h"
#include "support/temp_root.h"

namespace {

// Stand-in record contents of a few KiB, different per seed.
std::string content(size_t size, char seed) {
  std::string s(size, '\0');
  for (size_t i = 0; i < size; ++i) s[i] = static_cast<char>(seed + static_cast<char>(i * 7));
  return s;
}

std::string hex8(uint32_t v) {
  char text[9];
  std::snprintf(text, sizeof text, "%08X", v);
  return text;
}

class VerifyTest : public ::testing::Test {
 protected:
  void SetUp() override { setenv("NVR_ROOT", root_.path().c_str(), 1); }
  void TearDown() override { setenv("NVR_ROOT", saved_root_.c_str(), 1); }

  // An image of a kernel (index 1, 6000 bytes) and a filesystem (index 2, 4096 bytes)
  // record with correct checksums, after `change` has edited the records.
  std::string image(void (*change)(std::vector<Rec>&) = nullptr) {
    const std::string ker = content(6000, 'k'), fs = content(4096, 'f');
    std::vector<Rec> recs = {
        {1, 2048, 6000, 0x4801000A, 0, 0, 0x07E7090C, "ker", reference_crc(ker)},
        {2, 8192, 4096, 0x48090013, 0x100, 1, 0x07E7090C, "fs", reference_crc(fs)},
        {3, 0, 0, 0x00010001, 0, 1, 0, "cmd", 0x12345678},  // named, no content
    };
    if (change != nullptr) change(recs);
    std::string bytes = header_bytes(recs) + ker;
    bytes.resize(8192, '\xFF');
    bytes += fs;
    root_.write("/tmp/v.img", bytes);
    return root_.at("/tmp/v.img");
  }

  Outcome verify(const std::string& path) {
    return capture([&] { return UPFW_verify(path.c_str()); });
  }

  const std::string saved_root_ = std::getenv("NVR_ROOT") != nullptr ? std::getenv("NVR_ROOT") : "";
  nvrtest::TempRoot root_;
};

TEST_F(VerifyTest, PrintsAndChecksEveryPresentRecord) {
  Outcome o = verify(image());
  EXPECT_EQ(o.result, 0) << o.err;
  EXPECT_EQ(o.err, "");
  EXPECT_EQ(o.out,
            "ker: \noffset  = 0x00000800\nsize    = 0x00001770 (5 K)\naddr    = 0x00000000\n"
            "flag    = 0x00000000\ndate    = 2023/9/12\ncrc32   = 0x" +
                hex8(reference_crc(content(6000, 'k'))) +
                "\nversion = 72.1.0.10\n"
                "fs: \noffset  = 0x00002000\nsize    = 0x00001000 (4 K)\naddr    = 0x00000100\n"
                "flag    = 0x00000001\ndate    = 2023/9/12\ncrc32   = 0x" +
                hex8(reference_crc(content(4096, 'f'))) + "\nversion = 72.9.0.19\n");
}

TEST_F(VerifyTest, RefusesDamagedMisnamedAndMisplacedRecords) {
  struct Case {
    const char* what;
    void (*change)(std::vector<Rec>&);
    std::string err;  // exact standard error, PATH for the image path
    bool fs_printed;  // the filesystem record got as far as its details
  };
  const Case cases[] = {
      {"kernel checksum wrong; the filesystem's too, but it is never reached",
       [](std::vector<Rec>& r) {
         r[0].crc ^= 1;
         r[1].crc ^= 1;
       },
       "check_img_crc ker failed\n", false},
      {"filesystem checksum wrong", [](std::vector<Rec>& r) { r[1].crc = 0; },
       "check_img_crc fs failed\n", true},
      {"unnamed filesystem record", [](std::vector<Rec>& r) { r[1].name = ""; },
       "Record 2 is named \"\" instead of \"fs\"\n", false},
      {"kernel content under the filesystem's name", [](std::vector<Rec>& r) { r[0].name = "fs"; },
       "Record 1 is named \"fs\" instead of \"ker\"\n", false},
      {"record passing the end of the file", [](std::vector<Rec>& r) { r[1].size = 4097; },
       "Bad record: \"PATH\" record 2 (fs) passes the end of the image\n", false},
      {"offset + size wrapping around 4 GiB",
       [](std::vector<Rec>& r) {
         r[1].offset = 0xFFFFF800;
         r[1].size = 0x1000;
       },
       "Bad record: \"PATH\" record 2 (fs) passes the end of the image\n", false},
  };
  for (const Case& c : cases) {
    std::string path = image(c.change);
    Outcome o = verify(path);
    EXPECT_EQ(o.result, -1) << c.what;
    std::string err = c.err;
    if (size_t at = err.find("PATH"); at != std::string::npos) err.replace(at, 4, path);
    EXPECT_EQ(o.err, err) << c.what;
    EXPECT_EQ(o.out.find("fs: \n") != std::string::npos, c.fs_printed) << c.what << "\n" << o.out;
  }
}

TEST_F(VerifyTest, RecordsWithoutContentAreNeitherPrintedNorChecked) {
  // Named, wrong checksums, offset or size zero.
  Outcome o = verify(image([](std::vector<Rec>& r) {
    r.push_back({5, 0, 4096, 0, 0, 0, 0, "jpg", 1});
    r.push_back({6, 2048, 0, 0, 0, 0, 0, "bld2", 2});
  }));
  EXPECT_EQ(o.result, 0) << o.err;
  for (const char* name : {"cmd: ", "jpg: ", "bld2: "})
    EXPECT_EQ(o.out.find(name), std::string::npos) << name;
}

TEST_F(VerifyTest, UnreadableImages) {
  root_.write("/tmp/short.img", std::string(2047, '\0'));
  Outcome o = verify(root_.at("/tmp/short.img"));
  EXPECT_EQ(o.result, -1);
  EXPECT_EQ(o.err, "Bad size: \"" + root_.at("/tmp/short.img") + "\" is no valid image\n");
  o = verify(root_.at("/tmp/none.img"));
  EXPECT_EQ(o.result, -1);
  EXPECT_EQ(o.err, "open output imager: No such file or directory\n");
  // A header with no present record proves nothing, but there is nothing to write either.
  root_.write("/tmp/empty.img", std::string(2048, '\0'));
  EXPECT_EQ(verify(root_.at("/tmp/empty.img")).result, 0);
}

}  // namespace
