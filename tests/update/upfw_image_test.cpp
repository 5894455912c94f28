// The firmware image format: header bytes built by hand, size and range checks, the
// listing's exact text, extraction targets and their safety, and the builder's padding,
// offsets and checksums.
#include "upfw_image.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "image_bytes.h"
#include "support/temp_root.h"

namespace {

class ImageTest : public ::testing::Test {
 protected:
  void SetUp() override { setenv("NVR_ROOT", root_.path().c_str(), 1); }
  // Back to the private root every test process starts with.
  void TearDown() override { setenv("NVR_ROOT", saved_root_.c_str(), 1); }
  const std::string saved_root_ = std::getenv("NVR_ROOT") != nullptr ? std::getenv("NVR_ROOT") : "";
  std::string image(const std::string& bytes) {
    root_.write("/tmp/img.bin", bytes);
    return root_.at("/tmp/img.bin");
  }
  nvrtest::TempRoot root_;
};

TEST_F(ImageTest, DecodeAndEncodeFollowTheLayout) {
  Rec r{2, 0x800, 0x1800, 0x48090013, 0x11223344, 1, 0x07E7090C, "fs", 0xCAFEBABE};
  std::string bytes = header_bytes({r});
  bytes.replace(640, 19, "2024-01-02 03:04:05");
  bytes.replace(672, 7, std::string("9.0.19", 7));
  ImageHeader h;
  decode_image_header(reinterpret_cast<const uint8_t*>(bytes.data()), &h);
  const ImageRecord& d = h.records[2];
  EXPECT_EQ(d.offset, 0x800u);
  EXPECT_EQ(d.size, 0x1800u);
  EXPECT_EQ(d.version, 0x48090013u);
  EXPECT_EQ(d.addr, 0x11223344u);
  EXPECT_EQ(d.flag, 1u);
  EXPECT_EQ(d.date, 0x07E7090Cu);
  EXPECT_EQ(record_name(d), "fs");
  EXPECT_EQ(d.crc32, 0xCAFEBABEu);
  EXPECT_STREQ(h.build_time, "2024-01-02 03:04:05");
  EXPECT_STREQ(h.fw_version, "9.0.19");
  EXPECT_FALSE(record_present(h.records[0]));

  uint8_t again[2048];
  encode_image_header(h, again);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(again), 2048), bytes);
}

TEST_F(ImageTest, ReadHeaderRefusesShortMissingAndUnnamedFiles) {
  struct Case {
    std::string content;
    const char* message;
  };
  const Case cases[] = {
      {std::string(2047, '\0'), "Bad size: \"PATH\" is no valid image\n"},
      {"", "Bad size: \"PATH\" is no valid image\n"},
  };
  for (const Case& c : cases) {
    std::string path = image(c.content);
    ImageHeader h;
    testing::internal::CaptureStderr();
    EXPECT_EQ(read_image_header(path.c_str(), &h), -1);
    std::string expected = std::regex_replace(c.message, std::regex("PATH"), path);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), expected);
  }
  ImageHeader h;
  testing::internal::CaptureStderr();
  EXPECT_EQ(read_image_header(root_.at("/tmp/none").c_str(), &h), -1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "open output imager: No such file or directory\n");
  testing::internal::CaptureStderr();
  EXPECT_EQ(read_image_header(nullptr, &h), -1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Please input datafile\n");
}

TEST_F(ImageTest, RecordsMustLieInsideTheFile) {
  struct Case {
    uint32_t offset, size;
    size_t file_size;
    bool accepted;
  };
  const Case cases[] = {
      {2048, 2048, 4096, true},           // ends exactly at the end
      {2048, 2049, 4096, false},          // one byte past the end
      {0xFFFFF800, 0x1000, 4096, false},  // wraps to 0x800 in 32 bits
      {0xFFFFFFFF, 0xFFFFFFFF, 4096, false},
      {0, 0xFFFFFFFF, 4096, true},  // not present: offset 0
      {0x7FFFFFFF, 0, 4096, true},  // not present: size 0
  };
  for (const Case& c : cases) {
    std::string bytes = header_bytes({{1, c.offset, c.size, 0, 0, 0, 0, "ker", 0}});
    bytes.resize(c.file_size, '\xAB');
    std::string path = image(bytes);
    ImageHeader h;
    testing::internal::CaptureStderr();
    EXPECT_EQ(read_image_header(path.c_str(), &h), c.accepted ? 0 : -1)
        << c.offset << "+" << c.size;
    std::string err = testing::internal::GetCapturedStderr();
    if (!c.accepted) {
      EXPECT_NE(err.find("record 1 (ker) passes the end of the image"), std::string::npos) << err;
    }
  }
}

TEST_F(ImageTest, ListingAnEmptyHeaderPrintsOnlyTheTitle) {
  std::string path = image(std::string(2048, '\0'));
  testing::internal::CaptureStdout();
  EXPECT_EQ(UPFW_list_intfo(path.c_str()), 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Image info: \n");
}

TEST_F(ImageTest, ListingPrintsPresentRecordsInFullAndOthersByVersion) {
  std::string name52(52, 'N');  // fills the field: no terminator
  std::string bytes = header_bytes({
      {0, 0, 4096, 0x4801011A, 0, 0, 0, "bld", 0},  // no offset: version only
      {1, 2048, 0, 0x4801000A, 0, 0, 0, "ker", 0},  // no size: version only
      {2, 2048, 6144, 0x48090013, 0x10, 1, 0x07E7090C, "fs", 0xDEADBEEF},
      {3, 0, 0, 0, 0, 0, 0, "", 0},  // nameless: not listed
      {4, 0, 0, 0x00000100, 0, 0, 0, name52, 0},
  });
  bytes.replace(4 * 80 + 76, 4, std::string(4, 'X'));  // the crc after the name is not part of it
  bytes.resize(8192, '\0');
  std::string path = image(bytes);
  testing::internal::CaptureStdout();
  EXPECT_EQ(UPFW_list_intfo(path.c_str()), 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "Image info: \n"
            "bld: \nversion = 72.1.1.26\n"
            "ker: \nversion = 72.1.0.10\n"
            "fs: \n"
            "offset  = 0x00000800\n"
            "size    = 6 K\n"
            "addr    = 0x00000010\n"
            "flag    = 0x00000001\n"
            "date    = 2023/9/12\n"
            "crc32   = 0xDEADBEEF\n"
            "version = 72.9.0.19\n" +
                name52 + ": \nversion = 0.0.1.0\n");
}

// An image whose records hold distinct contents; returns the contents by index.
std::string image_with(const std::vector<std::pair<size_t, std::string>>& records,
                       std::vector<std::string>* contents) {
  std::vector<Rec> recs;
  std::string body;
  contents->assign(8, "");
  for (const auto& [index, name] : records) {
    std::string content(2048 + index * 100, static_cast<char>('a' + index));
    recs.push_back({index, static_cast<uint32_t>(2048 + body.size()),
                    static_cast<uint32_t>(content.size()), 0, 0, 0, 0, name,
                    reference_crc(content)});
    body += content;
    (*contents)[index] = content;
  }
  return header_bytes(recs) + body;
}

TEST_F(ImageTest, ModeZeroExtractsOnlyTheToolRecordAsAnExecutable) {
  std::vector<std::string> contents;
  std::string path =
      image(image_with({{0, "bld"}, {2, "fs"}, {3, "cmd"}, {4, "param"}}, &contents));
  testing::internal::CaptureStdout();
  EXPECT_EQ(UPFW_analysis_img(path.c_str(), 0), 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "==============name " + path + "=\nCreate file: /dev/shm/update \n");
  EXPECT_EQ(root_.read("/dev/shm/update"), contents[3]);
  struct stat st;
  ASSERT_EQ(stat(root_.at("/dev/shm/update").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0755u);
  EXPECT_EQ(root_.list("/dev/shm"), std::vector<std::string>{"update"});
}

TEST_F(ImageTest, TheToolRecordIsFoundByNameAndMayBeMissing) {
  std::vector<std::string> contents;
  std::string path = image(image_with({{5, "cmd"}}, &contents));
  testing::internal::CaptureStdout();
  EXPECT_EQ(UPFW_analysis_img(path.c_str(), 0), 0);
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(root_.read("/dev/shm/update"), contents[5]);

  ASSERT_EQ(unlink(root_.at("/dev/shm/update").c_str()), 0);
  path = image(image_with({{0, "bld"}, {2, "fs"}}, &contents));
  testing::internal::CaptureStdout();
  EXPECT_EQ(UPFW_analysis_img(path.c_str(), 0), 0);
  testing::internal::GetCapturedStdout();
  EXPECT_TRUE(root_.list("/dev/shm").empty());
}

TEST_F(ImageTest, OtherModesExtractTheFirstFourRecords) {
  std::vector<std::string> contents;
  std::string path = image(image_with(
      {{0, "bld"}, {1, "ker"}, {2, "fs"}, {3, "cmd"}, {4, "param"}, {5, "jpg"}, {6, "bld2"}},
      &contents));
  testing::internal::CaptureStdout();
  EXPECT_EQ(UPFW_analysis_img(path.c_str(), 1), 0);
  testing::internal::GetCapturedStdout();
  const char* targets[] = {"/dev/shm/bld.bin", "/dev/shm/ker.bin", "/dev/shm/ubifs.bin",
                           "/dev/shm/update"};
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(root_.read(targets[i]), contents[i]) << targets[i];
  EXPECT_EQ(root_.list("/dev/shm").size(), 4u);
}

TEST_F(ImageTest, ExtractionReplacesPlantedLinksAndOlderFiles) {
  std::vector<std::string> contents;
  std::string path = image(image_with({{3, "cmd"}}, &contents));
  root_.write("/tmp/victim", "keep me");
  ASSERT_EQ(symlink(root_.at("/tmp/victim").c_str(), root_.at("/dev/shm/update").c_str()), 0);
  testing::internal::CaptureStdout();
  EXPECT_EQ(UPFW_analysis_img(path.c_str(), 0), 0);
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(root_.read("/tmp/victim"), "keep me");
  struct stat st;
  ASSERT_EQ(lstat(root_.at("/dev/shm/update").c_str(), &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
  EXPECT_EQ(root_.read("/dev/shm/update"), contents[3]);

  // A longer file left from an earlier run does not leave its tail behind.
  root_.write("/dev/shm/update", std::string(100000, 'z'));
  testing::internal::CaptureStdout();
  EXPECT_EQ(UPFW_analysis_img(path.c_str(), 0), 0);
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(root_.read("/dev/shm/update"), contents[3]);
}

TEST_F(ImageTest, FailedExtractionNamesItsTarget) {
  std::vector<std::string> contents;
  std::string path = image(image_with({{3, "cmd"}}, &contents));
  root_.mkdirs("/dev/shm/update/busy");  // a folder cannot be replaced by the file
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  EXPECT_EQ(UPFW_analysis_img(path.c_str(), 0), -1);
  testing::internal::GetCapturedStdout();
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("write /dev/shm/update faild\n"), std::string::npos) << err;
}

// Writes the build tree's sources with the given sizes and distinct bytes.
std::vector<std::string> write_sources(const nvrtest::TempRoot& root,
                                       const std::vector<size_t>& sizes) {
  std::vector<std::string> contents;
  for (size_t i = 0; i < sizes.size(); ++i) {
    std::string c(sizes[i], '\0');
    for (size_t k = 0; k < c.size(); ++k) c[k] = static_cast<char>((k * 7 + i * 31) & 0xFF);
    root.write(kImageSlots[i].source, c);
    contents.push_back(c);
  }
  return contents;
}

TEST_F(ImageTest, BuilderPadsInPlaceAndLaysRecordsBackToBack) {
  const std::vector<size_t> sizes = {4096, 4097, 1, 2048, 100, 6000, 5000};
  std::vector<std::string> sources = write_sources(root_, sizes);
  testing::internal::CaptureStdout();
  ASSERT_EQ(UPFW_creat_img(), 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Copy data to image!!!\n");

  std::string img = root_.read(kImageBuildOutput);
  uint32_t expected_offset = 2048;
  std::string body;
  for (size_t i = 0; i < 8; ++i) {
    size_t at = i * 80;
    EXPECT_EQ(std::string(img.c_str() + at + 24), kImageSlots[i].name);
    EXPECT_EQ(get32(img, at + 8), kImageSlots[i].version) << i;
    if (i == 7) {  // the tool record has no source
      EXPECT_EQ(get32(img, at), 0u);
      EXPECT_EQ(get32(img, at + 4), 0u);
      continue;
    }
    size_t padded = (sizes[i] + 2047) / 2048 * 2048;
    std::string on_disk = root_.read(kImageSlots[i].source);
    EXPECT_EQ(on_disk, sources[i] + std::string(padded - sizes[i], '\xFF')) << i;
    EXPECT_EQ(get32(img, at), expected_offset) << i;
    EXPECT_EQ(get32(img, at + 4), padded) << i;
    EXPECT_EQ(get32(img, at + 12), 0u);
    EXPECT_EQ(get32(img, at + 16), kImageSlots[i].flag);
    EXPECT_EQ(get32(img, at + 20), 0x07E7090Cu);
    EXPECT_EQ(get32(img, at + 76), reference_crc(on_disk)) << i;
    expected_offset += static_cast<uint32_t>(padded);
    body += on_disk;
  }
  EXPECT_EQ(img.substr(2048), body);
  EXPECT_TRUE(std::regex_match(std::string(img.c_str() + 640),
                               std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)")));
  EXPECT_EQ(img.substr(672, 7), std::string("9.0.19", 7));
  EXPECT_EQ(img.substr(679, 2048 - 679), std::string(2048 - 679, '\0'));
  // A source that is already a whole number of units is left as it was.
  EXPECT_EQ(root_.read(kImageSlots[0].source).size(), 4096u);
  EXPECT_EQ(root_.read(kImageSlots[1].source).size(), 6144u);
}

TEST_F(ImageTest, BuilderWithoutPaddingInPlaceMakesTheSameImage) {
  std::vector<std::string> sources = write_sources(root_, {4097, 10, 2048, 3000, 1, 1, 1});
  ImageBuildSpec spec = build_tree_spec();
  spec.pad_sources_in_place = false;
  spec.output = root_.at("/tmp/copy.img");
  testing::internal::CaptureStdout();
  ASSERT_EQ(build_image(spec), 0);
  for (size_t i = 0; i < 7; ++i) EXPECT_EQ(root_.read(kImageSlots[i].source), sources[i]) << i;
  ASSERT_EQ(UPFW_creat_img(), 0);
  testing::internal::GetCapturedStdout();
  std::string a = root_.read("/tmp/copy.img"), b = root_.read(kImageBuildOutput);
  ASSERT_EQ(a.size(), b.size());
  a.replace(640, 32, 32, '\0');
  b.replace(640, 32, 32, '\0');
  EXPECT_EQ(a, b);
}

TEST_F(ImageTest, BuilderStopsOnAMissingSource) {
  write_sources(root_, {10, 10});
  testing::internal::CaptureStderr();
  EXPECT_EQ(UPFW_creat_img(), -1);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find(std::string("ubifs: No such file or directory")), std::string::npos) << err;
  EXPECT_FALSE(root_.exists(kImageBuildOutput));
}

}  // namespace
