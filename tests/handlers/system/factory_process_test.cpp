// The factory package and the alarm audio files through real webcgi and coresim processes:
// a package uploaded as a multipart form with its key in the query, unpacked by the
// recording unzip stand-in, and the audio file list and delete answered by coresim.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "support/bytes.h"
#include "support/handler_process.h"
#include "support/json_tree.h"

namespace {

using nvrtest::Bytes;
using nvrtest::CgiRequest;

const std::string& kText = nvrtest::kTextHeader;
const std::string& kJson = nvrtest::kJsonHeader;

class FactoryProcess : public nvrtest::HandlerProcessTest {};

TEST_F(FactoryProcess, PackageUploadAndAudioFileRoundTrip) {
  root_.write(
      "/usr/bin/unzip",
      "#!/bin/sh\necho \"unzip $*\" >> \"$NVR_ROOT/tmp/calls\"\nexec /usr/bin/unzip \"$@\"\n",
      0755);
  root_.write("/work/logo.jpg", "oem logo");
  // Key "k1" padded with NUL bytes to 32.
  const std::string key_hex = "6b31" + std::string(60, '0');
  ASSERT_EQ(std::system(("cd '" + root_.at("/work") + "' && zip -q pkg.zip logo.jpg && " +
                         "openssl enc -aes-256-cbc -base64 -K " + key_hex +
                         " -iv 0 -in pkg.zip -out pkg.b64")
                            .c_str()),
            0);
  CgiRequest req;
  req.method = "POST";
  req.path = "/oem";
  req.query = "aes=k1";
  req.cookie = cookie_;
  req.content_type = "multipart/form-data; boundary=B";
  req.body =
      "--B\r\nContent-Disposition: form-data; name=\"file\"; filename=\"pkg.b64\"\r\n"
      "Content-Type: application/octet-stream\r\n\r\n" +
      root_.read("/work/pkg.b64") + "\r\n--B--\r\n";
  EXPECT_EQ(run_webcgi(root_, req).out, kText + "OK");
  EXPECT_EQ(root_.read("/mnt/nand2/logo.jpg"), "oem logo");
  EXPECT_TRUE(root_.exists("/mnt/nand2/oem_upload"));
  EXPECT_EQ(root_.read("/tmp/calls").rfind("unzip -qq -o ", 0), 0u);

  std::string list = get("/6320").out;
  ASSERT_EQ(list.rfind(kJson, 0), 0u);
  nvrtest::JsonTree shown(list.substr(kJson.size()));
  EXPECT_NE(shown.text("audioFileList").find("Door chime.wav"), std::string::npos);
  EXPECT_EQ(shown.text("status"), "0");
  EXPECT_EQ(
      nvrtest::JsonTree(post("/6323", R"({"idMask":2})").out.substr(kJson.size())).text("status"),
      "0");
  auto sent = core_->wait_journal(3);
  ASSERT_EQ(sent.size(), 3u);
  EXPECT_EQ(sent[0].type, 4012u);
  EXPECT_EQ(sent[1].type + sent[2].type, 4014u + 3485u);
  EXPECT_EQ((sent[1].type == 4014 ? sent[1] : sent[2]).hex, Bytes().i32(2).hex());
}

}  // namespace
