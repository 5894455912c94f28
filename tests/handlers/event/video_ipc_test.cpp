// The event module's answer callback: which writer each answer type reaches, and what
// the writers write.
#include <gtest/gtest.h>

#include <json-c/json.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "cgi.h"
#include "cgi_ipc.h"
#include "event/video_ipc.h"
#include "support/bytes.h"
#include "support/json_tree.h"

namespace {

const std::string kText = "Content-type: text/plain\r\n\r\n";
const std::string kJson = "Content-type: application/json\r\n\r\n";

std::string le32(std::int64_t v) {
  auto u = static_cast<std::uint32_t>(v);
  std::string s;
  for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>((u >> (8 * i)) & 0xff));
  return s;
}

// Feeds one answer to the callback and returns what it wrote and the flag.
struct Answer {
  std::string out;
  int flag;
};

Answer deliver(int type, const std::string& payload, bool null_payload = false) {
  FILE* out = std::tmpfile();
  cgiOut = out;
  cgi_ipc_begin_exchange();
  const std::uint32_t header[8] = {kDvMagic, 0,
                                   1,        static_cast<std::uint32_t>(type),
                                   1,        static_cast<std::uint32_t>(payload.size()),
                                   0,        0};
  on_video_ipc_callback(nullptr, header, null_payload ? nullptr : payload.data());
  std::fflush(out);
  std::rewind(out);
  std::string s;
  char buf[1024];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, out)) > 0) s.append(buf, n);
  cgiOut = nullptr;
  std::fclose(out);
  return {s, g_callback_done};
}

TEST(VideoAnswers, ResultWordAnswersOkOrFailed) {
  const std::vector<int> types = {8244, 8245, 8246, 8247, 8248, 8249, 8250, 8254, 8260, 8261, 8269};
  for (int type : types) {
    Answer ok = deliver(type, le32(0));
    EXPECT_EQ(ok.out, kText + "OK") << type;
    EXPECT_EQ(ok.flag, 1);
    EXPECT_EQ(deliver(type, le32(-3)).out, kText + "FAILED") << type;
    // Shorter than a result word: no data.
    EXPECT_EQ(deliver(type, std::string("\x01\x00", 2)).out, kText + "FAILED") << type;
  }
}

TEST(VideoAnswers, MotionMapWrittenAsJson) {
  std::string map = "0011";
  std::string payload = le32(1) + map + std::string(300 - map.size(), '\0') + le32(3) + le32(7) +
                        le32(-1) + le32(2) + le32(4) + le32(5) + le32(6);
  Answer a = deliver(8206, payload);
  EXPECT_EQ(a.out, kJson +
                       "{ \"map\": \"0011\", \"sensitivity\": 3, \"result\": -1, \"enable\": 1, "
                       "\"modelType\": 2, \"fishdisplay\": 4, \"fishtransfer\": 5, "
                       "\"fishinstall\": 6 }");
  EXPECT_EQ(a.flag, 1);
  // A record cut short is no data: nothing is written and the waiter keeps waiting.
  Answer cut = deliver(8206, payload.substr(0, 331));
  EXPECT_EQ(cut.out, "");
  EXPECT_EQ(cut.flag, 0);
}

TEST(VideoAnswers, UnknownTypesAndMissingPayloadsAreIgnored) {
  for (int type : {8205, 8251, 9999, 6206}) {
    Answer a = deliver(type, le32(0));
    EXPECT_EQ(a.out, "") << type;
    EXPECT_EQ(a.flag, 0) << type;
  }
  Answer none = deliver(8244, "", true);
  EXPECT_EQ(none.out, "");
  EXPECT_EQ(none.flag, 0);
}

TEST(VideoAnswers, CameraOsdResultAndSettings) {
  EXPECT_EQ(deliver(8210, le32(0)).out, kText + "OK");
  EXPECT_EQ(deliver(8210, le32(-1)).out, kText + "NO_SUPPORT");
  EXPECT_EQ(deliver(8210, le32(5)).out, kText + "ERROR");
  EXPECT_EQ(deliver(8210, std::string("\x01", 1)).out, kText + "CGI ERROR");

  // A camera that is not connected answers a negative channel: only "disconnect" 0.
  const std::string record = nvrtest::Bytes().i32(-1).zeros(844).str();
  EXPECT_EQ(deliver(8211, record).out, kJson + R"({ "disconnect": 0 })");
  Answer cut = deliver(8211, record.substr(0, 847));
  EXPECT_EQ(cut.out, kText + "CGI ERROR");
  EXPECT_EQ(cut.flag, 1);
}

TEST(VideoAnswers, CameraMasksBoundedByTheirFields) {
  nvrtest::Bytes entry;
  entry.i32(3).i32(1).i32(2).i32(1).text(std::string(32, 'v'), 32).i32(4).i32(1);
  entry.text(std::string(64, 'c'), 64);
  for (int a = 0; a < 28; ++a)
    entry.i32(a).i32(1).i32(a).i32(a).i32(5).i32(6).i32(0).i32(1).text(std::string(64, 'n'), 64);
  entry.i32(1).i32(1).zeros(8).i32(1).i32(30);  // a camera that claims 30 areas
  const std::string payload = entry.str() + entry.str() + "\x07";
  Answer a = deliver(7502, payload);
  ASSERT_EQ(a.out.rfind(kJson, 0), 0u) << a.out;
  nvrtest::JsonTree tree(a.out.substr(kJson.size()));
  ASSERT_EQ(json_object_array_length(tree.get()), 2u);  // the stray byte is no entry
  nvrtest::JsonTree first(json_object_to_json_string(json_object_array_get_idx(tree.get(), 0)));
  EXPECT_EQ(first.text("sdkversion"), '"' + std::string(32, 'v') + '"');
  EXPECT_EQ(first.text("colorList"), '"' + std::string(64, 'c') + '"');
  nvrtest::JsonTree areas(first.text("area"));
  EXPECT_EQ(json_object_array_length(areas.get()), 28u);
  EXPECT_EQ(deliver(7502, payload.substr(0, 100)).out, kText + "CGI ERROR");
}

}  // namespace
