// The record module's answer callback (counts and sizes from the core bounded by the
// answers' arrays), channel texts and the channel lists of save requests.
#include <gtest/gtest.h>

#include <json-c/json.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cgi.h"
#include "cgi_ipc.h"
#include "record/record_ipc.h"

namespace {

const std::string kJson = "Content-type: application/json\r\n\r\n";

TEST(ParseChannelText, OnlyPlainNumbersOfAChannel) {
  const struct {
    const char* text;
    int channel;  // -1: no channel
  } cases[] = {
      {"0", 0},   {"63", 63}, {" 7 ", 7},  {"7\n", 7},  {"007", 7},
      {"64", -1}, {"-1", -1}, {"abc", -1}, {"3x", -1},  {"", -1},
      {" ", -1},  {"+3", -1}, {"1 2", -1}, {"0x1", -1}, {"99999999999999999999", -1},
  };
  for (const auto& c : cases) {
    std::optional<int> got = channel_from_text(c.text);
    EXPECT_EQ(got.value_or(-1), c.channel) << "'" << c.text << "'";
  }
  EXPECT_FALSE(channel_from_text(nullptr));
}

std::vector<int> channels_of(const ChannelSelection& s) {
  return {s.list.channel, s.list.channel + s.list.count};
}

TEST(ReadChannelSelection, EachChannelOnceWithinCountAndArray) {
  const struct {
    const char* body;
    std::vector<int> channels;
    int last;
  } cases[] = {
      {R"({"cnt":2,"chnid":[3,70]})", {3}, 70},
      {R"({"cnt":3,"chnid":[3,3,5]})", {3, 5}, 5},
      {R"({"cnt":10,"chnid":[1,2]})", {1, 2}, 2},
      {R"({"cnt":1,"chnid":[1,2]})", {1}, 1},
      {R"({"cnt":0,"chnid":[1]})", {}, -1},
      {R"({"cnt":-4,"chnid":[1]})", {}, -1},
      {R"({"cnt":2,"chnid":[-1,63]})", {63}, 63},
      {R"({"cnt":1})", {}, -1},
      {R"({"chnid":[1]})", {}, -1},
      {R"({"cnt":2,"chnid":"1,2"})", {}, -1},
  };
  for (const auto& c : cases) {
    json_object* tree = json_tokener_parse(c.body);
    ChannelSelection s = read_channel_selection(tree, "chnid", "cnt");
    EXPECT_EQ(channels_of(s), c.channels) << c.body;
    EXPECT_EQ(s.last, c.last) << c.body;
    uint64_t mask = 0;
    for (int ch : c.channels) mask |= uint64_t{1} << ch;
    EXPECT_EQ(s.mask, mask) << c.body;
    json_object_put(tree);
  }
}

TEST(ReadChannelSelection, AListOfEveryChannelThreeTimesHolds64) {
  std::string body = R"({"cnt":500,"chnid":[)";
  for (int i = 0; i < 192; ++i) body += (i ? "," : "") + std::to_string(63 - i % 64);
  body += "]}";
  json_object* tree = json_tokener_parse(body.c_str());
  ChannelSelection s = read_channel_selection(tree, "chnid", "cnt");
  json_object_put(tree);
  ASSERT_EQ(s.list.count, 64);
  EXPECT_EQ(s.mask, ~uint64_t{0});
  for (int i = 0; i < 64; ++i) EXPECT_EQ(s.list.channel[i], 63 - i);
}

// Captures the response writers' output and starts a fresh exchange per answer.
class RecordAnswers : public ::testing::Test {
 protected:
  void TearDown() override { close(); }
  // Hands one answer to the module callback and returns what it wrote.
  std::string answer(int type, const void* payload, std::size_t length) {
    close();
    cgiOut = open_memstream(&buffer_, &size_);
    cgi_ipc_begin_exchange();
    std::uint32_t header[8] = {
        kDvMagic, 0, 1, static_cast<std::uint32_t>(type), 1, static_cast<std::uint32_t>(length),
        0,        0};
    on_record_ipc_callback(nullptr, header, payload);
    std::fflush(cgiOut);
    return std::string(buffer_, size_);
  }
  void close() {
    if (cgiOut != nullptr) std::fclose(cgiOut);
    cgiOut = nullptr;
    std::free(buffer_);
    buffer_ = nullptr;
  }
  char* buffer_ = nullptr;
  std::size_t size_ = 0;
};

TEST_F(RecordAnswers, AnrResultTable) {
  const struct {
    int count;
    std::vector<std::pair<int, int>> results;  // index, value
    int failed;
    int resp;
  } cases[] = {
      {3, {{1, 1}}, 1, -1},     {3, {}, 1, 0},
      {3, {{1, 1}}, 0, 0},      {1, {{0, 5}}, 1, 0},  // one channel's result alone is no failure
      {3, {{3, 1}}, 1, 0},                            // beyond the count
      {1000, {{63, 1}}, 1, -1},                       // the count is cut to the 64 results held
      {-5, {{0, 1}}, 1, 0},
  };
  for (const auto& c : cases) {
    AnrAnswer a{};
    a.count = c.count;
    a.failed = c.failed;
    for (auto [i, v] : c.results) a.result[i] = v;
    EXPECT_EQ(answer(7285, &a, sizeof a), kJson + "{ \"resp\": " + std::to_string(c.resp) + " }")
        << c.count;
    EXPECT_EQ(g_callback_done, 1);
  }
}

TEST_F(RecordAnswers, PrimarySecondarySizeIsBoundedBy64) {
  RecordStreamsAnswer a{};
  for (int i = 0; i < 64; ++i) {
    a.primary[i] = i;
    a.secondary[i] = 100 + i;
  }
  a.size = 2;
  EXPECT_EQ(answer(8218, &a, sizeof a),
            kJson + R"({ "primary": [ 0, 1 ], "secondary": [ 100, 101 ], "size": 2 })");
  a.size = -3;
  EXPECT_EQ(answer(8218, &a, sizeof a),
            kJson + R"({ "primary": [ ], "secondary": [ ], "size": 0 })");

  a.size = 1000;
  std::string out = answer(8218, &a, sizeof a);
  ASSERT_EQ(out.rfind(kJson, 0), 0u);
  json_object* tree = json_tokener_parse(out.c_str() + kJson.size());
  ASSERT_NE(tree, nullptr);
  json_object *primary, *secondary, *size;
  ASSERT_TRUE(json_object_object_get_ex(tree, "primary", &primary));
  ASSERT_TRUE(json_object_object_get_ex(tree, "secondary", &secondary));
  ASSERT_TRUE(json_object_object_get_ex(tree, "size", &size));
  EXPECT_EQ(json_object_array_length(primary), 64u);
  EXPECT_EQ(json_object_get_int(json_object_array_get_idx(secondary, 63)), 163);
  EXPECT_EQ(json_object_get_int(size), 64);
  json_object_put(tree);
}

TEST_F(RecordAnswers, SupportUsesTheFirstEntry) {
  const RecordSupportAnswer a[2] = {{5, 1}, {6, 0}};
  EXPECT_EQ(answer(7286, a, sizeof a), kJson + R"({ "chnid": 5, "support": 1 })");
}

TEST_F(RecordAnswers, ShortUnknownOrMissingAnswersWriteNothing) {
  RecordStreamsAnswer streams{};
  AnrAnswer anr{};
  RecordSupportAnswer support{};
  const struct {
    int type;
    const void* payload;
    std::size_t length;
  } cases[] = {
      {8218, &streams, sizeof streams - 1},
      {7285, &anr, sizeof anr - 4},
      {7286, &support, 4},
      {7286, nullptr, 0},
      {8219, &streams, sizeof streams},
      {2286, &support, sizeof support},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(answer(c.type, c.payload, c.length), "") << c.type;
    EXPECT_EQ(g_callback_done, 0);
  }
}

}  // namespace
