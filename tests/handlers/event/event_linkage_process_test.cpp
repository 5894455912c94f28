// The one-schedule pages, a PTZ linkage entry and the camera alarm and fisheye answers
// through the real webcgi and coresim processes.
#include <gtest/gtest.h>

#include <string>

#include "support/bytes.h"
#include "support/handler_process.h"
#include "support/json_tree.h"

namespace {

using nvrtest::JsonTree;
using nvrtest::ProcessResult;

const std::string& kText = nvrtest::kTextHeader;
const std::string& kJson = nvrtest::kJsonHeader;

class EventLinkagePages : public nvrtest::HandlerProcessTest {
 protected:
  std::string plain(const ProcessResult& r) {
    EXPECT_EQ(r.out.rfind(kJson, 0), 0u) << r.out << r.err;
    return JsonTree(r.out.size() >= kJson.size() ? r.out.substr(kJson.size()) : "").plain();
  }
};

TEST_F(EventLinkagePages, ScheduleAndPtzEntryRoundTrip) {
  std::string week = "[";
  for (int d = 0; d < 8; ++d) week += std::string(d ? "," : "") + R"([["01:00","02:30",1]])";
  week += "]";
  EXPECT_EQ(post("/6152", R"({"camId":3,"schedule":)" + week + "}").out, kText + "OK");
  auto journal = core_->wait_journal(1);
  ASSERT_EQ(journal.size(), 1u);
  EXPECT_EQ(journal[0].type, 1403u);
  EXPECT_EQ(journal[0].hex, nvrtest::Bytes().i32(3).hex());
  EXPECT_NE(
      plain(get("/6153", "3")).find(R"({"startTime":"01:00","endTime":"02:30","actionType":1})"),
      std::string::npos);

  EXPECT_EQ(post("/6160", R"({"type":2,"chn_id":3,"acto_ptz_channel":4,"acto_ptz_type":1,)"
                          R"("acto_ptz_preset":5})")
                .out,
            kText + "OK");
  EXPECT_EQ(plain(post("/6161", R"({"type":2,"chn_id":3})")),
            R"({"ptzInfo":[{"acto_ptz_channel":4,"acto_ptz_type":1,"acto_ptz_preset":5,)"
            R"("acto_ptz_patrol":0}]})");
}

TEST_F(EventLinkagePages, CameraAnswersFromCoresim) {
  EXPECT_EQ(plain(get("/6090", "2")),
            R"({"camId":2,"enable":0,"type":0,"triActions":0,"triChannels":""})");
  EXPECT_EQ(plain(post("/6130", R"({"id":2})")),
            R"({"chnid":2,"result":0,"fishmount":1,"fishdisplay":0,"fishcorrect":1})");
}

}  // namespace
