// The aging quick settings in process against coresim: each switch stored and told to the
// core, the record mode of all channels written only where it was read, the quick camera
// change and its refusals; and one round trip through the real programs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "camera/camera_record.h"
#include "dvdb.h"
#include "dvstd.h"
#include "network/port_record.h"
#include "record/record_store.h"
#include "support/bytes.h"
#include "support/cgi_runner.h"
#include "support/handler_process.h"
#include "support/inprocess.h"

namespace {

using nvrtest::Bytes;
using nvrtest::InProcess;

const std::string kOk = nvrtest::kTextHeader + "OK";

TEST(AgingSwitches, SshAutoLoginAndWizard) {
  InProcess& web = InProcess::instance();
  (void)web.sent();
  EXPECT_EQ(web.post("/3300", R"({"sshEnable":1})"), kOk);
  auto sent = web.sent();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].type, 1702u);
  EXPECT_EQ(sent[0].hex, Bytes().text("more", 32).hex());
  PortRecord port{};
  ASSERT_EQ(store_read(kStoreMain, 0, &port), 0);
  EXPECT_EQ(port.enableSsh, 1);
  EXPECT_EQ(port.httpPort, 80);  // a never-saved record keeps the usual ports
  EXPECT_EQ(port.rtspPort, 554);

  struct Row {
    const char* path;
    const char* body;
    const char* param;
    int stored;
  };
  const Row rows[] = {
      {"/3301", R"({"autoLoginEnable":1})", "local_auth_enable", 1},
      {"/3301", R"({})", "local_auth_enable", 0},  // absent counts as 0
      {"/3303", R"({"wizardEnable":1})", "wizard_enable", 1},
      {"/3303", R"({"other":1})", "wizard_enable", 0},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(web.post(row.path, row.body), kOk) << row.body;
    EXPECT_EQ(get_param_int(kStoreMain, row.param, -1), row.stored) << row.body;
    EXPECT_TRUE(web.sent().empty()) << row.body;
  }
  for (const char* path : {"/3300", "/3301", "/3302", "/3303", "/3304"}) {
    EXPECT_EQ(web.post(path, "not json"), "") << path;
    EXPECT_TRUE(web.sent().empty()) << path;
  }
}

TEST(AgingSwitches, AllRecordModesKeepTheOtherSettingsAndTellEveryChannel) {
  InProcess& web = InProcess::instance();
  RecordSettings seeded{};
  seeded.id = 9;
  seeded.audio_enable = 1;
  seeded.post_record_duration = 30;
  ASSERT_EQ(store_write(kStoreMain, seeded), 0);
  (void)web.sent();

  EXPECT_EQ(web.post("/3302", R"({"recordMode":2})"), kOk);
  auto sent = web.sent();
  ASSERT_EQ(sent.size(), 64u);
  for (int i = 0; i < 64; ++i) {
    EXPECT_EQ(sent[i].type, 1407u);
    EXPECT_EQ(sent[i].hex, Bytes().i32(i).hex());
  }
  RecordSettings r{};
  ASSERT_EQ(store_read(kStoreMain, 9, &r), 0);
  EXPECT_EQ(r.mode, 2);
  EXPECT_EQ(r.audio_enable, 1);
  EXPECT_EQ(r.post_record_duration, 30);
  ASSERT_EQ(store_read(kStoreMain, 63, &r), 0);
  EXPECT_EQ(r.mode, 2);

  // A store that refuses the writes is no success.
  web.refuse_writes("record");
  EXPECT_EQ(web.post("/3302", R"({"recordMode":1})"), nvrtest::kTextErrorBody);
  web.allow_writes("record");
  (void)web.sent();
  ASSERT_EQ(store_read(kStoreMain, 9, &r), 0);
  EXPECT_EQ(r.mode, 2);
}

TEST(AgingSwitches, QuickCameraChange) {
  InProcess& web = InProcess::instance();
  CameraRecord cam{};
  ASSERT_EQ(store_read(kStoreMain, 12, &cam), 0);
  cam.model = 3;
  cam.main_rtsp_port = 8554;
  ASSERT_EQ(store_write(kStoreMain, cam), 0);
  (void)web.sent();

  EXPECT_EQ(web.post("/3304", R"({"id":12,"enable":1,"ipAddr":"10.1.2.3","managePort":8080,)"
                              R"("userName":"admin","password":"secret"})"),
            kOk);
  auto sent = web.sent();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].type, 1201u);
  EXPECT_EQ(sent[0].hex, Bytes().i32(12).hex());
  ASSERT_EQ(store_read(kStoreMain, 12, &cam), 0);
  EXPECT_EQ(cam.enable, 1);
  EXPECT_STREQ(cam.ipaddr, "10.1.2.3");
  EXPECT_EQ(cam.manage_port, 8080);
  EXPECT_STREQ(cam.username, "admin");
  EXPECT_STREQ(cam.password, "secret");
  EXPECT_EQ(cam.model, 0);              // ONVIF
  EXPECT_EQ(cam.main_rtsp_port, 8554);  // kept

  EXPECT_EQ(web.post("/3304", R"({"id":12,"enable":0,"ipAddr":"10.1.2.3","managePort":80})"), kOk);
  sent = web.sent();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].type, 1202u);
  ASSERT_EQ(store_read(kStoreMain, 12, &cam), 0);
  EXPECT_EQ(cam.enable, 0);

  for (const char* body : {R"({"id":12,"enable":1,"ipAddr":"","managePort":80})",
                           R"({"id":12,"enable":1,"managePort":80})",
                           R"({"id":64,"enable":1,"ipAddr":"10.0.0.1","managePort":80})",
                           R"({"id":-1,"enable":1,"ipAddr":"10.0.0.1","managePort":80})",
                           R"({"id":12,"enable":2,"ipAddr":"10.0.0.1","managePort":80})",
                           R"({"id":12,"ipAddr":"10.0.0.1","managePort":80})",
                           R"({"id":12,"enable":1,"ipAddr":"10.0.0.1","managePort":-1})",
                           R"({"id":12,"enable":1,"ipAddr":"10.0.0.1"})"}) {
    EXPECT_EQ(web.post("/3304", body), "") << body;
    EXPECT_TRUE(web.sent().empty()) << body;
  }
  ASSERT_EQ(store_read(kStoreMain, 12, &cam), 0);
  EXPECT_EQ(cam.enable, 0);
}

class AgingProcess : public nvrtest::HandlerProcessTest {};

TEST_F(AgingProcess, QuickCameraThroughTheRealPrograms) {
  EXPECT_EQ(post("/3304", R"({"id":3,"enable":1,"ipAddr":"192.168.1.64","managePort":80,)"
                          R"("userName":"admin","password":"pw"})")
                .out,
            kOk);
  auto journal = core_->wait_journal(1);
  ASSERT_EQ(journal.size(), 1u);
  EXPECT_EQ(journal[0].type, 1201u);
  EXPECT_EQ(journal[0].hex, Bytes().i32(3).hex());
  EXPECT_NE(nvrdb({"record", "get", "camera", "3"}).find("192.168.1.64"), std::string::npos);
}

}  // namespace
